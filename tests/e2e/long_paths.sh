#!/usr/bin/env bash
# Paths beyond one code page and beyond MAX_PATH, typed into the destination field as a user
# types them, each installed and then removed by the uninstaller:
#   1. C:\Programme\Ünïcødé 日本 (日本 is in no Western code page: it passes only because
#      install.exe runs with the UTF-8 code page its manifest asks for, which Wine honours);
#   2. a destination 300 characters deep.
# Each time the files, the INI file, the registry value and the shortcut must be on the real
# file system and in the real registry under the very name typed, the installed program must
# start from there, and the silent uninstaller must leave nothing of them behind.
source "$(dirname "$0")/lib.bash"
# Wine turns the command line and the file names from and to the locale's characters.
export LC_ALL=C.UTF-8
wine_start
set_dir=$(mktemp -d)
make_set "$set_dir"
W="ZUV32 - Setup"
c=$(wine_c)
programs="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"

# has_utf16 FILE TEXT: whether FILE holds TEXT in UTF-16 (as .lnk and .reg files keep names).
has_utf16() { python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' "$1" "$2"; }

# install_into DESTINATION SHOT: from the start to the end of an install into DESTINATION.
install_into() {
  start_setup "$set_dir"
  drive wait "$W" 180 >/dev/null || fail "the wizard did not appear"
  drive click "$W" "Next" >/dev/null || fail "no Next on the welcome page"
  drive click "$W" "Accept" >/dev/null || fail "no Accept"
  drive settext "$W" Edit 1 "$1" >/dev/null || fail "no destination field"
  [ "$(drive gettext "$W" Edit 1)" = "$1" ] || fail "the destination field holds \"$(drive gettext "$W" Edit 1)\""
  drive click "$W" "Next" >/dev/null || fail "no Next on the destination page"
  drive click "$W" "Next" >/dev/null || fail "no Next on the folders page"
  shot "$2"
  drive click "$W" "Install" >/dev/null || fail "no Install button"
  # The program starts from the destination (by the short form of a long path).
  drive wait "ZUV Hello" 120 >/dev/null || fail "the installed program was not launched"
  drive click "ZUV Hello" "OK" >/dev/null
  drive gone "ZUV 32Bit Installer" 60 >/dev/null || fail "the setup did not end"
}

# check_install DESTINATION: every trace of the install under DESTINATION's own name.
check_install() {
  local dest=$1 app
  app="$c/$(sed 's/^C:\\//; s/\\/\//g' <<<"$dest")"
  [ -d "$app" ] || fail "no folder $app"
  cmp "$app/hello.exe" "$win/examples/hello.exe" || fail "hello.exe is not under $app"
  cmp "$app/docs/readme.txt" examples/product/readme.txt || fail "readme.txt is not under $app/docs"
  [ -f "$app/uninstaller.exe" ] || fail "uninstaller.exe is not under $app"
  grep -q "Greeting=Hello from ZUV Setup!" "$app/hello.ini" || fail "INI entry missing"
  grep -qF "Docs=$dest\\docs" "$app/hello.ini" || fail "the INI file does not name $dest\\docs"
  grep -qF "$dest\\hello.exe" "$app/uninstall.cfg" || fail "the uninstall record does not name $dest\\hello.exe"
  local reg="$set_dir/hello.reg"
  "$WINE" reg export 'HKLM\Software\ZUV Example\Hello' 'Z:'"${reg//\//\\}" /y >/dev/null 2>&1 || fail "cannot export the registry key"
  has_utf16 "$reg" "\"Path\"=\"${dest//\\/\\\\}\\\\hello.exe\"" || fail "the registry value Path does not name $dest\\hello.exe"
  local link
  link=$(find "$programs" -iname "ZUV Hello.lnk" | head -n 1)
  [ -n "$link" ] || fail "no shortcut in the Programs folder"
  # A long target is kept by its 8.3 form, the rest by the name itself.
  if [ ${#dest} -lt 200 ]; then has_utf16 "$link" "$dest\\hello.exe" || fail "the shortcut does not lead to $dest\\hello.exe"; fi
}

# uninstall DESTINATION: the silent uninstaller from the destination, then nothing is left.
uninstall() {
  local dest=$1 app end
  app="$c/$(sed 's/^C:\\//; s/\\/\//g' <<<"$dest")"
  "$WINE" "$dest\\uninstaller.exe" /S >/dev/null 2>&1 || fail "the uninstaller did not start"
  end=$((SECONDS + 60))
  while [ -e "$app" ]; do
    [ $SECONDS -lt $end ] || fail "$app is still there: $(find "$app" | head -n 5)"
    sleep 0.5
  done
  ! find "$programs" -iname "ZUV Hello.lnk" | grep -q . || fail "the shortcut is still there"
  ! "$WINE" reg query 'HKLM\Software\ZUV Example\Hello' /v Path >/dev/null 2>&1 || fail "the registry value is still there"
}

# 1. Beyond one code page.
unicode='C:\Programme\Ünïcødé 日本'
install_into "$unicode" longpaths-1-ready
check_install "$unicode"
uninstall "$unicode"

# 2. Beyond MAX_PATH.
deep='C:\Deep'
while [ ${#deep} -lt 300 ]; do deep="$deep\\$(printf 'd%.0s' $(seq 40))"; done
install_into "$deep" longpaths-2-ready
check_install "$deep"
uninstall "$deep"

echo "long paths ok"
