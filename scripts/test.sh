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
bash "$root/scripts/fuzz.sh" 10
