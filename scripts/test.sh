#!/usr/bin/env bash
# Sets up, builds and runs every test. Widget tests draw offscreen; the few that need
# a real X server get one from xvfb-run. Playback runs against a private PulseAudio
# server started for the run; the playback tests also run once with none reachable.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
cd build
bash ../scripts/with-pulseaudio.sh xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 300 "$@"
