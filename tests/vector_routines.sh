#!/usr/bin/env bash
# The build options must reach the binary: it holds vector block routines
# (format_blocks_ and any name but plain) exactly when it should.
# usage: vector_routines.sh NM EXECUTABLE none|some
set -u
nm=$1 binary=$2 expected=$3
if [[ $binary == *.wasm ]]; then
    # A linked WebAssembly module names its functions only in its name
    # section, mangled.
    symbols=$(strings -a "$binary" | grep -oE 'format_blocks_[a-z0-9_]+' | sed 's/$/(/')
else
    symbols=$("$nm" -C "$binary") || { echo "cannot read the symbols of $binary"; exit 1; }
fi
# The plain routine is in every build; without it the symbols are gone.
grep -q 'format_blocks_plain(' <<<"$symbols" || { echo "no symbols of the block routines in $binary"; exit 1; }
vector=$(grep -oE 'format_blocks_[A-Za-z0-9_]+\(' <<<"$symbols" | tr -d '(' | grep -vx format_blocks_plain | sort -u | paste -sd ' ')
echo "vector routines in $binary: ${vector:-none}"
case $expected in
none) [[ -z $vector ]] || { echo "FAIL: this build must hold none"; exit 1; } ;;
some) [[ -n $vector ]] || { echo "FAIL: this build must hold them"; exit 1; } ;;
*) echo "usage: $0 NM EXECUTABLE none|some"; exit 2 ;;
esac
