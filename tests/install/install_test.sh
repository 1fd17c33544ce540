#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the C example module
# from examples/greeter against it twice (the CMake package and
# pkg-config), and runs the installed host with it: the module's objects
# are created, reconfigured on SIGHUP and gathered; a run without the
# module keeps its saved configuration. Waits only by bounded polling.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 src=$2
tmp=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*"; cat "$tmp/log" 2>/dev/null || true; echo "0 passed, 1 failed"; exit 1; }
. "$(dirname "$0")/../support/until_ok.sh"

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
libdir=$(dirname "$(find "$prefix" -name libvorlix-cs.so | head -1)")
[ -f "$prefix/include/cs/cs.h" ] && [ -f "$libdir/pkgconfig/vorlix-cs.pc" ] \
  && [ -f "$libdir/cmake/vorlix/vorlixConfig.cmake" ] || fail "install tree incomplete"
[ -z "$(find "$prefix/include" -name '*.hpp')" ] || fail "internal headers installed"

# The CMake package.
cmake -S "$src/examples/greeter" -B "$tmp/cmake" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null || fail "configure"
cmake --build "$tmp/cmake" >/dev/null || fail "build with the CMake package"
# pkg-config, from a copy of the example elsewhere.
mkdir "$tmp/pc" && cp "$src/examples/greeter/greeter.c" "$src/examples/greeter/Makefile" "$tmp/pc/"
PKG_CONFIG_PATH="$libdir/pkgconfig" make -s -C "$tmp/pc" CFLAGS="-O2 -Wall -Wextra -Werror" >/dev/null \
  || fail "build with pkg-config"
[ -f "$tmp/pc/libvorlix-greeter.so" ] || fail "pkg-config build made no module"

# The installed host loads each build of the module with --modules DIR.
host="$prefix/bin/vorlix-host"
cat > "$tmp/initial.json" <<'JSON'
{"vorlixStoreHeader":{"type":"CS_CONFIG"},"store":{
  "modules":{"greeter":{"config":{"defaultGreeting":"hi"}}},
  "objects":{"front":{"sort":"GREETER","config":{"intervalMilliseconds":20}},
             "back":{"sort":"GREETER","config":{"greeting":"hey","intervalMilliseconds":50}}}}}
JSON
out=$("$host" --modules "$tmp/pc" --module greeter --initial "$tmp/initial.json" --run-ms 0 2>&1) \
  || fail "pkg-config build does not load: $out"
mkdir "$tmp/etc"
"$host" --config "$tmp/etc" --initial "$tmp/initial.json" --modules "$tmp/cmake" --module greeter \
  --http 127.0.0.1:0 --save-delay-ms 20 >"$tmp/log" 2>&1 &
pid=$!
until_ok 10 grep -q "service: running" "$tmp/log" || fail "service not ready"
base="http://$(sed -n 's/^http: listening on //p' "$tmp/log")"
greetings() { curl -sf "$base/status" | jq -r '.objects.front.status.greeterGreetings'; }
until_ok 10 test "$(greetings)" -gt 1 || fail "greeter does not run"
[ "$(curl -sf "$base/status" | jq -r '.objects.front.status.greeterGreeting')" = hi ] || fail "default greeting"

jq '.store.objects.back.config.greeting = "hello again"' "$tmp/etc/cs.vqconfig" > "$tmp/edit" \
  && cp "$tmp/edit" "$tmp/etc/cs.vqconfig"
kill -HUP "$pid"
until_ok 10 grep -q "reload: applied" "$tmp/log" || fail "no reload"
grep -q "reload: reconfigured back: config/greeting" "$tmp/log" || fail "reconfiguration not reported"
kill -TERM "$pid"
rc=0; wait "$pid" || rc=$?
pid=
[ "$rc" = 0 ] || fail "exit status $rc"
[ "$(jq -r '.store.objects.back.config.greeting' "$tmp/etc/cs.vqconfig")" = "hello again" ] || fail "not gathered"
[ "$(jq -r '.store.objects.front.sort' "$tmp/etc/cs.vqconfig")" = GREETER ] || fail "sort not saved"

# Without the module: its objects wait as placeholders and its module
# configuration is kept.
"$host" --config "$tmp/etc" --run-ms 0 >"$tmp/log" 2>&1 || fail "run without the module"
grep -q "module greeter is not loaded" "$tmp/log" || fail "absent module not reported"
[ "$(jq -r '.store.modules.greeter.config.defaultGreeting' "$tmp/etc/cs.vqconfig")" = hi ] \
  || fail "module configuration dropped"
[ "$(jq -r '.store.objects.back.config.config.greeting' "$tmp/etc/cs.vqconfig")" = "hello again" ] \
  || fail "object configuration lost"
echo "1 passed, 0 failed"
