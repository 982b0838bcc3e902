# checks.sh: sourced by the check scripts (package_check.sh, nut/clients_check.sh) and the scripts
# that serve on a port of their own: one line per verified fact, polling with a deadline, and a
# loopback port for the run.
passed=0 failed=0
check() {  # check WHAT COMMAND...: one line per verified fact
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1)); echo "   ok    $what"
  else
    failed=$((failed + 1)); echo "   FAIL  $what"
  fi
}
eventually() {  # eventually SECONDS COMMAND...: polls every 0.2 s
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
free_port() {  # a port above 1024 that nothing listens on at 127.0.0.1, different from one run to the next
  local candidate
  for _ in $(seq 50); do
    candidate=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then echo "$candidate"; return 0; fi
  done
  return 1
}
