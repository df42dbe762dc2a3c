#!/usr/bin/env bash
# install.exe's preparation stage against `zuv.exe extract` on the same segment set, under Wine.
#   1. writes a 100 MB set (half C headers, half programs of this machine, in ten files, packed
#      -lh5- in 20 MB segments) beside install.exe and the example install.cfg;
#   2. runs `install.exe /S /LOG=...` (the silent run: the same preparation stage, its message
#      processing after every chunk included, with no window) and takes the stage's time from
#      its log, from "Expanding the segment set" to "Preparation finished";
#   3. runs `zuv.exe extract` on the same set into a folder of the prefix and takes its wall
#      time less that of `zuv.exe --version` (the start of a Wine process).
# The two run in turn, ROUNDS times; the figures are the medians.
# Usage: xvfb-run -a bench/install_prep.sh [MB] [ROUNDS]   (defaults 100, 3; needs build/native
#        and build/win64: scripts/build native win64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mb=${1:-100}
rounds=${2:-3}
source "$root/scripts/wine-env"
trap wine_stop EXIT
wine_start
win=$root/build/win64
zuv=$root/build/native/zuv
work=$(wine_c)/bench
set_dir=$work/set
mkdir -p "$work/files" "$set_dir"

part=$((mb * 1024 * 1024 / 10))
set +o pipefail
for i in 0 1 2 3 4; do
  tar cf - /usr/include 2>/dev/null | tail -c +$((i * part + 1)) | head -c "$part" > "$work/files/text$i.bin"
  tar cf - /usr/bin 2>/dev/null | tail -c +$((i * part + 1)) | head -c "$part" > "$work/files/prog$i.bin"
done
set -o pipefail
"$zuv" pack -o "$set_dir" --segment-size 20000000 --method lh5 \
  "$root"/examples/product/* "$work"/files/*.bin >/dev/null
cp "$win/install.exe" "$root/examples/install.cfg" "$set_dir/"
rm -rf "$work/files"
echo "set: $(du -sm "$set_dir" | cut -f1) MB stored in $(ls "$set_dir" | grep -c '^disk\.') segments"

ms() { date +%s%3N; }
log_ms() {  # log_ms LOG TEXT: the time of the first line holding TEXT, in ms of the day
  grep -a -m1 "$2" "$1" | sed -E 's/^[0-9-]+ ([0-9]+):([0-9]+):([0-9.]+).*/\1 \2 \3/' |
    awk '{ printf "%d", ($1 * 3600 + $2 * 60 + $3) * 1000 }'
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

prep=() extract=() start=()
for ((r = 0; r < rounds; r++)); do
  rm -f "$work/prep.log"
  (cd "$set_dir" && "$WINE" install.exe /S /NORESTART "/LOG=C:\\bench\\prep.log" >/dev/null 2>&1) || true
  a=$(log_ms "$work/prep.log" "Expanding the segment set"); b=$(log_ms "$work/prep.log" "Preparation finished")
  [ -n "$a" ] && [ -n "$b" ] || { echo "no preparation times in the log:"; cat "$work/prep.log"; exit 1; }
  prep+=($((b - a)))
  rm -rf "$work/out"
  s=$(ms); "$WINE" "$win/zuv.exe" extract 'C:\bench\set\disk.001' -d 'C:\bench\out' --flat >/dev/null 2>&1; e=$(ms)
  extract+=($((e - s)))
  s=$(ms); "$WINE" "$win/zuv.exe" --version >/dev/null 2>&1; e=$(ms)
  start+=($((e - s)))
done
p=$(printf '%s\n' "${prep[@]}" | median)
x=$(printf '%s\n' "${extract[@]}" | median)
z=$(printf '%s\n' "${start[@]}" | median)
echo "install.exe preparation stage: ${p} ms (runs: ${prep[*]})"
echo "zuv.exe extract: $((x - z)) ms ($x ms less $z ms for a Wine process start; runs: ${extract[*]})"
awk -v p="$p" -v x="$((x - z))" 'BEGIN { printf "install.exe takes %.2f x the time of zuv.exe extract\n", p / x }'
