#!/usr/bin/env bash
# The page's tests: the comparison's logic under Node.js's test runner, then
# the page in a real browser: Playwright, from web/package-lock.json,
# driving Debian's Chromium (package chromium) headless, against the page and
# modules that the wasm preset stages in build/wasm/web, with the release
# build's listings as the reference. Both builds must be made first:
#   cmake --workflow --preset release && cmake --workflow --preset wasm
# usage: tools/web-test.sh [PLAYWRIGHT-ARGS...]
set -euo pipefail
cd "$(dirname "$0")/../web"
export VANTREL_WEB_DIR=${VANTREL_WEB_DIR:-$PWD/../build/wasm/web}
export VANTREL_NATIVE=${VANTREL_NATIVE:-$PWD/../build/release/vantrel}
for needed in "$VANTREL_WEB_DIR/index.html" "$VANTREL_WEB_DIR/vantrel.wasm" "$VANTREL_NATIVE"; do
    [[ -e $needed ]] || { echo "web-test: $needed is missing; build the release and wasm presets first" >&2; exit 1; }
done
# Playwright's own browsers are not used, so none is downloaded.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
npm ci --no-audit --no-fund
node --test unit/*.test.js
npx playwright test "$@"
