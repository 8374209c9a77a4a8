#!/usr/bin/env bash
# Fails when a source file differs from the project's clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find platform module streams riff internet log system tools tests bench fuzz \
  -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} files checked, all formatted"
