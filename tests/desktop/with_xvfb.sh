#!/usr/bin/env bash
# Runs a command inside a fresh X server (Xvfb) with the openbox window manager
# and returns the command's exit status. The X server picks a free display
# number itself. Xvfb, openbox and every process the command left behind in
# that session (found by a marker in their environment) are ended afterwards.
#
#   with_xvfb.sh COMMAND [ARGS...]
set -u

if [ $# -lt 1 ]; then
  echo "usage: with_xvfb.sh COMMAND [ARGS...]" >&2
  exit 2
fi

session=$(mktemp -d "${TMPDIR:-/tmp}/vantor-xvfb.XXXXXX")
xvfb_pid=""
openbox_pid=""

# Processes of this session other than ourselves: they carry the marker.
session_pids() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [ "$pid" = "$$" ] && continue
    if grep -qzxF "VANTOR_XVFB_SESSION=$session" "$environ" 2>/dev/null; then
      echo "$pid"
    fi
  done
}

stop_pids() {
  local pid left
  [ $# -eq 0 ] && return
  kill -TERM "$@" 2>/dev/null
  for _ in $(seq 1 40); do
    left=""
    for pid in "$@"; do
      kill -0 "$pid" 2>/dev/null && left=1
    done
    [ -z "$left" ] && return
    sleep 0.05
  done
  kill -KILL "$@" 2>/dev/null
}

cleanup() {
  # shellcheck disable=SC2046
  stop_pids $(session_pids)
  [ -n "$openbox_pid" ] && stop_pids "$openbox_pid"
  [ -n "$xvfb_pid" ] && stop_pids "$xvfb_pid"
  wait 2>/dev/null
  rm -rf "$session"
}
child=""
# Ended from outside (ctest's timeout, Ctrl+C, a closed terminal): the test
# gets the signal first, then the session goes as after a normal end.
on_signal() {
  local signal=$1 status=$2
  trap - INT TERM HUP
  # A command started in the background ignores SIGINT: it gets TERM then.
  [ "$signal" = INT ] && signal=TERM
  [ -n "$child" ] && kill -"$signal" "$child" 2>/dev/null
  exit "$status"
}
trap cleanup EXIT
trap 'on_signal INT 130' INT
trap 'on_signal TERM 143' TERM
trap 'on_signal HUP 129' HUP

export VANTOR_XVFB_SESSION="$session"
mkdir -m 700 "$session/runtime"
export XDG_RUNTIME_DIR="$session/runtime"

# Starts Xvfb and openbox; false when either did not come up. Xvfb writes the
# display number it took to the given descriptor once it accepts connections;
# the window manager is ready once it announces itself on the root window.
start_session() {
  : >"$session/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" \
    >"$session/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 200); do
    if [ -s "$session/display" ] && grep -q . "$session/display"; then break; fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  display=$(head -n1 "$session/display" 2>/dev/null)
  if [ -z "$display" ]; then
    echo "with_xvfb.sh: Xvfb did not start" >&2
    cat "$session/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$display"

  openbox >"$session/openbox.log" 2>&1 &
  openbox_pid=$!
  for _ in $(seq 1 200); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then return 0; fi
    if ! kill -0 "$openbox_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  echo "with_xvfb.sh: openbox did not start on $DISPLAY" >&2
  cat "$session/openbox.log" >&2
  return 1
}

# Another X server starting or ending at the same moment can take the
# display away from under a fresh one: such a start is tried again.
started=""
for attempt in 1 2 3; do
  if start_session; then
    started=1
    break
  fi
  [ -n "$openbox_pid" ] && stop_pids "$openbox_pid"
  [ -n "$xvfb_pid" ] && stop_pids "$xvfb_pid"
  openbox_pid=""
  xvfb_pid=""
  echo "with_xvfb.sh: starting the X session again (attempt $attempt failed)" >&2
done
[ -n "$started" ] || exit 1

# In the background, so that a signal to this script is handled at once
# rather than after the test.
"$@" &
child=$!
wait "$child"
status=$?
child=""
exit "$status"
