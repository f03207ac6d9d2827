#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it: lintian finds
# no error or warning, the dependencies were computed from the programs, and
# it holds what an installed companion needs.
#   scripts/check-package.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tests}

rm -f "$build"/lumivo-companion_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(echo "$build"/lumivo-companion_*.deb)

# Root runs are fine in a throwaway CI machine; lintian only warns about them.
lintian --fail-on error,warning "$package" 2> >(grep -v 'running with root privileges' >&2)

depends=$(dpkg-deb --field "$package" Depends)
for needed in libqt6core6 libqt6widgets6 libxcb1 fonts-material-design-icons-iconfont hicolor-icon-theme; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || { echo "$package does not depend on $needed: $depends" >&2; exit 1; }
done

contents=$(dpkg-deb --contents "$package" | awk '{print $6}')
expected=(
  ./usr/share/man/man1/lumivo-companion.1.gz
  ./usr/share/doc/lumivo-companion/copyright
  ./usr/share/doc/lumivo-companion/changelog.gz
  ./usr/share/metainfo/com.lumivo_intelligence.companion.metainfo.xml
  ./usr/share/metainfo/com.lumivo_intelligence.companion.employee.metainfo.xml
  "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/lumivo-companion/lumivo-web-engine.so"
  "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/lumivo-companion/lumivo-audio.so"
)
for program in lumivo-companion lumivo-companion-employee; do
  expected+=(
    "./usr/bin/$program"
    "./usr/share/$program/Info.json"
    "./usr/share/$program/MaterialIcons-Regular.ttf"
    "./usr/share/applications/$program.desktop"
    "./usr/share/icons/hicolor/scalable/apps/$program.svg"
  )
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$program.png")
  done
done
missing=0
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || { echo "$package lacks $path" >&2; missing=1; }
done
# Nothing of the build machine: every path lies under /usr.
if grep -vE '^\./(usr/.*)?$' <<<"$contents" >&2; then
  echo "$package installs outside /usr" >&2
  missing=1
fi
exit $missing
