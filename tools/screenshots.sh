#!/usr/bin/env bash
# Makes every screenshot of docs/screenshots/ again, against the simulated devices:
#   tools/screenshots.sh [OUT_FOLDER]        (default docs/screenshots)
# The pictures of the window are taken offscreen by the program itself (--screenshot, with
# --tab, --lang, --profile-menu, --macro, --key, --picker, --settings and --skin); the two of the window on an X display
# with its tray need xvfb, trayer and imagemagick and are skipped without them. Each run starts from a fresh user
# folder; the profile bar pictures get four profiles first.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$here/docs/screenshots}")
exe=$here/build/q840vex
[ -x "$exe" ] || { echo "build the program first: make" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
title="Halvorn Q840-VEX GAMING MOUSE"

# A fresh user: data and settings folders of its own. $1: a name for the run.
fresh() {
  rm -rf "$work/$1"
  mkdir -p "$work/$1/data" "$work/$1/config"
  export XDG_DATA_HOME=$work/$1/data XDG_CONFIG_HOME=$work/$1/config
}

# A user with four profiles, the third one current ($1: a name for the run).
with_profiles() {
  fresh "$1"
  local folder="$XDG_DATA_HOME/$title/mouse"
  mkdir -p "$folder"
  local names=("Profile1" "FPS" "MOBA" "游戏配置") ids=() list=""
  for i in 0 1 2 3; do
    ids[$i]="2026_01_0${i}_12_00_00_000"
    sed -e "s/\"profilename\" : \"[^\"]*\"/\"profilename\" : \"${names[$i]}\"/" \
        "$here/DefaultData/mouse.Json" >"$folder/${ids[$i]}.Json"
    list+="{\"profilename\":\"${names[$i]}\",\"profileUUID\":\"${ids[$i]}\",\"profileislink\":0,\"profilelinkmame\":\"\"},"
  done
  printf '{"profilelist":[%s],"profileselect":2}' "${list%,}" >"$folder/ProfileList.ini"
}

# A user with three macros, the first one a short sequence ($1: a name for the run).
with_macros() {
  fresh "$1"
  local folder="$XDG_DATA_HOME/$title/mouse"
  mkdir -p "$folder"
  printf '{"MacroInfo":[{"Guid":"2026_01_01_12_00_00_000","MacroName":"%s"},{"Guid":"2026_01_01_12_00_00_001","MacroName":"reload"},{"Guid":"2026_01_01_12_00_00_002","MacroName":"%s"}]}' \
    "$2" "$3" >"$folder/macro.config"
  local steps='{"Action":"down","Button":1,"Delay":"35","Type":9},{"Action":"down","Button":6,"Delay":"60","Type":10},{"Action":"up","Button":6,"Delay":"20","Type":10},{"Action":"up","Button":1,"Delay":"120","Type":9},{"Action":"down","Button":1,"Delay":"50","Type":1},{"Action":"up","Button":1,"Delay":"50","Type":1},{"Action":"down","Button":40,"Delay":"10","Type":4},{"Action":"up","Button":40,"Delay":"0","Type":5}'
  printf '{"Events":[%s],"Guid":"2026_01_01_12_00_00_000","MacroName":"%s","Version":64}' \
    "$steps" "$2" >"$folder/2026_01_01_12_00_00_000.mac"
}

# A user whose keys do more than they did from the factory: the macros of with_macros ($2, $3),
# the forward button on "copy" (Ctrl+C), the back button on the first macro three times and the
# DPI shift key on a wheel swing ($1: a name for the run).
with_keys() {
  with_macros "$1" "$2" "$3"
  local folder="$XDG_DATA_HOME/$title/mouse" id="2026_01_01_12_00_00_100"
  # Key N's "Assignment" is the (N+1)-th of the file; the defaults stay.
  awk 'BEGIN { split("3=2101254 4=7405571 9=1193462", m, " "); for (i in m) { split(m[i], kv, "="); code[kv[1]] = kv[2] } }
       /"Assignment" :/ { if (n in code) sub(/: [0-9]+/, ": " code[n]); n++ } { print }' \
    "$here/DefaultData/mouse.Json" >"$folder/$id.Json"
  printf '{"profilelist":[{"profilename":"Profile1","profileUUID":"%s","profileislink":0,"profilelinkmame":""}],"profileselect":0}' \
    "$id" >"$folder/ProfileList.ini"
}

# A state file with nothing plugged in.
nothing=$work/nothing.json
printf '{"mouse":{"cablePlugged":false,"receiverPlugged":false},"mousePad":{"plugged":false},"headset":{"plugged":false}}' >"$nothing"

shot() {  # output name, program options...
  local name=$1
  shift
  QT_QPA_PLATFORM=offscreen "$exe" "$@" --screenshot "$out/$name" >/dev/null 2>&1
  echo "wrote $out/$name"
}

fresh empty-en;  shot main-empty-en.png --simulate="$nothing" --lang en
fresh empty-zh;  shot main-empty-zh.png --simulate="$nothing" --lang cn
fresh page-en-dpi; shot mouse-page-en-dpi.png --simulate --tab dpi --lang en
# The Buttons tab as it opens, and with a key picked on each of the pages most used.
fresh page-en-buttons; shot mouse-page-en-buttons.png --simulate --tab buttons --lang en
with_keys keys-en "copy + click" "burst"
shot mouse-page-en-buttons-shortcut.png --simulate --tab buttons --lang en --key 3
shot mouse-page-en-buttons-macro.png --simulate --tab buttons --lang en --key 4
with_keys keys-zh "复制并点击" "连发"
shot mouse-page-zh-buttons.png --simulate --tab buttons --lang cn --key 3
shot mouse-page-zh-buttons-macro.png --simulate --tab buttons --lang cn --key 4
shot mouse-page-zh-buttons-swing.png --simulate --tab buttons --lang cn --key 9
fresh page-zh-dpi;   shot mouse-page-zh-dpi.png --simulate --tab dpi --lang cn
fresh page-en-light; shot mouse-page-en-lighting.png --simulate --tab lighting --lang en
fresh page-zh-light; shot mouse-page-zh-lighting.png --simulate --tab lighting --lang cn
fresh picker-en; shot colour-picker-en.png --simulate --tab lighting --lang en --picker
fresh picker-zh; shot colour-picker-zh.png --simulate --tab lighting --lang cn --picker
fresh page-zh-power; shot mouse-page-zh-power.png --simulate --tab power --lang cn
fresh settings-en; shot settings-en.png --simulate --lang en --settings
fresh settings-zh; shot settings-zh.png --simulate --lang cn --settings
fresh skin-en; shot skin-en.png --simulate --lang en --skin
fresh skin-zh; shot skin-zh.png --simulate --lang cn --skin
with_macros macros-en "copy + click" "burst"; shot mouse-page-en-macros.png --simulate --tab macros --lang en --macro 0
with_macros macros-zh "复制并点击" "连发"; shot mouse-page-zh-macros.png --simulate --tab macros --lang cn --macro 0
fresh macros-empty; shot mouse-page-en-macros-empty.png --simulate --tab macros --lang en
fresh shoot-en; shot mouse-page-en-shoot.png --simulate --tab shoot --lang en
fresh shoot-zh; shot mouse-page-zh-shoot.png --simulate --tab shoot --lang cn
for lang in en cn; do
  suffix=$lang; [ "$lang" = cn ] && suffix=zh
  with_profiles "bar-$lang"; shot "profile-bar-$suffix.png" --simulate --tab system --lang "$lang"
  with_profiles "menu-$lang"
  shot "profile-menu-$suffix.png" --simulate --tab system --lang "$lang" --profile-menu
done

# On an X display: the window with its tray icon, and at scale 144 (a screen wider than 1500 and
# higher than 960).
if command -v Xvfb >/dev/null && command -v import >/dev/null; then
  fresh tray
  mkdir -p "$XDG_CONFIG_HOME/$title" && printf '[General]\nLANGUAGE=1033\n' >"$XDG_CONFIG_HOME/$title/settings.conf"
  "$here/tools/screenshot-xvfb.sh" "$out/main-tray-xvfb.png" --simulate="$nothing" >/dev/null
  echo "wrote $out/main-tray-xvfb.png"
  display=:${Q840_XVFB_DISPLAY:-98}
  Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
  for i in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  big() {  # output name, program options...
    local name=$1
    shift
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$exe" "$@" --screenshot "$out/$name" >/dev/null 2>&1
    echo "wrote $out/$name"
  }
  fresh big-empty; big main-empty-144-xvfb.png --simulate="$nothing" --lang en
  fresh big-dpi;   big mouse-page-en-144-dpi.png --simulate --tab dpi --lang en
else
  echo "no Xvfb or imagemagick: main-tray-xvfb.png and the scale-144 pictures left as they are"
fi
