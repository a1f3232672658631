#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what lands where, and that
# the man page formats without a warning.
# usage: install.sh CMAKE BUILD-DIR EXECUTABLE-NAME
set -u
cmake=$1 build=$2 name=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
status=0
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
if [[ $name == *.exe ]]; then
    program=$name
    files=("$name" README.md LICENSE)
else
    program=bin/$name
    files=("$program" share/man/man1/vantrel.1.gz share/doc/vantrel/copyright
           share/doc/vantrel/changelog.gz)
    warnings=$(man --warnings -l "$prefix/share/man/man1/vantrel.1.gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || { echo "man page warnings: $warnings"; status=1; }
fi
for file in "${files[@]}"; do
    [[ -f $prefix/$file ]] || { echo "missing: $file"; status=1; }
done
[[ -x $prefix/$program ]] || { echo "not executable: $program"; status=1; }
exit $status
