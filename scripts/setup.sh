# Sourced by the scripts: installs the Debian packages they need when any is missing, then
# configures and builds into build/ (or $LUMETRA_BUILD_DIR).
set -euo pipefail

LUMETRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMETRA_BUILD_DIR=${LUMETRA_BUILD_DIR:-$LUMETRA_ROOT/build}

# What building and running Lumetra need.
LUMETRA_PACKAGES=(
  build-essential cmake pkg-config
  libsqlite3-dev libsodium-dev
  qt6-base-dev libqt6svg6 qt6-translations-l10n
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libtag1-dev
  libsystemd-dev
  libespeak-ng-dev
  fonts-wqy-microhei
)
# What testing, the benchmarks and the package checks add: test frameworks, the audio fixtures'
# encoder, clang with its fuzzer runtime, the formatter, the screenshot's X server, the linters.
LUMETRA_TEST_PACKAGES=(
  gstreamer1.0-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev clang-format
  xvfb xauth
  dbus-daemon
  lintian desktop-file-utils appstream
)

# lumetra_install_packages PACKAGE...: installs those that are missing.
lumetra_install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Fails, naming the files and the command that fixes them, when a C++ file does not match the
# committed .clang-format.
lumetra_check_format() {
  local files unformatted
  cd "$LUMETRA_ROOT"
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    files=$(git ls-files '*.cpp' '*.h')
  else
    files=$(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
  fi
  unformatted=$(for f in $files; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"
  done)
  cd - >/dev/null
  [ -z "$unformatted" ] && return 0
  echo "These files do not match .clang-format:" >&2
  echo "$unformatted" | sed 's/^/  /' >&2
  echo "Fix with: (cd $LUMETRA_ROOT && clang-format -i" $unformatted")" >&2
  return 1
}

# lumetra_build ON|OFF [TARGET...]: configures build/ (with the tests or without; a build folder
# configured without them gains them when asked) and builds the targets, or everything.
lumetra_build() {
  local testing=$1 jobs cache=$LUMETRA_BUILD_DIR/CMakeCache.txt
  shift
  jobs=$(nproc 2>/dev/null || echo 2)
  if [ ! -f "$cache" ] || { [ "$testing" = ON ] && grep -q '^BUILD_TESTING:BOOL=OFF' "$cache"; }; then
    cmake -S "$LUMETRA_ROOT" -B "$LUMETRA_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING="$testing"
  fi
  cmake --build "$LUMETRA_BUILD_DIR" -j "$jobs" ${1:+--target "$@"}
}
