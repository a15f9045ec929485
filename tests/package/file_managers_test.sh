#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The package's context-menu entries in the real file managers, each under
# its own Xvfb and session bus, reading the package unpacked into a scratch
# root, on a folder with a data file and a checksum list. Read over AT-SPI:
# a file's menu names Vandrel once ("Compute digests with Vandrel"), a
# list's twice (also "Verify with Vandrel"); choosing one starts the
# package's vandrel with that file, and it runs the job; the file manager
# keeps running (a crash fails at once, with its status).
#   file_managers_test.sh PROGRAM-UNUSED CLOSE_WINDOW DEB
# Exits 77 (skipped) with the reason printed when a file manager is missing.
deb=$3

# name | packages it needs | command that opens a folder in it
FILE_MANAGERS=(
  "pcmanfm|pcmanfm libfm-modules|pcmanfm"
  "caja|caja caja-actions|caja --no-desktop"
  "nemo|nemo|nemo"
)

if [[ -z ${FILE_MANAGER:-} ]]; then
  source "$(dirname "$0")/package_lib.sh"
  need_package "$deb"
  # The file managers read /usr/share too, where its entries would mix with these.
  [[ $(dpkg-query -W -f='${Status}' vandrel 2>/dev/null) != "install ok installed" ]] ||
    skip "a vandrel package is installed on this machine"
  failed=()
  for row in "${FILE_MANAGERS[@]}"; do
    IFS='|' read -r name packages command <<<"$row"
    for package in $packages; do
      [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) == "install ok installed" ]] ||
        skip "$package is not installed (scripts/deps installs it)"
    done
    FILE_MANAGER=$name FILE_MANAGER_COMMAND=$command \
      xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@" || failed+=("$name")
  done
  [[ ${#failed[@]} -eq 0 ]] || { echo "FAIL: ${failed[*]}"; exit 1; }
  exit 0
fi

source "$(dirname "$0")/../e2e/e2e_atspi_lib.sh"
TEST_NAME="$TEST_NAME-$FILE_MANAGER"
ROOT="$WORK/root"
dpkg-deb -x "$deb" "$ROOT" || fail "dpkg-deb -x $deb"
# The databases dpkg's triggers build on installation.
update-mime-database "$ROOT/usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
update-desktop-database "$ROOT/usr/share/applications" || fail "update-desktop-database"
export PATH="$ROOT/usr/bin:$PATH" XDG_DATA_DIRS="$ROOT/usr/share:/usr/share"
# GTK 2 (PCManFM) reaches AT-SPI only through these modules, and PCManFM
# names its items only in its list view.
export GTK_MODULES=gail:atk-bridge
mkdir -p "$HOME/.config/pcmanfm/default"
printf '[ui]\nview_mode=list\n' >"$HOME/.config/pcmanfm/default/pcmanfm.conf"

DATA="$WORK/my downloads"
mkdir -p "$DATA"
printf 'an image\n' >"$DATA/image.iso"
{
  sha256sum <"$DATA/image.iso" | sed 's/ .*/  image.iso/'
  printf 'gone\n' | sha256sum | sed 's/ .*/  gone.iso/'
} >"$DATA/SHA256SUMS"

read -r -a command <<<"$FILE_MANAGER_COMMAND"
FM_STARTS=0
start_fm() {
  "${command[@]}" "$DATA" >"$WORK/program.log" 2>&1 &
  FM_PID=$!
  HELPER_PIDS+=("$FM_PID")
  FM_STARTS=$((FM_STARTS + 1))
}
fm_ended() {
  local state
  state=$(ps -o stat= -p "$FM_PID" || true)
  [[ -z $state || $state == Z* ]]
}
fm_running() {
  fm_ended || return 0
  local status=0
  wait "$FM_PID" || status=$?
  fail "$FILE_MANAGER ended with status $status"
}
fm_window() {
  # Under load a client now and then cannot reach the X server: start again.
  if fm_ended && grep -q 'open display' "$WORK/program.log" && ((FM_STARTS < 5)); then
    wait "$FM_PID" || true
    start_fm
  fi
  fm_running
  FM_WINDOW=$(xdo search --all --pid "$FM_PID" --onlyvisible --name '^my downloads$' | head -n 1)
  [[ -n $FM_WINDOW ]]
}
start_fm
wait_until 60 "the $FILE_MANAGER window" fm_window

selected() { fm_running && $PROBE select "$FM_PID" "$1" >/dev/null 2>&1; }
menu_open() { fm_running && ENTRIES=$($PROBE menu "$FM_PID" 2>/dev/null) && [[ -n $ENTRIES ]]; }
menu_closed() { ! menu_open; }
vandrel_started() { APP_PID=$(pgrep -n -f -- "$1" || true); [[ -n $APP_PID ]]; }
summary_shown() { SUMMARY=$($PROBE dialog "$APP_PID" 2>/dev/null) && [[ -n $SUMMARY ]]; }
text() { sed -n "s/^$1 = //p" "$ROOT/usr/share/vandrel/lang/en_GB.language"; }

TAB=$'\t'
# item | its menu's entries naming Vandrel ("Open With" taken off) | the one
# chosen | what vandrel then runs with | lines of the job's summary
CASES=(
  "image.iso|Compute digests with Vandrel|Compute digests with Vandrel|--calculate -- $DATA/image.iso|$(text tInfoFILESPROCESSED)${TAB}1\\1"
  "SHA256SUMS|Compute digests with Vandrel,Verify with Vandrel|Verify with Vandrel|--verify -- $DATA/SHA256SUMS|$(text tInfoMATCHED)${TAB}1,$(text tInfoMISSING)${TAB}1"
)
for case in "${CASES[@]}"; do
  IFS='|' read -r item want choice arguments lines <<<"$case"
  wait_until 30 "$item selected" selected "$item"
  xdo windowfocus --sync "$FM_WINDOW" && xdo key shift+F10 || fail "Shift+F10 on $item"
  wait_until 30 "the context menu of $item" menu_open
  got=$(sed -n 's/^\(Open With \)\{0,1\}\(.* with Vandrel\)$/\2/p' <<<"$ENTRIES" | sort | paste -sd,)
  [[ $got == "$want" ]] || fail "$item's menu offers '$got', not '$want': $(paste -sd, <<<"$ENTRIES")"
  $PROBE choose "$FM_PID" "$choice" >/dev/null || fail "choosing $choice"
  wait_until 30 "vandrel $arguments" vandrel_started "$arguments"
  wait_until 60 "the summary of vandrel $arguments" summary_shown
  IFS=',' read -r -a summary_lines <<<"$lines"
  for line in "${summary_lines[@]}"; do
    grep -qxF -- "$line" <<<"$SUMMARY" || fail "the summary lacks '$line': $(printf '%q' "$SUMMARY")"
  done
  kill -KILL "$APP_PID"
  APP_PID=""
  wait_until 10 "the context menu to close" menu_closed
done
fm_running
echo "PASS $TEST_NAME"
