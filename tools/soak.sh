#!/usr/bin/env bash
# Soak test of the command-line tool: renders a long 1280x720 sequence with a keyframed offset on
# two jobs and requires that resident memory stays flat (within 5 percent between an early frame
# and the last), that every frame equals a render of that frame alone, and that an interrupt
# half-way leaves only whole frames and no temporary files.
#
# usage: tools/soak.sh [FRAMES [HUEWARP]]   (600 frames; build/linux-release/tools/huewarp)
set -euo pipefail
frames=${1:-600}
tool=$(realpath "${2:-build/linux-release/tools/huewarp}")
# Memory is compared between the frame where it has settled and the last.
early=$((frames >= 500 ? 50 : (frames + 9) / 10))
work=$(mktemp -d)
trap 'rm -rf "${work}"' EXIT
look=(--set "Input Range=Hue" --set "Cycle Scale=2" --key "Input Range Offset@0=0"
  --key "Input Range Offset@$((frames - 1))=720")
start=$(date +%s)

"${tool}" chart "${work}/chart.png" --size 1280x720
mkdir "${work}/in" "${work}/out" "${work}/cut" "${work}/one"
for ((i = 0; i < frames; i++)); do
  ln -s ../chart.png "$(printf '%s/in/in.%04d.png' "${work}" "${i}")"
done

written() { find "$1" -maxdepth 1 -name 'out.*.png' | wc -l; }
temporaries() { find "${work}" -name '.huewarp-*' | wc -l; }
fail() {
  echo "soak: $*" >&2
  exit 1
}

# The whole sequence, sampling the process's resident memory as frames are written.
"${tool}" render "${work}/in/in.####.png" "${work}/out/out.####.png" --frames "0-$((frames - 1))" \
  --jobs 2 "${look[@]}" 2>"${work}/render.log" &
pid=$!
# Frames in flight make the figure jump between samples, so each is the highest seen so far: up
# to the early frame, and up to the last. A leak raises the second.
rss_early=0 rss_last=0 rss_last_at=0
while kill -0 "${pid}" 2>/dev/null; do
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/${pid}/status" 2>/dev/null || true)
  n=$(written "${work}/out")
  if [[ -n ${rss} ]]; then
    if ((n <= early && rss > rss_early)); then rss_early=${rss}; fi
    if ((rss > rss_last)); then rss_last=${rss}; fi
    rss_last_at=${n}
  fi
  sleep 0.1
done
wait "${pid}" || fail "the render failed: $(tail -n 3 "${work}/render.log")"
render_seconds=$(($(date +%s) - start))
[[ $(written "${work}/out") == "${frames}" ]] || fail "$(written "${work}/out") of ${frames} frames written"
[[ $(temporaries) == 0 ]] || fail "temporary files left after the render"
((rss_early > 0 && rss_last_at >= frames * 9 / 10)) ||
  fail "the render ended before memory could be sampled"
echo "${frames} frames rendered in ${render_seconds} s; peak resident memory: ${rss_early} KiB" \
  "up to frame ${early}, ${rss_last} KiB up to frame ${rss_last_at}"
((rss_last * 100 <= rss_early * 105)) || fail "resident memory grew by more than 5 percent"

# Each frame alone, through a fresh process.
for ((i = 0; i < frames; i++)); do
  out=$(printf '%s/out/out.%04d.png' "${work}" "${i}")
  "${tool}" render "${work}/in/in.####.png" "${work}/one/frame.png" --frames "${i}-${i}" \
    "${look[@]}" 2>"${work}/one.log" || fail "frame ${i} alone: $(tail -n 1 "${work}/one.log")"
  cmp -s "${out}" "${work}/one/frame.png" || fail "frame ${i} differs from its render alone"
done

# Interrupted half-way: what is there is whole, and nothing temporary is left.
"${tool}" render "${work}/in/in.####.png" "${work}/cut/out.####.png" --frames "0-$((frames - 1))" \
  --jobs 2 "${look[@]}" 2>"${work}/cut.log" &
pid=$!
while kill -0 "${pid}" 2>/dev/null && (($(written "${work}/cut") < frames / 2)); do sleep 0.05; done
kill -INT "${pid}" 2>/dev/null || true
status=0
wait "${pid}" || status=$?
kept=$(written "${work}/cut")
((status != 0 && kept < frames)) || fail "the interrupt came too late (status ${status}, ${kept} frames)"
[[ $(temporaries) == 0 ]] || fail "temporary files left after the interrupt"
for f in "${work}"/cut/out.*.png; do
  cmp -s "${f}" "${work}/out/$(basename "${f}")" || fail "$(basename "${f}") is not whole after the interrupt"
done

echo "soak: ${frames} frames, each equal to its render alone;" \
  "interrupted after ${kept} whole frames, no temporary files; $(($(date +%s) - start)) s in all"
