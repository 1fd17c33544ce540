# Sourced by the shell end-to-end tests.
# until_ok SECONDS COMMAND...: polls COMMAND every 20 ms until it succeeds;
# fails when SECONDS pass first.
until_ok() {
  local end=$(( $(date +%s) + $1 )); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.02
  done
}
