#!/usr/bin/env bash
# zuv build end to end: the example product built into a disk folder in one command (the set,
# install.exe and install.cfg, checked), which install.exe then installs under Wine along the
# whole road of install_happy_path.sh. A script with an error builds nothing.
source "$(dirname "$0")/lib.bash"
out=$(mktemp -d)
trap 'rm -rf "$out"; wine_stop' EXIT

# A broken script: refused, and the folder left empty.
sed 's/^Main=<INSTALLDIR>~/Main=<INSTDIR>~/' examples/install.cfg >"$out/broken.cfg"
if build/native/zuv build -q -o "$out/broken" --setup "$win" --segment-size 16K \
    "$out/broken.cfg" "$win/examples/hello.exe" "$win/uninstaller.exe" examples/product/* >"$out/broken.log" 2>&1; then
  fail "zuv build kept a set whose script has no <INSTALLDIR> entry"
fi
grep -q "no <INSTALLDIR> entry" "$out/broken.log" || fail "the refusal does not say why: $(cat "$out/broken.log")"
[ -z "$(ls -A "$out/broken")" ] || fail "the refused build left files behind: $(ls "$out/broken")"

# The example as shipped.
build/native/zuv build -o "$out/set" --setup "$win" --segment-size 16K --method lh5 \
  examples/install.cfg "$win/examples/hello.exe" "$win/uninstaller.exe" examples/product/* || fail "zuv build failed"
for f in install.exe install.cfg disk.001 disk.002 disk.003; do
  [ -f "$out/set/$f" ] || fail "zuv build wrote no $f"
done
cmp "$out/set/install.exe" "$win/install.exe" || fail "install.exe beside the set differs"
bash "$(dirname "$0")/install_happy_path.sh" "$out/set" || fail "the built folder did not install"
echo "build ok"
