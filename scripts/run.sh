#!/bin/bash
# Builds Bralto (x86_64) and starts it under Wine. Arguments go to Bralto.
# Without a display it runs under Xvfb, saves a screenshot of its window to
# build/screenshots/bralto.png and says so.
set -e
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" x86_64
EXE="$ROOT/build/x86_64/bin/Bralto.exe"

if [ -n "$DISPLAY" ]; then
    exec "$ROOT/scripts/wine.sh" "$EXE" "$@"
fi

"$ROOT/scripts/wine.sh" --start
eval "$("$ROOT/scripts/wine.sh" --env)"
# Nothing to open: show an example archive, so the screenshot shows a list.
if [ $# -eq 0 ]; then
    demo="$ROOT/build/demo/Exemple.zip"
    rm -rf "$ROOT/build/demo" && mkdir -p "$ROOT/build/demo"
    (cd "$ROOT" && zip -q -r "$demo" README.md app dialogs -i '*.md' '*.h' '*.rc' '*.manifest')
    set -- "Z:${demo//\//\\}"
fi
# First start: skip the association question so the main window shows.
"$ROOT/scripts/wine.sh" reg add 'HKCU\Software\Quenor App Bralto\StartUp' /v Register /d 1 /f >/dev/null 2>&1 || true
"$ROOT/scripts/wine.sh" "$EXE" "$@" &
pid=$!
shot="$ROOT/build/screenshots/bralto.png"
mkdir -p "$(dirname "$shot")"
for _ in $(seq 1 100); do
    xdotool search --onlyvisible --class '^bralto\.exe$' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 2
import -window root -crop 1024x768+0+0 "$shot"
echo "Bralto is running under Xvfb (display $DISPLAY); screenshot saved to $shot"
# Xvfb has no window manager: a click on the caption gives the window the
# keyboard, and Alt+F4 closes it as a user would (destroying its X window
# instead would leave Bralto running without one).
echo "Close it with: DISPLAY=$DISPLAY xdotool mousemove 200 13 click 1 sleep 0.5 key alt+F4  (or kill $pid)"
wait $pid || true
