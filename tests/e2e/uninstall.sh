#!/usr/bin/env bash
# Install, then remove, and the machine is as it was. A product with files in several
# directories (one replacing a file of the user's after the overwrite question), shortcuts on
# the desktop and in program folders, INI values (one into an existing INI file whose other
# entries must survive), registry values (one replacing a value that must come back) and an
# AUTOEXEC.BAT block:
#   a) installed, then removed through the registered uninstall string;
#   b) stopped at its INI step (a target on a drive that does not exist) and rolled back;
#   c) install.exe killed while it asks about the file to replace (the uninstaller copied, no
#      registry step yet), then the uninstaller run from the install directory.
# Each compares a snapshot of the machine (every file under drive_c with its MD5, every
# directory, HKLM\Software and HKCU exported) before and after. Screenshots of the
# uninstaller's windows land in build/screenshots/uninstall-*.png.
source "$(dirname "$0")/lib.bash"
wine_start
# The snapshots wait for the prefix's server to end (every program of the run, the
# uninstaller's clean-up included, has finished then), so this test runs without the server
# that wine_start keeps alive: the next program starts an ordinary one.
"$WINESERVER" -k 2>/dev/null || true
c=$(wine_c)
work=$(mktemp -d)
W="ZUV32 - Setup"

# The user's machine before the product comes.
printf '[Main]\r\nOther=1\r\nMode=old\r\n' >"$c/windows/existing.ini"
printf 'the user'"'"'s own shared file\r\n' >"$c/windows/shared.txt"
printf '@ECHO OFF\r\nPATH C:\\DOS\r\n' >"$c/autoexec.bat"
"$WINE" reg add 'HKCU\Software\ZUV Shared' /v Editor /d notepad /f >/dev/null
"$WINE" reg add 'HKCU\Software\ZUV Shared' /v Other /d stays /f >/dev/null
"$WINESERVER" -w

# snapshot NAME: the machine as files, directories and registry text in $work/NAME.
snapshot() {
  "$WINESERVER" -w
  # The setup's own logs in the user's temporary folder are all that may remain.
  (cd "$c" && find . -type f -print0 | sort -z | xargs -0 md5sum && find . -type d | sort) |
    grep -v '/Temp/ZUV Setup .*\.log$' >"$work/$1"
  for key in 'HKLM\Software' 'HKCU'; do
    "$WINE" reg export "$key" "$(wine_path "$work/reg.tmp")" /y >/dev/null 2>&1 || fail "reg export $key"
    iconv -f UTF-16 -t UTF-8 "$work/reg.tmp" | tr -d '\r' >>"$work/$1"
  done
  rm -f "$work/reg.tmp"
  "$WINESERVER" -w
}

# same BEFORE AFTER: fails listing every difference.
same() {
  diff "$work/$1" "$work/$2" >"$work/diff" || { cat "$work/diff" >&2; fail "the machine differs after $3"; }
}

# make_product DIR INI_TARGET: the set of the product, its last INI entry going to INI_TARGET.
make_product() {
  local dir=$1
  mkdir -p "$dir"
  printf 'the product'"'"'s shared file\r\n' >"$work/shared.txt"
  "$root/build/native/zuv" pack -o "$dir" --segment-size 1000000 --method lh5 \
    "$win/examples/hello.exe" "$win/uninstaller.exe" "$root/examples/product/readme.txt" "$work/shared.txt" >/dev/null
  cp "$win/install.exe" "$dir/"
  cat >"$dir/install.cfg" <<CFG
[Setup - Main]
Install Disks=1
Install Dir=ZUV Undo
Launch=
Folder=ZUV Undo
Add to Program Files=1
Show Re-Boot=0
Work Station Prompt=0
Header=ZUV Undo Test

[Directories]
Main=<INSTALLDIR>~
Docs=<SUB1>~docs
Win=<WINDOWS>~

[Files]
Program=hello.exe~<INSTALLDIR>
Readme=readme.txt~<SUB1>
Shared=shared.txt~<WINDOWS>
Uninstaller=uninstaller.exe~<INSTALLDIR>

[Files - OverWrite]
File #2=1

[Desktop]
Hello=ZUV Undo~<INSTALLDIR>hello.exe~X~X~<INSTALLDIR>hello.exe~ZUV Undo
Readme=Undo Read Me~<SUB1>readme.txt~~~<INSTALLDIR>hello.exe~ZUV Undo

[INI - Setup]
Existing=existing.ini~Main~Mode~new
Own=<INSTALLDIR>hello.ini~Settings~Greeting~Hello from ZUV Setup!
Version=HKEY_LOCAL_MACHINE\\Software\\ZUV Undo~App~Version~1.0
Shared=HKEY_CURRENT_USER\\Software\\ZUV Shared~~Editor~zuv
Last=$2~Settings~Docs~<SUB1>

[AUTOEXEC.BAT]
SET ZUVUNDO=<INSTALLDIR>
CFG
}

# install DIR: runs install.exe from DIR through every page; Yes to the overwrite question.
install() {
  (cd "$1" && "$WINE" install.exe >/dev/null 2>&1 &)
  drive wait "$W" 120 >/dev/null || fail "the wizard did not appear"
  for _ in 1 2 3 4 5 6 7 8; do
    drive click "$W" "Install" 1 >/dev/null 2>&1 && return 0
    drive click "$W" "Next" 2 >/dev/null 2>&1 || drive click "$W" "Accept" 2 >/dev/null 2>&1 || true
    sleep 0.5
  done
  fail "no Install button"
}

snapshot before

# a) installed, then removed by the registered uninstall string.
make_product "$work/set-a" "<INSTALLDIR>hello.ini"
install "$work/set-a"
drive wait "Confirm" 60 >/dev/null || fail "no overwrite question for shared.txt"
drive click "Confirm" "Yes" >/dev/null || fail "cannot answer Yes"
expect_message "has be completed." 120
drive gone "ZUV 32Bit Installer" 60 || fail "the setup did not end"
snapshot installed
grep -q "ZUV Undo/uninstaller.exe" "$work/installed" || fail "the uninstaller was not installed"
! diff -q "$work/before" "$work/installed" >/dev/null || fail "the snapshot saw no installation"
key='HKLM\Software\Microsoft\Windows\currentversion\uninstall\ZUV Undo Test'
uninstall=$("$WINE" reg query "$key" /v UninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ "$uninstall" == '"C:\Program Files\ZUV Undo\uninstaller.exe" ZUV Undo Test' ]] || fail "UninstallString is $uninstall"
quiet=$("$WINE" reg query "$key" /v QuietUninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ "$quiet" == '"C:\Program Files\ZUV Undo\uninstaller.exe" /S' ]] || fail "QuietUninstallString is $quiet"
program=$(sed -E 's/^"([^"]*)".*/\1/' <<<"$uninstall")
"$WINE" "$program" ZUV Undo Test >/dev/null 2>&1 &
drive wait "ZUV Undo Test" 60 >/dev/null || fail "the uninstaller did not ask"
drive texts "ZUV Undo Test" | grep -q "Remove ZUV Undo Test and all of its components?" || fail "wrong question"
shot uninstall-1-question
drive click "ZUV Undo Test" "Yes" >/dev/null || fail "cannot answer Yes"
drive wait "ZUV - Setup" 120 >/dev/null || fail "no closing message"
sleep 0.5
shot uninstall-2-done
expect_message "ZUV Undo Test was removed from your computer." 10
snapshot uninstalled
[ ! -d "$c/Program Files/ZUV Undo" ] || fail "the install directory is still there"
same before uninstalled "install and uninstall"
echo "install, uninstall: no differences"

# b) the INI step fails (drive Q: does not exist): the error, then Yes to the rollback.
make_product "$work/set-b" 'Q:\\nowhere\\zuv.ini'
install "$work/set-b"
drive wait "Confirm" 60 >/dev/null || fail "no overwrite question for shared.txt"
drive click "Confirm" "Yes" >/dev/null || fail "cannot answer Yes"
expect_message "Unable to write to Q:" 120
drive wait "ZUV - Setup" 30 >/dev/null || fail "no rollback question"
drive texts "ZUV - Setup" | grep -q "Setup could not finish. Undo the changes made so far?" || fail "wrong question"
shot uninstall-3-rollback-question
drive click "ZUV - Setup" "Yes" >/dev/null || fail "cannot answer Yes"
expect_message "Your installation was canceled!" 120
drive gone "ZUV 32Bit Installer" 60 || fail "the setup did not end"
snapshot rolledback
same before rolledback "a failed install rolled back"
echo "failed install, rollback: no differences"

# c) killed part-way: the whole Wine session of this prefix ends while the overwrite question
# waits. The setup's scratch directory (Windows\Temp\z, emptied by its next run) is no part
# of the comparison.
make_product "$work/set-c" "<INSTALLDIR>hello.ini"
install "$work/set-c"
drive wait "Confirm" 60 >/dev/null || fail "no overwrite question for shared.txt"
[ -f "$c/Program Files/ZUV Undo/uninstaller.exe" ] || fail "the uninstaller was not copied before the question"
"$WINESERVER" -k
"$WINESERVER" -w 2>/dev/null || true
"$WINE" 'C:\Program Files\ZUV Undo\uninstaller.exe' >/dev/null 2>&1 &
drive wait "ZUV Undo Test" 60 >/dev/null || fail "the uninstaller did not ask after the kill"
drive click "ZUV Undo Test" "Yes" >/dev/null || fail "cannot answer Yes"
expect_message "ZUV Undo Test was removed from your computer." 120
snapshot killed
grep -vi '/windows/temp/z' "$work/killed" >"$work/killed-machine"
same before killed-machine "a killed install and the uninstaller"
echo "killed install, uninstall: no differences"
echo "uninstall ok"
