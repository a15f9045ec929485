#!/usr/bin/env bash
# The layering check passes on the tree and fails on a tree with one planted
# upward include, GTK include or product header for tests; the shipped
# programs define no function the test hooks libraries define, nor any of
# the functions that moved there, while a test program that links the hooks
# does (so the symbol search can find them).
# Usage: structure_test.sh SRC-ROOT HOOKED-TEST-PROGRAM FILE...
# where each FILE is a hooks library (*.a) or a shipped program.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$1 hooked=$2
shift 2
hooks_libraries=() programs=()
for file in "$@"; do
  if [[ $file == *.a ]]; then hooks_libraries+=("$file"); else programs+=("$file"); fi
done
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
plant system/files.cpp '#include "settings/text_table.h"'
plant core/ids.h '#include "system/files.h"'
plant app/results_model/results_model.cpp '#include "toolkit/gadgets.h"'
plant app/results_model/results_model.cpp '#include "app/main_window.h"'
plant settings/utf8.cpp '#include <gtk/gtk.h>'
plant toolkit/window.h '// The title as set; for tests.'
plant settings/key_value_file.h '  // exposed for the tests'

# The program's own functions a binary or library defines, demangled; not
# the weak ones, which inline functions and templates leave in every user.
functions_in() {
  nm -C --defined-only "$1" | sed -n 's/^[0-9a-f]* T \(vandrel::.*\)$/\1/p' | sort -u
}
for library in "${hooks_libraries[@]}"; do functions_in "$library"; done | sort -u >"$scratch/hooks"
hooks_in() { comm -12 "$scratch/hooks" <(functions_in "$1"); }
checks=10
[[ ${#programs[@]} -gt 0 ]] || fail "no shipped program to search"
for program in "${programs[@]}"; do
  checks=$((checks + 2))
  [[ -n $(functions_in "$program") ]] || fail "the symbol search finds no function in $program"
  held=$(hooks_in "$program")
  [[ -z $held ]] || fail "$program holds test hooks:"$'\n'"$held"
done
[[ -n $(hooks_in "$hooked") ]] || fail "the symbol search finds no hook in $hooked"

# Functions that moved out of the product into the hooks libraries, by name:
# one that comes back to a product header is caught even after its hooks
# copy is gone. Each must still be defined by a hooks library, so that a
# rename here cannot leave a name that matches nothing.
moved=(sys::IsThread sys::ProgramExitCode checksum_list::ParseList tk::GetGadgetAttribute
  tk::GadgetX tk::GadgetY tk::GadgetHeight DigestOpenDescriptor FileDigestWithReader)
for name in "${moved[@]}"; do
  checks=$((checks + 1))
  grep -q "^vandrel::$name(" "$scratch/hooks" || fail "$name is not in the hooks libraries"
  for program in "${programs[@]}"; do
    if functions_in "$program" | grep -q "^vandrel::$name("; then fail "$program defines $name"; fi
  done
done

echo "$((checks - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]
