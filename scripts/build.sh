#!/usr/bin/env bash
# Configures and builds into build/ (or $ZELVOR_BUILD_DIR); extra arguments go to cmake.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELVOR_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
