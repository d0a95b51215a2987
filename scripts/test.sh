#!/usr/bin/env bash
# Sets up, builds and runs every test. Widget tests draw offscreen; the few that need
# a real X server get one from xvfb-run. Playback runs against a private PulseAudio
# server started for the run (one window test makes sure none is reachable).
# Without arguments it ends with a ThreadSanitizer build of the process runner's tests,
# the fuzz targets, and the whole suite once more under AddressSanitizer and
# UndefinedBehaviorSanitizer (scripts/test-asan.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
cd build
bash ../scripts/with-pulseaudio.sh xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 300 "$@"

# A full run also builds the process runner's tests once more with ThreadSanitizer and
# runs its fault table and flood tests there: threads, lifetimes and the hand-over of
# calls between them are what those tests are about.
if (($# == 0)); then
  cd ..
  cmake -S . -B build-tsan -G Ninja -DTONARA_SANITIZER=thread >/dev/null
  cmake --build build-tsan --target test_process_runner test_output_flood process_helper
  QT_QPA_PLATFORM=offscreen build-tsan/tests/process/test_process_runner --gtest_filter='*ProcessRunnerFaults*'
  QT_QPA_PLATFORM=offscreen build-tsan/tests/process/test_output_flood
  # The effect runs and the batch with its saving thread, on the runner.
  cmake --build build-tsan --target test_effect_threads
  QT_QPA_PLATFORM=offscreen build-tsan/tests/effects/test_effect_threads
  bash scripts/fuzz.sh 20
  bash scripts/test-asan.sh
fi
