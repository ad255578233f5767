#!/usr/bin/env bash
# Fails when a C++ source or header of the project does not match .clang-format.
# Usage: tools/check-format.sh [--fix]    (--fix rewrites the files in place)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "FAIL format: clang-format is missing"; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ "${#bad[@]}" -gt 0 ]; then
  printf 'FAIL format: %s does not match .clang-format (tools/check-format.sh --fix)\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files match .clang-format"
