#!/bin/bash
# Runs inside the test VM as root (tools/usb-gadget-vm/vm run): the simulator's mouse plugged in
# as a USB gadget, so that q840ctl and the program reach it through the kernel's USB and HID stack
# (dummy_hcd -> usbcore -> usbhid -> hidraw). Prints one "check NAME: ok|FAILED (ms)" line per
# check and exits 1 when one failed.
#   checks.sh BUILD_DIR
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
gadget=$here/../../tools/usb-gadget-vm
device=$build/tools/gadget-device/gadget-device
ctl=$build/q840ctl
work=$(mktemp -d /tmp/q840-kernel.XXXXXX)
failed=0
server=
gadget_name=

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
check() {  # check NAME CONDITION-EXIT-CODE START-MS
  local name=$1 rc=$2 start=$3
  if [ "$rc" -eq 0 ]; then
    echo "check $name: ok ($(( $(now_ms) - start )) ms)"
  else
    echo "check $name: FAILED ($(( $(now_ms) - start )) ms)"; failed=1
  fi
}
plug() {  # plug DEVICE [serve options]: gadget up, device side serving
  local kind=$1; shift
  rm -f "$work"/if*.bin
  local ids; ids=$("$device" descriptors "$kind" "$work") || return 1
  # A gadget keeps the descriptors it was made with: one gadget per kind of device.
  gadget_name=$kind
  # shellcheck disable=SC2086
  local nodes; nodes=$("$gadget/gadget-up" $ids $(ls "$work"/if*.bin | sort -V) "$kind") || return 1
  # shellcheck disable=SC2086
  set -- $nodes "$@"
  "$device" serve "$kind" "$work/state.json" "$@" &
  server=$!
  for _ in $(seq 1 100); do ls /dev/hidraw* >/dev/null 2>&1 && break; sleep 0.05; done
}
unplug() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  server=
  "$gadget/gadget-down" "$gadget_name"
  for _ in $(seq 1 100); do ls /dev/hidraw* >/dev/null 2>&1 || break; sleep 0.05; done
}
# Takes a gadget apart: the kernel offers only four HID gadget functions in all, so a gadget of
# another kind can be made only after this one is gone.
remove_gadget() {
  local g=/sys/kernel/config/usb_gadget/$1
  [ -d "$g" ] || return 0
  echo "" >"$g/UDC" 2>/dev/null
  rm -f "$g"/configs/c.1/hid.*
  rmdir "$g"/configs/c.1/strings/0x409 "$g"/configs/c.1 "$g"/functions/hid.* \
    "$g"/strings/0x409 "$g" 2>/dev/null
  return 0
}
# What q840ctl prints after its "device:" line (the path differs between kernel and simulator).
body() { sed -n '/^device:/,$p' | tail -n +2; }
# q840ctl against the simulator on a copy of the gadget's state file, so that it neither reads
# nor overwrites the file while the gadget writes it.
sim_ctl() {
  cp "$work/state.json" "$work/snapshot.json" && "$ctl" --simulate="$work/snapshot.json" "$@"
}

# --- discovery and reads: the same catalogue rows and bytes as over the simulator ------------
t=$(now_ms)
plug cable
"$ctl" list >"$work/list" 2>&1
grep -q 'catalogue row 4: mouse, command interface' "$work/list" &&
  grep -q 'catalogue row 5' "$work/list"
check discovery $? "$t"
cat "$work/list"

t=$(now_ms)
ok=0
for cmd in info settings; do
  "$ctl" "$cmd" | body >"$work/kernel.$cmd"
  "$ctl" --simulate="$work/state.json" "$cmd" | body >"$work/sim.$cmd"
  cmp -s "$work/kernel.$cmd" "$work/sim.$cmd" || { ok=1; diff "$work/kernel.$cmd" "$work/sim.$cmd"; }
done
check reads-match-simulator $ok "$t"

# A settings write lands in the device model byte for byte: report rate (byte 11) 1, lift-off
# distance... written as one raw packet at address 11.
t=$(now_ms)
"$ctl" raw 0x06 11 1 0x01 >/dev/null
"$ctl" --simulate="$work/state.json" settings | grep -q '^report rate index: 1$'
check write-reaches-device $? "$t"
unplug

# The receiver and the mouse pad list the same catalogue rows through the kernel as over the
# simulator.
t=$(now_ms)
ok=0
remove_gadget cable
for kind in receiver pad; do
  rm -f "$work/state.json"
  plug "$kind"
  "$ctl" list | grep 'catalogue row' | sort >"$work/kernel.rows"
  "$ctl" --simulate="$work/state.json" list | grep 'catalogue row' | sort >"$work/sim.rows"
  unplug
  remove_gadget "$kind"
  echo "$kind: $(tr '\n' ';' <"$work/kernel.rows")"
  [ -s "$work/kernel.rows" ] && cmp -s "$work/kernel.rows" "$work/sim.rows" ||
    { ok=1; diff "$work/kernel.rows" "$work/sim.rows"; }
done
check discovery-receiver-and-pad $ok "$t"

# The headset: its only interface is number 3 (the gadget fills 0-2 with vendor-page
# interfaces), found through the kernel as the catalogue says, and read as over the simulator.
t=$(now_ms)
rm -f "$work/state.json"
plug headset
# (Only the rows found: the filler interfaces are the gadget's, not the simulator's.)
"$ctl" list | grep '  catalogue row [0-9]' | sort >"$work/kernel.rows"
"$ctl" --device=headset settings | body >"$work/kernel.settings"
sim_ctl list | grep '  catalogue row [0-9]' | sort >"$work/sim.rows"
sim_ctl --device=headset settings | body >"$work/sim.settings"
unplug
remove_gadget headset
echo "headset: $(tr '\n' ';' <"$work/kernel.rows")"
grep -q 'catalogue row 10: headset, command interface' "$work/kernel.rows" &&
  cmp -s "$work/kernel.rows" "$work/sim.rows" && [ -s "$work/kernel.settings" ] &&
  cmp -s "$work/kernel.settings" "$work/sim.settings"
check discovery-headset $? "$t"

# --- the program finds the mouse over hidraw, fills its page and marks the mouse as its own ----
t=$(now_ms)
rm -f "$work/state.json"
plug cable
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p -m 700 "$work/run"
QT_QPA_PLATFORM=offscreen timeout 120 "$build/q840vex" --screenshot "$work/shot.png" \
  >"$work/program.log" 2>&1
rc=$?
unplug
[ $rc -eq 0 ] && [ -s "$work/shot.png" ] &&
  "$ctl" --simulate="$work/state.json" info | grep -q '^state: 3'
check program-finds-the-mouse $? "$t"

# --- a stalled mouse: every command ends within the protocol's time-out plus a pacing step ---
t=$(now_ms)
rm -f "$work/state.json"
plug cable --stall
# What finding the mouse costs in this VM, so that only the commands are judged: the opening
# command's two attempts of 1000 ms each, and the pauses between reports.
t0=$(now_ms)
"$ctl" list >/dev/null 2>&1
listing=$(( $(now_ms) - t0 ))
t0=$(now_ms)
timeout 60 "$ctl" info >/dev/null 2>"$work/stall.err"
rc=$?
took=$(( $(now_ms) - t0 ))
echo "stalled mouse: q840ctl info ended with $rc after $took ms (finding the mouse: $listing ms)"
[ $rc -ne 0 ] && [ $rc -ne 124 ] && [ $((took - listing)) -lt 3500 ]
check stalled-mouse $? "$t"
unplug

# --- unplugged in the middle of a read: no hang, the command fails, replug reads a whole block --
t=$(now_ms)
rm -f "$work/state.json"
plug cable --cut-after 2
timeout 60 "$ctl" settings >/dev/null 2>"$work/cut.err" &
reader=$!
for _ in $(seq 1 200); do [ -f "$work/state.json.cut" ] && break; sleep 0.02; done
"$gadget/gadget-down" cable
wait $reader
rc=$?
unplug
rm -f "$work/state.json.cut"
plug cable
"$ctl" settings >"$work/after-cut" 2>&1
rc2=$?
unplug
echo "cut: q840ctl settings ended with $rc; after the replug with $rc2"
[ $rc -ne 0 ] && [ $rc -ne 124 ] && [ $rc2 -eq 0 ] && [ "$(grep -c '^DPI stage' "$work/after-cut")" -eq 7 ]
check unplug-mid-command $? "$t"

# --- a node the user may not open: the permission message, not a crash -----------------------
t=$(now_ms)
plug cable
chmod 000 /dev/hidraw*
su -s /bin/bash nobody -c "$ctl info" >"$work/perm.out" 2>&1
rc=$?
cat "$work/perm.out"
[ $rc -ne 0 ] && [ $rc -lt 128 ] && grep -qi 'permission' "$work/perm.out"
check permission-message $? "$t"
# The program, started by a user without access, says where the mouse is and why it cannot
# reach it, and keeps running with its empty state (the screenshot is taken and it ends with 0).
t=$(now_ms)
# (Its folders on the guest's own tmpfs: the shared /tmp does not let another user write.)
home=/run/q840-nobody
mkdir -p -m 700 "$home" && chown nobody "$home"
su -s /bin/bash nobody -c "cd '$home' && XDG_RUNTIME_DIR='$home' XDG_DATA_HOME='$home' \
  XDG_CONFIG_HOME='$home' QT_QPA_PLATFORM=offscreen \
  timeout 120 '$build/q840vex' --screenshot '$home/denied.png'" >"$work/denied.log" 2>&1
rc=$?
grep 'cannot open' "$work/denied.log" || tail -5 "$work/denied.log"
[ $rc -eq 0 ] && grep -q 'cannot open it (permission denied' "$work/denied.log" &&
  [ -s "$home/denied.png" ]
check program-permission-message $? "$t"
unplug

exit $failed
