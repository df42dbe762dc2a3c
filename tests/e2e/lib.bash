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
