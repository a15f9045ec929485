#!/usr/bin/env bash
# The keyboard accelerators of the real window: each does its command, none
# works while its button is disabled or while a dialog is open, and Delete
# removes rows only from the results list, not text from the source field.
source "$(dirname "$0")/e2e_lib.sh"

DATA="$WORK/data"
mkdir -p "$DATA"
printf 'first\n' >"$DATA/a.txt"
printf 'second\n' >"$DATA/b.txt"

press() {
  xdo windowfocus --sync "$MAIN" || fail "could not focus the main window"
  xdo key "$1" || fail "could not press $1"
}
# Nothing opens within a second.
expect_no_dialog() {
  sleep 1
  dialog_open && fail "$1"
  return 0
}
expected_md5_export() {
  local name
  for name in "$@"; do
    printf '%s,%s\n' "$DATA/$name" "$(md5sum <"$DATA/$name" | cut -d' ' -f1)"
  done
}
copy_list_to() {
  press ctrl+shift+c
  wait_until 10 "the clipboard notice after Ctrl+Shift+C" dialog_open
  read_clipboard_to "$1"
  answer_dialog Return 440x120
}

start_program "$DATA"
click_option MD5
press ctrl+Return
answer_dialog Return 440x160 60
copy_list_to "$WORK/got"
(cd "$DATA" && ls -1 -U) >"$WORK/order"
mapfile -t names <"$WORK/order"
expected_md5_export "${names[@]}" >"$WORK/want"
expect_same_file "$WORK/got" "$WORK/want" "list computed with Ctrl+Return and copied with Ctrl+Shift+C"

# Delete in the source field edits the field; in the list it asks to remove
# the selected row.
click_gadget 10 10 700 25
press Delete
expect_no_dialog "Delete in the source field raised a question"
click_gadget 10 80 400 20
press Delete
answer_dialog Return 440x120
copy_list_to "$WORK/got"
expected_md5_export "${names[1]}" >"$WORK/want"
expect_same_file "$WORK/got" "$WORK/want" "list after Delete removed the first row"

# While a dialog is open the main window's keys do nothing.
press ctrl+shift+c
wait_until 10 "the clipboard notice" dialog_open
press ctrl+Return
sleep 1
answer_dialog Return 440x120
expect_no_dialog "Ctrl+Return pressed under a dialog started a job"

# With the list cleared, Calculate, Save and Copy are disabled, and so are
# their keys.
click_gadget 710 405 120 27
answer_dialog Return 440x120
for keys in ctrl+Return ctrl+s ctrl+shift+c; do
  press "$keys"
  expect_no_dialog "$keys worked with an empty list"
  [[ -z "$(window_of_program 'Save checksums')" ]] || fail "$keys opened the save requester"
done

press ctrl+o
wait_until 10 "the file requester after Ctrl+O" eval '[[ -n "$(window_of_program "Choose files")" ]]'
chooser=$(window_of_program "Choose files")
xdo windowfocus --sync "$chooser" && xdo key Escape
wait_until 10 "the file requester to close" eval '[[ -z "$(window_of_program "Choose files")" ]]'

sleep 0.3
press ctrl+q
answer_dialog Return 440x120
expect_exit_zero
