#!/usr/bin/env bash
# Builds the tool (only the program: the tests and benchmarks are built by
# test.sh) and starts it on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh d3vantor
exec build/bin/d3vantor "$@"
