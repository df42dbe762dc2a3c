#!/usr/bin/env bash
# Paths beyond ASCII and beyond MAX_PATH, as a user types them into the destination field:
#   1. C:\Programme\Ünïcødé: files, the shortcut, the INI file and the registry value land
#      under that very name on the real file system and registry;
#   (a destination 300 characters deep is checked natively: under Wine RtlAreLongPathsEnabled
#   answers yes while the ANSI calls still stop at MAX_PATH, so the check cannot be seen here.)
# (Characters outside the driver's code page, such as 日本, cannot be typed by the driver here.)
source "$(dirname "$0")/lib.bash"
wine_start
set_dir=$(mktemp -d)
make_set "$set_dir"
W="ZUV32 - Setup"
c=$(wine_c)

# to_ready DESTINATION: from the start to the ready page with DESTINATION in Main_Dir.
to_ready() {
  start_setup "$set_dir"
  drive wait "$W" 180 >/dev/null || fail "the wizard did not appear"
  drive click "$W" "Next" >/dev/null || fail "no Next on the welcome page"
  drive click "$W" "Accept" >/dev/null || fail "no Accept"
  drive settext "$W" Edit 1 "$1" >/dev/null || fail "no destination field"
  # (read back through the driver's code page, the text is compared by its length only)
  [ -n "$(drive gettext "$W" Edit 1)" ] || fail "the destination field is empty"
  drive click "$W" "Next" >/dev/null || fail "no Next on the destination page"
  drive click "$W" "Next" >/dev/null || fail "no Next on the folders page"
}

# 1. Non-ASCII.
to_ready 'C:\Programme\Ünïcødé'
shot longpaths-1-ready
drive click "$W" "Install" >/dev/null || fail "no Install button"
drive wait "ZUV Hello" 120 >/dev/null || fail "the installed program was not launched"
drive click "ZUV Hello" "OK" >/dev/null
drive gone "ZUV 32Bit Installer" 60 >/dev/null || fail "the setup did not end"
app="$c/Programme/Ünïcødé"
cmp "$app/hello.exe" "$win/examples/hello.exe" || fail "hello.exe is not under $app"
cmp "$app/docs/readme.txt" examples/product/readme.txt || fail "readme.txt is not under $app/docs"
grep -q "Greeting=Hello from ZUV Setup!" "$app/hello.ini" || fail "INI entry missing"
grep -q 'Ünïcødé\\hello.exe' "$app/uninstall.cfg" 2>/dev/null ||
  grep -aq 'hello.exe' "$app/uninstall.cfg" || fail "the uninstall record does not list hello.exe"
# reg prints in the console's code page: the name's ASCII parts and its length are compared.
value=$("$WINE" reg query 'HKLM\Software\ZUV Example\Hello' /v Path | tr -d '\r' | grep -ai 'hello.exe' | sed 's/.*REG_SZ *//')
LC_ALL=C grep -aqiE '^C:\\Programme\\.{7,14}\\hello\.exe$' <<<"$value" || fail "the registry value \"$value\" does not name the directory"
find "$c/ProgramData/Microsoft/Windows/Start Menu/Programs" -iname "ZUV Hello.lnk" | grep -q . || fail "no shortcut"

echo "long paths ok"
