# Sourced by scripts/test and scripts/run: installs the Debian packages Lumetra needs when any is
# missing, then configures and builds into build/ (or $LUMETRA_BUILD_DIR).
set -euo pipefail

LUMETRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMETRA_BUILD_DIR=${LUMETRA_BUILD_DIR:-$LUMETRA_ROOT/build}

LUMETRA_PACKAGES=(
  build-essential cmake pkg-config
  libsqlite3-dev
  qt6-base-dev libqt6svg6
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  libtag1-dev
  libsystemd-dev
  fonts-wqy-microhei xvfb xauth socat
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
)

lumetra_install_packages() {
  local missing=()
  local p
  for p in "${LUMETRA_PACKAGES[@]}"; do
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

lumetra_build() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  if [ ! -f "$LUMETRA_BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$LUMETRA_ROOT" -B "$LUMETRA_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$LUMETRA_BUILD_DIR" -j "$jobs"
}
