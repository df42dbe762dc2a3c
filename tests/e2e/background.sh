#!/usr/bin/env bash
# install.exe paints its full-screen gradient from the script's colours (blue at the top, black at
# the bottom for the example product) and shows its title lines.
source "$(dirname "$0")/lib.bash"
wine_start
set_dir=$(mktemp -d)
cp examples/install.cfg "$win/install.exe" "$set_dir/"
(cd "$set_dir" && "$WINE" install.exe >/dev/null 2>&1 &)
drive wait "ZUV 32Bit Installer" 60 || fail "the background window did not appear"
shot background
read -r r g b < <(pixel background 900 5)
[ "$b" -gt 200 ] && [ "$r" -lt 40 ] && [ "$g" -lt 40 ] || fail "top of the gradient is $r $g $b, not blue"
read -r r g b < <(pixel background 900 762)
[ "$b" -lt 40 ] && [ "$r" -lt 40 ] && [ "$g" -lt 40 ] || fail "bottom of the gradient is $r $g $b, not black"
drive list | grep -q 'TMainSetup \[0,0 1024x768\]' || fail "the background does not cover the screen"
echo "background ok"
