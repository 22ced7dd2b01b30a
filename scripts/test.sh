#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the core's tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target briefly.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${ZELVOR_BUILD_DIR:-$root/build}" --output-on-failure --parallel "$(nproc)"
bash "$root/scripts/sanitize.sh" address
# A fixed seed: a short run in CI checks the same inputs every time; longer runs explore.
ZELVOR_FUZZ_SEED=1 bash "$root/scripts/fuzz.sh" 10
