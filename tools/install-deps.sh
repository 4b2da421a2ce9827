#!/usr/bin/env bash
# Installs everything the build, the tests, the Windows cross-build and fuzzing need on
# Debian 12. Used by CI and by developers setting up a machine; safe to run again.
set -euo pipefail

packages=(
  # Build
  cmake ninja-build g++ pkg-config clang-format clang-tidy
  # Tests and benchmarks; googletest is the source package the Windows build compiles
  libgtest-dev googletest libbenchmark-dev
  # Host pictures, the command-line tool
  libcairo2-dev libopenimageio-dev nlohmann-json3-dev
  # The tool's command line, and SVG gradients through an XML parser
  libcli11-dev libexpat1-dev
  # Movies in the command-line tool; the ffmpeg program is the benchmark's I/O floor
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  # The README's photograph (scikit-image's sample "coffee", CC0)
  python3-skimage
  # Camera footage for the frame tests and benchmark (vtest.avi among OpenCV's sample data)
  opencv-doc
  # Every gradient GIMP and GMT ship, which the gradient tests import
  gimp-data gmt-common
  # The Windows module and its tests under wine
  mingw-w64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
  # Fuzzing
  clang-14 libclang-rt-14-dev
  # The Debian package: dpkg-shlibdeps declares its dependencies
  dpkg-dev
)
# Comparing pictures by hand is optional.
if [[ "${HUEWARP_WITH_IMAGEMAGICK:-0}" == 1 ]]; then packages+=(imagemagick); fi

sudo=()
if [[ "$(id -u)" != 0 ]]; then sudo=(sudo); fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${packages[@]}"
