#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A checksum list opened from a file manager, end to end: the package is
# unpacked into a scratch root, its MIME data and desktop entries become the
# databases dpkg's triggers make, and `gio open SHA256SUMS` starts whatever
# the desktop picks for the list. The window must check the list at once:
# read over AT-SPI, the summary counts three matching files, one different
# and one missing. (What each row shows is the in-process tests' to check.)
#   package_verify_test.sh PROGRAM-UNUSED CLOSE_WINDOW DEB
# Exits 77 (skipped) with the reason printed when it cannot run.
deb=$3
source "$(dirname "$0")/package_lib.sh"
need_package "$deb"
command -v gio >/dev/null || skip "gio is not installed (scripts/deps installs it)"

source "$(dirname "$0")/../e2e/e2e_atspi_lib.sh"

ROOT="$WORK/root"
dpkg-deb -x "$deb" "$ROOT" || fail "dpkg-deb -x $deb"
grep -q -a -e '--verify' "$ROOT/usr/lib/vandrel/vandrel" ||
  skip "this package's vandrel has no --verify option"
update-mime-database "$ROOT/usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
update-desktop-database "$ROOT/usr/share/applications" || fail "update-desktop-database"

DATA="$WORK/downloads"
mkdir -p "$DATA"
for name in good1 "good 2.iso" good3 changed; do printf 'contents of %s\n' "$name" >"$DATA/$name"; done
# The published digests: the true ones, but older contents for the changed
# file, and some contents for the missing one.
for name in good1 "good 2.iso" changed missing good3; do
  case $name in
    changed) printf 'old contents\n' | sha256sum ;;
    missing) printf 'gone\n' | sha256sum ;;
    *) sha256sum <"$DATA/$name" ;;
  esac | sed "s/ .*/  $name/"
done >"$DATA/SHA256SUMS"

# As a file manager opens a file: the desktop's choice for its type, with
# the package's programs on PATH.
PATH="$ROOT/usr/bin:$PATH" XDG_DATA_DIRS="$ROOT/usr/share:/usr/share" \
  XDG_DATA_HOME="$WORK/no-user-data" XDG_CONFIG_HOME="$WORK/no-user-config" \
  gio open "$DATA/SHA256SUMS" >"$WORK/program.log" 2>&1 || fail "gio open SHA256SUMS"
started() { APP_PID=$(pgrep -n -f -- "--verify -- $DATA/SHA256SUMS" || true); [[ -n "$APP_PID" ]]; }
wait_until 15 "vandrel --verify started by gio" started
wait_until 15 "the main window" main_window_shown
MAIN=$(window_of_program "$MAIN_TITLE")

# The texts the window shows, from the package's own language file.
text() { sed -n "s/^$1 = //p" "$ROOT/usr/share/vandrel/lang/en_GB.language"; }
wait_until 30 "the summary of the check" dialog_open
summary=$($PROBE dialog "$APP_PID") || fail "the summary could not be read"
for count in "$(text tInfoMATCHED)	3" "$(text tInfoMISMATCHED)	1" "$(text tInfoMISSING)	1"; do
  grep -qxF -- "$count" <<<"$summary" || fail "the summary lacks '$count': $(printf '%q' "$summary")"
done
answer_dialog Return 440x240

# gio started the program, so its exit status is gio's to see, not ours.
request_close
answer_dialog Return 440x120
wait_until 30 "the program to end" program_gone
APP_PID=""
echo "PASS $TEST_NAME"
