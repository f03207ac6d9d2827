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

# Let the desktop hand "lumivo:" links to this build.
applications="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$applications"
cp "build/src/$program.desktop" "$applications/"
command -v update-desktop-database >/dev/null && update-desktop-database "$applications" || true
gio mime x-scheme-handler/lumivo "$program.desktop" >/dev/null

exec "build/src/$program"
