#!/usr/bin/env bash
# Speed of a forwarded command on the simulated machine: a private session bus, Orvane
# running on it, then
#   1. farm-bench times `orvane --set-kelvin 2700` as a whole process (20 runs), paired
#      with /bin/true as the yardstick of a process start on this machine;
#   2. orvane_first_change measures, per run, from the forwarder's start to its exit and
#      to the first change of the simulated displays (20 runs, alternating 2700/3400 K).
# Usage: bench/command_forwarding.sh [build directory]   (default: build)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
orvane="$build/bin/orvane"
probe="$build/bench/orvane_first_change"
[[ -x "$orvane" && -x "$probe" ]] || { echo "build orvane and orvane_first_change first" >&2; exit 2; }

session=$(mktemp -d)
cleanup() {
  [[ -n "${orvane_pid:-}" ]] && kill "$orvane_pid" 2>/dev/null && wait "$orvane_pid" 2>/dev/null || true
  [[ -n "${bus_pid:-}" ]] && kill "$bus_pid" 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT
mkdir -p "$session/config" "$session/runtime" "$session/sim"
chmod 700 "$session/runtime"
export ORVANE_PLATFORM=sim XDG_CONFIG_HOME="$session/config" XDG_RUNTIME_DIR="$session/runtime" \
       ORVANE_SIM_DIR="$session/sim"
unset DISPLAY WAYLAND_DISPLAY

dbus-daemon --session --nofork --nopidfile --address="unix:path=$session/bus" \
  --print-address=3 3>"$session/address" 2>/dev/null &
bus_pid=$!
for _ in $(seq 100); do [[ -s "$session/address" ]] && break; sleep 0.05; done
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$session/address")

"$orvane" 2>"$session/orvane.log" &
orvane_pid=$!
for _ in $(seq 300); do grep -q "launched: " "$session/orvane.log" && break; sleep 0.05; done
grep -q "launched: " "$session/orvane.log" || { echo "Orvane did not start:" >&2; cat "$session/orvane.log" >&2; exit 1; }

echo "== farm-bench: orvane --set-kelvin 2700 with Orvane running"
farm-bench -n 20 --vs /bin/true -- "$orvane" --set-kelvin 2700
echo
echo "== first change on the simulated displays"
"$probe" "$orvane" 20
