#!/usr/bin/env bash
# The desktop ending the program: SIGHUP while idle, SIGINT while the quit
# question is open and SIGTERM during a job each end the real program with
# status 0 and the chosen options and window size in the preferences, with
# no question left unanswered; so does the display going away.
source "$(dirname "$0")/e2e_lib.sh"

# Bytes the program has read so far: the job's progress through a big file.
bytes_read() { awk '/^rchar:/ { print $2 }' "/proc/$APP_PID/io" 2>/dev/null || echo 0; }
job_reading() { (($(bytes_read) > 64 * 1024 * 1024)); }

BIG="$WORK/disk image.img"
truncate -s 20G "$BIG"

# signal, what is going on when it arrives
for case in "HUP idle" "INT question" "TERM job"; do
  read -r signal situation <<<"$case"
  rm -f "$PREFS"
  start_program "$BIG"
  click_option SHA3
  click_option 512
  case $situation in
    question) request_close ;;
    job) click_calculate && wait_until 30 "the job to read the file" job_reading ;;
  esac
  kill "-$signal" "$APP_PID"
  expect_exit_zero 10
  write_expected_prefs "$WORK/want-prefs" 4 3 840 600
  expect_same_file "$PREFS" "$WORK/want-prefs" "preferences after SIG$signal ($situation)"
done

# The display closes under the program, as at the end of an X session.
rm -f "$PREFS"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
HELPER_PIDS+=("$XVFB_PID")
wait_until 15 "the private X server" test -s "$WORK/display"
PRIVATE_DISPLAY=":$(cat "$WORK/display")"
on_private_display() { DISPLAY=$PRIVATE_DISPLAY xdotool search --onlyvisible --name "^Vandrel" >/dev/null; }
shown_or_gone() { on_private_display || program_gone; }
# Under load a first connection to a new server is now and then refused, as
# xdo's are: start again then, but only for that.
for attempt in 1 2 3; do
  DISPLAY=$PRIVATE_DISPLAY "$VANDREL" >"$WORK/program.log" 2>&1 &
  APP_PID=$!
  wait_until 15 "the window on the private display" shown_or_gone
  on_private_display && break
  grep -q "cannot open the display" "$WORK/program.log" || fail "the program ended at start"
  wait "$APP_PID" || true
done
on_private_display || fail "no window on $PRIVATE_DISPLAY; X server: $(cat "$WORK/xvfb.log")"
kill -TERM "$XVFB_PID"
expect_exit_zero 10
write_expected_prefs "$WORK/want-prefs" 0 0 840 600
expect_same_file "$PREFS" "$WORK/want-prefs" "preferences after the display closed"
echo "PASS $TEST_NAME"
