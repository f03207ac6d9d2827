#!/usr/bin/env bash
# Runs a command on a private X11 desktop: an Xvfb server wide enough for two
# side-by-side monitors, the openbox window manager (metacity or xfwm4 with
# LUMIVO_WINDOW_MANAGER set to its name) and a D-Bus session.
#   with-desktop.sh <command> [arguments...]
# The command sees DISPLAY and QT_QPA_PLATFORM=xcb. The server is started
# with -noreset so tests may split it into monitors with `xrandr --setmonitor`.
set -euo pipefail

runtime=$(mktemp -d)
server_pid=""
wm_pid=""
cleanup() {
  [[ -n "$wm_pid" ]] && kill "$wm_pid" 2>/dev/null || true
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

# -displayfd picks a free display number, so parallel runs never collide.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 3200x1200x24 -noreset -nolisten tcp \
     +extension RANDR +extension XInputExtension >"$runtime/xvfb.log" 2>&1 &
server_pid=$!
display=""
for _ in $(seq 100); do
  # Xvfb writes the number and its line end separately: a read that times
  # out between them keeps the digits, which the next read must add to.
  part=""
  if read -r -t 0.1 -u "$displayfd" part; then display+=$part; break; fi
  display+=$part
  kill -0 "$server_pid" 2>/dev/null || { cat "$runtime/xvfb.log" >&2; exit 1; }
done
[[ -n "$display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

case "${LUMIVO_WINDOW_MANAGER:-openbox}" in
  metacity) wm=(metacity --sm-disable --compositor=none) ;;
  # It reads its settings from a daemon on a session bus of its own.
  xfwm4) wm=(dbus-run-session -- xfwm4 --compositor=off) ;;
  *) wm=(openbox --sm-disable --config-file "$(dirname "$0")/openbox-rc.xml") ;;
esac
"${wm[@]}" >"$runtime/wm.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has announced itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

# Run as root, the command also gets a loopback network of its own: tests
# stand in for the local server on its fixed port (127.0.0.1:4173), and the
# companions of the tests running beside them must never hear those answers.
# The X server stays outside, where the display numbers are shared; clients
# reach it through its socket file.
network=()
if [[ $(id -u) -eq 0 ]] && unshare --net true 2>/dev/null; then
  network=(unshare --net -- sh -c 'ip link set lo up && exec "$@"' sh)
fi

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$runtime"
"${network[@]}" dbus-run-session -- "$@"
