#!/usr/bin/env bash
# Builds and runs every test, the desktop tests included (each in a fresh
# Xvfb session). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)"
