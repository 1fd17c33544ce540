#!/usr/bin/env bash
# End to end, three hosts in one group kept in etcd: a put with the tool
# reaches every host within two seconds; a host killed with SIGKILL leaves
# the group's status with its lease; etcd stopped and started again (the
# hosts run on, say so, and catch up; a change made meanwhile on a stale
# base loses with a conflict); two hosts changing the configuration
# at once (each change survives or its host reports the conflict); private
# data stays on the hosts. etcd requires a user throughout. Waits only by polling with bounded timeouts.
# Usage: fleet_e2e.sh HOST CONFIG_TOOL
set -euo pipefail
host=$1 tool=$2
if ! command -v etcd >/dev/null; then
  echo "SKIPPED: etcd is not installed (scripts/setup.sh installs etcd-server)"
  exit 77
fi
dir=$(mktemp -d)
. "$(dirname "$0")/fleet_lib.sh"
trap fleet_cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$dir"/h*.log; do echo "--- $f"; cat "$f"; done
  echo "0 passed, 1 failed"; exit 1
}
logged() { grep -q -- "$2" "$dir/h$1.log"; }
has_object() { curl -sf "${base[$1]}/config" | jq -e ".objects.\"$2\"" >/dev/null; }

# etcd requires a user; its tokens expire after two seconds unused, so
# the hosts and the tool log in again as they go.
etcd_password=fleet-pw etcd_token_ttl=2
start_etcd || fail "etcd does not start"
rc=0; "$tool" fleet --fleet "$etcd_url" --group fleet get >/dev/null 2>&1 || rc=$?
[ "$rc" = 2 ] || fail "the tool without a user gave $rc"
cat > "$dir/initial.json" <<'JSON'
{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{
  "modules":{"demo":{"config":{"tickMilliseconds":50,"label":"first","token":"s3cret"}}},
  "objects":{"notes":{"sort":"CS_STUB","config":{"text":"from h1"}}}}}
JSON

# h1 starts the group from its initial file; h2 and h3 take the group's.
start_host 1 --initial "$dir/initial.json" || fail "h1 does not start"
logged 1 "holds no configuration yet" || fail "h1 did not offer its configuration"
start_host 2 || fail "h2 does not start"
start_host 3 || fail "h3 does not start"
for n in 2 3; do has_object $n notes || fail "h$n did not take the group's configuration"; done

# Private data stays with the host that has it.
fleet get | jq -e '.store.modules.demo.config | has("token") | not' >/dev/null || fail "private data in the group"
until_ok 5 jq -e '.store.modules.demo.config.token == "s3cret"' "$dir/h1/cs.vqconfig" || fail "h1 lost its private value"

# A put reaches all three within two seconds.
fleet get | jq '.store.objects.put1 = {"sort":"CS_STUB","config":{"n":1}} | .store.modules.demo.config.label = "put"' \
  > "$dir/put1.json"
start=$(now_ms)
revision=$(fleet put "$dir/put1.json" | sed -n 's/.*written as revision //p')
written=$(( $(now_ms) - start ))
[ -n "$revision" ] || fail "put"
for n in 1 2 3; do until_ok 5 logged $n "applied from etcd revision $revision:" || fail "h$n did not apply the put"; done
elapsed=$(( $(now_ms) - start ))
for n in 1 2 3; do has_object $n put1 || fail "h$n does not show the put"; done
echo "put reached all three hosts in $elapsed ms (the tool took $written ms of it)"
[ "$elapsed" -lt 2000 ] || fail "put took $elapsed ms"
[ "$(curl -sf "${base[2]}/status" | jq -r '.modules.demo.demoLabel')" = put ] || fail "module change not applied"
for n in 2 3; do
  diff <(curl -sf "${base[1]}/config" | jq -S '.objects') <(curl -sf "${base[$n]}/config" | jq -S '.objects') \
    >/dev/null || fail "h1 and h$n disagree"
done
fleet diff "$dir/put1.json" >/dev/null || fail "diff sees a difference after the put"

# The status shows three hosts; h3 killed with SIGKILL goes with its lease.
listed() { [ "$(fleet_json status | jq '.hosts | length')" = "$1" ]; }
until_ok 3 listed 3 || fail "status does not list three hosts"
fleet status | grep -q "^h2 .* ok$" || fail "status table: $(fleet status)"
kill -KILL "${host_pids[3]}"; wait "${host_pids[3]}" 2>/dev/null || true; host_pids[3]=
killed=$(now_ms)
until_ok 8 listed 2 || fail "the killed host is still listed"
echo "the killed host left the status after $(( $(now_ms) - killed )) ms (lease 2 s)"

# etcd stopped: the hosts run on and say so; h1 and h2 both change their
# files meanwhile. Once etcd is back h2's change reaches the group while h1
# is held (SIGSTOP); h1's change, based on the revision before, then loses
# with a conflict and h1 takes h2's: neither host's change is lost unseen.
stop_etcd
for n in 1 2; do until_ok 5 logged $n "is unreachable" || fail "h$n did not notice the outage"; done
for n in 1 2; do
  [ "$(curl -sf "${base[$n]}/healthz")" = ok ] && has_object $n put1 || fail "h$n during the outage"
  until_ok 5 jq -e '.store.objects.put1' "$dir/h$n/cs.vqconfig" || fail "h$n did not save the put"
  jq ".store.objects.outage$n = {\"sort\":\"CS_STUB\",\"config\":{}}" "$dir/h$n/cs.vqconfig" > "$dir/edit"
  cp "$dir/edit" "$dir/h$n/cs.vqconfig"
  kill -HUP "${host_pids[$n]}"
  until_ok 5 logged $n "it is written when etcd answers" || fail "h$n did not keep its change for later"
done
kill -STOP "${host_pids[1]}"
start_etcd || fail "etcd does not start again"
until_ok 5 logged 2 "answers again" || fail "h2 did not notice etcd is back"
until_ok 5 eval 'fleet get | jq -e .store.objects.outage2' || fail "h2's change made during the outage was lost"
kill -CONT "${host_pids[1]}"
until_ok 5 logged 1 "conflict: .* after revision" || fail "h1 did not report its change made during the outage lost"
until_ok 5 has_object 1 outage2 || fail "h1 did not take the group's change made while it was away"
fleet get | jq -e '.store.objects | has("outage1") | not' >/dev/null || fail "h1's stale change overwrote the group's"

# Two hosts change at once: each change survives or its host reports a conflict.
for n in 1 2; do
  until_ok 5 jq -e '.store.objects.outage2' "$dir/h$n/cs.vqconfig" || fail "h$n did not save"
  jq ".store.objects.both$n = {\"sort\":\"CS_STUB\",\"config\":{}}" "$dir/h$n/cs.vqconfig" > "$dir/edit$n"
  cp "$dir/edit$n" "$dir/h$n/cs.vqconfig"
done
conflicts=()
conflicts_now() { grep -c "conflict" "$dir/h$1.log" || true; }
for n in 1 2; do conflicts[$n]=$(conflicts_now $n); done
kill -HUP "${host_pids[1]}" "${host_pids[2]}"
settled() {
  for n in 1 2; do logged $n "both$n" || return 1; done
  local group; group=$(fleet get)
  for n in 1 2; do
    jq -e ".store.objects.both$n" <<<"$group" >/dev/null || [ "$(conflicts_now $n)" -gt "${conflicts[$n]}" ] || return 1
  done
}
until_ok 10 settled || fail "a change of the two was lost without a conflict"
echo "race: group holds $(fleet get | jq -c '[.store.objects | keys[] | select(startswith("both"))]'),"\
  "conflicts reported: $(cat "$dir"/h[12].log | grep -c conflict || true)"
agree() { diff <(curl -sf "${base[1]}/config" | jq -S .objects) <(curl -sf "${base[2]}/config" | jq -S .objects); }
until_ok 5 agree || fail "the two hosts disagree after the race"

# Bad options.
rc=0; "$host" --fleet "$etcd_url" >/dev/null 2>&1 || rc=$?; [ "$rc" = 2 ] || fail "--fleet without --group gave $rc"
rc=0; "$tool" fleet --fleet "http://127.0.0.1:1" --group fleet get >/dev/null 2>&1 || rc=$?
[ "$rc" = 2 ] || fail "tool against no etcd gave $rc"

# Everything stops: the hosts withdraw, no process stays.
stop_host 1; stop_host 2
until_ok 5 listed 0 || fail "stopped hosts are still listed"
stop_etcd
for pid in "${host_pids[@]}"; do [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null || fail "process $pid left"; done
echo "1 passed, 0 failed"
