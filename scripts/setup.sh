#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# Safe to run again: it only calls apt-get when something is not installed.
set -euo pipefail
packages=(cmake ninja-build g++ clang pkg-config libgtest-dev libgmock-dev
          libbenchmark-dev libsimdjson-dev libjansson-dev libcjson-dev
          libclang-rt-14-dev jq libmicrohttpd-dev libsystemd-dev libcli11-dev curl
          prometheus etcd-server etcd-client libcurl4-openssl-dev python3 libmimalloc-dev
          libabsl-dev rapidjson-dev)  # the last two: peers in bench/ only
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
