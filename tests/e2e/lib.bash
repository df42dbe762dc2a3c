# Shared by the end-to-end scripts: a throwaway Wine prefix, the driver, screenshots.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
source scripts/wine-env
win=$root/build/win64
shots=$root/build/screenshots
mkdir -p "$shots"
trap wine_stop EXIT

# zuvdrive inside the prefix: drive wait|click|texts|... (see tests/e2e/driver/zuvdrive.c).
drive() { "$WINE" "$win/zuvdrive.exe" "$@" | tr -d '\r'; }

# shot NAME: saves the whole virtual screen as build/screenshots/NAME.png.
shot() { import -window root "$shots/$1.png"; }

# pixel NAME X Y: prints the colour of one screenshot pixel as "r g b".
pixel() {
  convert "$shots/$1.png" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 |
    sed -E 's/.*\(([0-9.]+),([0-9.]+),([0-9.]+).*/\1 \2 \3/' | awk '{printf "%d %d %d\n", $1, $2, $3}'
}

fail() { echo "FAIL: $*" >&2; exit 1; }

# make_set DIR [SEGMENT_SIZE] [METHOD]: packs the example product into DIR as a disk set
# beside install.exe and install.cfg, as the install-building tool leaves it on disk 1.
make_set() {
  local dir=$1 size=${2:-16384} method=${3:-lh5}
  mkdir -p "$dir"
  "$root/build/native/zuv" pack -o "$dir" --segment-size "$size" --method "$method" \
    "$win/examples/hello.exe" "$win/uninstaller.exe" "$root"/examples/product/* >/dev/null
  cp "$win/install.exe" "$root/examples/install.cfg" "$dir/"
}

# start_setup DIR: starts install.exe from DIR, as a user does from disk 1.
start_setup() { (cd "$1" && "$WINE" install.exe >/dev/null 2>&1 &); }

# message_text: the text of the plain message box "ZUV - Setup" now shown.
message_text() { drive texts "ZUV - Setup" | grep -v '^OK$' | grep -v '^$' | tr '\n' ' ' | sed 's/ $//'; }

# expect_message TEXT [SECONDS]: waits for a "ZUV - Setup" box holding TEXT and presses OK.
expect_message() {
  local text=$1 seconds=${2:-60}
  drive wait "ZUV - Setup" "$seconds" >/dev/null || fail "no message box (expected \"$text\")"
  local shown
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    shown=$(message_text)
    [ -n "$shown" ] && break
    sleep 0.5
  done
  [[ "$shown" == *"$text"* ]] || fail "message \"$shown\", expected \"$text\""
  drive click "ZUV - Setup" "OK" >/dev/null || fail "cannot press OK on \"$text\""
  sleep 0.5
}
