# Sourced by scripts that must know what this machine can run.
# True when this machine can execute 32-bit programs (the 32-bit Wine loader must start).
can_run_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}
