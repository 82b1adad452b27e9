# Shared by the project's scripts: install missing Debian packages, configure, build.
# Sourced, not run.

QUORIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Debian packages the build and the tests use (Qt for the widget binding and its
# Designer plugin, Xvfb for pictures of the demo).
QUORIX_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
                 libcli11-dev nlohmann-json3-dev libedit-dev libsqlite3-dev sqlite3 libmpfr-dev
                 zlib1g-dev dpkg-dev clang-format qt6-base-dev libqt6sql6-sqlite qt6-tools-dev qt6-tools-dev-tools xvfb xauth)
# What fuzz/run.sh needs besides: clang with libFuzzer and the sanitizer runtimes.
QUORIX_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# run_logged LOG COMMAND...: runs COMMAND with its output in LOG, shown only if it fails.
run_logged() {
  local log=$1; shift
  mkdir -p "$(dirname "$log")"
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "failed: $* (log: $log)" >&2
    return 1
  fi
}

# ensure_packages PKG...: installs the ones that are missing (apt-get, as root or via sudo),
# saying in one line what it installs.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  local log="$QUORIX_ROOT/build-logs/apt.log"
  echo "Installing Debian packages: ${missing[*]} (log: $log)" >&2
  run_logged "$log" $sudo apt-get update -qq
  run_logged "$log" env DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# configure_tree DIR [CMAKE OPTION...]: configures DIR, again whenever the options differ
# from those it was configured with.
configure_tree() {
  local dir=$1; shift
  local wanted="$*" stamp="$dir/.quorix-options"
  if [ -f "$dir/build.ninja" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
    return 0
  fi
  run_logged "$QUORIX_ROOT/build-logs/$(basename "$dir")-configure.log" \
    cmake -S "$QUORIX_ROOT" -B "$dir" -G Ninja "$@"
  printf '%s' "$wanted" >"$stamp"
}

# build_tree DIR [CMAKE OPTION...]: configures DIR when needed, then builds everything
# incrementally.
build_tree() {
  local dir=$1; shift
  configure_tree "$dir" "$@"
  cmake --build "$dir" -- -j"$(nproc)" >&2
}
