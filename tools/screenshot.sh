#!/usr/bin/env bash
# Usage: tools/screenshot.sh <png file> <window title> <program> [argument...]
# Runs the program on the current X display, waits for its window with the given
# title, saves that window as a PNG and stops the program. Fails when the program
# ends before its window appears or the window does not appear within a minute.
# The program's own output goes to standard error.
set -euo pipefail
png=$1
title=$2
shift 2

"$@" >&2 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

for _ in $(seq 120); do
  if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    echo "$1 ended with status $status before its window \"$title\" appeared" >&2
    exit 1
  fi
  if xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; then
    # Give the OpenGL view time for its first frames.
    sleep 2
    xwd -silent -name "$title" | convert xwd:- "png:$png"
    exit 0
  fi
  sleep 0.5
done
echo "no window \"$title\" appeared within a minute" >&2
exit 1
