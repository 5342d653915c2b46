#!/usr/bin/env bash
# Builds the Debian package of flowdesk: a Release build of the programs
# alone (no tests, no benchmarks) in build-package/, then cpack. Prints the
# path of the .deb on its last line. On Debian 12 as root it first installs
# what building and packing need; as another user it lists what is missing.
#   scripts/package.sh            JOBS=N scripts/package.sh (default: every core)
set -euo pipefail
cd "$(dirname "$0")/.."

# What building the programs needs, and what cpack runs: dpkg-shlibdeps
# (dpkg-dev) for the dependency list, file to find the programs it reads,
# and the two validators of the desktop entry and the AppStream metadata.
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
  dpkg-dev file desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "flowdesk: missing packages: ${missing[*]}" >&2
    echo "flowdesk: run this as root, or: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "flowdesk: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=build-package
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Debian's own compiler and linker flags, every hardening included (stack
# protector, fortified calls, read-only relocations, immediate binding): the
# programs read files and serial lines from outside.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "CMAKE_CXX_FLAGS:STRING=$CXXFLAGS" "$build/CMakeCache.txt"; then
  rm -f "$build/CMakeCache.txt"  # flags from the environment count at the first configure only
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DFLOWDESK_BENCH=OFF -DFLOWDESK_FUZZ=OFF -DFLOWDESK_SANITIZE=OFF "${launcher[@]}"
cmake --build "$build" -j "${JOBS:-$(nproc)}"

# The files as installed, checked as software centres and menus read them.
stage="$build/stage"
rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install "$build" --prefix /usr >/dev/null
desktop-file-validate "$stage/usr/share/applications/flowdesk.desktop"
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml >/dev/null

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/flowdesk_*_*.deb | head -n 1)
echo "flowdesk: package contents:"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\|Recommends\|Installed-Size\):/  \1:/p'
realpath "$deb"
