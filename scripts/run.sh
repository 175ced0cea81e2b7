#!/usr/bin/env bash
# Builds the tool and starts it on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
exec build/bin/d3vantor "$@"
