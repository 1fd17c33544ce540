# Shared by the fleet end-to-end test and the fleet benchmark: etcd on free
# loopback ports with its data in $dir, hosts in one group, bounded waits.
# The caller sets dir, host (vorlix-host) and tool (vorlix-config), and
# calls fleet_cleanup from its EXIT trap; with etcd_password set, etcd
# requires the user root with that password (tokens live etcd_token_ttl
# seconds unused) and the hosts and the tool log in (the password's hash
# is made cheap: a login costs etcd little on a loaded machine).
etcd_pid= etcd_url= host_pids=() fleet_access=()

. "$(dirname "${BASH_SOURCE[0]}")/../support/until_ok.sh"
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# A loopback port nothing listens on (the kernel's choice, given back).
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# start_etcd: on first call picks the ports; later calls reuse them and the
# data, as a restarted etcd would.
start_etcd() {
  if [ -z "$etcd_url" ]; then
    etcd_client=$(free_port) etcd_peer=$(free_port)
    etcd_url="http://127.0.0.1:$etcd_client"
  fi
  etcd --name fleet-test --data-dir "$dir/etcd" --log-level error --max-request-bytes 33554432 \
    --listen-client-urls "$etcd_url" --advertise-client-urls "$etcd_url" \
    --listen-peer-urls "http://127.0.0.1:$etcd_peer" --initial-advertise-peer-urls "http://127.0.0.1:$etcd_peer" \
    --initial-cluster "fleet-test=http://127.0.0.1:$etcd_peer" --auth-token-ttl "${etcd_token_ttl:-300}" --bcrypt-cost 4 \
    >>"$dir/etcd.log" 2>&1 &
  etcd_pid=$!
  until_ok 15 curl -sf "$etcd_url/health" || return 1
  [ -n "${etcd_password:-}" ] && [ ${#fleet_access[@]} = 0 ] || return 0
  local ctl=(env ETCDCTL_API=3 etcdctl --endpoints "$etcd_url")
  "${ctl[@]}" user add "root:$etcd_password" && "${ctl[@]}" user grant-role root root && "${ctl[@]}" auth enable \
    || return 1
  echo "$etcd_password" > "$dir/etcd-password"
  fleet_access=(--fleet-user root --fleet-password-file "$dir/etcd-password")
}

stop_etcd() {
  [ -n "$etcd_pid" ] || return 0
  kill -TERM "$etcd_pid" 2>/dev/null || true
  wait "$etcd_pid" 2>/dev/null || true
  etcd_pid=
}

# start_host N [OPTIONS...]: host hN with its own folder $dir/hN, in group
# "fleet", its log in $dir/hN.log; waits until it runs; sets base[N].
declare -A base
start_host() {
  local n=$1; shift
  mkdir -p "$dir/h$n"
  "$host" --config "$dir/h$n" --module demo --http 127.0.0.1:0 --save-delay-ms 50 --fleet "$etcd_url" \
    --group fleet --fleet-member "h$n" --fleet-lease-s 2 "${fleet_access[@]}" "$@" >"$dir/h$n.log" 2>&1 &
  host_pids[$n]=$!
  until_ok 10 grep -q "service: running" "$dir/h$n.log" || return 1
  base[$n]="http://$(sed -n 's/^http: listening on //p' "$dir/h$n.log")"
}

stop_host() {
  local n=$1
  [ -n "${host_pids[$n]:-}" ] || return 0
  kill -TERM "${host_pids[$n]}" 2>/dev/null || true
  wait "${host_pids[$n]}" 2>/dev/null || true
  host_pids[$n]=
}

fleet_cleanup() {
  for pid in "${host_pids[@]}" $etcd_pid; do kill -KILL "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}

fleet() { "$tool" fleet --fleet "$etcd_url" --group fleet "${fleet_access[@]}" "$@"; }
fleet_json() { "$tool" --json fleet --fleet "$etcd_url" --group fleet "${fleet_access[@]}" "$@"; }
