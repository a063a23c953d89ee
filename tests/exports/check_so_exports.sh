#!/usr/bin/env bash
# check_so_exports.sh LIBRARY DEF: the shared library defines exactly the
# exports that the Windows .def file lists, and nothing else.
set -euo pipefail
lib=$1 def=$2
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
expected=$(sed -n 's/^\s\+\(KIVO_[A-Za-z0-9_]*\).*/\1/p' "$def" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exports of $lib differ from $def:"
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") || true
  exit 1
fi
echo "$lib: $(printf '%s\n' "$actual" | wc -l) exports, as listed"
