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
if [[ "$(message_text)" == *"Error Expanding Files!!"* ]]; then drive click "ZUV - Setup" OK; sleep 1; fi
expect_message "Your installation was canceled!" 30
drive gone "ZUV 32Bit Installer" 30 || fail "the setup did not end"
left=$(left_in_tempdir) || fail "cannot look into TempDir"
[ -z "$left" ] || fail "TempDir still holds $(echo "$left" | sed 's|.*/||' | tr '\n' ' ')"
[ ! -d "$(wine_c)/Program Files/ZUV Hello" ] || fail "something was installed after the abort"
echo "abort ok"
