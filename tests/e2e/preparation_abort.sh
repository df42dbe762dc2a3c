#!/usr/bin/env bash
# A click on the preparation window asks "Abort Setup Process ?"; "&Abort" ends the setup with
# "Your installation was canceled!", no restart, and TempDir emptied.
source "$(dirname "$0")/lib.bash"
wine_start
set_dir=$(mktemp -d)
# Some megabytes of text keep the preparation going for the click: the small example alone is
# expanded before a click can land.
head -c 6M /dev/urandom | base64 >"$set_dir/filler.txt"
make_set "$set_dir" 1048576 lzh "$set_dir/filler.txt"
rm "$set_dir/filler.txt"
start_setup "$set_dir"
# clickat waits for the window and clicks as soon as it shows.
drive clickat "Preparing ZUV Setup" 10 80 60 || fail "cannot click the preparation window"
shot abort-1-preparation
drive wait "Warning" 20 || fail "no abort question"
drive texts "Warning" | grep -q "Abort Setup Process ?" || fail "the abort question reads: $(drive texts Warning)"
shot abort-2-question
drive click "Warning" "Abort" || fail "no &Abort button"
# Depending on where the run was stopped, the cut file fails its checksum first.
drive wait "ZUV - Setup" 60 >/dev/null || fail "no closing message"
if [[ "$(message_text)" == *"Error Expanding Files!!"* ]]; then expect_message "Error Expanding Files!!"; fi
expect_message "Your installation was canceled!" 30
drive gone "ZUV 32Bit Installer" 30 || fail "the setup did not end"
left=$(left_in_tempdir) || fail "cannot look into TempDir"
[ -z "$left" ] || fail "TempDir still holds $(echo "$left" | sed 's|.*/||' | tr '\n' ' ')"
[ ! -d "$(wine_c)/Program Files/ZUV Hello" ] || fail "something was installed after the abort"
echo "abort ok"
