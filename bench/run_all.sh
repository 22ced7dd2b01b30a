#!/usr/bin/env bash
# Runs every benchmark and prints one table of figures.
# Usage: bench/run_all.sh [BUILD_DIR]   (a build with the window and benchmarks, e.g. build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
export QT_QPA_PLATFORM=offscreen

row() { printf '| %-44s | %14s | %-10s |\n' "$1" "$2" "$3"; }

# Google Benchmark CSV: name, iterations, real_time (ns), cpu_time, unit, bytes/s, items/s, ...
gbench() {  # binary -> "case bytes_per_second real_time_ns" per line
  "$build/bench/$1" --benchmark_format=csv --benchmark_min_time=1 2>/dev/null |
    awk -F, 'NR > 1 { gsub(/"/, "", $1); print $1, ($6 == "" ? 0 : $6), $3 }' |
    sed -E 's|^[^ ]*/indented:0|minified-page|; s|^[^ ]*/indented:1|indented-page|;
            s|^BM_SendHttpRequest/([0-9]+)/real_time|\1-byte-body|;
            s|^BM_OneScan/members:0|page-count-only|; s|^BM_OneScan/members:1|members-only|'
}

printf '| %-44s | %14s | %-10s |\n' benchmark figure unit
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..46})" "$(printf -- '-%.0s' {1..16})" \
  "$(printf -- '-%.0s' {1..12})"

# The pattern as given finds nothing in the indented layout, so only the minified case counts.
while read -r name bytes _; do
  row "member pattern, $name" "$(awk -v b="$bytes" 'BEGIN { printf "%.0f", b / 1e6 }')" MB/s
done < <(gbench text/regex_bench | grep '^minified')
while read -r name bytes _; do
  row "page parse, $name" "$(awk -v b="$bytes" 'BEGIN { printf "%.0f", b / 1e6 }')" MB/s
done < <(gbench collect/parse_bench)
while read -r name _ ns; do
  row "HTTP request, $name" "$(awk -v t="$ns" 'BEGIN { printf "%.0f", 1e9 / t }')" requests/s
done < <(gbench web/http_bench)

while read -r concurrency pages lookups; do
  row "collection, concurrency $concurrency" "$pages" pages/s
  row "collection, concurrency $concurrency" "$lookups" lookups/s
done < <(bash "$here/collect/collect_bench.sh" "$build" | tail -n +2)

list="$("$build/bench/ui/member_list_bench" --rows 1000000 --batch 1000 2>/dev/null)"
row "1M rows into the member list" "$(awk '/rows per second/ { print $4 }' <<<"$list")" rows/s
row "1M rows into the member list" "$(awk '/per row/ { print $5 }' <<<"$list")" bytes/row
row "1M rows, longest event-loop stall" "$(awk '/stall/ { print $4 }' <<<"$list")" ms

run="$("$build/bench/app/window_run_bench" --members 100000 --forums 10 2>/dev/null)"
field() { sed -E "s|.*$1 ([0-9.]+).*|\\1|" <<<"$run"; }
row "window run of 100k members with IDs" "$(field 'members/s')" members/s
row "window run, longest event-loop stall" "$(field 'stall')" ms
row "window run, window thread CPU" "$(field 'CPU')" s
row "window run, peak memory" "$(field 'peak memory')" MB
