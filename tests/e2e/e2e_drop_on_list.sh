#!/usr/bin/env bash
# Drag and drop from another program: a folder and a file dropped together
# on the results list add the folder's files (hidden ones too, no subfolder)
# and then the file, in that order; a drop on another gadget adds nothing.
# The rows are read back through the Clipboard export.
source "$(dirname "$0")/e2e_lib.sh"
DRAG_SOURCE=$(readlink -f "$3")

# Names with a space and a non-ASCII letter arrive percent-encoded in the URIs.
FOLDER="$WORK/dropped folder ü"
mkdir -p "$FOLDER/inner"
echo one >"$FOLDER/one.txt"
echo hidden >"$FOLDER/.hidden"
echo inner >"$FOLDER/inner/skipped.txt"
SINGLE="$WORK/single file.txt"
echo single >"$SINGLE"

start_program
"$DRAG_SOURCE" "$FOLDER" "$SINGLE" >"$WORK/drag.log" 2>&1 &
DRAG_PID=$!
HELPER_PIDS+=("$DRAG_PID")
source_shown() { [[ -n "$(xdo search --all --pid "$DRAG_PID" --onlyvisible --name '^Drag source$' 2>/dev/null)" ]]; }
wait_until 10 "the drag source window" source_shown

# Drags from the source window's centre to a point of the main window, in
# small steps as a hand would, so GTK sees the drag start and the target.
drag_to() {
  local x=$1 y=$2 step
  xdo mousemove 80 60 || fail "pointer to the drag source"
  sleep 0.15
  xdo mousedown 1 || fail "mouse down"
  for step in 1 2 3 4 5; do
    xdo mousemove --window "$MAIN" $((x - 50 + step * 10)) $((y - 50 + step * 10)) \
      || fail "drag step"
    sleep 0.15
  done
  xdo mouseup 1 || fail "mouse up"
  sleep 0.5
}

# Onto the Calculate button (disabled, no rows yet): ignored.
drag_to $((705 + 65)) $((535 + MENU_BAR + 17))
# Onto the list.
drag_to $((10 + 410)) $((63 + MENU_BAR + 160))

{
  folder_rows "$FOLDER"
  printf '%s,\n' "$SINGLE"
} >"$WORK/want"

copy_rows_to "$WORK/got"
expect_same_file "$WORK/got" "$WORK/want" "rows after the drop"
echo "PASS $TEST_NAME"
