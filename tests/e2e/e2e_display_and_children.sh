#!/usr/bin/env bash
# Without a display the real program ends with status 0 and says why in one
# line on stderr. With one, the programs it starts (help on F1) get the
# user's environment: GDK_GL and GDK_BACKEND as the user had them, not as
# the program set them for its own GTK.
source "$(dirname "$0")/e2e_lib.sh"

# No display at all, and a display that does not answer.
for display in "" ":4711"; do
  status=0
  if [[ -z "$display" ]]; then
    env -u DISPLAY "$VANDREL" >"$WORK/out" 2>"$WORK/err" || status=$?
  else
    DISPLAY=$display "$VANDREL" >"$WORK/out" 2>"$WORK/err" || status=$?
  fi
  [[ $status -eq 0 ]] || fail "without a display (DISPLAY='$display') the status was $status"
  [[ ! -s "$WORK/out" ]] || fail "without a display, stdout held: $(cat "$WORK/out")"
  [[ $(wc -l <"$WORK/err") -eq 1 ]] || fail "without a display, stderr held: $(cat "$WORK/err")"
  grep -qi 'display' "$WORK/err" || fail "the stderr line does not name the display: $(cat "$WORK/err")"
done

# A stand-in help program on PATH that writes down the environment it got.
mkdir -p "$WORK/bin"
export HELP_ENVIRONMENT="$WORK/help.env"
printf '#!/bin/sh\nenv >"$HELP_ENVIRONMENT.part" && mv "$HELP_ENVIRONMENT.part" "$HELP_ENVIRONMENT"\n' \
  >"$WORK/bin/Leafscope.exe"
chmod +x "$WORK/bin/Leafscope.exe"
export PATH="$WORK/bin:$PATH"
help_started() { [[ -s "$HELP_ENVIRONMENT" ]]; }

# Variable lines the help program must see, for what the user had set.
check_children_see() {
  local expected=$1
  rm -f "$HELP_ENVIRONMENT"
  start_program
  xdo windowfocus --sync "$MAIN" || fail "could not focus the main window"
  xdo key F1 || fail "could not press F1"
  wait_until 10 "the help program" help_started
  local seen
  seen=$(grep -E '^GDK_(GL|BACKEND)=' "$HELP_ENVIRONMENT" | sort || true)
  [[ "$seen" == "$expected" ]] || fail "help saw '$seen', expected '$expected'"
  request_close
  answer_dialog Return 440x120
  expect_exit_zero
}

unset GDK_GL GDK_BACKEND
check_children_see ""
export GDK_GL=disable GDK_BACKEND=x11
check_children_see $'GDK_BACKEND=x11\nGDK_GL=disable'
echo "PASS $TEST_NAME"
