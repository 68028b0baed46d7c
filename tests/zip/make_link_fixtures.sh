#!/bin/bash
# Folders with links for the Windows zip tests, made natively because Wine
# cannot make links; Wine shows them to Windows programs as reparse points.
#   make_link_fixtures.sh EXCHANGE_FOLDER
set -euo pipefail
links=$1/links
rm -rf "$links"
mkdir -p "$links/tree/sub" "$links/outside"
echo 'top' > "$links/tree/top.txt"
echo 'inside' > "$links/tree/sub/f.txt"
echo 'outside' > "$links/outside/o.txt"
ln -s .. "$links/tree/sub/up"
ln -s ../../outside "$links/tree/sub/away"
