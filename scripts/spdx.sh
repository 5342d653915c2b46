#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Gives every source file the one line that names its licence, where the
# house style puts it: first in C++ files (`// SPDX-License-Identifier: ...`),
# first in CMake files, right after the `#!` line in scripts (`# ...`).
# Files that have it already are left alone, so it can run at any time.
#   scripts/spdx.sh            adds the line where it is missing
#   scripts/spdx.sh --check    lists the files without it; status 1 if any
# The test LicenceLines (tests/layers) checks the same files the same way.
set -euo pipefail
cd "$(dirname "$0")/.."

id="SPDX-License-Identifier: GPL-3.0-or-later"
check=false
[ "${1:-}" = "--check" ] && check=true

# The files: every C++ source, header and generated-header template, CMake
# file, shell and Python script in the folders that hold code, and the CI
# script. Build folders, pictures, .ui forms and documents are not code.
files() {
  find src tests bench fuzz cmake scripts -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' -o -name '*.h.in' \
    -o -name '*.cmake' -o -name 'CMakeLists.txt' -o -name '*.sh' -o -name '*.py' \) | sort
  echo CMakeLists.txt
  echo .ci/run
}

missing=0
while IFS= read -r f; do
  case "$f" in
    *.cpp | *.h | *.inc | *.h.in) line="// $id" ;;
    *) line="# $id" ;;
  esac
  first=$(head -n 1 "$f")
  if [[ "$first" == '#!'* ]]; then
    at=2
  else
    at=1
  fi
  [ "$(sed -n "${at}p" "$f")" = "$line" ] && continue
  if $check; then
    echo "$f: no \"$line\" on line $at"
    missing=1
    continue
  fi
  if [ "$at" = 2 ]; then
    sed -i "1a $line" "$f"
  else
    sed -i "1i $line" "$f"
  fi
done < <(files)
exit "$missing"
