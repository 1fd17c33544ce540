#!/usr/bin/env bash
# etcd over TLS with client certificates: vorlix-config fleet writes and
# reads a group with the CA, certificate and key given; without the client
# certificate, or with a CA that did not sign etcd's, etcd cannot be used.
# (The host reaches etcd through the same client and options.)
# Usage: fleet_tls.sh CONFIG_TOOL
set -euo pipefail
tool=$1
command -v etcd >/dev/null && command -v openssl >/dev/null || { echo "SKIPPED: needs etcd and openssl"; exit 77; }
dir=$(mktemp -d)
. "$(dirname "$0")/fleet_lib.sh"
trap fleet_cleanup EXIT
fail() { echo "FAILED: $*"; cat "$dir/etcd.log"; echo "0 passed, 1 failed"; exit 1; }

# A throwaway CA, and etcd's and a client's certificates signed by it.
certificate() {  # NAME SUBJECT [EXTENSION]
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=$2" \
    -keyout "$dir/$1.key" -out "$dir/$1.csr" 2>/dev/null
  openssl x509 -req -in "$dir/$1.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial -days 1 \
    ${3:+-extfile <(echo "$3")} -out "$dir/$1.pem" 2>/dev/null
}
for ca in ca other; do
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=test $ca" -days 1 \
    -keyout "$dir/$ca.key" -out "$dir/$ca.pem" 2>/dev/null
done
certificate server 127.0.0.1 "subjectAltName=IP:127.0.0.1"
certificate client root

# A port found free can be taken before etcd binds it (by another test's
# client connections): a start that does not come up is tried on new ports.
for attempt in 1 2 3; do
  port=$(free_port) peer=$(free_port)
  etcd_url="https://127.0.0.1:$port"
  etcd --name tls-test --data-dir "$dir/etcd" --log-level error \
    --listen-client-urls "$etcd_url" --advertise-client-urls "$etcd_url" \
    --cert-file "$dir/server.pem" --key-file "$dir/server.key" --client-cert-auth --trusted-ca-file "$dir/ca.pem" \
    --listen-peer-urls "http://127.0.0.1:$peer" --initial-advertise-peer-urls "http://127.0.0.1:$peer" \
    --initial-cluster "tls-test=http://127.0.0.1:$peer" >>"$dir/etcd.log" 2>&1 &
  etcd_pid=$!
  until_ok 15 curl -sf --cacert "$dir/ca.pem" --cert "$dir/client.pem" --key "$dir/client.key" "$etcd_url/health" \
    && break
  stop_etcd
  rm -rf "$dir/etcd"
  [ "$attempt" -lt 3 ] || fail "etcd does not start"
done

fleet_access=(--fleet-cacert "$dir/ca.pem" --fleet-cert "$dir/client.pem" --fleet-key "$dir/client.key")
echo '{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{"objects":{"a":{"sort":"CS_STUB","config":{}}}}}' \
  > "$dir/a.json"
fleet put "$dir/a.json" | grep -q "written as revision" || fail "put over TLS"
fleet get | jq -e '.store.objects.a' >/dev/null || fail "get over TLS"
for refused in "--fleet-cacert $dir/ca.pem" "--fleet-cacert $dir/other.pem --fleet-cert $dir/client.pem --fleet-key $dir/client.key"; do
  rc=0; "$tool" fleet --fleet "$etcd_url" --group fleet $refused get >/dev/null 2>&1 || rc=$?
  [ "$rc" = 2 ] || fail "$refused gave $rc"
done
rc=0; "$tool" fleet --fleet "$etcd_url" --group fleet --fleet-cert "$dir/missing.pem" get >/dev/null 2>&1 || rc=$?
[ "$rc" = 2 ] || fail "a missing certificate file gave $rc"
stop_etcd
echo "1 passed, 0 failed"
