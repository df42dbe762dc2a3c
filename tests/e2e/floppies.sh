#!/usr/bin/env bash
# Disks in separate folders standing for floppies: only disk 1 is in the setup's folder. The
# harness answers each "Please Insert Disk #n" by moving the next segment into place; for one
# disk it lets both prompts go by, and the reader's own question then retries.
source "$(dirname "$0")/lib.bash"
wine_start
all=$(mktemp -d)
make_set "$all"
disk1=$(mktemp -d)
mv "$all/install.exe" "$all/install.cfg" "$all/disk.001" "$disk1/"
count=$(ls "$all"/disk.* | wc -l)
[ "$count" -ge 2 ] || fail "the set has too few segments"
start_setup "$disk1"
for n in $(seq 2 $((count + 1))); do
  seg=$(printf 'disk.%03d' "$n")
  [ -f "$all/$seg" ] || break
  await_message "Please Insert Disk #$n into Floppy Drive." 120
  if [ "$n" -eq 2 ]; then
    # Let the second prompt go by too: the reader asks its own question next, and OK retries.
    expect_message "Please Insert Disk #$n into Floppy Drive." 5
    expect_message "Please Insert Disk #$n into Floppy Drive." 30
    drive wait "Error" 30 >/dev/null || fail "no question from the reader after two prompts"
    drive texts "Error" | grep -q "Unable to locate" || fail "the reader asks: $(drive texts Error)"
    shot floppies-reader-question
    mv "$all/$seg" "$disk1/"
    drive click "Error" "OK" || fail "cannot retry"
  else
    # The disk goes in before OK, as a user does it: the reader looks again as soon as OK is pressed.
    mv "$all/$seg" "$disk1/"
    expect_message "Please Insert Disk #$n into Floppy Drive." 5
  fi
done
drive wait "ZUV32 - Setup" 120 || fail "the wizard did not appear after the last disk"
shot floppies-wizard
drive click "ZUV32 - Setup" "Cancel"
expect_message "Your installation was canceled!" 30
echo "floppies ok"
