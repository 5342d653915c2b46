#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of flowdesk: a Release build of the programs
# alone (no tests, no benchmarks) in build-package/, then cpack. Prints the
# path of the .deb on its last line, after lintian found nothing to say. On
# Debian 12 as root it first installs what building, packing and checking
# need; as another user it lists what is missing.
#   scripts/package.sh            JOBS=N scripts/package.sh (default: every core)
set -euo pipefail
cd "$(dirname "$0")/.."

"$(pwd)/scripts/install-deps.sh" --package

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
# Debian's own checks of a package: any error or warning fails the build.
# The tags kept on purpose are in packaging/lintian-overrides, each with why.
lintian --fail-on error,warning "$deb"
echo "flowdesk: package contents:"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\|Recommends\|Installed-Size\):/  \1:/p'
realpath "$deb"
