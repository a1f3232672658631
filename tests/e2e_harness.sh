#!/usr/bin/env bash
# Every end-to-end case must fail against a broken stand-in of the tool, one
# that changes every hex digit it prints and exits with a wrong status: a
# case that passes against it could not catch such a fault.
# usage: e2e_harness.sh EXECUTABLE CASE...
set -u
tool=$1
shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/vantrel" <<STAND_IN
#!/usr/bin/env bash
"$tool" "\$@" | tr 0-9A-F 1-9A-F0
exit \$((\${PIPESTATUS[0]} + 2))
STAND_IN
chmod +x "$dir/vantrel"

failures=0
for case_name in "$@"; do
    bash "$(dirname "$0")/e2e.sh" "$case_name" "$dir/vantrel" >"$dir/log" 2>&1
    case $? in
    0) echo "NOT CAUGHT: e2e.$case_name passes against the broken stand-in"; failures=$((failures + 1)) ;;
    77) echo "skipped: e2e.$case_name ($(tail -n 1 "$dir/log"))" ;;
    *) echo "caught: e2e.$case_name" ;;
    esac
done
((failures == 0))
