#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree a desktop sees: every file in
# its place, the menu entry accepted by its validator without errors or warnings and the
# AppStream description without any remark, even pedantic, the manual page clean, the icon
# renders at their sizes, and the program, moved to another prefix and told its windowing by
# Qt's own -platform option, starting its demonstration on the data beside it.
# usage: test_install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
# A relocated copy: nothing in the tree may depend on the prefix it was installed to.
mv "$work/first" "$work/usr"
root=$work/usr
id=org.tonvexa.tonvexa

for f in bin/tonvexa \
  share/tonvexa/{Demo.wav,Pia_do.mid,Pis_do.mid,keyboard.bmp,splash_art.svg,guide.html} \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/man/man1/tonvexa.1.gz \
  share/doc/tonvexa/{copyright,NEWS,changelog.gz}; do
  [ -s "$root/$f" ] || fail "$f is missing from the install tree"
done
[ -x "$root/bin/tonvexa" ] || fail "bin/tonvexa is not executable"
# The package's copyright file is machine-readable and names the program's licence.
head -n1 "$root/share/doc/tonvexa/copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "share/doc/tonvexa/copyright is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$root/share/doc/tonvexa/copyright" ||
  fail "share/doc/tonvexa/copyright does not name the GPL 3 or later"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for side in 48 128 256; do
  png=$root/share/icons/hicolor/${side}x${side}/apps/$id.png
  [ -s "$png" ] || fail "no $side pixel icon"
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w $h" = "$side $side" ] || fail "the $side pixel icon is ${w}x$h"
done

# The validators: any error or warning fails; their hints and infos are printed.
out=$(desktop-file-validate "$root/share/applications/$id.desktop" 2>&1) ||
  fail "desktop-file-validate: $out"
echo "desktop-file-validate: ${out:-no remarks}"
! grep -Eq 'error:|warning:' <<<"$out" || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --pedantic --no-net "$root/share/metainfo/$id.metainfo.xml" 2>&1) ||
  fail "appstreamcli: $out"
echo "appstreamcli validate --pedantic --no-net: $out"
! grep -Eq '^[EWIP]:' <<<"$out" || fail "appstreamcli: $out"
out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l \
  "$root/share/man/man1/tonvexa.1.gz" 2>&1 >/dev/null)
[ -z "$out" ] || fail "man --warnings: $out"

# Started from the moved tree, the demonstration opens Demo.wav from share/tonvexa/ there.
mkdir -m 700 "$work/runtime"
mkdir "$work/home"
inotifywait -m -q -e open --format '%f' "$root/share/tonvexa" >"$work/opened" 2>/dev/null &
pids+=($!)
sleep 0.5 # inotifywait watches before the program starts
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=$work/home \
  XDG_RUNTIME_DIR=$work/runtime XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config \
  SDL_AUDIODRIVER=dummy "$root/bin/tonvexa" -platform offscreen >"$work/program.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 120); do
  grep -qx Demo.wav "$work/opened" && break
  kill -0 "${pids[1]}" 2>/dev/null || fail "the installed program ended: $(cat "$work/program.log")"
  sleep 0.25
done
grep -qx Demo.wav "$work/opened" ||
  fail "the installed program never opened share/tonvexa/Demo.wav in 30 s: $(cat "$work/program.log")"
echo "the moved install tree's program opened: $(sort -u "$work/opened" | tr '\n' ' ')"
