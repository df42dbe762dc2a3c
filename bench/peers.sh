#!/usr/bin/env bash
# Times zuv's codecs against the LHA tools of Debian and libdeflate on the same data and prints
# the ratios, on four corpora made from the files of this machine:
#   text        a tar of /usr/include and /usr/share/perl5 (C headers, Perl sources)
#   programs    a tar of /usr/bin and /usr/lib/x86_64-linux-gnu (executables, shared libraries)
#   compressed  the .gz files below /usr/share (man pages, change logs), one after another
#   literals    the same kind of .gz files written as base64: few matches, many literals
# For each corpus:
#   -lh5- expansion: `zuv codec expand` against lhasa, 7z and bsdtar extracting a .lzh that holds
#                    the very same stream (made by zuv, wrapped in a level-0 header), and against
#                    libdeflate-gunzip expanding the same content compressed by gzip -6
#   LZH expansion:   `zuv codec expand --method lzh` against lhasa extracting the same stream as -lh1-
#   -lh5- compression: `zuv codec compress` and `--best` against jlha (`jlha c1o5`): time and size
# Every figure is the median wall time of ROUNDS runs of whole processes, each writing its output
# to a file; the tools of one comparison run in turn within each round (alternated), so a change
# in the machine's load falls on all of them alike.
# Usage: bench/peers.sh [MB] [ROUNDS] [CORPUS...]   (defaults: 30, 5, all four; needs
#        build/native/zuv: scripts/build native). PEERS_SKIP="lzh compress" leaves sections out.
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-30}
rounds=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
corpora=("$@")
[ ${#corpora[@]} -eq 0 ] && corpora=(text programs compressed literals)
skip=" ${PEERS_SKIP:-} "
zuv=${ZUV:-$PWD/build/native/zuv}
[ -x "$zuv" ] || scripts/build native >/dev/null
for tool in lhasa 7z bsdtar jlha python3 gzip libdeflate-gunzip base64; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/build installs it)"; exit 2; }
done
work=$(mktemp -d /tmp/zuv-peers.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
bytes=$((mb * 1024 * 1024))

make_corpus() {  # make_corpus NAME: writes data.bin of $bytes bytes (fewer if the machine has less)
  set +o pipefail  # the producers stop on a closed pipe once head has its share
  case $1 in
    text) tar cf - /usr/include /usr/share/perl5 2>/dev/null | head -c "$bytes" ;;
    programs) tar cf - /usr/bin /usr/lib/x86_64-linux-gnu 2>/dev/null | head -c "$bytes" ;;
    compressed) find /usr/share -name '*.gz' -type f -print0 2>/dev/null | sort -z |
                  xargs -0 cat 2>/dev/null | head -c "$bytes" ;;
    literals) find /usr/share -name '*.gz' -type f -print0 2>/dev/null | sort -rz |
                xargs -0 cat 2>/dev/null | base64 -w 76 | head -c "$bytes" ;;
    *) echo "unknown corpus $1" >&2; exit 2 ;;
  esac > data.bin
  set -o pipefail
}

# A one-member .lzh archive (level-0 header) around a raw stream.
wrap() {  # wrap METHOD STREAM ORIGINAL ARCHIVE
  python3 - "$@" <<'PY'
import struct, sys, binascii
method, stream, original, archive = sys.argv[1:5]
raw = open(stream, 'rb').read(); data = open(original, 'rb').read()
table = []
for i in range(256):
    c = i
    for _ in range(8): c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
    table.append(c)
crc = 0
for b in data: crc = (crc >> 8) ^ table[(crc ^ b) & 0xFF]
name = b'data.bin'
h = method.encode() + struct.pack('<IIIBB', len(raw), len(data), 0x5A210000, 0x20, 0) + bytes([len(name)]) + name + struct.pack('<H', crc)
h = bytes([len(h), sum(h) & 0xFF]) + h
open(archive, 'wb').write(h + raw + b'\0')
PY
}

# Runs each named command once per round, in turn, and sets T[name] to its median wall time.
# Commands are given as name=command pairs; a command's outputs are removed before each run.
declare -A T
alternate() {
  local -a names=() cmds=()
  local pair name i r s e
  for pair in "$@"; do names+=("${pair%%=*}"); cmds+=("${pair#*=}"); done
  local -A times=()
  for ((r = 0; r < rounds; r++)); do
    for i in "${!names[@]}"; do
      rm -rf out.bin out.lh5 j.lzh outl outb out7; mkdir -p outl outb out7
      s=$(date +%s%N); eval "${cmds[$i]}" >/dev/null 2>&1; e=$(date +%s%N)
      times[${names[$i]}]+="$(( (e - s) / 1000 )) "
    done
  done
  for name in "${names[@]}"; do
    T[$name]=$(printf '%s\n' ${times[$name]} | sort -n | awk '{ a[NR] = $1 } END {
      m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.4f", m / 1e6 }')
  done
}
rate() { awk -v n="$size" -v t="$1" 'BEGIN { printf "%.0f", n / 1048576 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
line() { printf '    %-30s %7.3f s %6s MB/s\n' "$1" "$2" "$(rate "$2")"; }
check() {  # check FILE WHO: the output must be the corpus
  cmp -s "$1" data.bin || { echo "$2: output differs from the corpus"; exit 1; }
}

echo "$(nproc) cores, $rounds rounds, medians of alternated runs"
for corpus in "${corpora[@]}"; do
  make_corpus "$corpus"
  size=$(stat -c %s data.bin)
  "$zuv" codec compress --method lh5 data.bin data.lh5 >/dev/null
  gzip -6 -c data.bin > data.gz
  wrap -lh5- data.lh5 data.bin lh5.lzh
  echo "$corpus: $size bytes; -lh5- $(stat -c %s data.lh5), gzip -6 $(stat -c %s data.gz)"

  # Each tool once outside the timing, to check that it gives the corpus back.
  rm -rf outl outb out7; mkdir -p outl outb out7
  "$zuv" codec expand --method lh5 --size "$size" data.lh5 out.bin >/dev/null; check out.bin zuv
  libdeflate-gunzip -c data.gz > out.bin; check out.bin libdeflate-gunzip
  lhasa xqfw=outl lh5.lzh; check outl/data.bin lhasa
  7z e -y -oout7 lh5.lzh >/dev/null; check out7/data.bin 7z
  bsdtar -xf lh5.lzh -C outb; check outb/data.bin bsdtar

  echo "  -lh5- expansion"
  alternate "zuv=$zuv codec expand --method lh5 --size $size data.lh5 out.bin" \
            "libdeflate=libdeflate-gunzip -c data.gz > out.bin" \
            "lhasa=lhasa xqfw=outl lh5.lzh" "7z=7z e -y -oout7 lh5.lzh" "bsdtar=bsdtar -xf lh5.lzh -C outb"
  line "zuv codec expand" "${T[zuv]}"; line "libdeflate-gunzip (gzip -6)" "${T[libdeflate]}"
  line lhasa "${T[lhasa]}"; line 7z "${T[7z]}"; line bsdtar "${T[bsdtar]}"
  fastest=$(printf '%s\n' "${T[lhasa]}" "${T[7z]}" "${T[bsdtar]}" | sort -g | head -n 1)
  echo "    zuv: $(ratio "$fastest" "${T[zuv]}") x the fastest LHA tool," \
       "$(ratio "${T[libdeflate]}" "${T[zuv]}") x libdeflate's speed"

  if [[ $skip != *" lzh "* ]]; then
    "$zuv" codec compress --method lzh data.bin data.lzhs >/dev/null
    wrap -lh1- data.lzhs data.bin lh1.lzh
    rm -rf outl; mkdir -p outl
    "$zuv" codec expand --method lzh --size "$size" data.lzhs out.bin >/dev/null; check out.bin "zuv lzh"
    lhasa xqfw=outl lh1.lzh; check outl/data.bin "lhasa -lh1-"
    echo "  LZH expansion (-lh1-)"
    alternate "zuv=$zuv codec expand --method lzh --size $size data.lzhs out.bin" "lhasa=lhasa xqfw=outl lh1.lzh"
    line "zuv codec expand --method lzh" "${T[zuv]}"; line lhasa "${T[lhasa]}"
    echo "    zuv: $(ratio "${T[lhasa]}" "${T[zuv]}") x lhasa"
  fi

  if [[ $skip != *" compress "* ]]; then
    echo "  -lh5- compression"
    best_flag=""
    "$zuv" codec compress --method lh5 --best data.bin best.lh5 >/dev/null 2>&1 && best_flag=--best
    jlha c1o5 j.lzh data.bin >/dev/null
    jsize=$(lhasa v j.lzh | awk '$NF ~ /data.bin$/ { print $(NF - 8) }')  # the stream's packed size
    rm -f j.lzh
    args=("zuv=$zuv codec compress --method lh5 data.bin out.lh5" "jlha=jlha c1o5 j.lzh data.bin")
    [ -n "$best_flag" ] && args+=("best=$zuv codec compress --method lh5 --best data.bin out.lh5")
    alternate "${args[@]}"
    zsize=$(stat -c %s data.lh5)
    printf '    %-30s %7.3f s %6s MB/s %10d bytes\n' "zuv codec compress" "${T[zuv]}" "$(rate "${T[zuv]}")" "$zsize"
    if [ -n "$best_flag" ]; then
      bsize=$(stat -c %s best.lh5)
      printf '    %-30s %7.3f s %6s MB/s %10d bytes\n' "zuv codec compress --best" "${T[best]}" \
        "$(rate "${T[best]}")" "$bsize"
    fi
    printf '    %-30s %7.3f s %6s MB/s %10d bytes\n' "jlha c1o5" "${T[jlha]}" "$(rate "${T[jlha]}")" "$jsize"
    echo "    zuv: $(ratio "${T[jlha]}" "${T[zuv]}") x jlha's speed, size $(ratio "$zsize" "$jsize") of jlha's" \
      "${best_flag:+; --best: $(ratio "${T[jlha]}" "${T[best]}") x jlha's speed, size $(ratio "$bsize" "$jsize") of jlha's}"
  fi
done
