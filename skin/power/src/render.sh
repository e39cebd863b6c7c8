#!/bin/sh
# Renders the battery panel's pictures from their drawings at twice their size (crisp at 150 %).
cd "$(dirname "$0")" && for f in *.svg; do
  convert -background none -density 192 "$f" "../${f%.svg}.png"
done
