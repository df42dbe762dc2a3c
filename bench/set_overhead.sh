#!/usr/bin/env bash
# What reading a segment set costs beyond the codecs themselves, and whether memory stays flat.
#
# For each corpus size (default 110 and 330 MB expanded) and method (lh5, lzh), it:
#   1. writes a deterministic mixed corpus: text, machine-code-like binary, picture-like runs,
#      incompressible files and blocks, a few large files and many small ones;
#   2. packs it with `zuv pack --method M --segment-size 20000000` (several segments);
#   3. times `zuv test` on the set: read and join every archive into its temporary file, walk
#      its entries, expand each one into nothing and check every checksum;
#   4. times the codecs alone on the same stored data: every entry's stored bytes are loaded
#      into memory first (untimed) and expanded by RunCodec, set up as the container sets it
#      up (yielding after each chunk), into an output that keeps nothing; stored
#      (uncompressed) entries count as one copy of their bytes;
#   5. times the start of the zuv process itself (`zuv --version`).
# The set overhead is (test - start - codecs) / codecs: everything the set level adds, all its
# file reading and writing included, against the pure decode. That is the strict baseline:
# `zuv codec expand` per stream would also count reading and writing files as the codec's own
# time. Times are CPU seconds (user + system), the best of RUNS runs of each, taken in turn so
# that both meet the same load on a shared machine; the overhead in wall seconds is shown
# beside. Peak RSS is that of the whole `zuv test` process.
#
# Usage: bench/set_overhead.sh          (about 3.5 minutes on a 2-core VM; not part of scripts/test)
#   ZUV_BENCH_SIZES="110 330"  corpus sizes in MB     ZUV_BENCH_RUNS=5  runs per figure
#   ZUV_BENCH_BUILD=build/bench  build folder (configured here in Release, -O2, when missing)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
sizes=${ZUV_BENCH_SIZES:-110 330}
runs=${ZUV_BENCH_RUNS:-5}
segment_size=20000000

bench_work zuv-set-overhead

# Runs `zuv test` on a set and the codecs on its stored data in turn, $runs times each, and
# prints the best CPU and wall seconds of both, the expanded and stored bytes and the largest
# peak RSS of `zuv test`. Taking turns puts both under the same load on a shared machine.
min() { awk -v a="$1" -v b="${2:-$1}" 'BEGIN { print (a < b ? a : b) }'; }
measure() {
  local i line cpu wall kb ex st tc="" tw="" cc="" cw="" rss=0
  for ((i = 0; i < runs; i++)); do
    line=$("$helper" time "$zuv" test "$1/disk.001")  # fails the script when zuv test fails
    read -r _ cpu _ wall _ kb <<<"$line"
    tc=$(min "$cpu" "$tc"); tw=$(min "$wall" "$tw")
    [ "$kb" -gt "$rss" ] && rss=$kb
    line=$("$helper" codec "$1")
    read -r _ _ _ ex _ st _ cpu _ wall <<<"$line"
    cc=$(min "$cpu" "$cc"); cw=$(min "$wall" "$cw")
  done
  echo "$tc $tw $cc $cw $ex $st $rss"
}

# Best CPU and wall seconds of starting zuv and leaving at once.
measure_start() {
  local i line cpu wall sc="" sw=""
  for ((i = 0; i < runs; i++)); do
    line=$("$helper" time "$zuv" --version)
    read -r _ cpu _ wall _ <<<"$line"
    sc=$(min "$cpu" "$sc"); sw=$(min "$wall" "$sw")
  done
  echo "$sc $sw"
}

read -r start_cpu start_wall <<<"$(measure_start)"
echo "zuv test against the codecs alone: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "best of $runs runs, CPU seconds; zuv start ${start_cpu} s; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %-6s %4s %9s | %8s %7s | %8s %7s | %12s %7s | %8s\n' \
  expanded method segs stored "codec s" "MB/s" "test s" "MB/s" "set overhead" "(wall)" "peak RSS"
for mb in $sizes; do
  bench_corpus "$work/corpus" "$mb"
  for method in lh5 lzh; do
    set_dir=$work/set-$method
    rm -rf "$set_dir"
    "$zuv" pack -o "$set_dir" --method "$method" --segment-size "$segment_size" "$work/corpus"/* >/dev/null
    segments=$(ls "$set_dir" | wc -l)
    figures=$(measure "$set_dir")
    read -r test_cpu test_wall codec_cpu codec_wall expanded stored rss <<<"$figures"
    awk -v mb="$mb" -v m="$method" -v segs="$segments" -v ex="$expanded" -v st="$stored" \
        -v cc="$codec_cpu" -v cw="$codec_wall" -v tc="$test_cpu" -v tw="$test_wall" -v rss="$rss" \
        -v sc="$start_cpu" -v sw="$start_wall" 'BEGIN {
      printf "%-8s %-6s %4d %6.1f MB | %8.3f %7.1f | %8.3f %7.1f | %11.1f%% %6.1f%% | %5.1f MB\n",
        mb " MB", m, segs, st / 1e6, cc, ex / 1e6 / cc, tc, ex / 1e6 / tc,
        (tc - sc - cc) * 100 / cc, (tw - sw - cw) * 100 / cw, rss / 1024 }'
    rm -rf "$set_dir"
  done
done
