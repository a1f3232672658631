#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# usage: tools/deps.sh [all]   (all: also clang, the Windows cross compiler,
#                               wine and the benchmark tools)
set -euo pipefail

packages=(cmake make g++ libgtest-dev googletest man-db groff-base)
if [[ ${1:-} == all ]]; then
    packages+=(clang clang-format libclang-rt-dev g++-mingw-w64-i686 wine wine32:i386
               libbenchmark-dev hyperfine time)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

sudo=()
((EUID == 0)) || sudo=(sudo)
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    "${missing[@]}" >/dev/null
