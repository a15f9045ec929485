# SPDX-License-Identifier: MIT
# Shared by the package tests: skip() ends a test as skipped (77) with the
# reason, and need_package skips unless DEB is there and no newer than the
# sources it was built from (a test build makes no package; scripts/package
# does, as CI runs it first).
skip() { echo "SKIPPED: $*"; exit 77; }

need_package() {
  local deb=$1 sources
  command -v dpkg-deb >/dev/null || skip "dpkg-deb is not installed (scripts/deps installs it)"
  [[ -f "$deb" ]] || skip "no package at $deb (scripts/package makes it)"
  sources=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  [[ -z $(find "$sources"/{CMakeLists.txt,cmake,debian,help,lang,packaging,resources,src} -newer "$deb" \
    ! -path '*/screenshots*' -print -quit) ]] || skip "$deb is older than the sources (scripts/package)"
}
