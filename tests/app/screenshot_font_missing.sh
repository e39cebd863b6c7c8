#!/usr/bin/env bash
# The program starts, renders and exits 0 when one of its font files is missing.
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$(dirname "$exe")
mkdir -p "$work/prog"
cp "$exe" "$work/prog/"
cp -r "$src/skin" "$src/DefaultData" "$work/prog/"
mkdir -p "$work/prog/Font"
# Three of the four fonts are present (one real font copied under each name), one is missing.
font=/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf
for name in Simplified_Chinese.ttf Predator-Regular.otf NotoSansThai-Regular.ttf; do
  cp "$font" "$work/prog/Font/$name"
done
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
out=$work/shot.png
"$work/prog/$(basename "$exe")" --simulate --screenshot "$out" 2>"$work/err"
test -s "$out"
# Nothing a newcomer would read as an error: no window-system requests the offscreen platform
# cannot take (each control wrapped for padding used to become a window of its own for a moment).
if grep -q 'This plugin does not support' "$work/err"; then
  echo "requests the platform cannot take:"; sort "$work/err" | uniq -c; exit 1
fi
head -c 8 "$out" | od -An -tx1 | grep -q '89 50 4e 47'
echo "screenshot written with a font missing"
