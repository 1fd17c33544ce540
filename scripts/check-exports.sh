#!/usr/bin/env bash
# Checks the dynamic symbol table of a library against its list: every name
# listed in the expected file is exported, every exported name is listed, and
# every exported name begins with the prefix. The list is the interface.
# Usage: check-exports.sh LIBRARY PREFIX EXPECTED_FILE
set -euo pipefail
lib=$1 prefix=$2 expected=$3
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort -u)
status=0
stray=$(grep -v "^${prefix}" <<<"$exported" || true)
if [ -n "$stray" ]; then
  echo "exported without the prefix '${prefix}':"; echo "$stray" | sed 's/^/  /'; status=1
fi
missing=$(grep -v '^#' "$expected" | grep -v '^$' | sort -u | comm -23 - <(echo "$exported"))
if [ -n "$missing" ]; then
  echo "not exported:"; echo "$missing" | sed 's/^/  /'; status=1
fi
listed=$(grep -v '^#' "$expected" | grep -v '^$' | sort -u)
unlisted=$(comm -13 <(echo "$listed") <(echo "$exported"))
if [ -n "$unlisted" ]; then
  echo "exported but not listed:"; echo "$unlisted" | sed 's/^/  /'; status=1
fi
count=$(grep -cv '^#\|^$' "$expected")
[ $status -eq 0 ] && echo "1 passed, 0 failed ($count names checked)"
exit $status
