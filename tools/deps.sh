#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# usage: tools/deps.sh [all]   (all: also clang, the Windows and Linux cross
#                               compilers, wine, qemu, the packaging and the
#                               benchmark tools, the WebAssembly libraries and
#                               Chromium for the page's tests)
# Run it as root, or as a user who may use sudo.
set -euo pipefail

packages=(cmake make g++ libgtest-dev googletest man-db groff-base)
if [[ ${1:-} == all ]]; then
    packages+=(clang clang-format libclang-rt-dev
               g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386
               qemu-user g++-i686-linux-gnu g++-s390x-linux-gnu
               dpkg-dev lintian strip-nondeterminism file unzip
               libbenchmark-dev hyperfine time xxhash b3sum
               wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32 lld chromium nodejs)
fi

# Where the kernel refuses 32-bit programs, wine's 32-bit loader runs under
# qemu-i386, which must be 8.0 or later; Debian 12 has that only in
# bookworm-backports, from which nothing but qemu-user is taken.
backports_qemu() {
    [[ " ${packages[*]} " == *" qemu-user "* ]] &&
        grep -q '^VERSION_CODENAME=bookworm$' /etc/os-release 2>/dev/null
}
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing+=("$package")
done
if backports_qemu && [[ " ${missing[*]} " != *" qemu-user "* ]] &&
    ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user)" ge 1:8; then
    missing+=(qemu-user)
fi
if ((${#missing[@]} == 0)); then
    echo "deps: every package is installed"
    exit 0
fi

sudo=()
if ((EUID != 0)); then
    command -v sudo >/dev/null || {
        echo "deps: ${missing[*]} to install: run this as root, as there is no sudo here" >&2
        exit 1
    }
    sudo=(sudo)
fi

if backports_qemu && [[ ! -f /etc/apt/preferences.d/vantrel-backports ]]; then
    echo "deps: adding bookworm-backports, for qemu-user alone"
    "${sudo[@]}" tee /etc/apt/sources.list.d/vantrel-backports.sources >/dev/null <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${sudo[@]}" tee /etc/apt/preferences.d/vantrel-backports >/dev/null <<'PREFERENCES'
Package: *
Pin: release n=bookworm-backports
Pin-Priority: -1

Package: qemu-user
Pin: release n=bookworm-backports
Pin-Priority: 500
PREFERENCES
fi

if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    echo "deps: adding the i386 architecture"
    "${sudo[@]}" dpkg --add-architecture i386
fi
echo "deps: updating the package lists"
"${sudo[@]}" apt-get update
echo "deps: installing ${missing[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
