#!/usr/bin/env bash
# zelvor-cli collect against the fake forum: exit status, real-time files and export bytes.
set -euo pipefail
bin="$1"
work="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

"$bin/zelvor-fake-forum" --forum 一吧=50 --forum 空吧=0 >"$work/port" &
server=$!
for _ in $(seq 100); do [[ -s "$work/port" ]] && break; sleep 0.05; done
port="$(awk '{print $2}' "$work/port")"

printf '%s\r\n' 一吧 空吧 一吧 | iconv -f UTF-8 -t GB18030 >"$work/forums.txt"
"$bin/zelvor-cli" collect --file "$work/forums.txt" --site "http://127.0.0.1:$port" \
  --delay 0 --concurrency 4 --out "$work/out" --export "$work/all.txt" --separator '|' \
  2>"$work/log"

lines() { iconv -f GB18030 -t UTF-8 "$1" | wc -l; }
[[ "$(lines "$work/out/用户呢称.txt")" == 50 ]]
[[ "$(lines "$work/out/用户ID.txt")" == 50 ]]
[[ "$(lines "$work/all.txt")" == 50 ]]
# Every exported line is nickname|id with CR LF, and the ID is the one the forum gave.
iconv -f GB18030 -t UTF-8 "$work/all.txt" | grep -c $'^.\+|[0-9]\+_[0-9]\+\r$' | grep -qx 50
grep -q '采集完成！' "$work/log"

# A page limit that is not a positive number is refused before anything is asked for.
if "$bin/zelvor-cli" collect 一吧 --pages 1-2 --site "http://127.0.0.1:$port" 2>"$work/err"; then
  exit 1
fi
grep -q '采集页数必须是大于0的整数' "$work/err"
echo "collect end to end: ok"
