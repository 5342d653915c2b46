#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, on Debian 12 as root, whatever flowdesk needs that is not there
# yet. Does nothing when everything is present.
#   scripts/install-deps.sh          what building and running need
#   scripts/install-deps.sh --test   that, and the tools of the tests, the
#                                    format check, the sanitizer and fuzz
#                                    builds
#   scripts/install-deps.sh --package   what building and running need, and
#                                    what scripts/package.sh runs (dpkg-shlibdeps
#                                    of dpkg-dev, file, the validators of the
#                                    desktop entry and AppStream data, and
#                                    lintian)
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6 qt6-translations-l10n
  qt6-charts-dev qt6-svg-dev libqt6opengl6-dev fonts-dejavu-core
)
if [ "${1:-}" = "--test" ]; then
  packages+=(
    clang-format clang libclang-rt-14-dev
    libgtest-dev libgmock-dev
    socat ser2net python3 python3-pymodbus python3-serial python3-serial-asyncio mbpoll
    xvfb xauth imagemagick
    desktop-file-utils appstream groff-base locales poppler-utils
  )
elif [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev file desktop-file-utils appstream lintian)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ "$(id -u)" -ne 0 ] && [ "${#missing[@]}" -ne 0 ]; then
  echo "flowdesk: missing packages: ${missing[*]}" >&2
  echo "flowdesk: run this as root, or: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
if [ "${#missing[@]}" -ne 0 ]; then
  echo "flowdesk: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The tests try the number edits on French, German and American desktops,
# the C library's formatter included: it needs those locales built.
if [ "${1:-}" = "--test" ] && [ "$(id -u)" -eq 0 ]; then
  for l in fr_FR de_DE en_US; do
    if ! locale -a 2>/dev/null | grep -qix "$l.utf8"; then
      localedef -i "$l" -f UTF-8 "$l.UTF-8"
    fi
  done
fi
