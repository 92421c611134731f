#!/usr/bin/env bash
# Installs the Debian packages a stage needs, only those missing, with one apt-get update.
# Usage: scripts/install-deps.sh native|fuzz|bench|windows ...
set -euo pipefail

declare -A groups=(
  [native]="cmake make ninja-build g++ pkg-config libjpeg62-turbo-dev zlib1g-dev libwebp-dev libarchive-dev liblzma-dev libgtest-dev clang-format clang-tidy"
  [fuzz]="clang libclang-rt-14-dev"
  [bench]="libbenchmark-dev libpng-dev"
  [windows]="cmake make ninja-build g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev nasm pkg-config googletest wine wine64 xvfb xauth locales fonts-ipafont-gothic zip"
)

wanted=()
for group in "$@"; do
  [[ -n "${groups[$group]+x}" ]] || { echo "unknown package group: $group" >&2; exit 2; }
  for package in ${groups[$group]}; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      wanted+=("$package")
    fi
  done
done

if ((${#wanted[@]})); then
  echo "installing: ${wanted[*]}"
  sudo_cmd=""
  [[ $(id -u) -eq 0 ]] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${wanted[@]}" >/dev/null
fi
