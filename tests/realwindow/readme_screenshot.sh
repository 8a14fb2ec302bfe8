#!/usr/bin/env bash
# Takes the README's screenshot (docs/screenshot.png) of the built program in a private X server:
#   tests/realwindow/readme_screenshot.sh <program> <pictures-folder> <out.png>
# <pictures-folder> holds cover.jpg and a subfolder Days/ with more pictures; the first comes through the open
# dialog (so the preview shows it), the rest through Add Folder.
set -euo pipefail
program=$(realpath "$1")
pictures=$(realpath "$2")
out=$(realpath -m "$3")

if [ -z "${PAGEWELL_REALWINDOW_INNER:-}" ]; then
    export PAGEWELL_REALWINDOW_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$0" "$@"
fi
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
config=$(mktemp -d)
export XDG_CONFIG_HOME=$config LC_ALL=C.UTF-8 # the README shows the English window
"$program" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$config"' EXIT

dialog() { # title, path
    local id
    id=$(timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1)
    xdotool windowfocus --sync "$id"
    xdotool type --clearmodifiers --delay 15 "$2"
    xdotool key --clearmodifiers Return
    while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do sleep 0.1; done
}

main=$(timeout 60 xdotool search --sync --onlyvisible --name '^Free Pagewell$' | head -n1)
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+o
dialog "Open Files" "$pictures/cover.jpg"
xdotool windowfocus --sync "$main"
for _ in 1 2 3 4 5; do xdotool key --clearmodifiers shift+Tab; done
xdotool key --clearmodifiers space
dialog "Please select a folder:" "$pictures/Days"
# Select the third entry, so that the page label shows it, and leave the focus on the list.
xdotool windowfocus --sync "$main"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" 120 172 click 1
xdotool mousemove --window "$main" 900 700
sleep 0.5 # let the window repaint; nothing is judged from the picture
import -window "$main" "$out"
