#!/usr/bin/env bash
# Fails when a product source file is not laid out as .clang-format says.
#
#   check-format.sh            every .h and .cpp in the product's folders
#   check-format.sh FILE...    only these
#
# Pinned to clang-format 14: another version lays out some constructs
# differently and would flag files nobody touched. `clang-format-14 -i FILE`
# mends a file it flags.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(command -v clang-format-14 || true)
if [ -z "$tool" ]; then
  echo "check-format.sh: clang-format-14 is missing (scripts/setup-packages.sh installs it)" >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(find support cleaning suite submit driver -type f \
                         \( -name '*.h' -o -name '*.cpp' \) | sort)
fi
# One run over every file: its warnings name the lines each file would change.
if report=$("$tool" --dry-run --Werror "${files[@]}" 2>&1); then
  echo "format: all ${#files[@]} files as clang-format-14 lays them out"
  exit 0
fi
echo "$report" | grep -E '^[^ ]+:[0-9]+:[0-9]+: ' | head -40
mapfile -t wrong < <(echo "$report" | grep -oE '^[^ :]+:[0-9]+:[0-9]+: (error|warning)' |
                       cut -d: -f1 | sort -u)
printf 'not formatted: %s\n' "${wrong[@]}"
echo "format: ${#wrong[@]} of ${#files[@]} files differ from clang-format-14"
exit 1
