#!/usr/bin/env bash
# Pages and lookups per second of `zelvor-cli collect` against the fake forum, no pause.
# Usage: bench/collect/collect_bench.sh [BUILD_DIR]
set -euo pipefail
bin="${1:-$(dirname "$0")/../../build}/bin"
work="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

"$bin/zelvor-fake-forum" --forum 测吧=4800 >"$work/port" &
server=$!
for _ in $(seq 100); do [[ -s "$work/port" ]] && break; sleep 0.05; done
site="http://127.0.0.1:$(awk '{print $2}' "$work/port")"

run() {  # concurrency, extra options -> seconds
  local start end
  start=$(date +%s.%N)
  "$bin/zelvor-cli" collect 测吧 --all-pages --delay 0 --site "$site" --concurrency "$1" "${@:2}" \
    2>/dev/null
  end=$(date +%s.%N)
  awk "BEGIN { print $end - $start }"
}

printf '%-12s %14s %16s\n' concurrency 'pages/s' 'lookups/s'
for c in 1 4 16; do
  pages=$(run "$c" --no-ids)
  with_ids=$(run "$c" --ids)
  # 200 pages alone; with IDs the same pages plus 4800 lookups.
  awk -v c="$c" -v p="$pages" -v w="$with_ids" \
    'BEGIN { printf "%-12s %14.0f %16.0f\n", c, 200 / p, 4800 / (w - p) }'
done
