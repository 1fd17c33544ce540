#!/usr/bin/env bash
# The time from `vorlix-config fleet put` to every host of a group of three
# having applied it, for a configuration of N objects (10000 by default):
# etcd on free loopback ports, three hosts with their own folders. Round 1
# creates the N objects, rounds 2 and 3 reconfigure all of them.
# Usage: bench/fleet_put.sh BUILD_DIR [N]
#   e.g. bench/fleet_put.sh build/default 10000
set -euo pipefail
build=$(cd "$1" && pwd) n=${2:-10000}
host=$build/tools/host/vorlix-host tool=$build/tools/config/vorlix-config
command -v etcd >/dev/null || { echo "etcd is not installed (scripts/setup.sh installs etcd-server)"; exit 1; }
dir=$(mktemp -d)
. "$(dirname "$0")/../tests/host/fleet_lib.sh"
trap fleet_cleanup EXIT

start_etcd
for h in 1 2 3; do start_host $h; done
for round in 1 2 3; do
  jq -n --argjson n "$n" --arg round "$round" '{vorlixStoreHeader:{type:"CS_CONFIG"},store:{objects:
    ([range($n)] | map({key:"object-\(.)", value:{sort:"CS_STUB",config:{round:$round,index:.}}}) | from_entries)}}' \
    > "$dir/put.json"
  start=$(now_ms)
  revision=$(fleet put "$dir/put.json" | sed -n 's/.*written as revision //p')
  put=$(now_ms)
  for h in 1 2 3; do
    until_ok 120 grep -q "fleet: applied from etcd revision $revision:" "$dir/h$h.log" \
      || { echo "h$h did not apply revision $revision"; exit 1; }
  done
  done_ms=$(now_ms)
  echo "round $round: $n objects ($(stat -c %s "$dir/put.json") bytes): put took $(( put - start )) ms," \
       "applied on all three $(( done_ms - start )) ms after the put started"
done
