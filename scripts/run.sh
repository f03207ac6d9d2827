#!/usr/bin/env bash
# Installs what is missing, builds the companion and starts it.
# Pass --employee to start the employee edition.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVO_BUILD_TESTS=OFF >/dev/null
cmake --build build

program=lumivo-companion
[[ "${1:-}" == "--employee" ]] && program=lumivo-companion-employee

# Let the desktop hand "lumivo:" links to this build: to the command center's
# entry, whose copy passes a link on to the employee edition when only that runs.
applications="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$applications"
cp build/src/lumivo-companion*.desktop "$applications/"
command -v update-desktop-database >/dev/null && update-desktop-database "$applications" || true
gio mime x-scheme-handler/lumivo lumivo-companion.desktop >/dev/null

exec "build/src/$program"
