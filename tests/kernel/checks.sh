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
# expect WHAT SECONDS COMMAND...: runs COMMAND until it succeeds; after SECONDS says what did not
# happen and fails.
expect() {
  local what=$1 limit=$(( $(now_ms) + $2 * 1000 )); shift 2
  until "$@"; do
    if [ "$(now_ms)" -ge "$limit" ]; then echo "  gave up waiting: $what"; return 1; fi
    sleep 0.1
  done
}
# order TEXT: hands the gadget's device orders (--control) and waits until it carried them out.
order() {
  printf '%s\n' "$1" >"$work/order.tmp" && mv "$work/order.tmp" "$work/control" &&
    expect "the gadget takes the order \"$1\"" 10 test ! -e "$work/control"
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
"$ctl" --simulate="$work/state.json" --raw settings | grep -q '^report rate index: 1$'
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

# --- the mouse asleep behind its receiver --------------------------------------------------------
# The receiver answers for the sleeping mouse: q840ctl gets the same answer through the kernel as
# from the simulator, and reads the mouse once it wakes.
t=$(now_ms)
rm -f "$work/state.json" "$work/commands.log"
plug receiver-asleep --log "$work/commands.log" --control "$work/control"
"$ctl" info >"$work/asleep.out" 2>"$work/asleep.err"
rc=$?
sim_ctl info >/dev/null 2>"$work/sim-asleep.err"
rc_sim=$?
cat "$work/asleep.err"
ok=0
[ $rc -ne 0 ] && [ $rc -eq $rc_sim ] && [ ! -s "$work/asleep.out" ] &&
  grep -q 'does not answer' "$work/asleep.err" &&
  cmp -s "$work/asleep.err" "$work/sim-asleep.err" || ok=1
# It asked with one link check, which the receiver answered itself (the echo 0xaa).
[ "$(cat "$work/commands.log")" = "aa aa" ] || { ok=1; echo "  commands: $(tr '\n' ';' <"$work/commands.log")"; }
order "asleep 0" || ok=1
"$ctl" info | body >"$work/kernel.info"
sim_ctl info | body >"$work/sim.info"
grep -q '^state: 0' "$work/kernel.info" && cmp -s "$work/kernel.info" "$work/sim.info" || ok=1
check receiver-asleep $ok "$t"

# --- the program with the mouse behind its receiver, then on its cable ----------------------------
# One program run (a start costs much of a minute in this VM) for three checks: the mouse asleep,
# the device's own events, and a settings write cut by an unplug. It runs with a session bus of
# its own, for the game message that makes it write the settings block, and with its debug lines
# on, which tell what it shows.
t=$(now_ms)
order "asleep 1"
: >"$work/commands.log"
prog_data=$work/data-session
export XDG_RUNTIME_DIR=/run/q840-session
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >/dev/null 2>&1 &
bus=$!
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
expect "the session bus" 10 test -S "$XDG_RUNTIME_DIR/bus"
Q840_DEBUG=1 QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$prog_data XDG_CONFIG_HOME=$work/config-session \
  "$build/q840vex" >"$work/session.log" 2>&1 &
program=$!
plog=$work/session.log
# What the window shows last: the empty state or a device page.
shows() { grep -E 'no device: the empty state shows|a device page shows' "$plog" | tail -n 1 | grep -q "$1"; }
in_log() { grep -q "$1" "$plog"; }
link_checks() { [ "$(grep -c '^aa aa$' "$work/commands.log")" -ge "$1" ]; }
mouse_state() { jq -e ".mouse.information.state == $1" "$work/state.json" >/dev/null 2>&1; }
ok=0
# While the mouse sleeps the program only asks the receiver whether it is there (every 5 s), shows
# no page and leaves the mouse unmarked.
expect "two link checks of the program" 240 link_checks 2 &&
  ! grep -qv '^aa aa$' "$work/commands.log" && mouse_state 0 && shows 'empty state' || ok=1
echo "asleep: $(sort "$work/commands.log" | uniq -c | tr -s ' \n' ' ')"
order "asleep 0" || ok=1
# Awake: within a link check's period the program reads it, marks it as its own and shows its page.
expect "the woken mouse marked (state 3)" 30 mouse_state 3 &&
  expect "the mouse's page" 10 shows 'a device page' || ok=1
check program-receiver-asleep $ok "$t"

# The device's own events reach the program through the receiver's event interface: the mouse's
# DPI button (profile 0, stage 3: event 0x1130) and a setting changed on the mouse (report rate
# index 1 at byte 11, then 0x0401: read the block again) both end up in the profile.
t=$(now_ms)
ok=0
profile_value() {  # profile_value JQ-PATH VALUE: the mouse's profile holds VALUE there
  local f; f=$(find "$prog_data" -path '*/mouse/*' -name '*.Json' | head -n 1)
  [ -n "$f" ] && jq -e ".Device[0].$1 == $2" "$f" >/dev/null 2>&1
}
expect "the profile with DPI stage 1 and report rate 3" 20 profile_value DPIStages.StageActive 1 &&
  profile_value ReportStages.StageActive 3 || ok=1
order "stage 0 3" &&
  expect "DPI stage 3 from the event in the profile" 10 profile_value DPIStages.StageActive 3 || ok=1
order "set 11 1
event 0x0401" &&
  expect "report rate 1 read again after the event" 10 profile_value ReportStages.StageActive 1 || ok=1
check device-events $ok "$t"
unplug
remove_gadget receiver-asleep

# --- the program's settings write cut by an unplug -----------------------------------------------
# The mouse now on its cable, whose gadget is cut at the first packet of a settings write: a game
# message makes the program change the lighting effect to 5, save it and write the block. The write
# must fail in bounded time and stay pending (the mark beside the profile, the notice), the page
# gives way to the empty state, and after the replug the block reaches the mouse.
t=$(now_ms)
ok=0
: >"$work/commands.log"
plug cable --cut-at 0x06 --log "$work/commands.log"
settings_read() { grep -q '^05 05$' "$work/commands.log"; }
pending_mark() { [ -n "$(find "$prog_data" -name '*.pending')" ]; }
effect() { sim_ctl --raw settings | grep -q "^light: effect $1,"; }
expect "the page on the cable" 60 shows 'a device page' &&
  expect "the arrival read" 30 settings_read || ok=1
[ $ok -eq 0 ] && [ ! -e "$work/state.json.cut" ] && effect 1 &&
  busctl --user call com.halvorn.Q840Vex /com/halvorn/Q840Vex com.halvorn.Q840Vex.Messages \
    PostMessage stx Game_Start 0 5 || ok=1
if [ $ok -eq 0 ] && expect "the settings write reaching the cut" 30 test -e "$work/state.json.cut"; then
  t0=$(now_ms)
  "$gadget/gadget-down" cable
  expect "the write reported failed and kept" 10 in_log 'a change did not reach its device' &&
    in_log 'write 0 pending until the mouse is back' && pending_mark || ok=1
  echo "cut write: failed and kept pending $(( $(now_ms) - t0 )) ms after the unplug"
  expect "the empty state" 10 shows 'empty state' || ok=1
  # The game effect's 5 s are over while no page shows: nothing goes back by itself.
  expect "the end of the game effect" 15 in_log 'game light over: no page' || ok=1
else
  ok=1
fi
unplug
effect 1 || { ok=1; echo "  the cut block reached the mouse"; }
rm -f "$work/state.json.cut"
plug cable
expect "the page back" 30 shows 'a device page' &&
  expect "the pending write done" 30 in_log 'pending write 0 done' &&
  ! pending_mark && effect 5 && in_log 'every change kept for a device has reached it' || ok=1
kill -0 "$program" 2>/dev/null || { ok=1; echo "  the program ended"; }
# Asked to end, it ends in order and with 0; a program that does not is killed after 60 s.
kill -TERM "$program" 2>/dev/null
(sleep 60; kill -KILL "$program" 2>/dev/null) &
watchdog=$!
wait "$program"
rc=$?
kill "$watchdog" 2>/dev/null
[ $rc -eq 0 ] || { ok=1; echo "  the program ended with $rc"; }
check program-unplug-mid-write $ok "$t"
[ $ok -eq 0 ] ||
  grep -E 'device page shows|empty state|pending|did not reach|game light|reached it' "$plog"
kill "$bus" 2>/dev/null
wait "$bus" 2>/dev/null
unset DBUS_SESSION_BUS_ADDRESS
unplug

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
