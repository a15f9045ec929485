#!/usr/bin/env bash
# vandrelsum against the references it must agree with: coreutils' md5sum ..
# sha512sum (lines byte for byte, -c reports and exit status, error messages
# with their quoted names, lists with NUL bytes and long names, closed
# standard streams), openssl for
# SHA-3, Python's zlib for SFV lists. Also the -r walk, the relative names
# of -c, hostile lists, and the same bytes at any -j. Usage:
# vandrelsum_test.sh path/to/vandrelsum [JOBS]   (JOBS: run every call with -j JOBS)
set -uo pipefail
sum=$(realpath "${1:?usage: $0 path/to/vandrelsum [JOBS]}")
jobs=${2:-}
work=$(mktemp -d /tmp/vandrelsum-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
plain_sum=$sum
# A cross-built program runs through its emulator (VANDREL_EMULATOR, such as
# "qemu-arm -L /"); a small wrapper keeps every call below the same.
if [[ -n ${VANDREL_EMULATOR:-} ]]; then
  printf '#!/bin/sh\nexec %s "%s" "$@"\n' "$VANDREL_EMULATOR" "$sum" >"$work/vandrelsum"
  chmod +x "$work/vandrelsum"
  sum=$work/vandrelsum
  plain_sum=$sum
fi
if [[ -n $jobs ]]; then
  printf '#!/bin/sh\nexec "%s" -j %s "$@"\n' "$sum" "$jobs" >"$work/vandrelsum-jobs"
  chmod +x "$work/vandrelsum-jobs"
  sum=$work/vandrelsum-jobs
fi
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Runs a command, keeping its stdout, its warnings (with the program name
# taken off; error lines are same_messages' business) and its exit status
# in $work/$1.{out,warn,rc}.
capture() {
  local tag=$1
  shift
  "$@" >"$work/$tag.out" 2>"$work/$tag.err"
  echo $? >"$work/$tag.rc"
  sed -E 's/^[a-z0-9]+sum: //' "$work/$tag.err" | grep -E 'WARNING|improperly|no properly|no file was' \
    | sed -E 's/improperly formatted [A-Z0-9]+ checksum/improperly formatted checksum/' \
    >"$work/$tag.warn"
}

# Fails unless the two captures agree in stdout, warnings and exit status.
same() {
  local what=$1 ours=$2 theirs=$3 part
  for part in out warn rc; do
    if ! cmp -s "$work/$ours.$part" "$work/$theirs.$part"; then
      fail "$what: $part differs"
      diff <(od -c "$work/$ours.$part") <(od -c "$work/$theirs.$part") | head -8 >&2
    fi
  done
}

# --- Files with awkward names ---------------------------------------------
files=$work/files
mkdir -p "$files"
cd "$files" || exit 1
printf 'plain' >plain
printf 'spaced' >'with space'
printf 'tab' >$'tab\there'
printf 'back' >'back\slash'
printf 'lf' >$'line\nfeed'
printf 'cr' >$'carriage\rreturn'
printf 'bytes' >$'non-utf8-\xff\xfe'
printf ' lead' >' leading'
printf '' >empty
# Past the size where vandrelsum hands reading to a second thread.
head -c 9000000 /dev/urandom >big
names=(*)

for algo in md5 sha1 sha224 sha256 sha384 sha512; do
  tool=${algo}sum
  capture ours "$sum" -a "$algo" "${names[@]}"
  capture theirs "$tool" "${names[@]}"
  same "$algo lines" ours theirs
  capture ours "$sum" -a "$algo" --tag "${names[@]}"
  capture theirs "$tool" --tag "${names[@]}"
  same "$algo --tag lines" ours theirs
  capture ours "$sum" -a "$algo" -z -b "${names[@]}"
  capture theirs "$tool" -z -b "${names[@]}"
  same "$algo -z -b lines" ours theirs
  capture ours "$sum" -a "$algo" - <big
  capture theirs "$tool" <big
  same "$algo standard input" ours theirs

  # -c on the tool's own list; then one file changed and one removed.
  "$tool" "${names[@]}" >"$work/list"
  printf 'not a checksum line\n' >>"$work/list"
  cp -a "$files" "$work/copy"
  cd "$work/copy" || exit 1
  cp "$work/list" list
  for round in intact damaged; do
    for flags in "" "--quiet" "--status" "--strict" "-w" "--ignore-missing"; do
      # shellcheck disable=SC2086
      capture ours "$sum" -c $flags list
      # shellcheck disable=SC2086
      capture theirs "$tool" -c $flags list
      same "$algo -c $flags ($round)" ours theirs
    done
    printf 'changed' >>plain
    rm -f $'line\nfeed'
  done
  cd "$files" || exit 1
  rm -rf "$work/copy"
done

# Lists nothing in them fits, and lists that cannot be read.
printf 'nothing here\n' >"$work/junk"
capture ours "$sum" -c "$work/junk"
capture theirs sha256sum -c "$work/junk"
same "list without checksum lines" ours theirs
capture ours "$sum" -c "$work/missing-list"
[[ $(cat "$work/ours.rc") == 1 && $(wc -l <"$work/ours.err") == 1 ]] || fail "missing list: one error line, status 1"

# --- Messages, byte for byte ----------------------------------------------
# Runs one command line with each tool in $1 (sha256sum's place taken by
# "SUM") and fails unless stdout, stderr (program name taken off) and exit
# status agree. The command runs through bash, so it may close descriptors.
same_messages() {
  local what=$1 line=$2 tool
  for tool in sha256sum "$sum"; do
    local tag=theirs
    [[ $tool == "$sum" ]] && tag=ours
    bash -c "${line//SUM/\"$tool\"}" >"$work/$tag.out" 2>"$work/$tag.err"
    echo $? >"$work/$tag.rc"
    sed -E 's/^(sha256sum|vandrelsum): //' "$work/$tag.err" >"$work/$tag.warn"
  done
  same "$what" ours theirs
}

# Names quoted in error lines: plain, an option's name (a file after "--"),
# double-quoted, single-quoted with
# $'...' pieces (control bytes, bytes that are not UTF-8), and the odd
# forms a quote before a trailing escape takes.
# shellcheck disable=SC2016
odd_names=(plain --help 'with space' "it's gone" $'line\nfeed' $'tab\there' $'\x01ctl' $'non-utf8-\xff\xfe'
  $'caf\xc3\xa9' 'back\slash' 'dq"x' '$HOME' '~home' 'x~y' '#hash' 'a=b' 'a:b' 'a{b}' '{' "~'"
  "#a'" "it's :" "it's*" $'it\'s\n' $'a\n\'b' $'\x01\'\x01' $'\'\n' $'\xe2\x80\xa8' $'\x1b[31m')
mkdir -p "$work/nothing"
printf '%s\0' "${odd_names[@]}" >"$work/odd-names"
for locale in "${LC_ALL:-C.UTF-8}" C; do
  same_messages "quoted names ($locale)" \
    "cd '$work/nothing' && xargs -0 env LC_ALL=$locale SUM -- <'$work/odd-names'"
done

# -c over lines no file can match: a NUL in a name, a NUL in a digest, a
# name past PATH_MAX; and a list that cannot be read.
good=$(sha256sum plain)
digest=${good%% *}
{
  echo "$good"
  printf '%s  pla\0in\n' "$digest"
  printf 'SHA256 (pl\0ain) = %s\n' "$digest"
  printf '%s\0  plain\n' "$digest"
  printf '%s  %s\n' "$digest" "$(head -c 5000 /dev/zero | tr '\0' n)"
} >"$files/null-list"
same_messages "NUL and long names" "cd '$files' && SUM -c null-list"
same_messages "NUL and long names, --status" "cd '$files' && SUM -c --status null-list"
same_messages "a folder as the list" "SUM -c '$files'"

# Standard streams closed or full.
same_messages "closed stdout" "cd '$files' && SUM plain >&-"
same_messages "full stdout" "cd '$files' && SUM plain >/dev/full"
same_messages "closed stdin" "SUM - <&-"
same_messages "closed stdin as the list" "SUM -c <&-"
same_messages "both closed" "cd '$files' && SUM plain - <&- >&-"
same_messages "nothing written to a closed stdout" "cd '$files' && SUM -c --status null-list >&-"

# A name past the list reader's cap cannot be printed whole, but still fails.
{
  echo "$good"
  printf '%s  %s\n' "$digest" "$(head -c 100000 /dev/zero | tr '\0' z)"
} >"$files/long-list"
capture ours "$sum" -c "$files/long-list"
[[ $(cat "$work/ours.rc") == 1 && $(grep -c 'FAILED open or read$' "$work/ours.out") == 1 ]] ||
  fail "name past the cap: status or report"
if ! grep -q 'z\.\.\.: File name too long$' "$work/ours.err" ||
  ! grep -q 'WARNING: 1 listed file could not be read' "$work/ours.err"; then
  fail "name past the cap: messages"
fi
rm -f "$files/null-list" "$files/long-list"

# --- Lists in other forms --------------------------------------------------
# BSD tags of every algorithm, CRC32 and SHA-3 included, in one list.
: >tags
for algo in crc32 md5 sha1 sha224 sha256 sha384 sha512 sha3-224 sha3-256 sha3-384 sha3-512; do
  "$sum" -a "$algo" --tag plain 'with space' >>tags
done
capture ours "$sum" -c tags
[[ $(grep -c ': OK$' "$work/ours.out") == 22 && $(cat "$work/ours.rc") == 0 ]] || fail "BSD-tagged list"
# The same list must be refused by line when a tag does not fit -a.
capture ours "$sum" -a md5 -c tags
[[ $(grep -c ': OK$' "$work/ours.out") == 2 && $(cat "$work/ours.rc") == 0 ]] || fail "tags under -a md5"

# SHA-3 digests from openssl, named by extension or by -a.
for bits in 224 256 384 512; do
  openssl dgst "-sha3-$bits" -r plain 'with space' big | sed 's/ \*/  /' >"list.sha3-$bits"
  capture ours "$sum" -a "sha3-$bits" plain 'with space' big
  cmp -s "$work/ours.out" "list.sha3-$bits" || fail "sha3-$bits lines differ from openssl"
  capture ours "$sum" -c "list.sha3-$bits"
  [[ $(grep -c ': OK$' "$work/ours.out") == 3 ]] || fail "sha3-$bits list by extension"
done
cp list.sha3-256 sha3list
capture ours "$sum" -a sha3-256 -c sha3list
[[ $(grep -c ': OK$' "$work/ours.out") == 3 ]] || fail "sha3-256 list under -a"

# SFV with comments, CRCs from zlib; then one CRC made wrong.
python3 - "$work/files.sfv" <<'EOF'
import sys, zlib
with open(sys.argv[1], "w") as out:
    out.write("; made by zlib\n")
    for name in ["plain", "with space", "big", "empty"]:
        out.write("%s %08X\n" % (name, zlib.crc32(open(name, "rb").read())))
EOF
cp "$work/files.sfv" .
capture ours "$sum" -c files.sfv
[[ $(grep -c ': OK$' "$work/ours.out") == 4 && $(cat "$work/ours.rc") == 0 ]] || fail "SFV list"
sed -i '2s/ ......../ 00000000/' files.sfv
capture ours "$sum" -c files.sfv
[[ $(grep -c ': FAILED$' "$work/ours.out") == 1 && $(cat "$work/ours.rc") == 1 ]] || fail "SFV list with a wrong CRC"
rm files.sfv

# The window's export: absolute path, comma, digest.
printf '%s,%s\n' "$files/plain" "$(sha1sum plain | cut -c1-40)" >"$work/export.txt"
capture ours "$sum" -c "$work/export.txt"
[[ $(cat "$work/ours.out") == "$files/plain: OK" ]] || fail "export list"

# Names are relative to the list's folder, wherever vandrelsum runs.
sha256sum plain 'with space' >"$files/SUMS"
(cd / && "$sum" -c "$files/SUMS") >"$work/ours.out" || fail "list in another folder: status"
[[ $(grep -c ': OK$' "$work/ours.out") == 2 ]] || fail "list in another folder"
rm "$files/SUMS"

# --- The -r walk -------------------------------------------------------------
tree=$work/tree
mkdir -p "$tree/sub/deeper"
printf a >"$tree/a"
printf b >"$tree/sub/b"
printf c >"$tree/sub/deeper/c"
ln -s .. "$tree/sub/deeper/loop"
ln -s ../a "$tree/sub/link-to-a"
mkfifo "$tree/sub/fifo"
cd "$work" || exit 1
capture ours timeout 20 "$sum" -r tree
sha256sum tree/a tree/sub/b tree/sub/deeper/c tree/sub/link-to-a >"$work/expected"
cmp -s "$work/ours.out" "$work/expected" || fail "-r lines"
grep -q 'fifo.*skipped' "$work/ours.err" || fail "-r does not report the skipped fifo"
[[ $(cat "$work/ours.rc") == 0 ]] || fail "-r status"
capture ours "$sum" tree
[[ $(cat "$work/ours.rc") == 1 ]] || fail "a folder without -r must fail"

# --- Errors and hostile lists ------------------------------------------------
for bad in "-a sha257" "--bogus" "-c --tag" "--quiet x"; do
  # shellcheck disable=SC2086
  capture ours "$sum" $bad
  [[ $(cat "$work/ours.rc") == 1 && $(wc -l <"$work/ours.err") == 1 && ! -s $work/ours.out ]] || fail "usage error: $bad"
done
{
  head -c 10000000 /dev/zero | tr '\0' 'z'
  printf '\n\0\0\0\n'
  sha256sum "$files/plain"
  head -c 200000 /dev/urandom
} >"$work/hostile"
for i in $(seq 200000); do echo "x"; done >>"$work/hostile"
capture ours timeout 60 "$sum" -c "$work/hostile"
grep -q ': OK$' "$work/ours.out" || fail "hostile list: the good line was not checked"
[[ $(cat "$work/ours.rc") == 0 ]] || fail "hostile list: status"
grep -qE 'WARNING: 20[0-9]{4} lines are improperly formatted' "$work/ours.err" || fail "hostile list: count"
capture ours timeout 60 "$sum" -c --strict "$work/hostile"
[[ $(cat "$work/ours.rc") == 1 ]] || fail "hostile list: status with --strict"

# --- The same bytes at any -j --------------------------------------------------
# Reports and messages (unreadable files, skipped fifos, bad lines) interleave
# on one stream exactly as at -j 1, however the files finish.
many=$work/many
mkdir -p "$many"
for i in $(seq 300); do head -c $((i * 37 % 5000)) /dev/urandom >"$many/f$i"; done
head -c 12000000 /dev/urandom >"$many/large"
mkdir "$many/folder"
cd "$work" || exit 1
listed=(many/large missing many/folder tree)
for i in $(seq 300); do listed+=("many/f$i"); ((i % 50)) || listed+=(missing-$i); done
sha256sum many/* 2>/dev/null >"$work/many.sha256"
printf '%s  missing\n' "$(printf '0%.0s' {1..64})" >>"$work/many.sha256"
printf 'bad line\n' >>"$work/many.sha256"
sed -i "100s/^[0-9a-f]\{64\}/$(printf '0%.0s' {1..64})/" "$work/many.sha256"
for args in "-r" "--tag" "-z" "-c -w" "-c --quiet"; do
  inputs=("${listed[@]}")
  [[ $args == -c* ]] && inputs=(many.sha256 missing.sha256 many.sha256)
  # shellcheck disable=SC2086
  "$plain_sum" -j 1 $args "${inputs[@]}" >"$work/j1.all" 2>&1
  echo "rc $?" >>"$work/j1.all"
  (($(wc -l <"$work/j1.all") > 8)) || fail "-j 1 $args: too little output to compare"
  for j in 2 8; do
    # shellcheck disable=SC2086
    "$plain_sum" -j "$j" $args "${inputs[@]}" >"$work/jn.all" 2>&1
    echo "rc $?" >>"$work/jn.all"
    cmp -s "$work/j1.all" "$work/jn.all" || fail "-j $j $args: output differs from -j 1"
  done
done

if ((failures > 0)); then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "all vandrelsum checks passed"
