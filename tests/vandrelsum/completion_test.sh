#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of vandrelsum or vandrel, loaded on demand by
# bash-completion's own loader from a completions folder, then asked as bash
# asks it: the options, vandrelsum's algorithm names after -a /
# --algorithm=, file names after them and after "--". The options and names
# must be the ones the program itself takes.
#   completion_test.sh COMPLETION_FILE PROGRAM [EMULATOR ARGS...]
# The completion file is named after the program. Exits 77 (skipped) when
# bash-completion is not installed.
file=$1 program=$2
name=$(basename "$file")
shift 2
emulator=("$@")
library=/usr/share/bash-completion/bash_completion
[[ -r $library ]] || { echo "SKIPPED: bash-completion is not installed (scripts/deps installs it)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/completions" "$work/files/photos"
ln -s "$file" "$work/data/completions/$name"
touch "$work/files/image.img" "$work/files/image.sha256" "$work/files/-odd"
cd "$work/files" || exit 1

export BASH_COMPLETION_USER_DIR=$work/data
# shellcheck source=/dev/null
source "$library"
_completion_loader "$name"
[[ $(complete -p "$name" 2>/dev/null) == *"-F _$name $name"* ]] ||
  { echo "FAIL: the loader did not register _$name"; exit 1; }

failures=0
# Outside a completion bash started itself, compopt refuses to run.
compopt() { :; }
# Completes the last of the words bash would hand over (it splits at "=")
# and prints the sorted candidates on one line.
candidates() {
  local line=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  "_$name" "$name" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
  local what=$1 want=$2 got=$3
  if [[ $got != "$want" ]]; then
    echo "FAIL: $what: got '$got', want '$want'"
    failures=$((failures + 1))
  fi
}

# what | line as typed | words as bash splits it | expected candidates; the
# lines for the program under test.
while IFS='|' read -r what line words want; do
  [[ ${words%% *} == "$name" ]] || continue
  read -r -a split <<<"$words"
  [[ $line == *' ' ]] && split+=("")
  expect "$what" "$want" "$(candidates "$line" "${split[@]}")"
done <<'CASES'
long option prefix|vandrelsum --al|vandrelsum --al|--algorithm=
check options|vandrelsum -c --st|vandrelsum -c --st|--status --strict
names after -a|vandrelsum -a sha3-|vandrelsum -a sha3-|sha3-224 sha3-256 sha3-384 sha3-512
names after --algorithm=|vandrelsum --algorithm=sha5|vandrelsum --algorithm = sha5|sha512
all names after -a|vandrelsum -a |vandrelsum -a|crc32 md5 sha1 sha224 sha256 sha3-224 sha3-256 sha3-384 sha3-512 sha384 sha512
files after the name|vandrelsum -a sha256 ima|vandrelsum -a sha256 ima|image.img image.sha256
folders too|vandrelsum -r pho|vandrelsum -r pho|photos
a dash file after --|vandrelsum -c -- -o|vandrelsum -c -- -o|-odd
nothing after --version|vandrelsum --version |vandrelsum --version|
nothing after -j|vandrelsum -j |vandrelsum -j|
calculate's files|vandrel --calculate ima|vandrel --calculate ima|image.img image.sha256
a dash file after -- too|vandrel --verify -- -o|vandrel --verify -- -o|-odd
files after --keyring=|vandrelsum --keyring=ima|vandrelsum --keyring = ima|image.img image.sha256
nothing after --fingerprint|vandrelsum --fingerprint |vandrelsum --fingerprint|
CASES

# Every option the program's help names is offered, and nothing else.
help=$("${emulator[@]}" "$program" --help) || { echo "FAIL: $name --help"; exit 1; }
want=$(grep -oE '(^|[ ,])--?[a-z][a-z-]*=?' <<<"$help" | grep -oE -- '--?[a-z][a-z-]*=?' |
  sed 's/^\(--algorithm\)=\?$/\1=/' | LC_ALL=C sort -u | tr '\n' ' ' | sed 's/ $//')
expect "options against --help" "$want" "$(candidates "$name -" "$name" -)"

# Every algorithm name offered is one vandrelsum takes.
[[ $name == vandrelsum ]] && for algorithm in $(candidates 'vandrelsum -a ' vandrelsum -a ''); do
  "${emulator[@]}" "$program" -a "$algorithm" </dev/null >/dev/null 2>&1 ||
    { echo "FAIL: vandrelsum rejects the offered name $algorithm"; failures=$((failures + 1)); }
done

[[ $failures -eq 0 ]] || exit 1
echo "completion test passed"
