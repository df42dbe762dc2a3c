#!/usr/bin/env bash
# Unattended installs as an administrator runs them: /S with /DIR= and /LOG= on a set of three
# segments installs the product with no window at all and exits 0, leaving a log that names
# every installed file; a missing disk.003 exits 1603 within a minute; a script that wants a
# restart exits 3010 and does not restart; an interactive run declined on the licence page
# exits 1602; /X exits 1639. Under Wine the exit status holds the low 8 bits of the code
# (1603 -> 67, 3010 -> 194, 1602 -> 66, 1639 -> 103); cmd's start /wait shows the whole code.
source "$(dirname "$0")/lib.bash"
wine_start
c=$(wine_c)
work=$(mktemp -d)
trap 'wine_stop; rm -rf "$work"' EXIT

# 1. The silent install, watched for windows while it runs.
make_set "$work/set" 16384 lh5
[ "$(ls "$work/set"/disk.* | wc -l)" -ge 3 ] || fail "the set has fewer than three segments"
# The visible top-level windows, one line each (none is fine).
top_windows() { drive list | { grep -v '^ ' || true; } | sort; }
baseline=$(top_windows)
start_setup_rc "$work/set" "$work/rc1" /S "/DIR=C:\\Quiet Place" "/LOG=C:\\q.log"
windows=""
while [ ! -f "$work/rc1" ]; do
  windows+=$(comm -13 <(echo "$baseline") <(top_windows))
  sleep 0.3
done
rc=$(cat "$work/rc1")
[ "$rc" = 0 ] || fail "silent install exited with $rc, expected 0"
[ -z "$windows" ] || fail "a window appeared during the silent run: $windows"
app="$c/Quiet Place"
cmp "$app/hello.exe" "$win/examples/hello.exe" || fail "hello.exe differs"
cmp "$app/license.txt" examples/product/license.txt || fail "license.txt differs"
cmp "$app/docs/readme.txt" examples/product/readme.txt || fail "readme.txt differs"
cmp "$app/install.cfg" examples/install.cfg || fail "install.cfg copy differs"
[ -f "$app/install.exe" ] && [ -f "$app/uninstall.cfg" ] || fail "no setup copy or uninstall record"
grep -q "Greeting=Hello from ZUV Setup!" "$app/hello.ini" || fail "INI entry missing"
find "$c/ProgramData/Microsoft/Windows/Start Menu/Programs" -iname "ZUV Hello.lnk" | grep -q . || fail "no shortcut"
"$WINE" reg query 'HKLM\Software\ZUV Example\Hello' /v Path | tr -d '\r' | grep -qi "Quiet Place\\\\hello.exe" ||
  fail "registry value missing"
[ ! -d "$c/windows/Temp/z" ] || fail "TempDir was not cleaned"
log="$c/q.log"
[ -f "$log" ] || fail "no log at C:\\q.log"
for f in hello.exe license.txt logo.gif docs\\readme.txt install.exe install.cfg; do
  grep -qF "Installed C:\\Quiet Place\\$f (" "$log" || fail "the log does not name $f"
done
grep -q "Result: installed, exit code 0" "$log" || fail "the log has no result line"
grep -q "Use it well\|LICENSE AGREEMENT" "$log" && fail "licence text in the log"
cmp "$log" "$app/Setup/install.log" || fail "the log copy in the Setup folder differs"
tr -d '\r' <"$log" >"$shots/silent-log.txt"

# 2. disk.003 missing: exit 1603 within a minute, nothing installed, the log names the disk.
make_set "$work/broken" 16384 lh5
rm "$work/broken/disk.003"
printf '@echo off\r\nstart /wait install.exe /S "/DIR=C:\\Broken Place" /LOG=C:\\broken.log\r\necho exit=%%errorlevel%%\r\n' \
  >"$work/broken/run.bat"
started=$SECONDS
out=$(cd "$work/broken" && { timeout 60 "$WINE" cmd /c run.bat || true; } | tr -d '\r')
[ $((SECONDS - started)) -lt 60 ] || fail "the failing run took more than a minute"
[[ "$out" == *"exit=1603"* ]] || fail "start /wait reports \"$out\", expected exit=1603"
[ ! -e "$c/Broken Place" ] || fail "something was installed without disk 3"
grep -q "Disk 3 missing: .*disk.003 not found" "$c/broken.log" || fail "the log does not name the missing disk"

# 3. A script that wants a restart: 3010 (194 here), and Windows keeps running.
make_set "$work/reboot" 16384 lh5
sed -i '/^Launch=/d' "$work/reboot/install.cfg"
start_setup_rc "$work/reboot" "$work/rc3" /S "/DIR=C:\\Reboot Place" /LOG=C:\\reboot.log
rc=$(wait_rc "$work/rc3" 120)
[ "$rc" = 194 ] || fail "restart-wanted run exited with $rc, expected 194 (3010)"
grep -q "exit code 3010" "$c/reboot.log" || fail "the log does not give 3010"
grep -q "Restart chosen: not done in a silent run" "$c/reboot.log" || fail "the log does not say the restart was skipped"

# 4. Interactive, declined on the licence page: 1602 (66 here).
make_set "$work/decline" 16384 lh5
start_setup_rc "$work/decline" "$work/rc4"
drive wait "ZUV32 - Setup" 120 || fail "the wizard did not appear"
drive press "ZUV32 - Setup" "Next" || fail "no Next on the welcome page"
drive click "ZUV32 - Setup" "Decline" || fail "no Decline on the licence page"
expect_message "Your installation was canceled!" 30
rc=$(wait_rc "$work/rc4" 60)
[ "$rc" = 66 ] || fail "declined run exited with $rc, expected 66 (1602)"

# 5. An unknown switch: its message box, nothing changed, 1639 (103 here).
start_setup_rc "$work/set" "$work/rc5" /X
expect_message "Unknown command-line switch: /X" 30
rc=$(wait_rc "$work/rc5" 30)
[ "$rc" = 103 ] || fail "/X exited with $rc, expected 103 (1639)"
echo "silent ok"
