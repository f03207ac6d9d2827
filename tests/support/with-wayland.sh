#!/usr/bin/env bash
# Runs a command inside a private Wayland session: Weston on its headless
# backend (one 1600 x 1000 output) with XWayland, and a D-Bus session.
#   with-wayland.sh <command> [arguments...]
# The command sees WAYLAND_DISPLAY and DISPLAY (the XWayland server).
set -euo pipefail

runtime=$(mktemp -d)
chmod 0700 "$runtime"
weston_pid=""
cleanup() {
  [[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$runtime"
socket="wayland-lumivo-$$"
weston --backend=headless-backend.so --xwayland --socket="$socket" --idle-time=0 \
       --width=1600 --height=1000 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
# XWayland listens once Weston has loaded it and says on which display.
display=""
for _ in $(seq 200); do
  display=$(grep -a -o 'xserver listening on display :[0-9]*' "$runtime/weston.log" | grep -o ':[0-9]*' || true)
  [[ -n "$display" && -S "$runtime/$socket" ]] && break
  kill -0 "$weston_pid" 2>/dev/null || { cat "$runtime/weston.log" >&2; exit 1; }
  sleep 0.05
done
[[ -n "$display" ]] || { echo "Weston did not start XWayland" >&2; cat "$runtime/weston.log" >&2; exit 1; }

# An absolute path, so clients with a runtime folder of their own find it too.
export WAYLAND_DISPLAY="$runtime/$socket"
export DISPLAY="$display"
dbus-run-session -- "$@"
