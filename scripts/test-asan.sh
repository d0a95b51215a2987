#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the suite there, all but the package's tests (they check
# what is installed, not how it runs), two tests at a time: most of them wait on
# ffmpeg, a server or the clock. -O1 and line tables only take about half the
# time of the usual -O2 -g to build; reports still name file and line. The first
# finding ends the program. Leaks that libraries keep are passed over
# (tests/support/lsan.supp); its entries name our call that led there, which
# needs the whole stack of each allocation (fast_unwind_on_malloc=0, as Qt has no
# frame pointers). Arguments go to ctest (bash scripts/test-asan.sh -L cli).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DTONARA_SANITIZER=address \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >/dev/null
cmake --build build-asan --target tests/all
cd build-asan
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:fast_unwind_on_malloc=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/../tests/support/lsan.supp:print_suppressions=0"
bash ../scripts/with-pulseaudio.sh xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --output-on-failure --timeout 300 --label-exclude package -j2 "$@"
