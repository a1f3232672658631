#!/usr/bin/env bash
# Checks the packages that `cmake --workflow --preset package` made: lintian
# finds no error or warning in the three .debs and no missing hardening,
# their programs have the stack protector, and each depends on the C
# library alone; the amd64 one installs, lists a file, has its manual page
# found, and removes again; the arm64 and armhf ones install into a scratch
# root and list the same under qemu; each static tarball holds what it
# should, and its program lists the same in a root that holds nothing but
# the program and the file (and for ARM the static emulator); each Windows
# zip holds the program, the README and the license, the web zip the page,
# its module and the license; SHA256SUMS lists every package and matches
# it; no binary holds the path it was built in. Then the packages are made
# once more from a fresh clone of the commit, in another folder, later and
# with another umask, and must come out byte for byte the same. Needs root
# (or sudo) to install and to chroot.
# usage: tools/check-packages.sh PACKAGE-DIR
set -euo pipefail
dir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=()
((EUID == 0)) || sudo=(sudo)
tmp=$(mktemp -d)
installed=false
cleanup() {
    if $installed; then "${sudo[@]}" dpkg -r vantrel >/dev/null; fi
    # Scratch roots that dpkg and chroot filled as root.
    "${sudo[@]}" rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "$*"
    exit 1
}

deb=$(echo "$dir"/vantrel_*_amd64.deb)
[[ -f $deb ]] || fail "no amd64 .deb in $dir"
version=$(dpkg-deb -f "$deb" Version)
# The Debian architectures, with the machine and the emulator of each.
declare -A machine=([amd64]=x86_64 [arm64]=aarch64 [armhf]=armhf)
declare -A qemu=([arm64]=qemu-aarch64 [armhf]=qemu-arm)
declare -A triple=([arm64]=aarch64-linux-gnu [armhf]=arm-linux-gnueabihf)
for arch in amd64 arm64 armhf; do
    package=$dir/vantrel_${version}_$arch.deb
    [[ -f $package ]] || fail "missing: $(basename "$package")"
    lintian --fail-on error,warning "$package"
    # Debian reports missing hardening only as information.
    hardening=$(lintian -I "$package" | grep -E ' hardening-' || true)
    [[ -z $hardening ]] || fail "lintian: $hardening"
    [[ $(dpkg-deb -f "$package" Architecture) == "$arch" ]] ||
        fail "$(basename "$package") is for $(dpkg-deb -f "$package" Architecture)"
    depends=$(dpkg-deb -f "$package" Depends)
    [[ $depends =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] ||
        fail "$(basename "$package") depends on more than the C library: $depends"
done
"${sudo[@]}" dpkg -i "$deb"
installed=true
listing=$(/usr/bin/vantrel 100 "$root/examples/hello.txt")
[[ $listing == "CD1 BDD CAF CCF D4F D66 B23 F9A FA5 5C8 " ]] ||
    fail "the installed vantrel listed: $listing"
man -w vantrel
# What every other Linux build must list as well: a file of all kinds of
# bytes, many lines long, from an address where the running address wraps.
head -c 100003 /dev/urandom >"$tmp/random.bin"
/usr/bin/vantrel fffff000 "$tmp/random.bin" >"$tmp/reference.lst"

dpkg-deb -x "$deb" "$tmp/deb"
binaries=("$tmp/deb/usr/bin/vantrel")
# The ARM packages: the same files as the amd64 one; each installs into a
# scratch root of its own (which has no C library, so that dependency is
# forced), lists there under qemu with the cross compiler's C library, and
# removes again.
files() { dpkg-deb -c "$1" | awk '$6 != "./" { print $1, $2, $6 }'; }
for arch in arm64 armhf; do
    package=$dir/vantrel_${version}_$arch.deb
    [[ $(files "$package") == "$(files "$deb")" ]] || {
        diff <(files "$deb") <(files "$package") || true
        fail "$(basename "$package") holds other files than the amd64 package"
    }
    scratch=$tmp/root-$arch
    mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
    touch "$scratch/var/lib/dpkg/status"
    "${sudo[@]}" dpkg --root="$scratch" --add-architecture "$arch"
    "${sudo[@]}" dpkg --root="$scratch" --force-depends -i "$package" >/dev/null
    "${qemu[$arch]}" -L "/usr/${triple[$arch]}" "$scratch/usr/bin/vantrel" fffff000 "$tmp/random.bin" \
        >"$tmp/$arch.lst" || fail "the $arch package's vantrel failed under ${qemu[$arch]}"
    cmp -s "$tmp/reference.lst" "$tmp/$arch.lst" ||
        fail "the $arch package's vantrel lists otherwise than the amd64 one"
    [[ -f $scratch/usr/share/man/man1/vantrel.1.gz ]] || fail "the $arch package has no manual page"
    "${sudo[@]}" dpkg --root="$scratch" -r vantrel >/dev/null
    [[ ! -e $scratch/usr/bin/vantrel ]] || fail "removing the $arch package left usr/bin/vantrel"
    dpkg-deb -x "$package" "$tmp/deb-$arch"
    binaries+=("$tmp/deb-$arch/usr/bin/vantrel")
done
# The stack protector, which lintian does not look for: each program calls
# the guard's failure handler.
for binary in "${binaries[@]}"; do
    readelf --dyn-syms -W "$binary" | grep -q ' __stack_chk_fail' ||
        fail "${binary#"$tmp"/} has no stack protector"
done

# The static tarballs. Each program runs in a root that holds nothing but
# itself and the file it lists, so that one that needs anything of the
# system (a dynamic loader, a library) cannot start there. An ARM program
# runs under qemu, which must then be in that root too, and so statically
# linked itself: Debian's qemu-user is since 9.1 (tools/deps.sh all takes
# it from bookworm-backports on Debian 12), as is any qemu-user-static.
static_emulator() {
    local name path
    for name in "$1-static" "$1"; do
        path=$(command -v "$name") || continue
        readelf -l "$path" | grep -q 'program interpreter' || {
            echo "$path"
            return 0
        }
    done
    return 1
}
for arch in amd64 arm64 armhf; do
    top=vantrel-$version-linux-${machine[$arch]}
    tarball=$dir/$top.tar.gz
    [[ -f $tarball ]] || fail "missing: $top.tar.gz"
    contents=$(tar -tzf "$tarball" | sort)
    [[ $contents == "$(printf "$top/%s\n" "" LICENSE README vantrel vantrel.1 | sort)" ]] ||
        fail "$top.tar.gz holds: $contents"
    owners=$(tar --numeric-owner -tvzf "$tarball" | awk '$2 != "0/0"')
    [[ -z $owners ]] || fail "$top.tar.gz holds files of a user: $owners"
    tar -xzf "$tarball" -C "$tmp"
    warnings=$(man --warnings -l "$tmp/$top/vantrel.1" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$top/vantrel.1: $warnings"
    binaries+=("$tmp/$top/vantrel")
    empty=$tmp/empty-$arch
    mkdir "$empty"
    cp "$tmp/$top/vantrel" "$tmp/random.bin" "$empty/"
    run=(/vantrel)
    if [[ -n ${qemu[$arch]:-} ]]; then
        emulator=$(static_emulator "${qemu[$arch]}") ||
            fail "no statically linked ${qemu[$arch]} to run $top/vantrel in an empty root"
        cp "$emulator" "$empty/qemu"
        run=(/qemu /vantrel)
    fi
    "${sudo[@]}" chroot "$empty" "${run[@]}" fffff000 /random.bin >"$tmp/$top.lst" ||
        fail "$top/vantrel does not run in a root that holds nothing else"
    cmp -s "$tmp/reference.lst" "$tmp/$top.lst" ||
        fail "$top/vantrel lists otherwise than the amd64 package"
done

for zip in "$dir"/vantrel-*-win32.zip "$dir"/vantrel-*-win64.zip; do
    top=$(basename "$zip" .zip)
    contents=$(unzip -Z1 "$zip" | sort)
    [[ $contents == "$(printf '%s\n' "$top/LICENSE" "$top/README.md" "$top/vantrel.exe")" ]] || {
        echo "$zip holds: $contents"
        exit 1
    }
    unzip -q "$zip" "$top/vantrel.exe" -d "$tmp"
    binaries+=("$tmp/$top/vantrel.exe")
done
# The page: its files, its module and the license.
web_zip=$(echo "$dir"/vantrel-*-web.zip)
top=$(basename "$web_zip" .zip)
contents=$(unzip -Z1 "$web_zip" | sort)
expected=$(printf "$top/%s\n" LICENSE compare.js comparison-view.js file-slices.js index.html \
    listing-runs.js listing-text.js listing-view.js main.js reader.js save.js style.css sw.js tool.js \
    vantrel.wasm wasi.js words.js worker.js | sort)
[[ $contents == "$expected" ]] || {
    echo "$web_zip holds: $contents"
    exit 1
}
unzip -q "$web_zip" "$top/vantrel.wasm" -d "$tmp"
binaries+=("$tmp/$top/vantrel.wasm")
for binary in "${binaries[@]}"; do
    ! strings -a "$binary" | grep -F -e "$root" -e "$dir" || {
        echo "${binary#"$tmp"/} holds a path of the build"
        exit 1
    }
done

# SHA256SUMS names every package in the folder, and every hash matches.
packages() { (cd "$1" && ls vantrel*.deb vantrel*.zip vantrel*.tar.gz); }
[[ $(cut -d' ' -f3- "$dir/SHA256SUMS" | sort) == "$(packages "$dir")" ]] || {
    echo "SHA256SUMS lists: $(cut -d' ' -f3- "$dir/SHA256SUMS")"
    exit 1
}
(cd "$dir" && sha256sum --strict -c SHA256SUMS)

# The same commit, built again elsewhere: a clone cannot hold changes that
# are not committed, so there must be none.
changes=$(git -C "$root" status --porcelain --untracked-files=no)
[[ -z $changes ]] || {
    echo "uncommitted changes, which a rebuild from the commit would not hold:"
    echo "$changes"
    exit 1
}
commit=$(git -C "$root" rev-parse HEAD)
git clone --quiet --no-hardlinks "$root" "$tmp/src"
git -C "$tmp/src" checkout --quiet --detach "$commit"
echo "packages: rebuilding $commit in $tmp/src"
(cd "$tmp/src" && umask 0027 && cmake --workflow --preset package >"$tmp/rebuild.log" 2>&1) || {
    tail -n 30 "$tmp/rebuild.log"
    exit 1
}
again=$tmp/src/build/package/packages
(cd "$again" && sha256sum --strict -c --quiet SHA256SUMS)
if ! cmp -s "$dir/SHA256SUMS" "$again/SHA256SUMS"; then
    echo "the rebuild differs: first build, then rebuild"
    diff "$dir/SHA256SUMS" "$again/SHA256SUMS" || true
    if command -v diffoscope >/dev/null; then
        for package in $(packages "$dir"); do
            cmp -s "$dir/$package" "$again/$package" ||
                diffoscope --text - "$dir/$package" "$again/$package" | head -n 60 || true
        done
    fi
    exit 1
fi
echo "packages: $(packages "$dir" | paste -sd ' ') checked, and rebuilt byte for byte"
cat "$dir/SHA256SUMS"
