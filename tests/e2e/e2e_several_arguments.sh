#!/usr/bin/env bash
# Several paths on the command line, as a file manager passes its selection:
# every one goes into the list in the order given (a folder with its files,
# a missing path adds nothing), read back through the Clipboard export.
source "$(dirname "$0")/e2e_lib.sh"

FOLDER="$WORK/picked folder"
mkdir -p "$FOLDER/inner"
echo a >"$FOLDER/a.txt"
echo b >"$FOLDER/b.txt"
echo skipped >"$FOLDER/inner/skipped.txt"
FIRST="$WORK/first file.txt"
LAST="$WORK/last, with comma.txt"
echo first >"$FIRST"
echo last >"$LAST"

start_program "$FIRST" "$FOLDER" "$WORK/not there" "$LAST"

{
  printf '%s,\n' "$FIRST"
  folder_rows "$FOLDER"
  printf '%s,\n' "$LAST"
} >"$WORK/want"

copy_rows_to "$WORK/got"
expect_same_file "$WORK/got" "$WORK/want" "rows from the command line"
echo "PASS $TEST_NAME"
