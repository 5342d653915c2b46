#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Keeps the C++ sources in the shape .clang-format gives them.
#   scripts/format.sh           rewrites every *.cpp and *.h of src/ tests/
#                               bench/ fuzz/ in place
#   scripts/format.sh --check   changes nothing; lists each file that would
#                               change and exits 1 if there is one (CI)
# The tree is formatted with clang-format 14, the one Debian 12 ships: another
# version may wrap a few lines differently.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *)
    echo "usage: scripts/format.sh [--check]" >&2
    exit 2
    ;;
esac

format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null; then
  echo "format.sh: $format not found (scripts/install-deps.sh installs clang-format)" >&2
  exit 2
fi

mapfile -d '' files < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) \
                          -print0 | sort -z)

if [ "$check" -eq 0 ]; then
  "$format" -i --style=file "${files[@]}"
  exit 0
fi

# One run over every file: clang-format names each file it would change in
# its warnings ("path:line:col: error: code should be clang-formatted").
report=$("$format" --style=file --dry-run --Werror "${files[@]}" 2>&1) && exit 0
drifted=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$report" | sort -u)
if [ -z "$drifted" ]; then
  echo "$report" >&2  # clang-format failed for another reason: show it
  exit 1
fi
echo "format.sh: these files are not formatted (run scripts/format.sh):" >&2
sed 's/^/  /' <<<"$drifted" >&2
exit 1
