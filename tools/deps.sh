#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# usage: tools/deps.sh [all]   (all: also clang, the Windows and Linux cross
#                               compilers, wine, qemu, the packaging and the
#                               benchmark tools, the WebAssembly libraries and
#                               Chromium for the page's tests)
set -euo pipefail

packages=(cmake make g++ libgtest-dev googletest man-db groff-base)
if [[ ${1:-} == all ]]; then
    packages+=(clang clang-format libclang-rt-dev
               g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386
               qemu-user g++-i686-linux-gnu g++-s390x-linux-gnu
               dpkg-dev lintian file unzip libbenchmark-dev hyperfine time
               wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32 lld chromium nodejs)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    echo "deps: every package is installed"
    exit 0
fi

sudo=()
((EUID == 0)) || sudo=(sudo)
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    echo "deps: adding the i386 architecture"
    "${sudo[@]}" dpkg --add-architecture i386
fi
echo "deps: updating the package lists"
"${sudo[@]}" apt-get update
echo "deps: installing ${missing[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
