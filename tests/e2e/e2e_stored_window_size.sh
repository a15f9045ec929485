#!/usr/bin/env bash
# Window sizes in the preferences that the screen cannot show (a height that
# crashed cairo, a width that ended in an X error, zero, negative, larger
# than the screen): the real program starts, opens a window that fits, ends
# with status 0 when closed and writes back the size it really had.
source "$(dirname "$0")/e2e_lib.sh"

read -r SCREEN_W SCREEN_H < <(xdo getdisplaygeometry) || fail "no display geometry"
((SCREEN_W > 840 && SCREEN_H > 600)) || fail "the screen ($SCREEN_W x $SCREEN_H) is too small for this test"

# stored width, stored height, expected width, expected height
cases=(
  "840 999999999 840 $SCREEN_H"
  "40000 600 $SCREEN_W 600"
  "0 0 840 600"
  "-5 -5 840 600"
  "$((SCREEN_W + 400)) $((SCREEN_H + 300)) $SCREEN_W $SCREEN_H"
)
mkdir -p "$(dirname "$PREFS")"
for case in "${cases[@]}"; do
  read -r stored_w stored_h want_w want_h <<<"$case"
  write_expected_prefs "$PREFS" 0 1 "$stored_w" "$stored_h"
  start_program
  size=$(xdo getwindowgeometry "$MAIN" | sed -n 's/.*Geometry: //p')
  [[ "$size" == "${want_w}x${want_h}" ]] \
    || fail "stored $stored_w x $stored_h opened at $size, expected ${want_w}x${want_h}"
  request_close
  answer_dialog Return 440x120
  expect_exit_zero
  write_expected_prefs "$WORK/want-prefs" 0 1 "$want_w" "$want_h"
  expect_same_file "$PREFS" "$WORK/want-prefs" "preferences after a start with $stored_w x $stored_h"
done
echo "PASS $TEST_NAME"
