#!/usr/bin/env bash
# Makes resources/screenshots/main-window.png: the real program under a private
# Xvfb server, opened with two sound files, its window grabbed by ffmpeg.
# Run it again whenever the main window changes.
# Usage: bash scripts/screenshot.sh [build-folder]   (builds first when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -x "$build/app/tonara" ] || bash scripts/setup.sh "$build"
output=$PWD/resources/screenshots/main-window.png
mkdir -p "$(dirname "$output")"

# A fixed folder, so that the paths in the list read the same at every run.
work=/tmp/tonara-screenshot
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Music" "$work/data" "$work/config"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=220:duration=2" "$work/Music/Interview.mp3"
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=440:duration=2" "$work/Music/Voice memo.wav"

# Inside the X server: start Tonara, wait for its window, grab it, end Tonara.
export TONARA="$PWD/$build/app/tonara" WORK="$work" OUTPUT="$output"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config" \
    "$TONARA" "$WORK/Music/Interview.mp3" "$WORK/Music/Voice memo.wav" &
  tonara=$!
  trap "kill $tonara 2>/dev/null || true" EXIT
  for _ in $(seq 100); do
    xwininfo -name "Quillaby - Tonara" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1 # the first paint
  geometry=$(xwininfo -name "Quillaby - Tonara")
  x=$(sed -n "s/.*Absolute upper-left X: *//p" <<<"$geometry")
  y=$(sed -n "s/.*Absolute upper-left Y: *//p" <<<"$geometry")
  w=$(sed -n "s/.*Width: *//p" <<<"$geometry")
  h=$(sed -n "s/.*Height: *//p" <<<"$geometry")
  ffmpeg -nostdin -loglevel error -y -f x11grab -draw_mouse 0 -video_size "${w}x$h" -i "$DISPLAY+$x,$y" -frames:v 1 "$OUTPUT"
'
echo "written: $output"
