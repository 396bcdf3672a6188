#!/usr/bin/env bash
# Starts the program on a virtual screen with an example permanence named on the
# command line, replays it ("Durchlauf", "Start") and saves a picture of the window:
# to look at by eye (at a device pixel ratio of 2 the chart's grid lines must stay
# under its axis numbers), and for the README (scripts/screenshot.sh 1 docs/kalvor1.png).
#   scripts/screenshot.sh [SCALE [FILE.png]]      defaults: 2, build/screenshot-scale2.png
# Needs a build (build/kalvor1), xvfb-run, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-2}
out=$(realpath -m "${2:-build/screenshot-scale$scale.png}")
permanence=examples/hamburg_2026-11-27_tisch1.txt
[ -x build/kalvor1 ] || { echo "build/kalvor1 is missing: build first" >&2; exit 1; }

xvfb-run -a -s "-screen 0 1600x1200x24" env SCALE="$scale" OUT="$out" PERMANENCE="$permanence" bash -c '
  set -euo pipefail
  QT_SCALE_FACTOR=$SCALE build/kalvor1 "$PERMANENCE" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  win=$(xdotool search --sync --onlyvisible --name "Kalvor 1" | head -1)
  sleep 1
  # Window coordinates in device pixels: the layout'"'"'s pixels times the scale.
  at() { xdotool mousemove --window "$win" $(( $1 * SCALE )) $(( $2 * SCALE )) click 1; sleep 0.3; }
  at 500 126                     # Option1_1 "Durchlauf"
  at 532 274                     # okstart
  sleep 1
  import -window "$win" -strip "$OUT"   # no time stamps: the same run gives the same file
'
echo "$out"
