#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and `make run` need.
# As root it runs apt-get itself; otherwise it prints the exact command to run.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libjsoncpp-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  dbus dbus-bin libglib2.0-bin systemd xvfb xauth
  fonts-noto-core fonts-noto-cjk
  libx11-dev libxext-dev libxtst-dev
  libdbus-1-dev
  desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
else
  echo "Missing packages: ${missing[*]}"
  echo "Run as root:"
  echo "  sudo sh -c '$cmd'"
  exit 1
fi
