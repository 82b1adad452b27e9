# Shared by the project's scripts: install missing Debian packages, configure, build.
# Sourced, not run.

QUORIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Debian packages the build and the tests use (Qt for the widget binding and its
# Designer plugin, Xvfb for pictures of the demo).
QUORIX_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
                 libcli11-dev nlohmann-json3-dev libedit-dev libsqlite3-dev sqlite3 libmpfr-dev
                 zlib1g-dev qt6-base-dev libqt6sql6-sqlite qt6-tools-dev qt6-tools-dev-tools xvfb xauth)
# What fuzz/run.sh needs besides: clang with libFuzzer and the sanitizer runtimes.
QUORIX_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# ensure_packages PKG...: installs the ones that are missing (apt-get, as root or via sudo).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
}

# build_tree DIR [CMAKE OPTION...]: configures DIR once, then builds incrementally.
build_tree() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$QUORIX_ROOT" -B "$dir" -G Ninja "$@" >&2
  fi
  cmake --build "$dir" -- -j"$(nproc)" >&2
}
