#!/usr/bin/env bash
# Sets up, builds and starts Tonara.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
exec ./build/app/tonara "$@"
