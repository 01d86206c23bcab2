#!/usr/bin/env bash
# Fails when a C++ source of the repository differs from what clang-format makes of it with the
# project's .clang-format. The version is pinned (the one the install script installs): another
# version formats some constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=clang-format-14
differ=()
while IFS= read -r file; do
  "$formatter" --style=file "$file" | cmp -s - "$file" || differ+=("$file")
done < <(git ls-files -- '*.cpp' '*.h')
if [ ${#differ[@]} -gt 0 ]; then
  echo "check-format: these files differ from $formatter's format (run $formatter -i on them):"
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
echo "check-format: every C++ source matches .clang-format"
