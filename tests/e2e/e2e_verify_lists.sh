#!/usr/bin/env bash
# Verify checksum list, Compare with copied checksum and Save as a checksum
# list, driven from outside as a user would. A folder holds four files and
# lists naming five (one file changed since, one missing): Verify must give
# three green and two red rows, agree row by row with sha256sum -c (and
# sha512sum -c, md5sum -c, and zlib for SFV), and report the counts in the
# summary. The dialog text and the selection are read through AT-SPI, so the
# test runs itself inside a private session bus.
source "$(dirname "$0")/e2e_atspi_lib.sh"

DATA="$WORK/downloads"
mkdir -p "$DATA"
NAMES=("good1" "good 2.iso" "changed" "missing" "good3")
for name in good1 "good 2.iso" good3 changed; do printf 'contents of %s\n' "$name" >"$DATA/$name"; done
head -c 300000 /dev/urandom >>"$DATA/good3"

# The digest a list claims: the true one, but the old contents for the
# changed file and some contents for the missing one.
claimed() {
  local tool=$1 name=$2
  case $name in
    changed) printf 'old contents\n' | $tool ;;
    missing) printf 'gone\n' | $tool ;;
    *) $tool <"$DATA/$name" ;;
  esac | cut -d' ' -f1
}
crc32_of() { /usr/bin/python3 -c 'import sys, zlib; print("%08x" % zlib.crc32(sys.stdin.buffer.read()))'; }

# The program's visible windows: the main window, and its menu while open.
visible_windows() { xdo search --all --pid "$APP_PID" --onlyvisible --name '' 2>/dev/null | wc -l || true; }
menu_open() { (($(visible_windows) > 1)); }

menu_item() {
  local y=$1
  xdo mousemove --window "$MAIN" 20 12 click 1 || fail "open the File menu"
  wait_until 10 "the File menu" menu_open
  # Mapped is not yet drawn, as for the main window.
  sleep 0.2
  xdo mousemove --window "$MAIN" 80 "$y" click 1 || fail "choose a menu item"
}

# Types `path` into the file chooser titled `title` and confirms it.
choose_in_requester() {
  local title=$1 path=$2 chooser
  chooser_open() { [[ -n "$(window_of_program "$title")" ]]; }
  wait_until 15 "the requester '$title'" chooser_open
  chooser=$(window_of_program "$title")
  xdo windowfocus --sync "$chooser" || fail "focus the requester"
  xdo key ctrl+l ctrl+a || fail "location field"
  xdo type --delay 5 "$path" || fail "type the path"
  # The chooser may not take a path typed a moment ago (its completion is
  # still at work): Return again until it closes.
  chooser_closed() { [[ -z "$(window_of_program "$title")" ]]; }
  local attempt
  for attempt in 1 2 3; do
    sleep 1
    xdo key Return || fail "confirm the requester"
    local waited
    for waited in $(seq 1 100); do
      chooser_closed && return 0
      sleep 0.05
    done
  done
  fail "the requester '$title' did not take $path"
}

dialog_text() {
  wait_until 30 "the message dialog" dialog_open
  local attempt
  for attempt in $(seq 1 20); do
    $PROBE dialog "$APP_PID" && return 0
    sleep 0.2
  done
  fail "the dialog text could not be read"
}

# The state colour of each row's icon, top to bottom: G green, R red, from a
# strip of pixels down the icon column of the list, left of the white mark
# the image of a checked row carries.
row_colours() {
  import -window root "$WORK/shot.png" || fail "screenshot"
  local x y
  read -r x y < <(xdo getwindowgeometry "$MAIN" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  convert "$WORK/shot.png" -crop "1x330+$((x + 17))+$((y + MENU_BAR + 63))" -depth 8 txt:- |
    sed -n 's/.*srgb(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p' |
    awk '{ c = ($2 > $1 + 40 && $2 > $3 + 20) ? "G" : ($1 > $2 + 40 && $1 > $3 + 40) ? "R" : "-";
           if (c != last && c != "-") printf "%s", c; last = c } END { print "" }'
}

rows_coloured() { [[ $(row_colours) == "$1" ]]; }

clear_list() {
  click_gadget 710 405 120 27
  answer_dialog Return 440x120
}

copy_list_to() {
  click_list_blank
  click_clipboard
  wait_until 10 "the clipboard notice" dialog_open
  read_clipboard_to "$1"
  answer_dialog Return 440x120
}

# One list: Verify it, then compare the rows with what the checking tool says.
# `check` prints "name: OK|FAILED|FAILED open or read" lines as the *sum -c tools do.
verify_list() {
  local list=$1 tool=$2 check=$3 summary want_summary
  menu_item 62
  choose_in_requester "Choose a checksum list" "$DATA/$list"
  summary=$(dialog_text)
  want_summary=$(printf 'Checksum calculation finished.\n\nFiles processed:\t5\\5\nFailed:\t2 file(s)\n\nMatched:\t3\nDifferent:\t1\nMissing or unreadable:\t1\nUnusable list lines:\t1')
  [[ "$summary" == "$want_summary" ]] || fail "$list summary: $(printf '%q' "$summary")"
  answer_dialog Return 440x260
  # The rows under the summary are repainted only after it has gone.
  wait_until 5 "$list row colours GGRRG" rows_coloured GGRRG

  copy_list_to "$WORK/export"
  (cd "$DATA" && $check "$list" 2>/dev/null) >"$WORK/tool" || true
  local i=0 name path digest verdict
  while IFS= read -r line; do
    name=${NAMES[$i]}
    path=${line%,*}
    digest=${line##*,}
    [[ "$path" == "$DATA/$name" ]] || fail "$list row $i is $path"
    verdict=$(grep -F -x -e "$name: OK" -e "$name: FAILED" -e "$name: FAILED open or read" "$WORK/tool" || true)
    case $verdict in
      "$name: OK") [[ "$digest" == "$(claimed "$tool" "$name")" ]] || fail "$name: tool OK, row $digest" ;;
      "$name: FAILED") [[ -n "$digest" && "$digest" != "$(claimed "$tool" "$name")" ]] ||
        fail "$name: tool FAILED, row '$digest'" ;;
      "$name: FAILED open or read") [[ -z "$digest" ]] || fail "$name: tool cannot read, row $digest" ;;
      *) fail "$list: the tool said nothing about $name" ;;
    esac
    i=$((i + 1))
  done <"$WORK/export"
  [[ $i -eq 5 ]] || fail "$list gave $i rows"
  clear_list
}

{
  echo "# written by hand"
  for name in "${NAMES[@]}"; do printf '%s  %s\n' "$(claimed sha256sum "$name")" "$name"; done
  echo "this line is no checksum line"
} >"$DATA/SHA256SUMS"
{
  for name in "${NAMES[@]}"; do printf 'SHA512 (%s) = %s\n' "$name" "$(claimed sha512sum "$name")"; done
  echo "SHA512 (short) = 1234"
} >"$DATA/image.sha512"
{
  for name in "${NAMES[@]}"; do printf '%s *%s\n' "$(claimed md5sum "$name")" "$name"; done
  echo "garbage"
} >"$DATA/files.md5"
{
  echo "; made for the test"
  for name in "${NAMES[@]}"; do printf '%s %s\n' "$name" "$(claimed crc32_of "$name")"; done
  echo "no-crc-here"
} >"$DATA/disk.sfv"
# SFV has no coreutils checker: zlib's CRC of each file decides.
sfv_check() {
  local line name want
  while IFS= read -r line; do
    [[ -z "$line" || "$line" == \;* || "$line" != *" "* ]] && continue
    name=${line% *}
    want=${line##* }
    if [[ ! -f "$DATA/$name" ]]; then echo "$name: FAILED open or read"
    elif [[ "$(crc32_of <"$DATA/$name")" == "$want" ]]; then echo "$name: OK"
    else echo "$name: FAILED"; fi
  done <"$1"
}

start_program
verify_list SHA256SUMS sha256sum "sha256sum -c"
verify_list image.sha512 sha512sum "sha512sum -c"
verify_list files.md5 md5sum "md5sum -c"
verify_list disk.sfv crc32_of sfv_check

# SHA-256 again, then Compare with a published digest and with a wrong one.
menu_item 62
choose_in_requester "Choose a checksum list" "$DATA/SHA256SUMS"
answer_dialog Return 440x260
printf 'SHA256 (good 2.iso) = %s\n' "$(sha256sum <"$DATA/good 2.iso" | cut -d' ' -f1 | tr a-f A-F)" |
  xclip -selection clipboard
menu_item 87
[[ "$(dialog_text)" == "$(printf 'The copied checksum matches:\n%s' "$DATA/good 2.iso")" ]] ||
  fail "compare notice: $(dialog_text)"
answer_dialog Return 440x160
[[ "$($PROBE selected "$APP_PID")" == "$DATA/good 2.iso" ]] ||
  fail "selected after compare: $($PROBE selected "$APP_PID")"
printf '%064d\n' 0 | xclip -selection clipboard
menu_item 87
[[ "$(dialog_text)" == "The copied checksum matches none of the files in the list." ]] ||
  fail "no-match notice: $(dialog_text)"
answer_dialog Return 440x160

# Save as sums.sha256: sha256sum -c passes on it; results.txt is the export.
copy_list_to "$WORK/export"
for saved in sums.sha256 results.txt; do
  click_gadget 135 405 120 27
  choose_in_requester "Save checksums" "$DATA/$saved"
  wait_until 10 "$saved" test -s "$DATA/$saved"
done
(cd "$DATA" && sha256sum -c sums.sha256 >"$WORK/check" 2>&1) || fail "sha256sum -c sums.sha256: $(cat "$WORK/check")"
[[ $(grep -c ': OK$' "$WORK/check") -eq 4 ]] || fail "sums.sha256 should name the 4 files there"
expect_same_file "$DATA/results.txt" "$WORK/export" "results.txt"
echo "PASS $TEST_NAME"
