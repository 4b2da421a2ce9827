#!/usr/bin/env bash
# Movie throughput of `huewarp render` against the I/O floor, in one run: a 1080p clip of 10 s
# (H.264 with AAC sound) rendered through the default look to H.264 with --jobs 1 and --jobs 2,
# and `ffmpeg` decoding and encoding the same clip with the same encoder settings and no filter.
# Each is timed REPEAT times (default 3), interleaved; the median is reported, with the ratios.
# Run after building the linux-release preset.
set -euo pipefail
cd "$(dirname "$0")/.."
huewarp=${HUEWARP:-build/linux-release/tools/huewarp}
repeat=${REPEAT:-3}
work=$(mktemp -d)
trap 'rm -rf "${work}"' EXIT

ffmpeg -v error -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=10 \
  -f lavfi -i sine=frequency=440:duration=10 -c:v libx264 -crf 18 -pix_fmt yuv420p \
  -c:a aac "${work}/clip.mp4"
frames=300

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v a="${start}" -v b="${end}" 'BEGIN {print b - a}'
}

declare -A runs
names=(floor jobs1 jobs2)
for ((i = 0; i < repeat; i++)); do
  runs[floor]+="$(seconds ffmpeg -v error -y -i "${work}/clip.mp4" -c:v libx264 -crf 18 \
    -pix_fmt yuv420p -c:a copy "${work}/floor.mp4") "
  runs[jobs1]+="$(seconds "${huewarp}" render "${work}/clip.mp4" "${work}/out1.mp4" --jobs 1 -q) "
  runs[jobs2]+="$(seconds "${huewarp}" render "${work}/clip.mp4" "${work}/out2.mp4" --jobs 2 -q) "
done

median() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
declare -A fps
echo "1920x1080, ${frames} frames, H.264 crf 18 out, $(nproc) cores, median of ${repeat}"
for name in "${names[@]}"; do
  t=$(median "${runs[${name}]}")
  fps[${name}]=$(awk -v f="${frames}" -v t="${t}" 'BEGIN {print f / t}')
  printf '%-6s %7.2f s  %6.1f fps\n' "${name}" "${t}" "${fps[${name}]}"
done
awk -v f="${fps[floor]}" -v a="${fps[jobs1]}" -v b="${fps[jobs2]}" \
  'BEGIN {printf "jobs1 / floor  %.2f\njobs2 / floor  %.2f\njobs2 / jobs1  %.2f\n", a / f, b / f, b / a}'
