#!/usr/bin/env bash
# Fails when a C++ source of the repository differs from the .clang-format
# style, naming each such file. clang-format -i fixes them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unformatted=()
while IFS= read -r -d '' file; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not in the project's format (run clang-format -i on them):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "format: every source file matches .clang-format"
