#!/usr/bin/env bash
# Runs a command N times and stops at the first failure.
#   repeat.sh N COMMAND [ARGS...]
set -u
count=$1
shift
for run in $(seq 1 "$count"); do
  if ! "$@"; then
    echo "repeat.sh: run $run of $count failed" >&2
    exit 1
  fi
done
echo "repeat.sh: $count of $count runs passed"
