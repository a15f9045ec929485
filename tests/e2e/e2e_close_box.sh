#!/usr/bin/env bash
# The close box of the real program: No keeps it running and responsive,
# Yes ends it with status 0 and the preferences written byte for byte; a
# second start reads them back and stores a new window size; closing during
# a job asks the job's own question and still ends cleanly.
source "$(dirname "$0")/e2e_lib.sh"

ask_to_close() {
  request_close
  answer_dialog "$1" 440x120
}

# First start: no preferences anywhere, no argument.
start_program
click_option SHA3
click_option 224
ask_to_close Escape
sleep 0.5
program_gone && fail "the program ended although the question was answered No"
[[ -e "$PREFS" ]] && fail "preferences were written although the program did not end"
[[ -d "$HOME/.Brassholt/Vandrel" ]] || fail "the first start did not make the configuration folder"
# Still responsive after the No: this choice must reach the preferences.
click_option 384
ask_to_close Return
expect_exit_zero
write_expected_prefs "$WORK/want-prefs" 4 2 840 600
expect_same_file "$PREFS" "$WORK/want-prefs" "preferences after the first run"

# Second start: the options come back from the file (else the defaults 0
# would be written), and a new size is stored.
start_program
xdo windowsize "$MAIN" 1000 700 || fail "could not resize the window"
window_is_1000x700() { xdo getwindowgeometry "$MAIN" | grep -q 'Geometry: 1000x700'; }
wait_until 5 "the window to take its new size" window_is_1000x700
sleep 0.3
ask_to_close Return
expect_exit_zero
write_expected_prefs "$WORK/want-prefs" 4 2 1000 700
expect_same_file "$PREFS" "$WORK/want-prefs" "preferences after the second run"

# Third start, closing during a job over files long enough to outlast the
# question. Sparse files cost no disk space.
DATA="$WORK/big"
mkdir -p "$DATA"
for i in 1 2 3 4; do truncate -s 4G "$DATA/sparse$i.bin"; done
write_expected_prefs "$PREFS" 3 0 840 600

# Which big files the job has open and where each is, from /proc: "name
# offset" for every one, sorted. Several threads may hold files open at
# once (one reads, others wait for the disk), so all of them count.
reading_position() {
  local fd target positions=()
  for fd in /proc/"$APP_PID"/fd/*; do
    target=$(readlink "$fd" 2>/dev/null) || continue
    if [[ "$target" == "$DATA"/* ]]; then
      positions+=("$(basename "$target") $(sed -n 's/^pos:[[:space:]]*//p' "/proc/$APP_PID/fdinfo/${fd##*/}")")
    fi
  done
  ((${#positions[@]} > 0)) || return 1
  printf '%s\n' "${positions[@]}" | sort | tr '\n' ' '
}
job_is_reading() { reading_position >/dev/null; }
position_moved_from() { [[ "$(reading_position)" != "$1" ]]; }

start_program "$DATA"
click_calculate
wait_until 10 "the job to read a file" job_is_reading
press_close_box
# The summary would be 440 x 160: a job that ended already fails here.
wait_until 10 "the question" dialog_open
# The job stops at its next safe point, within a read; on a loaded machine
# that may take a moment. Once its files stay put for half a second, they
# must stay put while the question is open.
position_held() {
  before=$(reading_position) || fail "the job closed its files while the question was open"
  sleep 0.5
  [[ "$(reading_position)" == "$before" ]]
}
wait_until 10 "the job to stop while the question is open" position_held
sleep 0.5
[[ "$(reading_position)" == "$before" ]] || fail "the job went on while the question was open"
answer_dialog Escape 440x120
program_gone && fail "the program ended although the question was answered No"
wait_until 5 "the job to go on after No" position_moved_from "$before"
ask_to_close Return
# Yes cancels, waits 100 ms and ends, without waiting for the current file.
expect_exit_zero 5
write_expected_prefs "$WORK/want-prefs" 3 0 840 600
expect_same_file "$PREFS" "$WORK/want-prefs" "preferences after closing during a job"
echo "PASS $TEST_NAME"
