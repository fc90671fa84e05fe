#!/usr/bin/env bash
# Fails when TVRemover.exe imports a function that Windows 2000 does not export:
# Wine loads such an exe happily, Windows 2000 refuses to start it.
#
#   check-imports.sh [EXE] [LIST]
#
# EXE defaults to the release tree's TVRemover.exe, LIST to
# scripts/win2000-imports.txt (one "DLL FUNCTION SOURCE" a line).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$top/build/release/driver/TVRemover.exe}
list=${2:-$top/scripts/win2000-imports.txt}

[ -f "$exe" ] || { echo "check-imports: no $exe (build it first)" >&2; exit 2; }

# "dll function" for every import; imports by ordinal show as "<ordinal N>".
imports() {
  i686-w64-mingw32-objdump -p "$exe" |
    sed -n '/^The Import Tables/,/^The Export Tables\|^PE File Base Relocations\|^The Resource/p' |
    awk '
      /^\tDLL Name: / { dll = tolower($3); next }
      /^\tvma:/ { next }
      dll != "" && /^\t[0-9a-f]+\t/ {
        n = split($0, field, /[ \t]+/)
        if (field[n] ~ /^[0-9]+$/ && n <= 3) print dll, "<ordinal " field[n] ">"
        else print dll, field[n]
      }'
}

allowed() {
  grep -v '^[[:space:]]*#' "$list" | awk 'NF >= 2 { print tolower($1), $2 }'
}

# The loader of Windows 2000 (NT 5.0) refuses an image that asks for a later
# operating system or subsystem version.
header_version() {
  i686-w64-mingw32-objdump -p "$exe" | awk -v field="$1" '$1 == "Major" field { major = $2 }
    $1 == "Minor" field { minor = $2 } END { print major "." minor }'
}
for field in OSystemVersion SubsystemVersion; do
  version=$(header_version $field)
  if ! awk -v v="$version" 'BEGIN { split(v, p, "."); exit !(p[1] < 5 || (p[1] == 5 && p[2] == 0)) }'; then
    echo "check-imports: $exe asks for $field $version; Windows 2000 loads 5.0 at most" >&2
    exit 1
  fi
done

missing=$(comm -23 <(imports | sort -u) <(allowed | sort -u))
count=$(imports | sort -u | wc -l)
if [ -n "$missing" ]; then
  echo "check-imports: $exe imports functions missing from the Windows 2000 list $list:" >&2
  while read -r dll function; do echo "  $dll $function" >&2; done <<<"$missing"
  echo "Look each up at run time with GetProcAddress, or add it to the list with the" \
       "source that shows Windows 2000 exports it." >&2
  exit 1
fi
echo "check-imports: all $count imports of $(basename "$exe") exist on Windows 2000;" \
     "it asks for system $(header_version OSystemVersion), subsystem $(header_version SubsystemVersion)"
