#!/bin/sh
# Peak resident memory of korrin-cli against the size of its input: ten million range lines of 57
# bytes, as many comment lines, and a 64 MiB settings file of empty lines.
# Usage: bench/memory_vs_input.sh path/to/korrin-cli [lines]   (a Release build; needs ~2 GB in $TMPDIR)
set -eu
cli=$1
lines=${2:-10000000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# Scattered addresses, so that no two ranges merge: the worst case for what a run keeps per range.
awk -v n="$lines" 'BEGIN {
  for (i = 0; i < n; i++) {
    a = (i * 40503) % 4294967296
    line = sprintf("server-%08d=%d.%d.%d.%d/32", i, int(a / 16777216), int(a / 65536) % 256, int(a / 256) % 256, a % 256)
    printf "%-56s\n", line
  }
}' >"$dir/ranges.txt"
awk -v n="$lines" 'BEGIN { for (i = 0; i < n; i++) printf "# comment line %08d, padded to the same length as a range\n", i }' >"$dir/comments.txt"
head -c 67108864 /dev/zero | tr '\0' '\n' >"$dir/empty.ini"
measure() {
  label=$1
  shift
  /usr/bin/time -f "%e s %M KB" -o "$dir/time" "$@" >/dev/null 2>"$dir/err" || true
  printf "%-52s %s\n" "$label" "$(cat "$dir/time")"
}
echo "range file: $(wc -c <"$dir/ranges.txt") bytes, $(head -1 "$dir/ranges.txt" | wc -c) bytes a line"
measure "generate --ranges ranges.txt --count" "$cli" generate --ranges "$dir/ranges.txt" --count
measure "generate --ranges ranges.txt --quiet > /dev/null" "$cli" generate --ranges "$dir/ranges.txt" --quiet
measure "generate --ranges comments.txt --count" "$cli" generate --ranges "$dir/comments.txt" --count
measure "settings list empty.ini" "$cli" settings list "$dir/empty.ini"
