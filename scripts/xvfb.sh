#!/usr/bin/env bash
# Starts or stops a private Xvfb server.
#   xvfb.sh start|stop <display> <pidfile> [<width>x<height>]
set -u
cmd=$1 display=$2 pidfile=$3 size=${4:-1280x1024}
num=${display#:}
alive() { [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; }
case "$cmd" in
start)
  if alive; then exit 0; fi
  # A lock left by a server that died would make the new one refuse to start.
  if [ -f "/tmp/.X${num}-lock" ] && ! kill -0 "$(tr -d ' ' < "/tmp/.X${num}-lock")" 2>/dev/null; then
    rm -f "/tmp/.X${num}-lock" "/tmp/.X11-unix/X${num}"
  fi
  setsid Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp -ac </dev/null >"${pidfile%.pid}.log" 2>&1 &
  echo $! > "$pidfile"
  for _ in $(seq 1 100); do
    [ -S "/tmp/.X11-unix/X${num}" ] && exit 0
    alive || break
    sleep 0.1
  done
  echo "Xvfb did not start on $display" >&2
  cat "${pidfile%.pid}.log" >&2
  exit 1
  ;;
stop)
  if alive; then kill "$(cat "$pidfile")"; fi
  rm -f "$pidfile"
  ;;
*) echo "usage: $0 start|stop <display> <pidfile>" >&2; exit 2 ;;
esac
