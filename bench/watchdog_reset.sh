#!/usr/bin/env bash
# How soon the displays are reset once Orvane dies, on the simulated machine (the tests
# only check that the reset comes):
#   1. Orvane killed with SIGKILL: from the kill to Glowkeeper's "reset 2 display(s)";
#   2. Glowkeeper started on a pid with no process: from its start to its exit (a process
#      start and the reset).
# Usage: bench/watchdog_reset.sh [build directory] [runs]   (defaults: build, 20)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
runs=${2:-20}
orvane="$build/bin/Orvane"
glowkeeper="$build/bin/Glowkeeper"
[[ -x "$orvane" && -x "$glowkeeper" ]] || { echo "build Orvane and Glowkeeper first" >&2; exit 2; }

. "$(dirname "$0")/sim_session.sh"
sim_session

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
summary() { sort -n | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                                                  printf "median %d ms   max %d ms   (%d runs)\n", m, v[NR], NR }'; }

echo -n "kill of Orvane to the reset:       "
for _ in $(seq "$runs"); do
  : >"$session/out"; : >"$session/log"
  "$orvane" >"$session/out" 2>"$session/log" &
  pid=$!
  for _ in $(seq 600); do grep -q "launched: " "$session/log" && break; sleep 0.05; done
  grep -q "launched: " "$session/log" || { echo "Orvane did not start" >&2; cat "$session/log" >&2; exit 1; }
  sleep 0.2  # the watchdog is started after the first tint
  start=$(now_ms)
  kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
  until grep -q "reset 2 display(s)" "$session/out"; do sleep 0.002; done
  echo $(( $(now_ms) - start ))
done | summary

true & gone=$!; wait "$gone"  # a pid whose process has ended
echo -n "Glowkeeper on a dead pid, whole run: "
for _ in $(seq "$runs"); do
  start=$(now_ms)
  "$glowkeeper" "$gone" >/dev/null
  echo $(( $(now_ms) - start ))
done | summary
