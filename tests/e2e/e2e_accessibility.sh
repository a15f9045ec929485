#!/usr/bin/env bash
# The window through a screen reader's eyes: runs the program and the AT-SPI
# walk in a private session bus. Skipped, with the reason, where the
# accessibility packages are missing (scripts/deps installs them).
set -euo pipefail
program=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v dbus-run-session >/dev/null ||
   ! /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
  echo "SKIPPED: dbus-run-session or python3-gi with gir1.2-atspi-2.0 is missing"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" LANG=en_GB.UTF-8
unset LC_ALL LANGUAGE NO_AT_BRIDGE
printf 'hello\n' >"$work/sample.txt"
printf 'gone\n' >"$work/vanishing.txt"
exec timeout 120 dbus-run-session -- /usr/bin/python3 "$here/atspi_walk.py" "$program" \
  "$work/sample.txt" "$work/vanishing.txt"
