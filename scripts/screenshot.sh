#!/usr/bin/env bash
# Starts the program on a virtual screen at a device pixel ratio, makes a run of
# 200 throws ("Durchlauf"), and saves a screenshot of the screen, to check by eye
# that the window scales as a whole (the chart's grid lines under its axis numbers).
#   scripts/screenshot.sh [SCALE [FILE.png]]      defaults: 2, build/screenshot-scale2.png
# Needs a build (build/kalvor1), xvfb-run, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-2}
out=$(realpath -m "${2:-build/screenshot-scale$scale.png}")
[ -x build/kalvor1 ] || { echo "build/kalvor1 is missing: build first" >&2; exit 1; }

xvfb-run -a -s "-screen 0 1600x1200x24" env SCALE="$scale" OUT="$out" bash -c '
  set -euo pipefail
  QT_SCALE_FACTOR=$SCALE build/kalvor1 & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  win=$(xdotool search --sync --onlyvisible --name "Kalvor 1" | head -1)
  sleep 1
  # Window coordinates in device pixels: the layout'"'"'s pixels times the scale.
  at() { xdotool mousemove --window "$win" $(( $1 * SCALE )) $(( $2 * SCALE )) click 1; sleep 0.3; }
  at 532 63                      # textanzahl
  xdotool type --delay 50 200; sleep 0.3
  at 500 126                     # Option1_1 "Durchlauf"
  at 532 274                     # okstart
  sleep 1
  import -window root "$OUT"
'
echo "$out"
