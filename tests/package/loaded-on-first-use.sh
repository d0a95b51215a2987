#!/usr/bin/env bash
# libcurl and libavfilter (with the hundred-odd libraries they bring) are loaded
# when first used, not with the program: linked, they double the start-up's
# time and idle memory. A build change that links them again fails here.
# Usage: loaded-on-first-use.sh TONARA-EXECUTABLE
set -euo pipefail
needed=$(readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "$needed"
for library in libcurl libavfilter libavcodec libavformat libavutil; do
  if grep -q "^$library\." <<<"$needed"; then
    echo "FAILED: tonara links $library; it is to be loaded when first used" >&2
    exit 1
  fi
done
