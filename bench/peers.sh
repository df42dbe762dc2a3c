#!/usr/bin/env bash
# Times zuv's codecs against the LHA tools of Debian on the same data and prints the ratios.
#   -lh5- expansion: `zuv codec expand` against lhasa, 7z and bsdtar extracting a .lzh that holds
#                    the very same stream (made by zuv, wrapped in a level-0 header)
#   LZH expansion:   `zuv codec expand --method lzh` against lhasa extracting the same stream as -lh1-
#   -lh5- compression: `zuv codec compress` against jlha (`jlha c1o5`)
# Every figure is the best wall time of three runs, output written to a file in each case.
# The corpus is the first MB of a tar of /usr/include (text) and /usr/bin (programs), half each.
# Usage: bench/peers.sh [MB]        (default 48; needs build/native/zuv: scripts/build native)
set -euo pipefail
cd "$(dirname "$0")/.."
mb=${1:-48}
zuv=${ZUV:-$PWD/build/native/zuv}
[ -x "$zuv" ] || scripts/build native >/dev/null
for tool in lhasa 7z bsdtar jlha python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/build installs it)"; exit 2; }
done
work=$(mktemp -d /tmp/zuv-peers.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

half=$((mb * 1024 * 1024 / 2))
set +o pipefail  # tar stops on a closed pipe once head has its share
{ tar cf - /usr/include 2>/dev/null | head -c "$half"; tar cf - /usr/bin 2>/dev/null | head -c "$half"; } > data.bin
set -o pipefail
size=$(stat -c %s data.bin)

# A one-member .lzh archive (level-0 header) around a raw stream.
wrap() {  # wrap METHOD STREAM ORIGINAL ARCHIVE
  python3 - "$@" <<'PY'
import struct, sys
method, stream, original, archive = sys.argv[1:5]
raw = open(stream, 'rb').read(); data = open(original, 'rb').read()
crc = 0
table = []
for i in range(256):
    c = i
    for _ in range(8): c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
    table.append(c)
for b in data: crc = (crc >> 8) ^ table[(crc ^ b) & 0xFF]
name = b'data.bin'
h = method.encode() + struct.pack('<IIIBB', len(raw), len(data), 0x5A210000, 0x20, 0) + bytes([len(name)]) + name + struct.pack('<H', crc)
h = bytes([len(h), sum(h) & 0xFF]) + h
open(archive, 'wb').write(h + raw + b'\0')
PY
}

# best of three wall times, in seconds; the outputs of earlier runs are removed first
best() {
  local b=999999 s e t
  for _ in 1 2 3; do
    rm -f out.bin out.lh5 j.lzh outl/* out7/* outb/*
    s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N)
    b=$(awk -v s="$s" -v e="$e" -v b="$b" 'BEGIN { t = e - s; print (t < b ? t : b) }')
  done
  echo "$b"
}
rate() { awk -v n="$size" -v t="$1" 'BEGIN { printf "%.1f", n / 1048576 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
line() { printf '  %-34s %7.3f s %8s MB/s\n' "$1" "$2" "$(rate "$2")"; }

"$zuv" codec compress --method lh5 data.bin data.lh5 >/dev/null
"$zuv" codec compress --method lzh data.bin data.lzhs >/dev/null
wrap -lh5- data.lh5 data.bin lh5.lzh
wrap -lh1- data.lzhs data.bin lh1.lzh
mkdir -p out7 outb outl
echo "corpus: $size bytes; -lh5- $(stat -c %s data.lh5) bytes, LZH $(stat -c %s data.lzhs) bytes; $(nproc) cores"

echo "-lh5- expansion"
z5=$(best "$zuv" codec expand --method lh5 --size "$size" data.lh5 out.bin)
"$zuv" codec expand --method lh5 --size "$size" data.lh5 out.bin >/dev/null
cmp -s out.bin data.bin || { echo "zuv -lh5- output differs"; exit 1; }
l5=$(best lhasa xqfw=outl lh5.lzh)
s5=$(best 7z e -y -oout7 lh5.lzh)
b5=$(best bsdtar -xf lh5.lzh -C outb)
for peer in lhasa:outl 7z:out7 bsdtar:outb; do  # each peer once more, to check its output
  case ${peer%%:*} in
    lhasa) lhasa xqfw=outl lh5.lzh ;; 7z) 7z e -y -oout7 lh5.lzh >/dev/null ;; bsdtar) bsdtar -xf lh5.lzh -C outb ;;
  esac
  cmp -s "${peer#*:}/data.bin" data.bin || { echo "${peer%%:*}'s output differs"; exit 1; }
done
line "zuv codec expand" "$z5"; line lhasa "$l5"; line 7z "$s5"; line bsdtar "$b5"
fastest=$(printf '%s\n' "$l5" "$s5" "$b5" | sort -g | head -n 1)
echo "  zuv is $(ratio "$fastest" "$z5") x as fast as the fastest peer"

echo "LZH expansion (-lh1-)"
zl=$(best "$zuv" codec expand --method lzh --size "$size" data.lzhs out.bin)
"$zuv" codec expand --method lzh --size "$size" data.lzhs out.bin >/dev/null
cmp -s out.bin data.bin || { echo "zuv LZH output differs"; exit 1; }
ll=$(best lhasa xqfw=outl lh1.lzh)
lhasa xqfw=outl lh1.lzh; cmp -s outl/data.bin data.bin || { echo "lhasa -lh1- output differs"; exit 1; }
line "zuv codec expand --method lzh" "$zl"; line lhasa "$ll"
echo "  zuv is $(ratio "$ll" "$zl") x as fast as lhasa"

echo "-lh5- compression"
zc=$(best "$zuv" codec compress --method lh5 data.bin out.lh5)
jc=$(best sh -c 'rm -f j.lzh; jlha c1o5 j.lzh data.bin')
line "zuv codec compress" "$zc"; line "jlha c1o5" "$jc"
echo "  zuv is $(ratio "$jc" "$zc") x as fast as jlha"
