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
for file in "bin/$name" share/man/man1/vantrel.1; do
    [[ -f $prefix/$file ]] || { echo "missing: $file"; status=1; }
done
[[ -x $prefix/bin/$name ]] || { echo "not executable: bin/$name"; status=1; }
warnings=$(man --warnings -l "$prefix/share/man/man1/vantrel.1" 2>&1 >/dev/null)
[[ -z $warnings ]] || { echo "man page warnings: $warnings"; status=1; }
exit $status
