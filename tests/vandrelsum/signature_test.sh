#!/usr/bin/env bash
# vandrelsum -c with signed lists, run as a program on keys and lists the
# real gpg makes (../signature/make-fixtures.sh): each outcome's exit status
# and its line on stderr, nothing checked before every list passed, -c alone
# unchanged, a missing gpg or GPGME, and a gpg home that must stay as it was.
#   signature_test.sh VANDRELSUM MAKE-FIXTURES
set -uo pipefail
sum=$(realpath "$1")
work=$(mktemp -d /tmp/vandrelsum-signature-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$2" "$work/f" >/dev/null || { echo "FAIL: making the keys"; exit 1; }
# A cross-built program runs through its emulator (VANDREL_EMULATOR).
if [[ -n ${VANDREL_EMULATOR:-} ]]; then
  printf '#!/bin/sh\nexec %s "%s" "$@"\n' "$VANDREL_EMULATOR" "$sum" >"$work/vandrelsum"
  chmod +x "$work/vandrelsum"
  sum=$work/vandrelsum
fi
cd "$work/f" || exit 1
export GNUPGHOME=$work/f/user
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
key() { sed 's/..../& /g; s/ $//' "fpr/$1"; }
alice="Alice <alice@example.org>, key $(key alice)"

# expect STATUS STDOUT STDERR-LINE ARGS...: the exit status, the whole of
# standard output, and one line standard error must hold (if not empty).
expect() {
  local status=$1 out=$2 err=$3
  shift 3
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [[ $got == "$status" ]] || fail "$*: exit $got, want $status"
  [[ $(cat "$work/out") == "$out" ]] || fail "$*: stdout '$(cat "$work/out")', want '$out'"
  [[ -z $err ]] || grep -qxF -- "$err" "$work/err" || fail "$*: stderr lacks '$err':$(printf '\n%s' "$(cat "$work/err")")"
}
c() { echo "cases/$1/list"; }
ok='../../hello: OK'
expect 0 "$ok" "vandrelsum: $(c good-asc): good signature ($(c good-asc).asc) by $alice" \
  "$sum" -c --signature "$(c good-asc)"
expect 0 "$ok" "vandrelsum: $(c clear): good signature by $alice" \
  "$sum" -c --fingerprint="$(tr A-F a-f <fpr/alice | sed 's/..../& /g')" "$(c clear)"
expect 0 "$ok" "vandrelsum: $(c uncertified-sig): good signature ($(c uncertified-sig).sig) by Carol <carol@example.org>, key $(key carol)" \
  "$sum" -c --keyring=carol.asc "$(c uncertified-sig)"
# A refused list stops every list before any file is read.
expect 1 "" "vandrelsum: $(c other-file-sign): BAD signature ($(c other-file-sign).sign): the list was changed after it was signed" \
  "$sum" -c --signature "$(c good-asc)" "$(c other-file-sign)"
expect 1 "" "vandrelsum: $(c unknown-gpg): signed ($(c unknown-gpg).gpg) by a key that is not in your keyring (key $(key mallory))" \
  "$sum" -c --signature "$(c unknown-gpg)"
expect 1 "" "vandrelsum: $(c good-asc): signed ($(c good-asc).asc) by $alice, not by the expected key $(key carol)" \
  "$sum" -c --fingerprint="$(cat fpr/carol)" "$(c good-asc)"
expect 1 "" "vandrelsum: $(c none): no signature: the list is not clearsigned, and neither $(c none).asc nor its .sig, .gpg or .sign sibling exists" \
  "$sum" -c --signature "$(c none)"
expect 1 "" "vandrelsum: $(c clear-wrapped): 11 lines lie outside the signed text, the first on line 1: only a wholly signed list is checked" \
  "$sum" -c --signature "$(c clear-wrapped)"
expect 1 "" "vandrelsum: not a full fingerprint (40 or 64 hex digits): 1234 (try 'vandrelsum --help')" \
  "$sum" -c --fingerprint=1234 "$(c good-asc)"

# Without --signature a clearsigned list is read as any list, as sha256sum reads it.
cd cases/clear || exit 1
sha256sum -c list >"$work/theirs" 2>"$work/theirs.err"
expect $? "$(cat "$work/theirs")" "$(grep WARNING "$work/theirs.err" | sed 's/^sha256sum/vandrelsum/')" \
  "$sum" -c list
# A clearsigned list on standard input, read whole once.
expect 0 "$ok" "vandrelsum: 'standard input': good signature by $alice" \
  sh -c '"$0" -c --signature - <list' "$sum"
cd ../.. || exit 1

# A gpg home that does not exist is not made.
GNUPGHOME=$work/absent expect 1 "" "vandrelsum: $(c good-asc): signed ($(c good-asc).asc) by a key that is not in your keyring (key $(key alice))" \
  "$sum" -c --signature "$(c good-asc)"
[[ ! -e $work/absent ]] || fail "the absent gpg home was made"

# No gpg at all: /usr/bin hidden in a private mount namespace (where the
# emulator lives too, under emulation).
if [[ -n ${VANDREL_EMULATOR:-} ]]; then
  echo "SKIPPED: the missing gpg and GPGME (the emulator would be hidden with gpg)"
elif unshare -m true 2>/dev/null; then
  without_gpg() { unshare -m bash -c 'mount -t tmpfs tmpfs /usr/bin && exec "$@"' _ "$@"; }
  expect 1 "" "vandrelsum: $(c good-asc): the signature cannot be checked: GnuPG's gpg is not installed or cannot be run (Invalid crypto engine)" \
    without_gpg "$sum" -c --signature "$(c good-asc)"
  expect 0 "$ok" "" without_gpg "$sum" -c "$(c good-asc)"
  # No GPGME: -c alone still runs, since the program loads it only to check.
  without_gpgme() {
    unshare -m bash -c 'for l in /usr/lib/*/libgpgme.so.11; do mount --bind /dev/null "$l"; done &&
      exec "$@"' _ "$@"
  }
  expect 1 "" "" without_gpgme "$sum" -c --signature "$(c good-asc)"
  grep -qF "$(c good-asc): the signature cannot be checked: GPGME (libgpgme.so.11) is not installed or cannot be loaded (" "$work/err" ||
    fail "no GPGME: $(cat "$work/err")"
  expect 0 "$ok" "" without_gpgme "$sum" -c "$(c good-asc)"
else
  echo "SKIPPED: the missing gpg and GPGME (no mount namespace here)"
fi

[[ $failures -eq 0 ]] || exit 1
echo "vandrelsum signature test passed"
