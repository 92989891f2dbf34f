#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when one of them is missing.
set -euo pipefail
# clang: CI builds the program with Clang as well as with GCC; clang-format: CI checks the format.
packages=(cmake g++ clang clang-format make pkg-config libsqlite3-dev libpugixml-dev libcurl4-openssl-dev
          libicu-dev nlohmann-json3-dev libcpp-httplib-dev googletest libgtest-dev libgmock-dev
          libbenchmark-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
