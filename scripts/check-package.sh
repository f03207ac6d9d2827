#!/usr/bin/env bash
# Builds the Debian packages from a build folder and checks them: lintian
# finds no error or warning, the dependencies were computed from the
# programs, the web engine is a dependency of the web module's package alone,
# and each package holds what it should.
#   scripts/check-package.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tests}

rm -f "$build"/lumivo-companion_*.deb "$build"/lumivo-companion-web_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(echo "$build"/lumivo-companion_*.deb)
web=$(echo "$build"/lumivo-companion-web_*.deb)

# Root runs are fine in a throwaway CI machine; lintian only warns about them.
lintian --fail-on error,warning "$package" "$web" 2> >(grep -v 'running with root privileges' >&2)

failed=0
fail() { echo "$*" >&2; failed=1; }
# Whether the comma-separated list names the package (with or without a version).
names() { [[ ", $1," == *", $2"[\ ,]* ]]; }

depends=$(dpkg-deb --field "$package" Depends)
for needed in libqt6core6 libqt6widgets6 libxcb1 fonts-material-design-icons-iconfont hicolor-icon-theme; do
  names "$depends" "$needed" || fail "$package does not depend on $needed: $depends"
done
if grep -qi webengine <<<"$depends"; then fail "$package depends on the web engine: $depends"; fi
names "$(dpkg-deb --field "$package" Recommends)" lumivo-companion-web || fail "$package does not recommend lumivo-companion-web"

version=$(dpkg-deb --field "$package" Version)
web_depends=$(dpkg-deb --field "$web" Depends)
[[ ", $web_depends," == *", lumivo-companion (= $version),"* ]] \
  || fail "$web does not depend on lumivo-companion (= $version): $web_depends"
names "$web_depends" libqt6webenginewidgets6 || fail "$web does not depend on the web engine: $web_depends"

# Each package holds its paths: "-" before a path says it must not be there.
check_contents() {
  local deb=$1; shift
  local contents
  contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
  for path in "$@"; do
    if [[ $path == -* ]]; then
      ! grep -qxF "${path#-}" <<<"$contents" || fail "$deb holds ${path#-}"
    else
      grep -qxF "$path" <<<"$contents" || fail "$deb lacks $path"
    fi
  done
  # Nothing of the build machine: every path lies under /usr.
  if grep -vE '^\./(usr/.*)?$' <<<"$contents" >&2; then fail "$deb installs outside /usr"; fi
}

modules="./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/lumivo-companion"
expected=(
  ./usr/share/man/man1/lumivo-companion.1.gz
  ./usr/share/doc/lumivo-companion/copyright
  ./usr/share/doc/lumivo-companion/changelog.gz
  ./usr/share/metainfo/com.lumivo_intelligence.companion.metainfo.xml
  ./usr/share/metainfo/com.lumivo_intelligence.companion.employee.metainfo.xml
  "$modules/lumivo-audio.so"
  "-$modules/lumivo-web-engine.so"
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
check_contents "$package" "${expected[@]}"
check_contents "$web" "$modules/lumivo-web-engine.so" ./usr/share/doc/lumivo-companion-web/copyright \
  ./usr/share/doc/lumivo-companion-web/changelog.gz

# The employee edition is the same program under its own name.
listing=$(dpkg-deb --contents "$package")
grep -qE ' \./usr/bin/lumivo-companion-employee -> lumivo-companion$' <<<"$listing" \
  || fail "$package does not link lumivo-companion-employee to lumivo-companion"
exit $failed
