#!/usr/bin/env bash
# A 3 GiB file moves the progress bar while it is read: sampled from outside
# through AT-SPI, the bar's value rises at least five times during the job,
# and the row's digest is md5sum's. The file is sparse, so it is read
# from memory and costs no disk.
source "$(dirname "$0")/e2e_atspi_lib.sh"

BIG="$WORK/disk image.img"
truncate -s 3G "$BIG"
start_program "$BIG"
click_option MD5
click_calculate
$PROBE progress "$APP_PID" >"$WORK/values" || fail "the progress bar could not be read"
rises=$(awk 'NR > 1 && $1 > last { n++ } { last = $1 } END { print n + 0 }' "$WORK/values")
((rises >= 5)) || fail "the bar rose $rises times: $(tr '\n' ' ' <"$WORK/values")"
answer_dialog Return 440x160 120
copy_rows_to "$WORK/got"
printf '%s,%s\n' "$BIG" "$(md5sum <"$BIG" | cut -d' ' -f1)" >"$WORK/want"
expect_same_file "$WORK/got" "$WORK/want" "the big file's row"
echo "PASS $TEST_NAME"
