#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz/ with clang in build-fuzz/ and runs
# each for SECONDS (default 20) from its seed corpus, printing its executions per
# second. Fails when a target finds a crash; the input that did it is left in
# build-fuzz/findings/. New inputs the fuzzer keeps go to build-fuzz/corpus/, never
# into the seed folders.
set -euo pipefail
seconds=${1:-20}
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTONARA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=(FuzzVersionBlock FuzzLanguageFile FuzzLanguageCodes FuzzCommandLine FuzzFfmpegProgress
  FuzzServerReply FuzzFormEncoding FuzzEmailCheck)
cmake --build build-fuzz --target "${targets[@]}"
mkdir -p build-fuzz/findings
failed=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  log=build-fuzz/$target.log
  if ! build-fuzz/tests/fuzz/$target -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix=build-fuzz/findings/$target- "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    failed=1
    echo "$target: FOUND A CRASH (see $log and build-fuzz/findings/)"
    tail -n 30 "$log"
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: $runs runs in ${seconds} s, $((runs / seconds)) executions per second"
done
exit $failed
