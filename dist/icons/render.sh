#!/usr/bin/env bash
# Renders the committed PNG icons from the SVG drawings (needs rsvg-convert,
# Debian: librsvg2-bin). Run after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"
id=org.wirelook.Wirelook
for size in 16 32 48 64 128 256; do
    source=hicolor/scalable/apps/$id.svg
    [ "$size" -ne 16 ] || source=$id-16.svg
    mkdir -p "hicolor/${size}x$size/apps"
    rsvg-convert -w "$size" -h "$size" "$source" -o "hicolor/${size}x$size/apps/$id.png"
done
