#!/usr/bin/env bash
# install.exe started by a batch file as install.exe "%~dp0": parameter 1 is a quoted directory
# with a space and a final backslash, read exactly as written. The setup works from there (the
# wizard comes up), and at shut-down the files directly inside that directory are deleted.
source "$(dirname "$0")/lib.bash"
wine_start
set_dir="$(mktemp -d)/SET 1"
make_set "$set_dir"
printf '@install.exe "%%~dp0"\r\n' >"$set_dir/setup.bat"
(cd "$set_dir" && "$WINE" cmd /c setup.bat >/dev/null 2>&1 &)
drive wait "ZUV 32Bit Installer" 60 || fail "the background did not appear"
drive wait "ZUV32 - Setup" 120 || fail "the wizard did not appear: $(drive texts "ZUV - Setup" 2>/dev/null | tr '\n' ' ')"
drive click "ZUV32 - Setup" "Cancel" >/dev/null || fail "no Cancel on the wizard"
expect_message "Your installation was canceled!" 30
drive gone "ZUV 32Bit Installer" 30 || fail "the setup did not end"
for f in install.cfg disk.001; do
  [ ! -e "$set_dir/$f" ] || fail "$f is left in the parameter's directory"
done
echo "quoted directory ok"
