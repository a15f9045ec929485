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

skip() { echo "SKIPPED: $*"; exit 77; }
command -v dpkg-deb >/dev/null || skip "dpkg-deb is not installed (scripts/deps installs it)"
[[ -f "$deb" ]] || skip "no package at $deb (scripts/package makes it)"
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
# The window takes a click only once the previous one's command has run
# (the sizes are enabled by the algorithm's click, the window by the end of
# a dialog); under an emulator that takes seconds.
settle=0.5
[[ ${#emulator[@]} -eq 0 ]] || settle=3
click_option SHA2
sleep "$settle"
click_option 256
sleep "$settle"
click_calculate
answer_dialog Return 440x160 120
sleep "$settle"
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
