#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test; idempotent.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  clang libclang-rt-14-dev
  libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  tinyproxy-bin ca-certificates
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  sudo="sudo"
fi
echo "安装依赖: ${missing[*]}" >&2
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
