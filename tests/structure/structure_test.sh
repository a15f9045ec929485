#!/usr/bin/env bash
# The layering check passes on the tree and fails on a tree with one planted
# upward include or GTK include; the shipped programs hold no test hook,
# while a test program that links the hooks does (so the symbol search can
# find them). Usage: structure_test.sh SRC-ROOT PROGRAM HOOKED-TEST-PROGRAM
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$1 program=$2 hooked=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$here/check-layers" "$src" || fail "the tree itself breaks the layers"

plant() {  # plant FILE LINE: a copy of the tree with LINE added to FILE must fail
  rm -rf "$scratch/src" && cp -r "$src" "$scratch/src"
  printf '%s\n' "$2" >>"$scratch/src/$1"
  if "$here/check-layers" "$scratch/src" 2>/dev/null; then fail "not caught: $2 in $1"; fi
}
plant digest/digest_engine.cpp '#include "app/main_window.h"'
plant settings/preferences.cpp '#include "toolkit/window.h"'
plant system/files.cpp '#include "settings/program.h"'
plant core/ids.h '#include "system/files.h"'
plant settings/utf8.cpp '#include <gtk/gtk.h>'

hook_symbols='vandrel::tk::testing::|CountQueuedEvents|HelpWatching'
hooks_in() { nm -C "$1" | grep -cE "$hook_symbols" || true; }
[[ $(hooks_in "$program") -eq 0 ]] || fail "$program holds test hooks"
[[ $(hooks_in "$hooked") -gt 0 ]] || fail "the symbol search finds no hook in $hooked"

echo "$((7 - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]
