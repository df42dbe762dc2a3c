#!/usr/bin/env bash
# The shipped install.exe in both builds, read without running it (the 32-bit one cannot run
# here): a PE32 / PE32+ image, its manifest (administrator rights, common controls 6, DPI
# awareness, long paths, the UTF-8 code page), and imports only from system DLLs that every
# Windows has, so it runs with nothing beside it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
allowed='^(ADVAPI32|COMCTL32|COMDLG32|GDI32|KERNEL32|SHELL32|SHLWAPI|USER32|OLE32|OLEAUT32|GDIPLUS|MSVCRT)\.DLL$'
checked=0
for build in win32 win64; do
  exe=$root/build/$build/install.exe
  if [ ! -f "$exe" ]; then
    [ "$build" = win32 ] && [ -z "${ZUV_REQUIRE_WIN32:-}" ] && { echo "skip: $exe not built"; continue; }
    fail "$exe not built"
  fi
  dump=$(x86_64-w64-mingw32-objdump -p "$exe")
  case $build in
    win32) grep -q 'file format pei-i386' <<<"$dump" || fail "$build: not a 32-bit image"
           grep -qE 'Magic[[:space:]]+010b' <<<"$dump" || fail "$build: not PE32" ;;
    win64) grep -q 'file format pei-x86-64' <<<"$dump" || fail "$build: not a 64-bit image" ;;
  esac
  grep -qE 'Subsystem[[:space:]]+0+2' <<<"$dump" || fail "$build: not a GUI program"
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'a-z' 'A-Z' | sort -u)
  [ -n "$dlls" ] || fail "$build: no imports read"
  while read -r dll; do
    [[ "$dll" =~ $allowed ]] || fail "$build: imports $dll, which Windows does not carry"
  done <<<"$dlls"
  # The shell's common folders and the file, folder, INI and shell calls take paths in UTF-16,
  # never cut at MAX_PATH; no path goes through an ANSI file call.
  for fn in SHGetFolderPathW SHGetSpecialFolderPathW CreateFileW CreateDirectoryW FindFirstFileW \
            GetDiskFreeSpaceExW WritePrivateProfileStringW GetPrivateProfileStringW ShellExecuteW; do
    grep -qE "[[:space:]]$fn\$" <<<"$dump" || fail "$build: does not import $fn"
  done
  for fn in CreateFileA CreateDirectoryA FindFirstFileA DeleteFileA GetFileAttributesA \
            WritePrivateProfileStringA GetPrivateProfileStringA GetShortPathNameA; do
    ! grep -qE "[[:space:]]$fn\$" <<<"$dump" || fail "$build: imports $fn, which cuts paths at MAX_PATH"
  done
  manifest=$(strings -n 6 "$exe" | tr -d '\r')
  for want in 'requestedExecutionLevel level="requireAdministrator"' 'Microsoft.Windows.Common-Controls' \
              '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
              '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">system</dpiAwareness>' \
              '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>' \
              '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>'; do
    grep -qF "$want" <<<"$manifest" || fail "$build: manifest lacks $want"
  done
  checked=$((checked + 1))
  echo "$build install.exe: image, manifest and $(wc -l <<<"$dlls") imported DLLs ok"
done
[ "$checked" -gt 0 ] || fail "no install.exe checked"
