#!/usr/bin/env bash
# From the tray item's Activate to the popover's first painted frame, on a private Xvfb
# and session bus with orvane_popover_probe as the panel's StatusNotifierWatcher.
# Orvane runs on the simulated machine with ORVANE_POPOVER_TIMING=1, which logs the
# monotonic time of each showing's first paint. 10 runs; median and maximum.
# Usage: bench/popover_timing.sh [build directory] [runs]   (default: build 10)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
orvane="$build/bin/orvane"
probe="$build/bench/orvane_popover_probe"
[[ -x "$orvane" && -x "$probe" ]] || { echo "build orvane and orvane_popover_probe first" >&2; exit 2; }

session=$(mktemp -d)
cleanup() {
  [[ -n "${orvane_pid:-}" ]] && kill "$orvane_pid" 2>/dev/null && wait "$orvane_pid" 2>/dev/null || true
  [[ -n "${bus_pid:-}" ]] && kill "$bus_pid" 2>/dev/null || true
  [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$session"
}
trap cleanup EXIT
mkdir -p "$session/config" "$session/runtime" "$session/sim"
chmod 700 "$session/runtime"
export ORVANE_PLATFORM=sim XDG_CONFIG_HOME="$session/config" XDG_RUNTIME_DIR="$session/runtime" \
       ORVANE_SIM_DIR="$session/sim" QT_QPA_PLATFORM=xcb ORVANE_POPOVER_TIMING=1
unset WAYLAND_DISPLAY

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$session/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$session/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$session/display")"

dbus-daemon --session --nofork --nopidfile --address="unix:path=$session/bus" \
  --print-address=3 3>"$session/address" 2>/dev/null &
bus_pid=$!
for _ in $(seq 100); do [[ -s "$session/address" ]] && break; sleep 0.05; done
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$session/address")

: >"$session/orvane.log"
coproc PROBE { "$probe" "$session/orvane.log" "$runs"; }
read -r ready <&"${PROBE[0]}"
[[ "$ready" == watching ]] || { echo "the probe did not start" >&2; exit 1; }
"$orvane" 2>"$session/orvane.log" &
orvane_pid=$!
probe_pid=$PROBE_PID
cat <&"${PROBE[0]}"
wait "$probe_pid" || { echo "the probe failed; Orvane's log:" >&2; cat "$session/orvane.log" >&2; exit 1; }
