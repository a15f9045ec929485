#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The installed package, run as a user would run it: unpacks a .deb into a
# scratch root with dpkg -x, starts the program through its /usr/bin link
# (under an emulator such as qemu-arm when given) with the program folder
# read-only to it, and checks that the languages are found, the window
# shows, a SHA-256 digest is right, and the preferences go to the per-user
# folder and nowhere near the program.
#   package_test.sh PROGRAM-UNUSED CLOSE_WINDOW DEB [EMULATOR ARGS...]
# Exits 77 (skipped) with the reason printed when the tools are missing.
program_arg=$1 close_arg=$2 deb=$3
shift 3
emulator=("$@")

source "$(dirname "$0")/package_lib.sh"
need_package "$deb"
if [[ ${#emulator[@]} -gt 0 ]]; then
  command -v "${emulator[0]}" >/dev/null || skip "${emulator[0]} is not installed (scripts/deps armhf)"
fi

source "$(dirname "$0")/../e2e/e2e_lib.sh" "$program_arg" "$close_arg"

# A language other than the fallback: it is kept only when the program
# finds its language files beside itself.
export LANG=de_DE.UTF-8
# The German dialog title: a dialog found by it proves the texts were loaded.
DIALOG_TITLE=Meldung
ROOT="$WORK/root"
dpkg-deb -x "$deb" "$ROOT" || fail "dpkg-deb -x $deb"
[[ -x "$ROOT/usr/bin/vandrel" ]] || fail "the package has no /usr/bin/vandrel"
# GPGME is loaded only to check a signature: recommended, and neither it nor
# the gpg it depends on is a dependency.
[[ $(dpkg-deb -f "$deb" Depends) != *gpg* ]] || fail "depends on GPGME: $(dpkg-deb -f "$deb" Depends)"
[[ $(dpkg-deb -f "$deb" Recommends) == libgpgme11* ]] || fail "does not recommend libgpgme11"

# The desktop entries by their validator, the file-manager actions by the
# keys their readers know (desktop-file-validate rejects Type=Action).
desktop-file-validate "$ROOT"/usr/share/applications/*.desktop || fail "desktop-file-validate"
/usr/bin/python3 "$(dirname "$0")/check-actions" "$ROOT" || fail "the file-manager actions"
for name in vandrel vandrelsum; do
  [[ -f "$ROOT/usr/share/bash-completion/completions/$name" ]] ||
    fail "no bash completion of $name where bash-completion loads it on demand"
done
# Every language the program offers has its manual page beside the program.
for language in "$ROOT"/usr/lib/vandrel/Vandrel.lang/*.language; do
  code=$(basename "$language" .language)
  [[ -s "$ROOT/usr/lib/vandrel/help/$code.html" ]] || fail "no manual page for $code"
done

# What a file manager does with the package's MIME data and entries: a
# checksum list gets the list type and opens through the hidden entry that
# verifies it; archives, disk images and unknown data are not Vandrel's.
# The databases dpkg's triggers build on installation.
update-mime-database "$ROOT/usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
update-desktop-database "$ROOT/usr/share/applications" || fail "update-desktop-database"
# The package's programs on PATH, as when it is installed: entries whose
# TryExec program is missing are ignored.
gio_in_root() {
  PATH="$ROOT/usr/bin:$PATH" LC_ALL=C.UTF-8 XDG_DATA_DIRS="$ROOT/usr/share:/usr/share" XDG_DATA_HOME="$WORK/no-user-data" \
    XDG_CONFIG_HOME="$WORK/no-user-config" gio "$@"
}
mkdir -p "$WORK/lists"
for name in SHA256SUMS MD5SUMS image.img.sha256 image.img.SHA3-512 disk.sfv; do
  printf '%s  image.img\n' "$(printf '%064d' 0)" >"$WORK/lists/$name"
  type=$(gio_in_root info -a standard::content-type "$WORK/lists/$name" | sed -n 's/^ *standard::content-type: //p')
  [[ $type == text/x-checksum-list ]] || fail "$name is $type to a file manager, not a checksum list"
done
handler=$(gio_in_root mime text/x-checksum-list | sed -n 's/^Default application for .*: //p')
[[ $handler == io.github.vandrel.Vandrel.Verify.desktop ]] ||
  fail "checksum lists open with '$handler', not the Verify entry"
grep -qx 'Exec=vandrel --verify -- %F' "$ROOT/usr/share/applications/$handler" ||
  fail "the Verify entry does not run vandrel --verify"
for type in application/zip application/x-cd-image application/vnd.debian.binary-package \
  application/octet-stream application/gzip application/x-raw-disk-image; do
  gio_in_root mime "$type" | grep -q 'io\.github\.vandrel' && fail "Vandrel claims $type"
done

DATA="$WORK/data"
mkdir -p "$DATA"
head -c 300000 /dev/urandom >"$DATA/sample.bin"
chmod 0755 "$WORK" "$DATA"
chmod 0644 "$DATA/sample.bin"

# The program runs through a small starter that keeps its process id (every
# step execs), so the test finds its window by it. Root may write anywhere,
# so as root the program runs as nobody; otherwise the tree is made read-only.
launcher="$WORK/start-vandrel"
if [[ $(id -u) -eq 0 ]]; then
  command -v setpriv >/dev/null || skip "setpriv is not installed"
  cp "${XAUTHORITY:-/dev/null}" "$WORK/xauthority" 2>/dev/null || : >"$WORK/xauthority"
  chown -R nobody "$HOME" "$WORK/xauthority"
  printf '#!/bin/sh\nexport XAUTHORITY=%q\nexec setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all %s %q "$@"\n' \
    "$WORK/xauthority" "${emulator[*]}" "$ROOT/usr/bin/vandrel" >"$launcher"
else
  chmod -R a-w "$ROOT"
  printf '#!/bin/sh\nexec %s %q "$@"\n' "${emulator[*]}" "$ROOT/usr/bin/vandrel" >"$launcher"
fi
chmod 0755 "$launcher"
VANDREL=$launcher

start_program "$DATA/sample.bin"
# The window icon for task bars and switchers, in small and large sizes.
icons=$(xprop -id "$MAIN" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ' || true)
for size in 16 32 48 128; do
  [[ $icons == *"Icon ($size x $size)"* ]] || fail "no $size px window icon; the window has: ${icons:-none}"
done
# Each click waits for its gadget to be drawn enabled: the sizes are enabled
# by the algorithm's click, the window by the end of a dialog, which under an
# emulator takes seconds.
click_option SHA2
click_option 256
click_calculate
answer_dialog Return 440x160 120
click_list_blank
click_clipboard
wait_until 30 "the clipboard notice" dialog_open
read_clipboard_to "$WORK/got"
answer_dialog Return 440x120
printf '%s,%s\n' "$DATA/sample.bin" "$(sha256sum <"$DATA/sample.bin" | cut -d' ' -f1)" >"$WORK/want"
expect_same_file "$WORK/got" "$WORK/want" "SHA-256 of the sample"

request_close
answer_dialog Return 440x120
expect_exit_zero 30

# The command-line program, when the package has it, prints what sha256sum does.
if [[ -e "$ROOT/usr/bin/vandrelsum" ]]; then
  got=$(cd "$DATA" && "${emulator[@]}" "$ROOT/usr/bin/vandrelsum" sample.bin) || fail "vandrelsum failed"
  want=$(cd "$DATA" && sha256sum sample.bin)
  [[ $got == "$want" ]] || fail "vandrelsum printed '$got', sha256sum '$want'"
fi

[[ -e "$ROOT/usr/lib/vandrel/Vandrel.prefs" ]] && fail "preferences were written into the program folder"
[[ -f "$PREFS" ]] || fail "no preferences in the per-user folder $PREFS"
grep -q '^Language = de_DE' "$PREFS" || fail "the language files were not found: $(grep Language "$PREFS")"
grep -q '^Fingerprint = 3' "$PREFS" && grep -q '^Bits = 1' "$PREFS" ||
  fail "the preferences do not hold the chosen algorithm and size"
echo "package test passed: ${emulator[*]:-native} $(basename "$deb")"
