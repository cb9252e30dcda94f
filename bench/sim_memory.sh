#!/usr/bin/env bash
# Memory of Orvane running on the simulated machine under 20,000 warmth changes: a private
# session bus, Orvane started on it without a display (so on the simulated machine), then
# orvane_warmth_soak sends the changes as command signals and prints the resident set size
# at the start, the middle and the end.
# Usage: bench/sim_memory.sh [build directory] [changes]   (defaults: build, 20000)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
changes=${2:-20000}
orvane="$build/bin/Orvane"
soak="$build/bench/orvane_warmth_soak"
[[ -x "$orvane" && -x "$soak" ]] || { echo "build Orvane and orvane_warmth_soak first" >&2; exit 2; }

session=$(mktemp -d)
cleanup() {
  [[ -n "${orvane_pid:-}" ]] && kill "$orvane_pid" 2>/dev/null && wait "$orvane_pid" 2>/dev/null || true
  [[ -n "${bus_pid:-}" ]] && kill "$bus_pid" 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT
mkdir -p "$session/config" "$session/runtime" "$session/sim"
chmod 700 "$session/runtime"
export XDG_CONFIG_HOME="$session/config" XDG_RUNTIME_DIR="$session/runtime" ORVANE_SIM_DIR="$session/sim"
unset DISPLAY WAYLAND_DISPLAY ORVANE_PLATFORM

dbus-daemon --session --nofork --nopidfile --address="unix:path=$session/bus" \
  --print-address=3 3>"$session/address" 2>/dev/null &
bus_pid=$!
for _ in $(seq 100); do [[ -s "$session/address" ]] && break; sleep 0.05; done
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$session/address")

"$orvane" 2>"$session/orvane.log" &
orvane_pid=$!
for _ in $(seq 300); do grep -q "launched: " "$session/orvane.log" && break; sleep 0.05; done
grep -q "launched: " "$session/orvane.log" || { echo "Orvane did not start:" >&2; cat "$session/orvane.log" >&2; exit 1; }
grep -m1 -o "platform: [a-z]*\|simulated machine[^;]*" "$session/orvane.log" || true

"$soak" "$orvane_pid" "$session/orvane.log" "$changes"
