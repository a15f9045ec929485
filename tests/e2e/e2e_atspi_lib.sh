# Sourced, in place of e2e_lib.sh, by the end-to-end tests that also read the
# window through AT-SPI: reruns the test inside a private session bus, where
# the program's accessibility bridge and the probe meet, then loads the
# driver with the bridge left on.
if [[ -z "${VANDREL_E2E_BUS:-}" ]]; then
  exec env VANDREL_E2E_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
PROBE="/usr/bin/python3 $(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/atspi_probe.py"
unset NO_AT_BRIDGE
