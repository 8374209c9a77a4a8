#!/usr/bin/env bash
# check_exports.sh so|dll LIBRARY ALLOWED: fails when the library exports a
# symbol that no pattern of ALLOWED matches, or lacks one of the required ones.
set -euo pipefail
kind=$1 library=$2 allowed=$3
required=$(dirname "$allowed")/required_exports.txt
case $kind in
  so) names=$(nm -D --defined-only "$library" | awk '{print $3}') ;;
  dll) names=$(objdump -p "$library" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1; next} t && /^\t\[/{print $NF} t && /^$/{t=0}') ;;
  *) echo "unknown kind $kind" >&2; exit 2 ;;
esac
demangled=$(printf '%s\n' "$names" | c++filt | sed '/^$/d' | sort -u)
patterns=$(grep -v -E '^(#|$)' "$allowed")
unexpected=$(printf '%s\n' "$demangled" | grep -v -E -f <(printf '%s\n' "$patterns") || true)
status=0
if [ -n "$unexpected" ]; then
  echo "exported but not part of the interface:"; printf '  %s\n' "$unexpected"; status=1
fi
while IFS= read -r pattern; do
  case $pattern in ''|'#'*) continue ;; esac
  if ! printf '%s\n' "$demangled" | grep -q -E "$pattern"; then
    echo "missing export: $pattern"; status=1
  fi
done < "$required"
echo "$(printf '%s\n' "$demangled" | wc -l) exported symbols checked"
exit $status
