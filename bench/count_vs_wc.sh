#!/usr/bin/env bash
# korrin-cli count (the row index's scan) against wc -l, and a search of the last row's text
# against grep -c, on the same generated CSV file, warm cache, in one run; then the first rows,
# a jump to the last row through the index, and the index's memory.
# Usage: bench/count_vs_wc.sh [path/to/korrin-cli] [size in GiB, default 1]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/release/cli/korrin-cli}
cache=$here/cache
gib=${2:-1}
file=$cache/count-${gib}g.csv
mkdir -p "$cache"
trap 'rm -f "$file" "$file.block"' EXIT

# One block of rows, repeated up to 1 GB; every block starts with the header line.
awk 'BEGIN {
  print "network,geoname_id,country_iso_code,country_name,is_anonymous_proxy"
  for (i = 0; i < 200000; i++)
    printf "%d.%d.%d.0/24,%d,\"DE\",\"Germany, Federal Republic\",%d\n", int(i / 65536) % 256, int(i / 256) % 256, i % 256, 2000000 + i, i % 7 == 0
}' > "$file.block"
: > "$file"
while [ "$(stat -c %s "$file")" -lt $((gib << 30)) ]; do cat "$file.block" >> "$file"; done
echo "last,row,of,the,file,needle-at-the-end" >> "$file"
rm -f "$file.block"
size=$(stat -c %s "$file")
cat "$file" > /dev/null  # warm the cache

best() {  # best wall time of three runs of "$@", in seconds
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  echo "$best"
}

rows=$("$cli" count "$file" 2>/dev/null)
wc_s=$(best wc -l "$file")
count_s=$(best "$cli" count "$file")
grep_s=$(best grep -c needle-at-the-end "$file")
grepi_s=$(best grep -ci needle-at-the-end "$file")
find_s=$(best "$cli" count --find needle-at-the-end --match-case "$file")
findi_s=$(best "$cli" count --find needle-at-the-end "$file")
first_s=$(best "$cli" preview --max-rows 50 "$file")
last_s=$(best "$cli" preview --from "$rows" --max-rows 1 "$file")
# Peak memory of a whole count (the index of every row) beside that of a one-row file.
tiny=$cache/tiny.csv
printf 'a\n1\n' > "$tiny"
rss_big=$(/usr/bin/time -f %M "$cli" count "$file" 2>&1 >/dev/null | tail -1)
rss_tiny=$(/usr/bin/time -f %M "$cli" count "$tiny" 2>&1 >/dev/null | tail -1)
rm -f "$tiny"
echo "file: $size bytes; rows counted: $rows; wc -l: $(wc -l < "$file")"
awk -v s="$size" -v w="$wc_s" -v c="$count_s" -v g="$grep_s" -v f="$find_s" -v gi="$grepi_s" -v fi="$findi_s" -v p="$first_s" -v l="$last_s" \
    -v rb="$rss_big" -v rt="$rss_tiny" -v r="$rows" 'BEGIN {
  printf "wc -l:                    %.3f s  %.2f GB/s\n", w, s / w / 1e9
  printf "korrin-cli count (index): %.3f s  %.2f GB/s  (%.0f%% of wc -l)\n", c, s / c / 1e9, 100 * w / c
  printf "grep -c (last row):       %.3f s  %.2f GB/s\n", g, s / g / 1e9
  printf "korrin-cli count --find --match-case: %.3f s  %.2f GB/s  (%.0f%% of grep -c)\n", f, s / f / 1e9, 100 * g / f
  printf "grep -ci:                 %.3f s  %.2f GB/s\n", gi, s / gi / 1e9
  printf "korrin-cli count --find:  %.3f s  %.2f GB/s  (%.0f%% of grep -ci)\n", fi, s / fi / 1e9, 100 * gi / fi
  printf "first 50 rows:            %.1f ms (whole process)\n", p * 1000
  printf "last row via the index:   %.1f ms (whole process, index built first)\n", l * 1000
  printf "index memory:             %.3f bytes per row (peak RSS %d KiB vs %d KiB)\n", (rb - rt) * 1024 / r, rb, rt }'
