#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what the desktop reads from it: the
# desktop entry and the metainfo pass their validators, every icon size is there at its size, the
# manual pages render without warnings and name every command and option of the --help texts.
set -uo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
share=$prefix/share
id=com.halvorn.Q840Vex

command -v desktop-file-validate >/dev/null || fail "desktop-file-validate missing (tools/install-deps.sh)"
command -v appstreamcli >/dev/null || fail "appstreamcli missing (tools/install-deps.sh)"
desktop=$share/applications/$id.desktop
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

# The entry starts a program that is installed, with an icon that is installed.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not in $prefix/bin"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "Icon= is not $id"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] || fail "no ${size}px icon"
  # The PNG header holds width and height as big-endian words at bytes 16 and 20.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "${size}px icon is ${w}x${h}"
done
[ -f "$prefix/lib/udev/rules.d/70-q840vex.rules" ] || fail "no udev rule"

for page in q840vex q840ctl; do
  man1=$share/man/man1/$page.1
  [ -f "$man1" ] || fail "no $page(1)"
  warnings=$(groff -man -Tutf8 -ww -z "$man1" 2>&1)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
done
# Every option of q840vex --help and every command of q840ctl --help is in its page.
text=$(MANWIDTH=200 man -l "$share/man/man1/q840vex.1" 2>/dev/null)
for option in $(QT_QPA_PLATFORM=offscreen "$prefix/bin/q840vex" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "$option" <<<"$text" || fail "q840vex(1) lacks $option"
done
text=$(MANWIDTH=200 man -l "$share/man/man1/q840ctl.1" 2>/dev/null)
for command in $("$prefix/bin/q840ctl" --help | awk '/^Commands:/{c=1;next} /^$/{c=0} c&&/^  [a-z]/{print $1}'); do
  grep -qE "^ +$command( |\$)" <<<"$text" || fail "q840ctl(1) lacks the command $command"
done
echo "installed files checked"
