#!/usr/bin/env bash
# Hostile configuration files given to the host and to vorlix-config: deep
# nesting, invalid UTF-8, integers beyond 64 bits, duplicate keys, control
# characters in keys, an unterminated 10 MB string. The host refuses each
# with a message and leaves the file as it was; the tool reports an error.
# Usage: hostile_configs.sh HOST CONFIG_TOOL
set -euo pipefail
host=$1 tool=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAILED: $*"; echo "0 passed, 1 failed"; exit 1; }
wrap() { printf '{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":%s}' "$1"; }

deep=1; for _ in $(seq 70); do deep="{\"k\":$deep}"; done
mkdir "$dir/cases"
wrap "$deep" > "$dir/cases/deep"
wrap $'{"comment":"\xC3\x28\xFF"}' > "$dir/cases/utf8"
wrap '{"n":9223372036854775808}' > "$dir/cases/huge"
wrap '{"objects":{},"objects":{}}' > "$dir/cases/duplicate"
wrap $'{"a\x01":1}' > "$dir/cases/control-raw"
wrap '{"a\u0007b":1}' > "$dir/cases/control-escaped"
{ printf '{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{"s":"'; head -c $((10 << 20)) /dev/zero | tr '\0' x; } > "$dir/cases/open-10mb"

n=0
for path in "$dir"/cases/*; do
  name=$(basename "$path")
  rm -rf "$dir/etc"; mkdir "$dir/etc"
  cp "$path" "$dir/etc/cs.vqconfig"
  rc=0; out=$("$host" --config "$dir/etc" --run-ms 0 2>&1) || rc=$?
  [ "$rc" != 0 ] && [ -n "$out" ] || fail "host accepted $name (rc $rc): $out"
  cmp -s "$path" "$dir/etc/cs.vqconfig" || fail "host changed $name"
  [ "$(ls "$dir/etc")" = cs.vqconfig ] || fail "host left files beside $name: $(ls "$dir/etc")"
  rc=0; out=$("$tool" --json check "$path") || rc=$?
  [ "$rc" = 2 ] && jq -e '.ok == false and (.error | length > 0)' <<<"$out" >/dev/null || fail "check $name: $out"
  n=$((n + 1))
done
echo "$n passed, 0 failed"
