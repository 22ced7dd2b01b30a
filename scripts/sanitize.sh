#!/usr/bin/env bash
# Builds the non-GUI configuration with a sanitizer and runs its tests.
#   scripts/sanitize.sh [address|thread] [ctest arguments...]
# address (the default) means AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/,
# over every test; thread means ThreadSanitizer, in build-tsan/, over the suites whose code runs
# threads (collect, web, notice, cli). Any report fails the test that caused it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-address}"
shift $(($# > 0 ? 1 : 0))
case "$kind" in
  address)
    build="$root/build-asan"
    suites=()
    export ASAN_OPTIONS="detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ;;
  thread)
    build="$root/build-tsan"
    # The fake forum's own tests wait on 300 ms time-outs that ten times slower code misses.
    suites=(-L '^(collect|web|notice|cli)$')
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp"
    ;;
  *)
    echo "用法: $0 [address|thread] [ctest 参数...]" >&2
    exit 2
    ;;
esac
bash "$root/scripts/deps.sh"
ZELVOR_BUILD_DIR="$build" bash "$root/scripts/build.sh" \
  -DZELVOR_GUI=OFF -DZELVOR_BUILD_BENCH=OFF -DZELVOR_SANITIZE="$kind"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "${suites[@]}" "$@"
