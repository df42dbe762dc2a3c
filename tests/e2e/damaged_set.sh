#!/usr/bin/env bash
# A damaged segment and a missing install.exe both end the preparation with "Error Expanding
# Files!!" and the setup with "Your installation was canceled!", with no restart.
source "$(dirname "$0")/lib.bash"
wine_start

damaged=$(mktemp -d)
make_set "$damaged"
# Overwrite a run of bytes in the middle of segment 2 (inside the compressed data).
printf 'DAMAGEDDAMAGEDDAMAGEDDAMAGEDDAMAGED%.0s' 1 2 3 4 5 6 7 8 |
  dd of="$damaged/disk.002" bs=1 seek=4000 conv=notrunc status=none
start_setup "$damaged"
expect_message "Error Expanding Files!!" 120
expect_message "Your installation was canceled!" 30
drive gone "ZUV 32Bit Installer" 30 || fail "the setup did not end after the damaged set"
[ ! -d "$(wine_c)/Program Files/ZUV Hello" ] || fail "something was installed from a damaged set"

missing=$(mktemp -d)
make_set "$missing"
rm "$missing/install.exe"
cp "$win/install.exe" "$missing/setup-copy.exe"
(cd "$missing" && "$WINE" setup-copy.exe >/dev/null 2>&1 &)
expect_message "Error Expanding Files!!" 120
expect_message "Your installation was canceled!" 30
drive gone "ZUV 32Bit Installer" 30 || fail "the setup did not end without install.exe"
echo "damaged set ok"
