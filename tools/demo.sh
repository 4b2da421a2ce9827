#!/usr/bin/env bash
# Renders the demo pictures into out/: a generated test chart through the default gradient and
# two other looks, and the gradient editor. Run after building the linux-release preset.
set -euo pipefail
cd "$(dirname "$0")/.."
huewarp=${HUEWARP:-build/linux-release/tools/huewarp}
mkdir -p out
"$huewarp" chart out/chart.png
"$huewarp" render out/chart.png out/default.png
"$huewarp" render out/chart.png out/hue-cycle.png --set "Input Range=Hue" --set "Cycle Scale=2" \
  --set "Values Over 1=Wrap Back To 0" --stops "0:#0f2a54,50:#05e6d7,100:#cc6024" \
  --alphas "0:100,100:40"
"$huewarp" render out/chart.png out/max-rgb-magma.png --set "Input Range=Max RGB" \
  --stops "0:#000004,25:#51127c,50:#b73779,75:#fc8961,100:#fcfdbf"
"$huewarp" editor out/editor.png --scale 2
echo "wrote out/chart.png, out/default.png, out/hue-cycle.png, out/max-rgb-magma.png, out/editor.png"

# Named palettes, fitted to the effect's stops. The chart stands in until a photograph is here.
palette_input=out/chart.png
for palette in viridis magma turbo; do
  "$huewarp" render "$palette_input" "out/palette-$palette.png" --set "Input Range=Intensity" \
    --gradient "$palette"
done
echo "wrote out/palette-viridis.png, out/palette-magma.png, out/palette-turbo.png"
