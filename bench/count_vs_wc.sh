#!/usr/bin/env bash
# korrin-cli count against wc -l on the same generated 1 GB CSV file, warm cache, in one run;
# then the preview of its first 1000 rows. Usage: bench/count_vs_wc.sh [path/to/korrin-cli]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/release/cli/korrin-cli}
cache=$here/cache
file=$cache/count-1g.csv
mkdir -p "$cache"
trap 'rm -f "$file" "$file.block"' EXIT

# One block of rows, repeated up to 1 GB; every block starts with the header line.
awk 'BEGIN {
  print "network,geoname_id,country_iso_code,country_name,is_anonymous_proxy"
  for (i = 0; i < 200000; i++)
    printf "%d.%d.%d.0/24,%d,\"DE\",\"Germany, Federal Republic\",%d\n", int(i / 65536) % 256, int(i / 256) % 256, i % 256, 2000000 + i, i % 7 == 0
}' > "$file.block"
: > "$file"
while [ "$(stat -c %s "$file")" -lt $((1 << 30)) ]; do cat "$file.block" >> "$file"; done
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

wc_s=$(best wc -l "$file")
count_s=$(best "$cli" count "$file")
preview_s=$(best "$cli" preview --max-rows 1000 "$file")
echo "file: $size bytes; rows counted: $("$cli" count "$file" 2>/dev/null); wc -l: $(wc -l < "$file")"
awk -v s="$size" -v w="$wc_s" -v c="$count_s" -v p="$preview_s" 'BEGIN {
  printf "wc -l:              %.3f s  %.2f GB/s\n", w, s / w / 1e9
  printf "korrin-cli count:   %.3f s  %.2f GB/s  (%.0f%% of wc -l)\n", c, s / c / 1e9, 100 * w / c
  printf "korrin-cli preview: %.1f ms (first 1000 rows, whole process)\n", p * 1000 }'
