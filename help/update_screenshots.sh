#!/bin/bash
# Refreshes the help's pictures from the windows the test run saved under
# build/screenshots (BMP, real windows under Xvfb), trimmed and as PNG.
# Run after the tests (scripts/test.sh, or the app and dialogs tests).
set -e
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SHOTS="${1:-$ROOT/build/screenshots}"
for name in main_window_after_add add_files_page1_filled add_files_page2_filled extract_files quick_extract; do
    convert "$SHOTS/$name.bmp" -trim +repage "$ROOT/help/images/$name.png"
done
echo "help/images refreshed from $SHOTS"
