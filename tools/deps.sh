#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# usage: tools/deps.sh [all]   (all: also clang, the Windows and Linux cross
#                               compilers, wine, qemu, the packaging and the
#                               benchmark tools, the WebAssembly libraries,
#                               Node.js, npm and Chromium for the page)
# all adds the i386, arm64 and armhf architectures to dpkg and apt, for
# wine's 32-bit loader and for the C libraries of the ARM packages.
# Run it as root, or as a user who may use sudo.
#
# A mirror can serve a broken index for hours ("Mirror sync in progress?"):
# a failed update is tried again, then the lists that could be fetched are
# used, and apt-get install decides whether what is needed can be had. When
# the i386 (or arm64, armhf) index of a suite is the broken one, the twins of
# some amd64 libraries exist only at older versions there, and the packages
# of that architecture, which need both at one version, cannot be installed;
# then both are installed at the newest version that all architectures have,
# and the script says which.
set -euo pipefail

packages=(cmake make g++ libgtest-dev googletest man-db groff-base)
if [[ ${1:-} == all ]]; then
    packages+=(clang clang-format libclang-rt-dev
               g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386
               qemu-user g++-i686-linux-gnu g++-s390x-linux-gnu
               g++-aarch64-linux-gnu g++-arm-linux-gnueabihf
               dpkg-dev lintian strip-nondeterminism file unzip
               # dpkg-shlibdeps takes the C library's versions for the ARM
               # .debs from the libc6 of their architecture.
               libc6:arm64 libc6:armhf
               libbenchmark-dev hyperfine time xxhash
               wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32 lld
               chromium nodejs python3)
    # Debian's npm, unless a Node.js from elsewhere brings its own.
    command -v npm >/dev/null || packages+=(npm)
fi

# tools/wasi-run and Playwright need Node.js 20 or later, and Debian 12 has
# 18: then npm installs Node.js 20 from its registry (the package node, into
# /usr/local, which comes before /usr on the PATH). Run once the Debian
# packages are there.
newer_node() {
    local major
    [[ ${1:-} == all ]] || return 0
    major=$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)
    ((major >= 20)) && return 0
    echo "deps: Node.js $(node --version 2>/dev/null) is older than 20: installing Node.js 20 with npm"
    if ((EUID == 0)); then npm install --global node@20; else sudo npm install --global node@20; fi
    hash -r
    major=$(node -p 'process.versions.node.split(".")[0]')
    ((major >= 20)) || { echo "deps: node is still $(node --version) on the PATH" >&2; exit 1; }
}

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
    newer_node "${1:-}"
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
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

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

# Packages of other architectures (name:arch): each architecture is added.
mapfile -t foreign < <(printf '%s\n' "${missing[@]}" | grep ':' || true)
for arch in $(printf '%s\n' "${foreign[@]}" | sed 's/.*://' | sort -u); do
    echo "deps: adding the $arch architecture"
    "${sudo[@]}" dpkg --add-architecture "$arch"
done

# apt-get update, tried three times; lists that still fail are named and
# left out.
update_lists() {
    local try
    for try in 1 2 3; do
        echo "deps: updating the package lists"
        "${sudo[@]}" apt-get update 2>&1 | tee "$scratch/update.log" && return 0
        ((try == 3)) || sleep $((10 * try))
    done
    echo "deps: going on without these lists, which could not be fetched:"
    sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/  \1/p' "$scratch/update.log"
}

# An apt preferences file that pins every package that the packages of
# other architectures need, and whose candidates differ between the native
# architecture and one of those, at the newest version that all of them
# have. Binaries of one source often need each other at one version
# (libssl-dev needs libssl3 at its own), so each pin holds for every binary
# of the package's source. Empty when there is none.
common_version_pins() {
    local native names arches name version source
    native=$(dpkg --print-architecture)
    arches=$(printf '%s\n' "$@" | sed 's/.*://' | sort -u)
    names=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$@" | grep -v -e '^ ' -e '^<' | sed 's/:[a-z0-9]*$//' | sort -u)
    # shellcheck disable=SC2046
    apt-cache policy $(for name in $names; do
        echo "$name:$native"
        for arch in $arches; do echo "$name:$arch"; done
    done) | awk -v native="$native" '
        /^[^ ]/ {
            name = $0; sub(/:$/, "", name)
            arch = "native"
            if (match(name, /:[a-z0-9]+$/)) {
                if (substr(name, RSTART + 1) != native) arch = substr(name, RSTART + 1)
                name = substr(name, 1, RSTART - 1)
            }
            names[name] = 1; arches[arch] = 1; next
        }
        /^  Candidate:/ { candidate[name, arch] = $2; next }
        /^ (\*\*\*|   ) [^ ]+ [0-9]+$/ {
            # The version table, newest first; a version pinned below zero
            # (a backport) is never installed, and not looked at.
            version = $(NF - 1); has[name, arch, version] = 1
            if (arch == "native") newest_first[name] = newest_first[name] " " version
        }
        END {
            for (name in names) {
                a = candidate[name, "native"]
                if (a == "" || a == "(none)") continue
                # The architectures that have the package at all, and
                # whether any has another candidate than the native one.
                split("", present); skew = 0
                for (arch in arches) {
                    b = candidate[name, arch]
                    if (arch == "native" || b == "" || b == "(none)") continue
                    present[arch] = 1
                    if (b != a) skew = 1
                }
                if (!skew) continue
                n = split(newest_first[name], versions, " ")
                for (i = 1; i <= n; i++) {
                    everywhere = 1
                    for (arch in present) if (!has[name, arch, versions[i]]) everywhere = 0
                    if (everywhere) {
                        print name, versions[i]
                        break
                    }
                }
            }
        }' | while read -r name version; do
        source=$(apt-cache show "$name=$version" | sed -n 's/^Source: \([^ ]*\).*/\1/p' | head -n 1)
        echo "${source:-$name} $version"
    done | sort -u | while read -r source version; do
        printf 'Package: src:%s\nPin: version %s\nPin-Priority: 1001\n\n' "$source" "$version"
    done
}

install() {
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "$@"
}

update_lists
echo "deps: installing ${missing[*]}"
if install "${missing[@]}"; then
    newer_node "${1:-}"
    exit 0
fi
((${#foreign[@]} > 0)) || exit 1
common_version_pins "${foreign[@]}" >"$scratch/pins"
[[ -s $scratch/pins ]] || exit 1
echo "deps: the ${foreign[*]} packages cannot be had at the versions of their native twins;" \
    "installing these sources' packages at a version that every architecture has:"
awk '/^Package:/ { name = $2 } /^Pin:/ { print "  " name " " $3 }' "$scratch/pins"
install --allow-downgrades -o Dir::Etc::Preferences="$scratch/pins" "${missing[@]}"
newer_node "${1:-}"
