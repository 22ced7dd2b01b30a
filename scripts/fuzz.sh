#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (and ASan+UBSan) in build-fuzz/ and runs each in turn.
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
# Runs start from the seeds in fuzz/corpus/<target> and keep what they find in
# build-fuzz/corpus/<target>; an input that breaks a property lands in build-fuzz/crashes/.
# ZELVOR_FUZZ_SEED fixes libFuzzer's seed, so that a short run replays the same inputs each time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-60}"
shift $(($# > 0 ? 1 : 0))
targets=("$@")
if ((${#targets[@]} == 0)); then
  for seeds in "$root"/fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")_fuzzer")
  done
fi

bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DZELVOR_FUZZ=ON -DZELVOR_SANITIZE=address -DZELVOR_GUI=OFF -DZELVOR_BUILD_TESTS=OFF \
  -DZELVOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" --parallel "$(nproc)"

mkdir -p "$build/crashes"
failed=()
for target in "${targets[@]}"; do
  name="${target%_fuzzer}"
  mkdir -p "$build/corpus/$name"
  options=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1 -seed="${ZELVOR_FUZZ_SEED:-0}"
           -artifact_prefix="$build/crashes/$name-")
  # A dictionary serves the targets whose names end in its name: page.dict both page targets.
  dict="$root/fuzz/dict/${name##*_}.dict"
  if [[ -f "$dict" ]]; then
    options+=(-dict="$dict")
  fi
  echo "== $target: ${seconds}s" >&2
  if ! "$build/fuzz/$target" "${options[@]}" "$build/corpus/$name" "$root/fuzz/corpus/$name" \
      2>"$build/$name.log"; then
    tail -n 40 "$build/$name.log" >&2
    failed+=("$target")
  fi
  grep -E '^(stat::number_of_executed_units|Done)' "$build/$name.log" >&2 || true
done
if ((${#failed[@]} > 0)); then
  echo "模糊测试发现问题: ${failed[*]}（输入保存在 $build/crashes/）" >&2
  exit 1
fi
