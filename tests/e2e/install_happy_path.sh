#!/usr/bin/env bash
# The whole road as a user walks it: a set of at least three segments in one folder, install.exe
# started from there, every wizard page, and the installed system checked afterwards (files
# byte-exact, shortcuts, registry, INI, uninstall record). Screenshots of every stage land in
# build/screenshots/road-*.png.
#   install_happy_path.sh [SET_DIR]   (SET_DIR: a prepared set; packed here when omitted)
source "$(dirname "$0")/lib.bash"
wine_start
set_dir=${1:-}
if [ -z "$set_dir" ]; then
  set_dir=$(mktemp -d)
  build/native/zuv pack -o "$set_dir" --segment-size 16384 --method lh5 \
    "$win/examples/hello.exe" "$win/uninstaller.exe" examples/product/*
  cp "$win/install.exe" examples/install.cfg "$set_dir/"
fi
segments=$(ls "$set_dir"/disk.* | wc -l)
[ "$segments" -ge 3 ] || fail "the set has $segments segments, not three or more"

W="ZUV32 - Setup"
(cd "$set_dir" && "$WINE" install.exe >/dev/null 2>&1 &)
drive wait "ZUV 32Bit Installer" 60 || fail "the background did not appear"
drive wait "Preparing ZUV Setup" 30 || fail "the preparation window did not appear"
shot road-1-preparation
drive wait "$W" 120 || fail "the wizard did not appear"
shot road-2-welcome
drive press "$W" "Next" || fail "no Next on the welcome page"
shot road-3-licence
drive texts "$W" | grep -q "Accept" || fail "the licence page is not shown"
drive press "$W" "Accept" || fail "no Accept"
shot road-4-destination
drive press "$W" "Next" || fail "no Next on the destination page"
shot road-5-folders
drive press "$W" "Next" || fail "no Next on the folders page"
shot road-6-ready
drive state "$W" "Launch Program after installed" | grep -q "^checked" || fail "launch is not preset"
drive press "$W" "Install" || fail "no Install button"
shot road-7-installing
drive wait "ZUV Hello" 120 || fail "the installed program was not launched"
shot road-8-launched
drive texts "ZUV Hello" | grep -q "Hello from ZUV Setup!" || fail "the program did not read its INI greeting"
drive click "ZUV Hello" "OK"
drive gone "ZUV 32Bit Installer" 60 || fail "the setup did not end"

c=$(wine_c)
app="$c/Program Files/ZUV Hello"
cmp "$app/hello.exe" "$win/examples/hello.exe" || fail "hello.exe differs"
cmp "$app/license.txt" examples/product/license.txt || fail "license.txt differs"
cmp "$app/docs/readme.txt" examples/product/readme.txt || fail "readme.txt differs"
cmp "$app/install.cfg" examples/install.cfg || fail "install.cfg copy differs"
[ -f "$app/install.exe" ] || fail "no install.exe copy"
[ -f "$app/uninstall.cfg" ] || fail "no uninstall record"
grep -q "Greeting=Hello from ZUV Setup!" "$app/hello.ini" || fail "INI entry missing"
# Shortcuts land in the shell's Programs folder for all users, where a Windows shell shows them.
programs="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
find "$programs" -iname "ZUV Hello.lnk" | grep -q . || fail "no shortcut in the common Programs folder"
! find "$c/windows" -iname "*.lnk" | grep -q . || fail "a shortcut below the Windows directory"
"$WINE" reg query 'HKLM\Software\ZUV Example\Hello' /v Path | tr -d '\r' | grep -qi "hello.exe" || fail "registry value missing"
grep -qi "hello.exe" "$app/uninstall.cfg" || fail "the uninstall record does not list hello.exe"
left=$(left_in_tempdir) || fail "cannot look into TempDir"
[ -z "$left" ] || fail "TempDir still holds $(echo "$left" | sed 's|.*/||' | tr '\n' ' ')"
[ -z "$(find "$c/windows" -mindepth 2 -maxdepth 2 -ipath "$c/windows/temp/z")" ] || fail "TempDir was not removed"
echo "happy path ok"
