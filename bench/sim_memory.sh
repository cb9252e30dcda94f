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

. "$(dirname "$0")/sim_session.sh"
sim_session
unset ORVANE_PLATFORM  # chosen as on a desktop without a display
sim_session_bus
sim_session_orvane "$orvane"
grep -m1 -o "platform: [a-z]*\|simulated machine[^;]*" "$session/orvane.log" || true

"$soak" "$orvane_pid" "$session/orvane.log" "$changes"
