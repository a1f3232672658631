#!/usr/bin/env bash
# Checks the packages that `cmake --workflow --preset package` made: lintian
# finds no error or warning in the .deb, which installs, lists a file, has its
# manual page found, and removes again; each zip holds the program, the
# README and the license. Needs root (or sudo) to install.
# usage: tools/check-packages.sh PACKAGE-DIR
set -euo pipefail
dir=$1
sudo=()
((EUID == 0)) || sudo=(sudo)

deb=$(echo "$dir"/vantrel_*.deb)
lintian --fail-on error,warning "$deb"
"${sudo[@]}" dpkg -i "$deb"
trap '"${sudo[@]}" dpkg -r vantrel' EXIT
listing=$(/usr/bin/vantrel 100 "$(dirname "$0")/../examples/hello.txt")
[[ $listing == "CD1 BDD CAF CCF D4F D66 B23 F9A FA5 5C8 " ]] || {
    echo "the installed vantrel listed: $listing"
    exit 1
}
man -w vantrel

for zip in "$dir"/vantrel-*-win32.zip "$dir"/vantrel-*-win64.zip; do
    top=$(basename "$zip" .zip)
    contents=$(unzip -Z1 "$zip" | sort)
    [[ $contents == "$(printf '%s\n' "$top/LICENSE" "$top/README.md" "$top/vantrel.exe")" ]] || {
        echo "$zip holds: $contents"
        exit 1
    }
done
echo "packages: $(cd "$dir" && echo vantrel*.deb vantrel*.zip) checked"
