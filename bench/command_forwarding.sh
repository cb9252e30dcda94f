#!/usr/bin/env bash
# Speed of a forwarded command on the simulated machine: a private session bus, Orvane
# running on it, then
#   1. farm-bench times `Orvane --set-kelvin 2700` as a whole process (20 runs), paired
#      with /bin/true as the yardstick of a process start on this machine;
#   2. orvane_first_change measures, per run, from the forwarder's start to its exit and
#      to the first change of the simulated displays (20 runs, alternating 2700/3400 K).
# Usage: bench/command_forwarding.sh [build directory]   (default: build)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
orvane="$build/bin/Orvane"
probe="$build/bench/orvane_first_change"
[[ -x "$orvane" && -x "$probe" ]] || { echo "build Orvane and orvane_first_change first" >&2; exit 2; }

. "$(dirname "$0")/sim_session.sh"
sim_session
sim_session_bus
sim_session_orvane "$orvane"

echo "== farm-bench: Orvane --set-kelvin 2700 with Orvane running"
farm-bench -n 20 --vs /bin/true -- "$orvane" --set-kelvin 2700
echo
echo "== first change on the simulated displays"
"$probe" "$orvane" 20
