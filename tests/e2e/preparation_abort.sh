#!/usr/bin/env bash
# A click on the preparation window asks "Abort Setup Process ?"; "&Abort" ends the setup with
# "Your installation was canceled!", no restart, and TempDir emptied.
source "$(dirname "$0")/lib.bash"
wine_start
set_dir=$(mktemp -d)
make_set "$set_dir" 16384 lzh
start_setup "$set_dir"
drive wait "Preparing ZUV Setup" 60 || fail "no preparation window"
shot abort-1-preparation
drive clickat "Preparing ZUV Setup" 10 80 || fail "cannot click the preparation window"
drive wait "Warning" 20 || fail "no abort question"
drive texts "Warning" | grep -q "Abort Setup Process ?" || fail "the abort question reads: $(drive texts Warning)"
shot abort-2-question
drive click "Warning" "Abort" || fail "no &Abort button"
# Depending on where the run was stopped, the cut file fails its checksum first.
drive wait "ZUV - Setup" 60 >/dev/null || fail "no closing message"
if [[ "$(message_text)" == *"Error Expanding Files!!"* ]]; then expect_message "Error Expanding Files!!"; fi
expect_message "Your installation was canceled!" 30
drive gone "ZUV 32Bit Installer" 30 || fail "the setup did not end"
[ ! -d "$(wine_c)/windows/Temp/z" ] || [ -z "$(ls "$(wine_c)/windows/Temp/z")" ] || fail "TempDir not emptied"
[ ! -d "$(wine_c)/Program Files/ZUV Hello" ] || fail "something was installed after the abort"
echo "abort ok"
