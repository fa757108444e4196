#!/usr/bin/env bash
# A private PulseAudio server for tests, whose every file lies in one folder.
# usage: pulse-server.sh start FOLDER [OWNER]  starts it; prints its address ("unix:FOLDER/native")
#        pulse-server.sh stop FOLDER            stops it (at once if it does not end by itself)
# With OWNER, a process id (the test's), the server also stops by itself once that process has
# ended, so a test that crashes or is killed leaves no server (and no folder) behind.
#
# The server has one output, a null sink named tonvexa_test ("Tonvexa test output", 48000 Hz),
# whose monitor tonvexa_test.monitor is the default source: what is played into the sink can be
# recorded from the monitor. Clients connect through the unix socket FOLDER/native without a
# cookie (anonymous), e.g. with PULSE_SERVER=unix:FOLDER/native. PulseAudio refuses to run as a
# per-user server as root, so under root it runs as the plain user "pulse" (made by Debian's
# pulseaudio package) or else "nobody"; FOLDER is then handed to that user, so it must lie where
# that user can reach it (the system's temporary folder). When the server cannot start, "start"
# prints the reason on stderr and exits 1.
set -uo pipefail

readonly kSink=tonvexa_test
readonly kStartSeconds=10

fail() {
  echo "$*" >&2
  exit 1
}

start() {
  local dir=$1 owner=${2:-}
  command -v pulseaudio >/dev/null || fail "pulseaudio is not installed (apt-get install pulseaudio)"
  command -v pactl >/dev/null || fail "pactl is not installed (apt-get install pulseaudio-utils)"
  [ -d "$dir" ] || fail "no folder $dir"
  mkdir -p "$dir/home" "$dir/runtime" || fail "cannot make the server's folders in $dir"
  chmod 755 "$dir" "$dir/home" && chmod 700 "$dir/runtime"

  cat >"$dir/server.pa" <<EOF
load-module module-null-sink sink_name=$kSink rate=48000 sink_properties=device.description="Tonvexa\ test\ output"
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
set-default-sink $kSink
set-default-source $kSink.monitor
EOF

  local as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    local user=""
    for candidate in pulse nobody; do
      if id -u "$candidate" >/dev/null 2>&1; then
        user=$candidate
        break
      fi
    done
    [ -n "$user" ] || fail "running as root, and there is no plain user (pulse, nobody) to run pulseaudio as"
    command -v setpriv >/dev/null || fail "setpriv is not installed (util-linux)"
    chown -R "$user:" "$dir" || fail "cannot hand $dir to the user $user"
    as_user=(setpriv "--reuid=$user" "--regid=$(id -g "$user")" --init-groups)
    "${as_user[@]}" test -w "$dir" -a -x "$dir" ||
      fail "the user $user cannot reach $dir (is a folder above it private?)"
  fi

  # A clean environment: no session bus, no desktop server, nothing of the caller's own audio.
  (cd / && exec env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
    XDG_CONFIG_HOME="$dir/home" "${as_user[@]}" pulseaudio -n -F "$dir/server.pa" \
    --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes --realtime=no \
    --high-priority=no --log-target=stderr --log-level=warning \
    </dev/null >"$dir/server.log" 2>&1) &
  echo $! >"$dir/server.pid"

  if [ -n "$owner" ]; then
    (
      while alive "$owner" && [ -f "$dir/server.pid" ]; do
        sleep 0.5
      done
      stop "$dir"
      # An owner that died left its folder too.
      alive "$owner" || rm -rf "$dir"
    ) </dev/null >/dev/null 2>&1 &
  fi

  local address="unix:$dir/native"
  local tries=$((kStartSeconds * 10))
  for ((i = 0; i < tries; i++)); do
    if pactl --server="$address" info >/dev/null 2>&1; then
      echo "$address"
      return 0
    fi
    if ! alive "$(cat "$dir/server.pid")"; then
      fail "pulseaudio ended at once: $(grep -m1 '^E:' "$dir/server.log" || tail -n1 "$dir/server.log")"
    fi
    sleep 0.1
  done
  stop "$dir"
  fail "pulseaudio did not answer within $kStartSeconds s"
}

# Whether the process lives (an ended one its parent has not yet collected does not).
alive() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

stop() {
  local dir=$1
  [ -f "$dir/server.pid" ] || return 0
  local pid
  pid=$(cat "$dir/server.pid")
  rm -f "$dir/server.pid"
  kill -TERM "$pid" 2>/dev/null || return 0
  for ((i = 0; i < 50; i++)); do
    alive "$pid" || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null
  return 0
}

case "${1:-}" in
  start) [ $# -ge 2 ] && [ $# -le 3 ] || fail "usage: $0 start FOLDER [OWNER]"; start "$2" "${3:-}" ;;
  stop) [ $# -eq 2 ] || fail "usage: $0 stop FOLDER"; stop "$2" ;;
  *) fail "usage: $0 start|stop FOLDER" ;;
esac
