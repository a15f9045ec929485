#!/usr/bin/env bash
# Makes, with the real gpg, the keys and signed lists the signature tests
# check: a user's home (GNUPGHOME) holding Alice (the user's own key), Carol
# (imported, not certified), Old (expired) and Rex (revoked); Mallory's key
# only elsewhere; key files; and one folder per case under cases/, each a
# list with its signature beside it. Fingerprints go to fpr/NAME.
#   make-fixtures.sh FOLDER     (FOLDER must be new or empty)
set -euo pipefail
out=$1
mkdir -p "$out"/{user,other,fpr,cases} && chmod 700 "$out/user" "$out/other"
cd "$out"
stop_agents() { for h in user other; do gpgconf --homedir "$out/$h" --kill all 2>/dev/null || true; done; }
trap stop_agents EXIT
g() { gpg --homedir "$out/user" --batch --quiet --passphrase '' --pinentry-mode loopback "$@"; }
o() { gpg --homedir "$out/other" --batch --quiet --passphrase '' --pinentry-mode loopback "$@"; }
fpr() { awk -F: '/^fpr/ { print $10; exit }'; }

g --quick-gen-key 'Alice <alice@example.org>' ed25519 sign never
g --faked-system-time 20200101T000000 --quick-gen-key 'Old <old@example.org>' ed25519 sign 1d 2>/dev/null
g --quick-gen-key 'Rex <rex@example.org>' ed25519 sign never
o --quick-gen-key 'Carol <carol@example.org>' ed25519 sign never
o --quick-gen-key 'Mallory <mallory@example.org>' ed25519 sign never
for who in alice old rex; do g --with-colons -k "$who@example.org" | fpr >"fpr/$who"; done
for who in carol mallory; do o --with-colons -k "$who@example.org" | fpr >"fpr/$who"; done
o --armor --export carol@example.org >carol.asc
o --armor --export-secret-keys carol@example.org >secret.asc
g --import carol.asc
g --armor --export old@example.org >old.asc

printf 'hello\n' >hello
printf '%s  ../../hello\n' "$(sha256sum <hello | cut -d' ' -f1)" >list
printf 'another list\n' >other-list
sign() { local who=$1 home=$2; shift 2; "$home" -u "$who@example.org" "$@"; }
sign alice g --detach-sign --armor -o alice.asc list
sign alice g --detach-sign --armor -o other.asc other-list
sign old g --faked-system-time 20200101T010000 --detach-sign --armor -o old-signed.asc list 2>/dev/null
sign rex g --detach-sign --armor -o rex-signed.asc list
sign carol o --detach-sign -o carol.sig list
sign mallory o --detach-sign --armor -o mallory.asc list
sign alice g --sign -o inline.gpg list
# Rex's key is revoked only after it signed; its key file carries the revocation.
sed 's/^:-----/-----/' "user/openpgp-revocs.d/$(cat fpr/rex).rev" | g --import
g --armor --export rex@example.org >rex.asc
# Many key blocks, none of them Alice's (the test keys over and over), just
# under the key file ceiling.
for _ in $(seq 180); do cat carol.asc old.asc rex.asc; done >many.asc

# case NAME SIGNATURE-NAME [SOURCE]: a folder with the list and SOURCE as
# the signature beside it (no SOURCE: the list alone).
case_dir() {
  mkdir -p "cases/$1"
  cp list "cases/$1/list"
  [[ -z ${3:-} ]] || cp "$3" "cases/$1/$2"
}
case_dir good-asc list.asc alice.asc
case_dir uncertified-sig list.sig carol.sig
case_dir unknown-gpg list.gpg mallory.asc
case_dir other-file-sign list.sign other.asc
case_dir expired list.asc old-signed.asc
case_dir revoked list.asc rex-signed.asc
case_dir none list
case_dir inline list.asc inline.gpg
case_dir named list
cat alice.asc mallory.asc >good-and-unknown.asc
case_dir good-and-unknown list.asc good-and-unknown.asc
cat alice.asc other.asc >good-and-bad.asc
case_dir good-and-bad list.asc good-and-bad.asc
printf -- '-----BEGIN PGP SIGNATURE-----\n\nnot armour at all!\n-----END PGP SIGNATURE-----\n' >garbage.asc
case_dir garbage list.asc garbage.asc
head -c 200 alice.asc >truncated.asc
case_dir truncated list.asc truncated.asc
{ echo '-----BEGIN PGP SIGNATURE-----'; cat alice.asc; } >doubled.asc
case_dir doubled-header list.asc doubled.asc
case_dir huge list.asc
truncate -s 100M cases/huge/list.asc

# Clearsigned: a dash-escaped line; lines around the block and a second block.
{ cat list; echo '- a line gpg dash-escapes'; } >clear-text
mkdir -p cases/clear cases/clear-wrapped cases/clear-stray cases/clear-big
sign alice g --clearsign -o cases/clear/list clear-text
sign alice g --clearsign -o second-block other-list
{ echo 'before the block'; cat cases/clear/list; echo 'after it'; cat second-block; } \
  >cases/clear-wrapped/list
sed '/^Hash:/a\
\
-----BEGIN PGP SIGNED MESSAGE-----' cases/clear/list >cases/clear-stray/list
# Ten megabytes clearsigned, then one byte of it changed.
seq 150000 | awk '{ printf "%064d  file%d\n", $1, $1 }' >big-text
sign alice g --clearsign -o cases/clear-big/list big-text
sed -i 's/  file77777$/  file77778/' cases/clear-big/list
