#!/usr/bin/env bash
# Installs what building, running and testing the companion needs on Debian 12.
# Installs only what is missing, so running it again is quick and harmless.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev qt6-multimedia-dev qt6-webengine-dev
  libglib2.0-dev libglib2.0-bin libx11-dev libxcb1-dev libxcb-xinput-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-res0-dev libxcb-screensaver0-dev
  libqrencode-dev libsqlite3-dev zlib1g-dev fonts-material-design-icons-iconfont
  scdoc dpkg-dev file
  fonts-smc-manjari
)
if [[ "${1:-}" == "--with-tests" ]]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev libxcb-damage0-dev xvfb xauth openbox metacity xfwm4 xdotool x11-apps x11-xserver-utils x11-utils dbus iproute2 pulseaudio pulseaudio-utils
             desktop-file-utils xdg-utils appstream man-db lintian
             weston xwayland qt6-wayland libnotify-bin chromium gvfs gvfs-backends clang-format)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
