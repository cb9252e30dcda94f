# Sourced by the bench scripts that run Orvane on the simulated machine: a session of its
# own (config, runtime and machine directories in a temporary directory, removed on exit)
# without a display, so Orvane runs on the simulated machine.
#   sim_session             makes the session and exports its variables
#   sim_session_bus         starts a private session bus and exports its address
#   sim_session_orvane PROG starts PROG with its log in "$session/orvane.log" (pid in
#                           $orvane_pid) and waits for its launch line
session=$(mktemp -d)
sim_session_cleanup() {
  [[ -n "${orvane_pid:-}" ]] && kill "$orvane_pid" 2>/dev/null && wait "$orvane_pid" 2>/dev/null || true
  [[ -n "${bus_pid:-}" ]] && kill "$bus_pid" 2>/dev/null || true
  rm -rf "$session"
}
trap sim_session_cleanup EXIT

sim_session() {
  mkdir -p "$session/config" "$session/runtime" "$session/sim"
  chmod 700 "$session/runtime"
  export ORVANE_PLATFORM=sim XDG_CONFIG_HOME="$session/config" XDG_RUNTIME_DIR="$session/runtime" \
         ORVANE_SIM_DIR="$session/sim"
  unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
}

sim_session_bus() {
  dbus-daemon --session --nofork --nopidfile --address="unix:path=$session/bus" \
    --print-address=3 3>"$session/address" 2>/dev/null &
  bus_pid=$!
  for _ in $(seq 100); do [[ -s "$session/address" ]] && break; sleep 0.05; done
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$session/address")
  export DBUS_SESSION_BUS_ADDRESS
}

sim_session_orvane() {
  "$1" 2>"$session/orvane.log" &
  orvane_pid=$!
  for _ in $(seq 300); do grep -q "launched: " "$session/orvane.log" && break; sleep 0.05; done
  grep -q "launched: " "$session/orvane.log" || { echo "Orvane did not start:" >&2; cat "$session/orvane.log" >&2; exit 1; }
}
