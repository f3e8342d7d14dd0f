#!/usr/bin/env bash
# ownsymbols.sh NM LIBRARY... -- PROGRAM...
# Fails when a program defines a function that one of the libraries
# exports: the program then holds a copy of its own, with its own state,
# instead of the library's.
set -euo pipefail
nm=$1
shift
export LC_ALL=C
exported=$(mktemp)
trap 'rm -f "$exported"' EXIT
while [ "$1" != -- ]; do
    "$nm" -D --defined-only --format=posix "$1" | awk '$2 == "T" { print $1 }' >>"$exported"
    shift
done
shift
sort -u -o "$exported" "$exported"
status=0
for program in "$@"; do
    copies=$("$nm" --defined-only --format=posix "$program" | awk '$2 == "T" { print $1 }' |
        sort -u | comm -12 - "$exported")
    if [ -n "$copies" ]; then
        echo "$program defines $(wc -l <<<"$copies") functions of the libraries itself, e.g.:"
        head -5 <<<"$copies" | c++filt
        status=1
    fi
done
exit $status
