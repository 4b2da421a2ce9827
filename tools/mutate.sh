#!/usr/bin/env bash
# Measures the test suite's power: applies each seeded fault of tools/mutations.tsv in turn,
# builds, runs the tests, and puts the file back. A fault is caught when a test fails (the run
# stops at the first failure), survived when every test passes, "no build" when it does not
# compile, and stale when its original text is not in the file exactly once (re-anchor it).
#
#   tools/mutate.sh [-b build-dir] [-j jobs] [-l] [pattern]
#
# -b: the build directory (default build/mutate, configured here as a release build without
# benchmarks); -j: parallel builds and tests (default 2); -l: only check the anchors; pattern:
# only faults whose line matches this extended regular expression. Logs of each run are kept in
# <build-dir>/mutations/.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
list="$root/tools/mutations.tsv"
build="$root/build/mutate"
jobs=2
check_only=0
while getopts "b:j:l" opt; do
  case $opt in
    b) build=$(realpath -m "$OPTARG") ;;
    j) jobs=$OPTARG ;;
    l) check_only=1 ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
pattern=${1:-}

# Sets `text` to the file's contents, trailing line breaks included.
read_file() { text=$(cat "$1" && printf x) && text=${text%x}; }

# How often `needle` occurs in `text`: 0, 1 or 2 (meaning more than one).
occurrences() {
  local text=$1 needle=$2
  [[ $text == *"$needle"* ]] || { echo 0; return; }
  local rest=${text#*"$needle"}
  [[ $rest == *"$needle"* ]] && echo 2 || echo 1
}

declare -a files originals replacements lines
while IFS= read -r line || [[ -n $line ]]; do
  [[ -z $line || $line == \#* ]] && continue
  [[ -n $pattern && ! $line =~ $pattern ]] && continue
  IFS=$'\t' read -r file original replacement <<<"$line"
  files+=("$file")
  originals+=("${original//\\n/$'\n'}")
  replacements+=("${replacement//\\n/$'\n'}")
  lines+=("$file: $original -> $replacement")
done <"$list"

mkdir -p "$build/mutations"
backup="$build/mutations/original"
restore() {
  if [[ -n ${current:-} ]]; then
    cp "$backup" "$root/$current"
    current=
  fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

build_tree() { cmake --build "$build" -j "$jobs" >"$1" 2>&1; }
# ctest starts the costliest tests first; given the clean run's costs inverted, it starts the
# quick ones, so a caught fault ends its run early.
costs="$build/Testing/Temporary/CTestCostData.txt"
run_tests() {
  [[ -f $build/mutations/quick-first.txt ]] && cp "$build/mutations/quick-first.txt" "$costs"
  # A failure must repeat to count, so a test that fails by chance on a busy machine does not.
  ctest --test-dir "$build" -LE huge --stop-on-failure --repeat until-pass:2 --timeout 900 \
    -j "$jobs" --output-on-failure >"$1" 2>&1
}

if ((!check_only)); then
  if [[ ! -f $build/CMakeCache.txt ]]; then
    launcher=()
    command -v ccache >/dev/null &&
      launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHUEWARP_BUILD_BENCH=OFF \
      "${launcher[@]}" >"$build/mutations/configure.log" 2>&1 ||
      { echo "configure failed: $build/mutations/configure.log"; exit 1; }
  fi
  # Faults are measured against a tree that builds and passes.
  build_tree "$build/mutations/clean-build.log" ||
    { echo "the tree does not build: $build/mutations/clean-build.log"; exit 1; }
  rm -f "$build/mutations/quick-first.txt"
  run_tests "$build/mutations/clean-tests.log" ||
    { echo "the tests fail without a fault: $build/mutations/clean-tests.log"; exit 1; }
  awk '/^---/ { exit } match($0, / [^ ]+$/) {
         printf "%s%.6f\n", substr($0, 1, RSTART), 1 / (substr($0, RSTART + 1) + 0.001) }' \
    "$costs" >"$build/mutations/quick-first.txt"
fi

caught=0 survived=0 stale=0 unbuilt=0
for i in "${!files[@]}"; do
  file=${files[$i]}
  number=$((i + 1))
  read_file "$root/$file" 2>/dev/null || text=
  if [[ $(occurrences "$text" "${originals[$i]}") != 1 ]]; then
    printf '%-9s %2d  %s\n' stale "$number" "${lines[$i]}"
    ((stale++))
    continue
  fi
  ((check_only)) && { printf '%-9s %2d  %s\n' ok "$number" "${lines[$i]}"; continue; }
  cp "$root/$file" "$backup"
  current=$file
  printf '%s' "${text/"${originals[$i]}"/"${replacements[$i]}"}" >"$root/$file"
  log="$build/mutations/$number"
  if ! build_tree "$log.build.log"; then
    verdict="no build"
    ((unbuilt++))
  elif run_tests "$log.tests.log"; then
    verdict=survived
    ((survived++))
  else
    verdict=caught
    ((caught++))
  fi
  restore
  by=
  [[ $verdict == caught ]] &&
    by=$(sed -n '/tests FAILED:/{n;p;q}' "$log.tests.log" |
      sed -E 's/^[[:space:]]*[0-9]+ - //; s/ +# GetParam\(\)[^(]*/ /')
  printf '%-9s %2d  %s%s\n' "$verdict" "$number" "${lines[$i]}" "${by:+   [$by]}"
done
# Put the restored files' objects back, so the build directory matches the tree.
((check_only)) || build_tree "$build/mutations/final-build.log"
echo "caught $caught, survived $survived, no build $unbuilt, stale $stale of ${#files[@]}"
