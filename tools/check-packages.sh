#!/usr/bin/env bash
# Checks the packages that `cmake --workflow --preset package` made: lintian
# finds no error or warning in the .deb and no missing hardening, which
# installs, lists a file, has its manual page found, and removes again; each
# Windows zip holds the program, the README and the license, the web zip the
# page, its module and the license; SHA256SUMS lists every
# package and matches it; no binary holds the path it was built in. Then the
# packages are made once more from a fresh clone of the commit, in another
# folder, later and with another umask, and must come out byte for byte the
# same. Needs root (or sudo) to install.
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
    rm -rf "$tmp"
}
trap cleanup EXIT

deb=$(echo "$dir"/vantrel_*.deb)
lintian --fail-on error,warning "$deb"
# Debian reports missing hardening only as information.
hardening=$(lintian -I "$deb" | grep -E ' hardening-' || true)
[[ -z $hardening ]] || { echo "lintian: $hardening"; exit 1; }
"${sudo[@]}" dpkg -i "$deb"
installed=true
listing=$(/usr/bin/vantrel 100 "$root/examples/hello.txt")
[[ $listing == "CD1 BDD CAF CCF D4F D66 B23 F9A FA5 5C8 " ]] || {
    echo "the installed vantrel listed: $listing"
    exit 1
}
man -w vantrel

dpkg-deb -x "$deb" "$tmp/deb"
binaries=("$tmp/deb/usr/bin/vantrel")
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
packages() { (cd "$1" && ls vantrel*.deb vantrel*.zip); }
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
