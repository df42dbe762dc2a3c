#!/usr/bin/env bash
# A silent install is the interactive one without the windows. The same three-segment set is
# installed on two copies of one machine: through the wizard, every page left at its default
# (only "Return to Windows" picked, so the product is not started), and with
# install.exe /S /DIR=<the directory the wizard proposes>. Snapshots of the two machines (every
# file with its hash, shell links by content, INI files, HKLM\Software and HKCU exported) differ
# in nothing but the logs. Then the quiet uninstall string the silent install registered runs
# with start /wait: exit code 0, the install directory gone when it returns, its log left in
# the user's temporary folder, and the machine as it was; an unknown switch gives 1639.
source "$(dirname "$0")/lib.bash"
wine_start
# Snapshots wait for the prefix's server to end: no server kept alive here.
"$WINESERVER" -k 2>/dev/null || true
c=$(wine_c)
work=$(mktemp -d)
trap 'wine_stop; rm -rf "$work"' EXIT
W="ZUV32 - Setup"
app='C:\Program Files\ZUV Hello'

make_set "$work/set" 16384 lh5
[ "$(ls "$work/set"/disk.* | wc -l)" -ge 3 ] || fail "the set has fewer than three segments"
snapshot "$work/before"
"$WINESERVER" -w
pristine=$work/pristine
mkdir "$pristine"
cp -a "$WINEPREFIX/." "$pristine/"

# The machine without the logs (the install log's copy in the Setup folder differs), and with
# the uninstall record by what it says: the checksums it keeps of the shell links are those of
# their bytes, which hold the times of the files they point to.
installed_machine() {
  grep -v 'ZUV Hello/Setup/install\.log$' "$1" | grep -v 'ZUV Hello/uninstall\.cfg$'
  sed -E 's/^([0-9]+=Sum\|[^|]*\.lnk\|).*/\1/I' "$c/Program Files/ZUV Hello/uninstall.cfg" | md5sum |
    sed 's|-$|uninstall.cfg, the links unsummed|'
}

# 1. Through the wizard with its defaults.
start_setup_rc "$work/set" "$work/rc1"
drive wait "$W" 120 >/dev/null || fail "the wizard did not appear"
drive press "$W" "Next" >/dev/null || fail "no Next on the welcome page"
drive press "$W" "Accept" >/dev/null || fail "no Accept on the licence page"
drive press "$W" "Next" >/dev/null || fail "no Next on the destination page"
drive press "$W" "Next" >/dev/null || fail "no Next on the folders page"
drive click "$W" "Return to Windows after installed" >/dev/null || fail "no Return to Windows choice"
drive press "$W" "Install" >/dev/null || fail "no Install button"
expect_message "has be completed." 120
rc=$(wait_rc "$work/rc1" 60)
[ "$rc" = 0 ] || fail "the interactive install exited with $rc"
snapshot "$work/clicked"
grep -q '/Program Files/ZUV Hello/hello.exe$' "$work/clicked" || fail "the wizard did not install into $app"
installed_machine "$work/clicked" >"$work/clicked-machine"

# 2. The same machine as it was, silently.
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
find "$WINEPREFIX" -mindepth 1 -delete
cp -a "$pristine/." "$WINEPREFIX/"
start_setup_rc "$work/set" "$work/rc2" /S "/DIR=$app"
rc=$(wait_rc "$work/rc2" 120)
[ "$rc" = 0 ] || fail "the silent install exited with $rc"
snapshot "$work/quiet"
installed_machine "$work/quiet" >"$work/quiet-machine"
same "$work/clicked-machine" "$work/quiet-machine" "a silent install, compared with the wizard's"
echo "wizard and silent install: no differences but the logs"

# 3. The quiet uninstall string, as a deployment tool runs it.
key='HKLM\Software\Microsoft\Windows\currentversion\uninstall\ZUV Hello 1.0'
quiet=$("$WINE" reg query "$key" /v QuietUninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ "$quiet" == "\"$app\\uninstaller.exe\" /S" ]] || fail "QuietUninstallString is $quiet"
printf '@echo off\r\nstart /wait "" %s /X\r\necho bad=%%errorlevel%%\r\nstart /wait "" %s\r\necho exit=%%errorlevel%%\r\nif exist "%s" echo left\r\n' \
  "$quiet" "$quiet" "$app" >"$work/uninstall.bat"
out=$(cd "$work" && { timeout 120 "$WINE" cmd /c uninstall.bat || true; } | tr -d '\r')
[[ "$out" == *"bad=1639"* ]] || fail "the uninstaller with /X reports \"$out\", expected bad=1639"
[[ "$out" == *"exit=0"* ]] || fail "the quiet uninstall reports \"$out\", expected exit=0"
[[ "$out" != *"left"* ]] || fail "the install directory was still there when the uninstaller ended"
temp=$(find "$c/users" -maxdepth 4 -ipath '*/temp' -type d | head -n 1)
log=$(grep -l "uninstaller started" "$temp"/ZUV\ Setup\ ZUV\ Hello\ 1.0\ *.log 2>/dev/null | head -n 1) ||
  fail "no uninstaller log in $temp"
grep -q "Command line: .*uninstaller.exe.* /S" "$log" || fail "the log has no command line"
grep -qF "Removed file $app\\hello.exe" "$log" || fail "the log does not name hello.exe"
grep -q "Result: removed, exit code 0" "$log" || fail "the log has no result line"
tr -d '\r' <"$log" >"$shots/uninstall-log.txt"
snapshot "$work/removed"
same "$work/before" "$work/removed" "the quiet uninstall"
echo "quiet uninstall: exit 0, log left, no differences"
echo "silent same ok"
