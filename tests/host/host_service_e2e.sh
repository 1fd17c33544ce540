#!/usr/bin/env bash
# End to end, the host as a service: readiness, the HTTP endpoint (status,
# configuration without private data, metrics that promtool accepts and
# that move), reload on SIGHUP with its change log, the debounced save,
# SIGTERM, a restart from what was saved, and bad input to the service and
# to vorlix-config. Waits only by polling with a bounded timeout.
# Usage: host_service_e2e.sh HOST CONFIG_TOOL
set -euo pipefail
host=$1 tool=$2
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAILED: $*"; echo "--- log"; cat "$dir/log" 2>/dev/null || true; echo "0 passed, 1 failed"; exit 1; }
. "$(dirname "$0")/../support/until_ok.sh"
logged() { grep -q -- "$1" "$dir/log"; }
metric() { curl -sf "$base/metrics" | sed -n "s/^$1{module=\"demo\"} //p"; }

mkdir "$dir/etc"
cat > "$dir/initial.json" <<'JSON'
{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{
  "modules":{"demo":{"config":{"tickMilliseconds":20,"label":"first","token":"s3cret"}},
             "greeter":{"config":{"greeting":"hello"}}},
  "objects":{"notes":{"sort":"CS_STUB","config":{"text":"keep me"}},
             "gone":{"sort":"CS_STUB","config":{}},
             "lower":{"sort":"greeter","config":{"x":1}}}}}
JSON

# Start: ready, endpoint on a free port, skipped entries and absent modules named.
"$host" --config "$dir/etc" --initial "$dir/initial.json" --module demo --http 127.0.0.1:0 \
  --save-delay-ms 50 >"$dir/log" 2>&1 &
pid=$!
until_ok 30 logged "service: running" || fail "service not ready"
base="http://$(sed -n 's/^http: listening on //p' "$dir/log")"
logged 'skipped objects/lower: its sort "greeter" is not an upper-case name' || fail "skipped entry not reported"
logged "module greeter is not loaded" || fail "module not loaded not reported"

# /status, /config without private data, /healthz, reads only.
[ "$(curl -sf "$base/status" | jq -r '.modules.demo.demoLabel')" = first ] || fail "/status"
[ "$(curl -sf "$base/status" | jq -r '.objects.notes.sort')" = CS_STUB ] || fail "/status objects"
curl -sf "$base/config" | jq -e '.modules.demo.config.label == "first" and (.modules.demo.config | has("token") | not)' \
  >/dev/null || fail "/config shows private data or misses the label"
[ "$(curl -sf "$base/healthz")" = ok ] || fail "/healthz"
[ "$(curl -s -o /dev/null -w '%{http_code}' -X POST "$base/config")" = 405 ] || fail "POST accepted"

# /metrics passes promtool, and the tick count moves with the status.
# The rate writes its items after its first one-second step.
until_ok 30 bash -c "curl -sf '$base/metrics' | grep -q '^vorlix_demo_requests_hour'" || fail "no rate in the metrics"
curl -sf "$base/metrics" > "$dir/metrics"
promtool check metrics < "$dir/metrics" || fail "promtool rejects the metrics"
grep -q '^vorlix_cs_up{module="demo"} 1$' "$dir/metrics" || fail "boolean gauge"
for m in demo_sessions demo_requests_second demo_requests_minute demo_requests_hour demo_paced_events; do
  grep -q "^vorlix_$m{module=\"demo\"} " "$dir/metrics" || fail "no $m in the metrics"
done
first=$(metric vorlix_demo_ticks)
[ -n "$first" ] || fail "no tick gauge"
# (the gauge is read anew on every poll, not once when the poll starts)
ticks_moved() { [ "$(metric vorlix_demo_ticks)" -gt "$first" ]; }
until_ok 30 ticks_moved || fail "tick gauge does not move"

# The first save comes shortly after the start; it keeps the absent module's
# entry and a copy of the file as loaded, since the bad entry is dropped.
until_ok 30 test -e "$dir/etc/cs.vqconfig" || fail "not saved after the start"
[ "$(jq -r '.store.modules.greeter.config.greeting' "$dir/etc/cs.vqconfig")" = hello ] \
  || fail "configuration of a module not loaded was dropped"
[ "$(jq -r '.store.modules.demo.config.token' "$dir/etc/cs.vqconfig")" = s3cret ] || fail "private data not saved"
ls "$dir"/etc/cs-as-loaded-*.vqconfig >/dev/null 2>&1 || fail "no copy of the file as loaded"
jq -e '.store.objects.lower' "$dir"/etc/cs-as-loaded-*.vqconfig >/dev/null || fail "copy lacks the dropped entry"

# Edit the file and reload: one object created, one reconfigured, one
# deleted, the module reconfigured; the change is saved without a stop.
jq '.store.objects.added = {"sort":"CS_STUB","config":{"n":1}} | del(.store.objects.gone)
    | .store.objects.notes.config.text = "changed" | .store.modules.demo.config.label = "second"' \
  "$dir/etc/cs.vqconfig" > "$dir/edit" && cp "$dir/edit" "$dir/etc/cs.vqconfig"
kill -HUP "$pid"
until_ok 30 logged "reload: applied" || fail "no reload"
logged "reload: created added (CS_STUB)" || fail "creation not reported"
logged "reload: deleted gone (CS_STUB)" || fail "deletion not reported"
logged "reload: reconfigured notes: config/text" || fail "reconfiguration not reported"
logged "reload: module demo reconfigured: config/label" || fail "module change not reported"
[ "$(curl -sf "$base/status" | jq -r '.modules.demo.demoLabel')" = second ] || fail "reload not applied"
until_ok 30 jq -e '.store.objects.added' "$dir/etc/cs-backup.vqconfig" || fail "change not saved"

# A broken edit and SIGHUP: reported with its place; nothing changes or is written.
cp "$dir/etc/cs.vqconfig" "$dir/good"
printf '{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{"objects":{,}}}' > "$dir/etc/cs.vqconfig"
kill -HUP "$pid"
until_ok 30 logged "line 1, column [0-9]*:" || fail "broken reload not reported with its place"
[ "$(curl -sf "$base/status" | jq -r '.objects.added.sort')" = CS_STUB ] || fail "broken reload changed objects"
cp "$dir/good" "$dir/etc/cs.vqconfig"

# SIGTERM after an edit that was not reloaded: the edit is not written over,
# the running configuration is kept beside it, exit 1. (The good copy put
# back above holds what the host wrote, so it alone would not stop a save.)
jq '.store.objects.notes.config.text = "edited"' "$dir/good" > "$dir/edit" && cp "$dir/edit" "$dir/etc/cs.vqconfig"
kill -TERM "$pid"
rc=0; wait "$pid" || rc=$?
pid=
[ "$rc" = 1 ] || fail "exit status $rc after SIGTERM with an edit not reloaded"
logged "cs.vqconfig changed on disk since the host last read or wrote it" || fail "edit not reported at the stop"
cmp -s "$dir/edit" "$dir/etc/cs.vqconfig" || fail "the edit was written over"
[ "$(jq -r '.store.objects.notes.config.text' "$dir/etc/cs-unsaved.vqconfig")" = changed ] \
  || fail "running configuration not kept"
out=$("$host" --config "$dir/etc" --module demo --run-ms 0 2>&1)
grep -q "loaded from configuration directory, 2 objects" <<<"$out" || fail "restart: $out"

# Bad input: each a clear message and a non-zero exit, nothing written.
rc=0; "$host" --no-such-option >/dev/null 2>&1 || rc=$?; [ "$rc" = 2 ] || fail "unknown option gave $rc"
rc=0; out=$("$host" --config "$dir/none" 2>&1) || rc=$?
[ "$rc" = 1 ] && grep -q "$dir/none does not exist" <<<"$out" || fail "missing directory: $out"
rc=0; out=$("$host" --module greeter --run-ms 0 2>&1) || rc=$?
[ "$rc" = 1 ] && grep -q "cannot load module greeter: libvorlix-greeter.so not found" <<<"$out" \
  || fail "module load failure: $out"
rc=0; out=$(timeout 10 "$host" --http 192.0.2.1:80 2>&1) || rc=$?
[ "$rc" = 1 ] && grep -q "loopback addresses only" <<<"$out" || fail "non-loopback endpoint: $out"

mkdir "$dir/foreign-etc"
printf '{"vorlixStoreHeader":{"type":"TR_TRACE"},"store":{}}' > "$dir/foreign-etc/cs.vqconfig"
cp "$dir/foreign-etc/cs.vqconfig" "$dir/foreign-copy"
rc=0; out=$("$host" --config "$dir/foreign-etc" --run-ms 0 2>&1) || rc=$?
[ "$rc" = 1 ] && grep -q "is not a configuration" <<<"$out" && cmp -s "$dir/foreign-copy" "$dir/foreign-etc/cs.vqconfig" \
  || fail "a file of another header type: $out"

# vorlix-config on good, garbage, truncated and foreign files.
"$tool" check "$dir/good" | grep -q "CS_CONFIG configuration, [0-9]* modules, 2 objects" || fail "check good file"
printf 'garbage' > "$dir/garbage"; head -c 40 "$dir/good" > "$dir/truncated"
printf '{"vorlixStoreHeader":{"type":"TR_TRACE"},"store":{}}' > "$dir/foreign"
for f in garbage truncated foreign missing; do
  rc=0; out=$("$tool" --json check "$dir/$f") || rc=$?
  [ "$rc" = 2 ] && jq -e '.ok == false and (.error | length > 0)' <<<"$out" >/dev/null || fail "check $f: $out"
done
out=$("$tool" --json check "$dir/garbage") || true
jq -e '.error | test("^line 1, column 1: ")' <<<"$out" >/dev/null || fail "broken file without a place"
out=$("$tool" --json check "$dir/foreign") || true
jq -e '.headerType == "TR_TRACE"' <<<"$out" >/dev/null || fail "foreign header type"
rc=0; "$tool" --json check "$dir/initial.json" > "$dir/out" || rc=$?
[ "$rc" = 1 ] && jq -e '.skipped[0].name == "lower"' "$dir/out" >/dev/null || fail "check does not name skipped entries"
rc=0; "$tool" --json diff "$dir/initial.json" "$dir/good" > "$dir/out" || rc=$?
[ "$rc" = 1 ] && jq -e '.objects.added == ["added"] and (.objects.removed | index("gone")) != null
  and (.objects.changed.notes | index("config/text")) != null' "$dir/out" >/dev/null || fail "diff: $(cat "$dir/out")"
"$tool" migrate "$dir/good" | jq -e '.store.objects.notes' >/dev/null || fail "migrate"
"$tool" --bogus >/dev/null 2>&1 && fail "tool accepted an unknown option"
echo "1 passed, 0 failed"
