# Shared driver for the end-to-end tests: runs the real program on the X
# display the test was given (scripts/test provides Xvfb), drives it with
# xdotool, and cleans up after itself. Sourced by the test scripts, which
# pass the program and the close_window helper as $1 and $2.
#
# There is no window manager, so a window's geometry is its client area and
# gadget coordinates are offset only by the 25 px menu bar.

set -euo pipefail

VANDREL=$(readlink -f "$1")
CLOSE_WINDOW=$(readlink -f "$2")
TEST_NAME=$(basename "$0" .sh)
MAIN_TITLE='Vandrel v1.0.0.0 (arm32) - Brassholt'
MENU_BAR=25
# The message dialog's title in the language the test runs in.
DIALOG_TITLE=Message

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vandrel-e2e.XXXXXX")
export HOME="$WORK/home"
mkdir -p "$HOME"
export LANG=en_GB.UTF-8
unset LC_ALL LANGUAGE
export NO_AT_BRIDGE=1
PREFS="$HOME/.Brassholt/Vandrel/Vandrel.prefs"
APP_PID=""
MAIN=""
# Other programs a test starts (a drag source); ended with the program.
HELPER_PIDS=()

e2e_cleanup() {
  local status=$? pid
  for pid in "$APP_PID" "${HELPER_PIDS[@]}"; do
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$WORK"
  exit "$status"
}
trap e2e_cleanup EXIT

if [[ -z "${DISPLAY:-}" ]]; then
  echo "$TEST_NAME: no DISPLAY; run under xvfb-run (scripts/test does)" >&2
  exit 1
fi

# Keeps a picture of the screen and the program's output beside the test's
# build folder, then fails.
fail() {
  echo "FAIL ($TEST_NAME): $*" >&2
  import -window root "$PWD/$TEST_NAME-failure.png" 2>/dev/null || true
  if [[ -s "$WORK/program.log" ]]; then
    echo "--- program output ---" >&2
    cat "$WORK/program.log" >&2
  fi
  exit 1
}
# A command that fails outside a condition ends the test (set -e): say which,
# with the same picture and output, instead of ending without a word. Only in
# the test's own shell: a command substitution's failure is its caller's to
# judge.
set -E
trap 'e2e_status=$?; ((BASH_SUBSHELL > 0)) ||
  fail "line $LINENO: \"$BASH_COMMAND\" ended with status $e2e_status"' ERR

# xdotool under load sometimes cannot reach the server: retry only that.
xdo() {
  local attempt err out status
  for attempt in $(seq 1 20); do
    status=0
    out=$(timeout 20 xdotool "$@" 2>"$WORK/xdo.err") || status=$?
    err=$(cat "$WORK/xdo.err")
    if [[ $status -ne 0 && "$err" == *"Can't open display"* ]]; then
      sleep 0.2
      continue
    fi
    [[ -n "$out" ]] && printf '%s\n' "$out"
    [[ -n "$err" ]] && printf '%s\n' "$err" >&2
    return "$status"
  done
  echo "xdotool: display unreachable after 20 attempts" >&2
  return 1
}

# Polls `command...` every 50 ms until it succeeds; fails the test after
# `seconds` with `what` as the reason.
wait_until() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || fail "timed out after ${seconds}s waiting for $what"
    sleep 0.05
  done
}

# The visible window of the running program with exactly this title.
window_of_program() {
  local title=$1
  local pattern
  pattern="^$(printf '%s' "$title" | sed 's/[][().*^$?+|{}\\]/\\&/g')\$"
  # Finding none is an answer too ("" and success), not a failure of the test.
  xdo search --all --pid "$APP_PID" --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true
}

dialog_open() { [[ -n "$(window_of_program "$DIALOG_TITLE")" ]]; }
dialog_closed() { [[ -z "$(window_of_program "$DIALOG_TITLE")" ]]; }
program_gone() { ! kill -0 "$APP_PID" 2>/dev/null; }

# Starts the program with the given arguments and waits for its main window.
start_program() {
  "$VANDREL" "$@" >"$WORK/program.log" 2>&1 &
  APP_PID=$!
  wait_until 15 "the main window" main_window_shown
  MAIN=$(window_of_program "$MAIN_TITLE")
  # Mapped is not yet drawn: give GTK a moment before the first click.
  sleep 0.2
}
main_window_shown() { [[ -n "$(window_of_program "$MAIN_TITLE")" ]]; }

# Clicks the centre of a gadget given by its gadget-area place and size.
click_gadget() {
  local x=$1 y=$2 w=$3 h=$4
  xdo mousemove --window "$MAIN" $((x + w / 2)) $((y + MENU_BAR + h / 2)) click 1 \
    || fail "click at gadget ($x,$y)"
  sleep 0.1
}

# Whether a gadget's caption is drawn as usable: its darkest pixel is text
# colour, not the grey of a disabled gadget or window. The program enables a
# gadget only once it has handled the click before (an algorithm enables the
# sizes, a dialog's end the window): a click sent sooner would be lost.
gadget_drawn_enabled() {
  local x=$1 y=$2 w=$3 h=$4 wx wy darkest
  read -r wx wy < <(xdo getwindowgeometry "$MAIN" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p') || return 1
  import -window root "$WORK/enabled.png" 2>/dev/null || return 1
  darkest=$(convert "$WORK/enabled.png" -crop "${w}x${h}+$((wx + x))+$((wy + MENU_BAR + y))" \
    -colorspace gray -format '%[fx:minima]' info:) || return 1
  awk -v d="$darkest" 'BEGIN { exit !(d < 0.35) }'
}
click_enabled_gadget() {
  wait_until 30 "the gadget at ($1,$2) to be enabled" gadget_drawn_enabled "$@"
  click_gadget "$@"
}

# Gadget places for the 840 x 600 window.
click_list_blank() { click_gadget 10 300 820 20; }
click_clipboard() { click_enabled_gadget 10 405 120 27; }
click_option() {
  case $1 in
    CRC32) click_enabled_gadget 130 468 70 22 ;; MD5) click_enabled_gadget 220 468 70 22 ;;
    SHA1) click_enabled_gadget 310 468 70 22 ;; SHA2) click_enabled_gadget 400 468 70 22 ;;
    SHA3) click_enabled_gadget 490 468 70 22 ;;
    224) click_enabled_gadget 130 498 70 22 ;; 256) click_enabled_gadget 220 498 70 22 ;;
    384) click_enabled_gadget 310 498 70 22 ;; 512) click_enabled_gadget 400 498 70 22 ;;
    *) fail "no option $1" ;;
  esac
}
click_calculate() { click_enabled_gadget 705 535 130 35; }

# Waits for the message dialog, checks its size (which tells the kinds
# apart: 440 x 160 for the job summary, 440 x 120 for notices and questions)
# and answers it with a key (Return = first button, Escape = No).
answer_dialog() {
  local key=$1 expected_size=$2 seconds=${3:-30}
  wait_until "$seconds" "the message dialog" dialog_open
  # A dialog may be between map and its final size, or go and come back,
  # for a moment: its size is polled for a while before it counts as wrong.
  DIALOG="" DIALOG_SIZE=""
  dialog_of_size() {
    DIALOG=$(window_of_program "$DIALOG_TITLE")
    [[ -n $DIALOG ]] || return 1
    DIALOG_SIZE=$(xdo getwindowgeometry "$DIALOG" 2>/dev/null | sed -n 's/.*Geometry: //p') || true
    [[ "$DIALOG_SIZE" == "$1" ]]
  }
  local deadline=$((SECONDS + 3))
  until dialog_of_size "$expected_size"; do
    ((SECONDS < deadline)) || fail "dialog is ${DIALOG_SIZE:-gone}, expected $expected_size"
    sleep 0.05
  done
  local dialog=$DIALOG
  xdo windowfocus --sync "$dialog" || fail "could not focus the dialog"
  xdo key "$key" || fail "could not press $key"
  wait_until 10 "the dialog to close" dialog_closed
}

# Sends the close box's message to the main window.
press_close_box() {
  local attempt
  for attempt in $(seq 1 20); do
    if "$CLOSE_WINDOW" "$MAIN" 2>"$WORK/close.err"; then return 0; fi
    grep -q "Can't open display" "$WORK/close.err" || break
    sleep 0.2
  done
  fail "close_window: $(cat "$WORK/close.err")"
}

# Presses the close box until the question opens. The main window takes no
# input while it is disabled, and it is enabled again only after a dialog has
# gone, so a press that follows a dialog's end very closely is ignored, as a
# user's would be.
request_close() {
  local attempt
  for attempt in $(seq 1 5); do
    press_close_box
    local waited
    for waited in $(seq 1 30); do
      dialog_open && return 0
      sleep 0.1
    done
  done
  fail "the close box raised no question"
}

# Waits for the program to end and checks that it ended with status 0.
expect_exit_zero() {
  wait_until "${1:-10}" "the program to end" program_gone
  local status=0
  wait "$APP_PID" || status=$?
  APP_PID=""
  [[ $status -eq 0 ]] || fail "the program ended with status $status"
}

# The clipboard as the running program offers it, byte for byte.
read_clipboard_to() {
  timeout 10 xclip -o -selection clipboard >"$1" || fail "xclip could not read the clipboard"
}

# Copies every row with the Clipboard button, keeps what the clipboard then
# holds in file $1, and closes the notice that follows.
copy_rows_to() {
  click_list_blank
  click_clipboard
  wait_until 10 "the clipboard notice" dialog_open
  read_clipboard_to "$1"
  answer_dialog Return 440x120
}

# The rows ("path," before any digest) that the files directly in folder $1
# give, in the order the folder lists them; subfolders give none.
folder_rows() {
  local name
  while IFS= read -r name; do
    [[ -d "$1/$name" ]] || printf '%s,\n' "$1/$name"
  done < <(ls -1 -U -A "$1")
}

# Compares two files byte for byte; shows both on a mismatch.
expect_same_file() {
  local got=$1 want=$2 what=$3
  if ! cmp -s "$got" "$want"; then
    echo "--- expected $what ---" >&2
    od -c "$want" | head -n 40 >&2
    echo "--- got ---" >&2
    od -c "$got" | head -n 40 >&2
    fail "$what differs"
  fi
}

# The preferences file the program writes, as bytes.
write_expected_prefs() {
  local out=$1 fingerprint=$2 bits=$3 width=$4 height=$5
  {
    printf '\xef\xbb\xbf\n'
    printf '; Vandrel Preferences\n[Language]\nLanguage = en_GB\n[General]\n'
    printf 'Fingerprint = %s\nBits = %s\n[Window]\n' "$fingerprint" "$bits"
    printf 'WindowWidth = %s\nWindowHeight = %s\n' "$width" "$height"
  } >"$out"
}
