#!/usr/bin/env bash
# Installs the Debian packages Tonvexa needs, and nothing that is already there. Safe to run
# again: a second run installs nothing.
# usage: install-deps.sh [run|test|package]
#   run      what building and running the program need (the default)
#   test     that, plus the test tools: GoogleTest, Benchmark, FFTW, clang, Xvfb, xdotool,
#            AT-SPI, the desktop-file and AppStream validators, and a PulseAudio server that
#            the tests start privately
#   package  that of run, plus what building and checking the Debian package need
set -euo pipefail

run=(
  g++ cmake ninja-build make pkg-config ccache
  qt6-base-dev qt6-svg-dev libgl-dev
  libsdl2-dev libsndfile1-dev libfluidsynth-dev timgm6mb-soundfont
  fonts-liberation fonts-dejavu-core
)
test=(
  googletest libgtest-dev libbenchmark-dev libfftw3-dev
  xvfb xauth imagemagick xdotool x11-utils sox
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus
  clang libclang-rt-14-dev
  desktop-file-utils appstream man-db inotify-tools python3 clang-format-15
  pulseaudio pulseaudio-utils
)
package=(dpkg-dev file lintian)

case "${1:-run}" in
  run) packages=("${run[@]}") ;;
  test) packages=("${run[@]}" "${test[@]}") ;;
  package) packages=("${run[@]}" "${package[@]}") ;;
  *) echo "usage: $0 [run|test|package]" >&2; exit 2 ;;
esac

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
