#!/usr/bin/env bash
# Installs what is missing, builds gang-adapter-sim alone (the tests are
# built by scripts/test-all.sh), and starts it: the whole program over the
# simulated gang adapter.  Extra arguments go to the program (try --help).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
BUILD_TARGET=gang-adapter-sim bash "$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGANG_BENCH=OFF

program="$here/build/app/gang-adapter-sim"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  port="${VNC_PORT:-5900}"
  echo
  echo "No display is available here (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "Starting the program on Qt's VNC platform instead:"
  echo "  connect a VNC viewer to $(hostname -f 2>/dev/null || hostname):$port"
  echo "  (from another machine: ssh -L $port:localhost:$port <this machine>, then localhost:$port)"
  echo "Press Ctrl+C here to stop it."
  exec env QT_QPA_PLATFORM="vnc:size=800x680:port=$port" "$program" "$@"
fi
exec "$program" "$@"
