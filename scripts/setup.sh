#!/usr/bin/env bash
# Installs what Tonara needs on Debian 12 (only what is missing), then configures and builds it.
# Usage: bash scripts/setup.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev libqt6multimedia6
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libcurl4-openssl-dev libpcre2-dev libicu-dev libgtest-dev
  libavfilter-dev libpulse-dev
  python3 openssl
  ffmpeg xvfb xauth x11-utils pulseaudio pulseaudio-utils espeak-ng locales fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev file librsvg2-bin help2man lintian
  parallel gdb clang libclang-rt-14-dev
  openbox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tests check number formatting under a comma-decimal locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $sudo locale-gen >/dev/null
fi

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build"
