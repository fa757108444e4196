#!/usr/bin/env bash
# Installs the Debian packages Tonvexa needs to build, run and test, and nothing
# that is already there. Safe to run again: a second run installs nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config ccache
  qt6-base-dev qt6-svg-dev libgl-dev
  libsdl2-dev libsndfile1-dev libfluidsynth-dev timgm6mb-soundfont
  fonts-liberation fonts-dejavu-core
  googletest libgtest-dev libbenchmark-dev libfftw3-dev
  xvfb xauth imagemagick xdotool x11-utils sox
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
