#!/usr/bin/env bash
# End to end: the host starts the runtime and the modules, applies the sample
# configuration (migrating it), runs in virtual time, saves; a second run
# loads what the first saved. Usage: host_e2e.sh HOST SAMPLE
set -euo pipefail
host=$1 sample=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAILED: $*"; echo "0 passed, 1 failed"; exit 1; }

out=$("$host" --config "$dir" --initial "$sample" --trace "$dir/trace.jsonl" --module demo \
      --manual-clock --run-ms 10000)
echo "$out"
grep -q '^configuration: loaded from initial file, 3 objects' <<<"$out" || fail "sample not applied"
grep -q '^configuration: version [0-9]*, saved' <<<"$out" || fail "not saved"
# The first tick comes after the default 1000 ms, then every 500 ms: 19 ticks.
grep -q 'demoTicks=19' <<<"$out" || fail "demo module did not tick 19 times in 10 s of virtual time"

# Both files hold the same bytes and are JSON that jq reads.
cmp -s "$dir/cs.vqconfig" "$dir/cs-backup.vqconfig" || fail "main and backup differ"
[ "$(jq -r '.vorlixStoreHeader.type' "$dir/cs.vqconfig")" = CS_CONFIG ] || fail "header"
[ "$(jq -r '.store.objects["old-disabled"].config.mode' "$dir/cs.vqconfig")" = CS_WRAPPED_MODE_DISABLED ] \
  || fail "stub container not migrated"
[ "$(jq -r '.store.objects["gateway-a"].metaData.pelmarq.objectInformationId' "$dir/cs.vqconfig")" = ABC009 ] \
  || fail "preset not migrated"
[ "$(jq -r '.store.objects["gateway-a"].config.sort' "$dir/cs.vqconfig")" = VX_GATEWAY ] \
  || fail "unregistered sort's configuration lost"
jq -e . "$dir/trace.jsonl" >/dev/null || fail "trace is not JSON lines"
jq -se 'map(select(.name=="cs" and .key=="csSystemIdentifier")) | length > 0' "$dir/trace.jsonl" >/dev/null || fail "trace property"
first=$(jq -S .store.objects "$dir/cs.vqconfig")

# The second run starts from the saved files and gathers the same objects.
out=$("$host" --config "$dir" --module demo --manual-clock --run-ms 1000)
echo "$out"
grep -q '^configuration: loaded from configuration directory, 3 objects' <<<"$out" || fail "saved file not loaded"
[ "$(jq -S .store.objects "$dir/cs.vqconfig")" = "$first" ] || fail "objects changed across a restart"
echo "1 passed, 0 failed"
