#!/usr/bin/env bash
# Renders the demo pictures into out/: a photograph and a generated test chart, each through the
# default gradient and two other looks, and the gradient editor. Run after building the
# linux-release preset. The photograph is scikit-image's sample "coffee" (CC0, by Rachel
# Michetti), shipped by Debian's python3-skimage.
set -euo pipefail
cd "$(dirname "$0")/.."
huewarp=${HUEWARP:-build/linux-release/tools/huewarp}
photo=${PHOTO:-/usr/lib/python3/dist-packages/skimage/data/coffee.png}
mkdir -p out
hue=(--set "Input Range=Hue" --set "Cycle Scale=2" --set "Values Over 1=Wrap Back To 0"
  --stops "0:#0f2a54,50:#05e6d7,100:#cc6024" --alphas "0:100,100:40")
magma=(--set "Input Range=Max RGB" --stops "0:#000004,25:#51127c,50:#b73779,75:#fc8961,100:#fcfdbf")

# The photograph as JPEG, so the copies in docs/ stay small; a full blend is the original.
"$huewarp" render "$photo" out/photo.jpg --set "Blend With Original=100"
"$huewarp" render "$photo" out/photo-default.jpg
"$huewarp" render "$photo" out/photo-intensity.jpg --set "Input Range=Intensity" \
  --stops "0:#0b1d3a,45:#2a7f8f,75:#f0b46a,100:#fff4e0"
"$huewarp" render "$photo" out/photo-max-rgb-magma.jpg "${magma[@]}"

"$huewarp" chart out/chart.png
"$huewarp" render out/chart.png out/default.png
"$huewarp" render out/chart.png out/hue-cycle.png "${hue[@]}"
"$huewarp" render out/chart.png out/max-rgb-magma.png "${magma[@]}"
"$huewarp" editor out/editor.png --scale 2
echo "wrote out/photo*.jpg, out/chart.png, out/default.png, out/hue-cycle.png," \
  "out/max-rgb-magma.png, out/editor.png"

# Named palettes, fitted to the effect's stops, on the photograph.
for palette in viridis magma turbo; do
  "$huewarp" render "$photo" "out/photo-$palette.jpg" --set "Input Range=Intensity" \
    --gradient "$palette"
done
echo "wrote out/photo-viridis.jpg, out/photo-magma.jpg, out/photo-turbo.jpg"

# The same two colours mixed in sRGB and in OKLCH, fitted to the effect's stops, on a ramp
# (a binary PGM, 512 levels of grey across).
python3 -c "import sys; w, h = 512, 48; row = bytes(round(x * 255 / (w - 1)) for x in range(w)); \
sys.stdout.buffer.write(b'P5 %d %d 255\n' % (w, h) + row * h)" > out/ramp.pgm
for space in srgb oklch; do
  "$huewarp" render out/ramp.pgm "out/gradient-$space.png" --set "Input Range=Red" \
    --gradient "linear-gradient(in $space, #0047ab, #ffd700)"
done
echo "wrote out/gradient-srgb.png, out/gradient-oklch.png"
