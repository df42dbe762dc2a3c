# Shared by the end-to-end scripts: a throwaway Wine prefix, the driver, screenshots.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
source scripts/wine-env
win=$root/build/win64
shots=$root/build/screenshots
mkdir -p "$shots"
trap wine_stop EXIT

# zuvdrive inside the prefix: drive wait|click|press|answer|paint|texts|... (see
# tests/e2e/driver/zuvdrive.c). Every wait polls for its condition with a time limit.
drive() { "$WINE" "$win/zuvdrive.exe" "$@" | tr -d '\r'; }

# shot NAME: has every window paint what it holds, then saves the whole virtual screen as
# build/screenshots/NAME.png.
shot() { drive paint; import -window root "$shots/$1.png"; }

# pixel NAME X Y: prints the colour of one screenshot pixel as "r g b".
pixel() {
  convert "$shots/$1.png" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 |
    sed -E 's/.*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3/' | awk '{printf "%d %d %d\n", $1, $2, $3}'
}

fail() { echo "FAIL: $*" >&2; exit 1; }

# make_set DIR [SEGMENT_SIZE] [METHOD] [FILE...]: packs the example product (and the FILEs) into
# DIR as a disk set beside install.exe and install.cfg, as the install-building tool leaves it on
# disk 1.
make_set() {
  local dir=$1 size=${2:-16384} method=${3:-lh5}
  shift $(($# < 3 ? $# : 3))
  mkdir -p "$dir"
  "$root/build/native/zuv" pack -o "$dir" --segment-size "$size" --method "$method" \
    "$win/examples/hello.exe" "$win/uninstaller.exe" "$root"/examples/product/* "$@" >/dev/null
  cp "$win/install.exe" "$root/examples/install.cfg" "$dir/"
}

# start_setup DIR: starts install.exe from DIR, as a user does from disk 1.
start_setup() { (cd "$1" && "$WINE" install.exe >/dev/null 2>&1 &); }

# message_text: the text of the plain message box "ZUV - Setup" now shown.
message_text() { drive texts "ZUV - Setup" | grep -v '^OK$' | grep -v '^$' | tr '\n' ' ' | sed 's/ $//'; }

# expect_message TEXT [SECONDS]: waits for a "ZUV - Setup" box holding TEXT, presses OK and waits
# until the box is gone (the next box may carry the same title). A user does what the box asks
# before pressing OK: await_message TEXT [SECONDS] waits for the box without answering it.
await_message() {
  local text=$1 seconds=${2:-60} shown
  shown=$(drive shows "ZUV - Setup" "$text" "$seconds") ||
    fail "no message \"$text\": $(echo "$shown" | grep -v '^OK$' | grep -v '^$' | tr '\n' ' ')"
}

expect_message() {
  local text=$1 seconds=${2:-60} shown
  shown=$(drive answer "ZUV - Setup" "$text" OK "$seconds") ||
    fail "no message \"$text\": $(echo "$shown" | grep -v '^OK$' | grep -v '^$' | tr '\n' ' ')"
}

# start_setup_rc DIR RCFILE [ARGS...]: starts install.exe from DIR with ARGS; its exit status
# (Wine hands over the low 8 bits: 1603 arrives as 67) is written to RCFILE when it ends.
start_setup_rc() {
  local dir=$1 rc=$2
  shift 2
  rm -f "$rc"
  (
    cd "$dir"
    code=0
    "$WINE" install.exe "$@" >/dev/null 2>&1 || code=$?
    echo "$code" >"$rc.part" && mv "$rc.part" "$rc"
  ) &
}

# wait_rc RCFILE SECONDS: prints the exit status once it is there; fails after SECONDS.
wait_rc() {
  local rc=$1 end=$((SECONDS + $2))
  while [ ! -f "$rc" ]; do
    [ $SECONDS -lt $end ] || fail "install.exe did not end within $2 s"
    sleep 0.2
  done
  cat "$rc"
}

# left_in_tempdir: prints every entry still inside the setup's TempDir, the Windows
# directory's Temp\z (Wine names it windows/temp/z: found without regard to case); prints
# nothing when the folder is gone or empty. Fails when the prefix has no windows/temp, so a
# check built on it cannot pass by looking in the wrong place.
left_in_tempdir() {
  local temp
  temp=$(find "$(wine_c)" -mindepth 2 -maxdepth 2 -ipath "$(wine_c)/windows/temp" -type d | head -n 1)
  [ -n "$temp" ] || { echo "no windows/temp folder in $(wine_c)" >&2; return 1; }
  find "$temp" -mindepth 1 -maxdepth 1 -iname z -type d -exec find {} -mindepth 1 \;
}
