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
grep -q '^configuration: loaded from initial file, 4 objects' <<<"$out" || fail "sample not applied"
grep -q '^configuration: version [0-9]*, saved' <<<"$out" || fail "not saved"
# The first tick comes after the default 1000 ms, then every 500 ms: 19 ticks.
grep -q 'demoTicks=19' <<<"$out" || fail "demo module did not tick 19 times in 10 s of virtual time"

# Both files hold the same bytes, are the owner's alone and are JSON that
# jq reads.
[ "$(stat -c %a "$dir/cs.vqconfig") $(stat -c %a "$dir/cs-backup.vqconfig")" = "600 600" ] \
  || fail "configuration files readable by others"
cmp -s "$dir/cs.vqconfig" "$dir/cs-backup.vqconfig" || fail "main and backup differ"
[ "$(jq -r '.vorlixStoreHeader.type' "$dir/cs.vqconfig")" = CS_CONFIG ] || fail "header"
[ "$(jq -r '.store.objects["old-disabled"].config.mode' "$dir/cs.vqconfig")" = CS_WRAPPED_MODE_DISABLED ] \
  || fail "stub container not migrated"
[ "$(jq -r '.store.objects["gateway-a"].metaData.pelmarq.objectInformationId' "$dir/cs.vqconfig")" = ABC009 ] \
  || fail "preset not migrated"
[ "$(jq -r '.store.objects["gateway-a"].config.sort' "$dir/cs.vqconfig")" = VX_GATEWAY ] \
  || fail "unregistered sort's configuration lost"
jq -e . "$dir/trace.jsonl" >/dev/null || fail "trace is not JSON lines"
# The sessions rose to five and fell to one: the condition on them switched
# on and off again.
jq -se '[.[] | select(.key=="csConditionValue") | .value] | index(true) != null and index(false) != null' \
  "$dir/trace.jsonl" >/dev/null || fail "the demo condition did not switch on and off"
grep -q 'status demo:.* demoSessions=1 ' <<<"$out" || fail "demo sessions counter"
grep -q '^status object demo-busy: csConditionValue=false' <<<"$out" || fail "condition status"
jq -se 'map(select(.name=="cs" and .key=="csSystemIdentifier")) | length > 0' "$dir/trace.jsonl" >/dev/null || fail "trace property"
first=$(jq -S .store.objects "$dir/cs.vqconfig")

# The second run starts from the saved files and gathers the same objects.
out=$("$host" --config "$dir" --module demo --manual-clock --run-ms 1000)
echo "$out"
grep -q '^configuration: loaded from configuration directory, 4 objects' <<<"$out" || fail "saved file not loaded"
[ "$(jq -S .store.objects "$dir/cs.vqconfig")" = "$first" ] || fail "objects changed across a restart"
# A file an administrator narrowed further keeps its mode.
chmod 400 "$dir/cs.vqconfig"
"$host" --config "$dir" --module demo --manual-clock --run-ms 0 >/dev/null || fail "run with a read-only main file"
[ "$(stat -c %a "$dir/cs.vqconfig")" = 400 ] || fail "saving widened the main file's mode"
chmod 600 "$dir/cs.vqconfig"

# A stray comma in the main file with a good backup: the host says so, keeps
# the broken file aside and goes on with the backup.
good=$(cat "$dir/cs.vqconfig")
sed -i '0,/"objects":{/s//"objects":{,/' "$dir/cs.vqconfig"
cp "$dir/cs.vqconfig" "$dir/broken"
out=$("$host" --config "$dir" --module demo --manual-clock --run-ms 0 2>&1) || fail "fallback to the backup failed"
echo "$out"
grep -q 'falling back to the backup' <<<"$out" || fail "fallback not announced"
grep -q "cs.vqconfig: line [0-9]*, column [0-9]*: " <<<"$out" || fail "no line and column for the syntax error"
cmp -s "$dir/cs.vqconfig.broken-1" "$dir/broken" || fail "broken main file not kept aside"
grep -q '^configuration: loaded from backup file, 4 objects' <<<"$out" || fail "backup not applied"
[ "$(jq -S .store.objects "$dir/cs.vqconfig")" = "$first" ] || fail "backup's objects not saved"

# The same with no backup: nothing is written, the exit status says so and
# the message names the file.
cp "$dir/broken" "$dir/cs.vqconfig"
rm "$dir/cs-backup.vqconfig"
rc=0; out=$("$host" --config "$dir" --module demo --manual-clock --run-ms 0 2>&1) || rc=$?
echo "$out"
[ "$rc" -ne 0 ] || fail "a configuration that did not load gave exit status 0"
grep -q "$dir/cs.vqconfig: line [0-9]*, column [0-9]*: " <<<"$out" || fail "message does not name file and place"
cmp -s "$dir/cs.vqconfig" "$dir/broken" || fail "a broken configuration was overwritten"
[ ! -e "$dir/cs-backup.vqconfig" ] || fail "a backup was saved"

# A backup alone that does not load stops the host as well.
mv "$dir/cs.vqconfig" "$dir/cs-backup.vqconfig"
rc=0; "$host" --config "$dir" --manual-clock --run-ms 0 >/dev/null 2>&1 || rc=$?
[ "$rc" -ne 0 ] && [ ! -e "$dir/cs.vqconfig" ] || fail "a broken backup alone was overwritten"

# A configuration directory that does not exist is an error.
rc=0; out=$("$host" --config "$dir/missing" --manual-clock --run-ms 0 2>&1) || rc=$?
[ "$rc" -ne 0 ] || fail "a missing configuration directory gave exit status 0"
grep -q "$dir/missing" <<<"$out" || fail "message does not name the missing directory"
echo "1 passed, 0 failed"
