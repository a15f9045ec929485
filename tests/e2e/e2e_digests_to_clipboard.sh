#!/usr/bin/env bash
# Starts the program on a folder, computes SHA-256 and then MD5 digests with
# the real window, copies the list to the clipboard after each job and
# compares it byte for byte with sha256sum and md5sum over the same files,
# in the folder's own listing order. Ends through the close box.
source "$(dirname "$0")/e2e_lib.sh"

DATA="$WORK/data folder"
mkdir -p "$DATA/subfolder"
echo "not listed" >"$DATA/subfolder/inner.txt"
: >"$DATA/empty"
printf 'hello\n' >"$DATA/hello.txt"
printf 'x' >"$DATA/.hidden"
printf 'commas, spaces and ümlauts\n' >"$DATA/name, with comma ü.txt"
# Two whole read chunks and a part of a third.
head -c $((2 * 1024 * 1024 + 1234)) /dev/urandom >"$DATA/big.bin"

# Expected export: one "path,digest" line per non-folder entry, in the order
# the directory yields them (the program does not sort). The path is the
# folder argument with a slash, then the name.
expected_export() {
  local tool=$1 out=$2 name
  : >"$out"
  while IFS= read -r name; do
    [[ -d "$DATA/$name" ]] && continue
    printf '%s,%s\n' "$DATA/$name" "$("$tool" <"$DATA/$name" | cut -d' ' -f1)" >>"$out"
  done < <(ls -1 -U -A "$DATA")
}

# One job: choose the options, calculate, answer the summary, copy the list.
run_job_and_copy() {
  local got=$1
  shift
  local option
  for option in "$@"; do click_option "$option"; done
  click_calculate
  answer_dialog Return 440x160 60
  click_list_blank
  click_clipboard
  wait_until 10 "the clipboard notice" dialog_open
  read_clipboard_to "$got"
  answer_dialog Return 440x120
}

start_program "$DATA"

expected_export sha256sum "$WORK/want-sha256"
run_job_and_copy "$WORK/got-sha256" SHA2 256
expect_same_file "$WORK/got-sha256" "$WORK/want-sha256" "SHA-256 clipboard export"
[[ $(wc -l <"$WORK/want-sha256") -eq 5 ]] || fail "expected five rows, the subfolder skipped"

expected_export md5sum "$WORK/want-md5"
run_job_and_copy "$WORK/got-md5" MD5
expect_same_file "$WORK/got-md5" "$WORK/want-md5" "MD5 clipboard export"

request_close
answer_dialog Return 440x120
expect_exit_zero
# MD5 is algorithm 1; the size options kept 256 (1) while disabled.
write_expected_prefs "$WORK/want-prefs" 1 1 840 600
expect_same_file "$PREFS" "$WORK/want-prefs" "preferences file"
echo "PASS $TEST_NAME"
