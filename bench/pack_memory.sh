#!/usr/bin/env bash
# Peak memory of `zuv pack` against the size of the product: it streams, so it must stay flat.
#
# For each corpus size (default 1024 MB; ZUV_BENCH_SIZES="256 1024" for more) it writes the
# deterministic mixed corpus of bench/lib.sh (text, binary, runs, incompressible data,
# a few large files and many small ones), packs it with `zuv pack` into 20 MB segments under
# `/usr/bin/time -v` for each method (default lh5 and none) and prints the maximum resident set
# size, the wall time and the set's size; then `zuv test` checks the set.
#
# Usage: bench/pack_memory.sh   (about 2 minutes per GB with lh5 on a 2-core VM; needs about
#   three times the corpus size free in /tmp; not part of scripts/test)
#   ZUV_BENCH_SIZES="1024"  corpus sizes in MB     ZUV_BENCH_METHODS="lh5 none"
#   ZUV_BENCH_BUILD=build/bench  build folder (configured here in Release, -O2, when missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
sizes=${ZUV_BENCH_SIZES:-1024}
methods=${ZUV_BENCH_METHODS:-lh5 none}

bench_work zuv-pack-memory

echo "zuv pack peak memory: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
printf '%-9s %-6s %6s %10s %9s %13s\n' input method files "set size" "wall s" "peak RSS"
for mb in $sizes; do
  bench_corpus "$work/corpus" "$mb"
  files=$(find "$work/corpus" -type f | wc -l)
  for method in $methods; do
    rm -rf "$work/set"
    /usr/bin/time -v -o "$work/time.txt" "$zuv" pack -q --method "$method" --segment-size 20M \
      -o "$work/set" "$work/corpus"/* >/dev/null
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time.txt")
    set_mb=$(du -sm "$work/set" | cut -f1)
    "$zuv" test "$work/set" >/dev/null || { echo "zuv test failed on the $method set" >&2; exit 1; }
    printf '%-9s %-6s %6d %7d MB %9s %10.1f MB\n' "$mb MB" "$method" "$files" "$set_mb" "$wall" \
      "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')"
  done
done
