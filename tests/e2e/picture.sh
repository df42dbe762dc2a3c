#!/usr/bin/env bash
# The script's picture on the background, checked on screenshots: the example's animated GIF at
# its own size (96 x 96, panel 106 x 106), and a bitmap in the fixed 105 x 105 box (panel
# 115 x 115), both 20 pixels from the left under the second title line. After each run TempDir
# is empty, the picture too.
source "$(dirname "$0")/lib.bash"
wine_start

near() {  # near "r g b" "r g b": each channel within 24
  read -r a b c <<<"$1"; read -r x y z <<<"$2"
  (( ${a#-} - x < 25 && x - a < 25 && b - y < 25 && y - b < 25 && c - z < 25 && z - c < 25 ))
}

run_with() {  # run_with NAME PICTURE: a set whose script names PICTURE; screenshot at the wizard
  local name=$1 picture=$2 dir
  dir=$(mktemp -d)
  "$root/build/native/zuv" pack -o "$dir" --segment-size 16384 --method lh5 "$win/examples/hello.exe" \
    "$root/examples/product/license.txt" "$root/examples/product/readme.txt" "$picture" >/dev/null
  cp "$win/install.exe" "$dir/"
  sed "s/logo\.gif/$(basename "$picture")/g" "$root/examples/install.cfg" >"$dir/install.cfg"
  start_setup "$dir"
  drive wait "ZUV32 - Setup" 120 >/dev/null || fail "$name: the wizard did not appear"
  shot "picture-$name"
  drive click "ZUV32 - Setup" "Cancel" >/dev/null
  expect_message "Your installation was canceled!" 30
  drive gone "ZUV 32Bit Installer" 30 || fail "$name: the setup did not end"
  # Shut-down empties TempDir: the picture shown on the background is no exception.
  local left
  left=$(left_in_tempdir) || fail "$name: cannot look into TempDir"
  [ -z "$left" ] || fail "$name: TempDir still holds $(echo "$left" | sed 's|.*/||' | tr '\n' ' ')"
}

run_with gif "$root/examples/product/logo.gif"
# Inside the picture (its dark blue ground), and just outside its 106-pixel panel (gradient).
near "$(pixel picture-gif 30 90)" "32 48 128" || fail "no GIF picture at 30,90: $(pixel picture-gif 30 90)"
read -r r g b < <(pixel picture-gif 130 180)
[ "$r" -lt 20 ] && [ "$g" -lt 20 ] && [ "$b" -gt 150 ] || fail "the GIF panel is larger than its picture"

run_with bmp "$root/examples/logo.bmp"
near "$(pixel picture-bmp 35 89)" "53 82 198" || fail "no bitmap at 35,89: $(pixel picture-bmp 35 89)"
near "$(pixel picture-bmp 125 179)" "246 248 253" || fail "the bitmap is not shown unscaled in its box"
read -r r g b < <(pixel picture-bmp 140 195)
[ "$r" -lt 20 ] && [ "$g" -lt 20 ] && [ "$b" -gt 150 ] || fail "the bitmap panel is larger than 115 x 115"
echo "picture ok"
