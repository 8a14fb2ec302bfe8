#!/usr/bin/env bash
# Drives the built program in a real X session (Xvfb): the real open and folder dialogs put two images in the list,
# Ctrl+Return converts, the real save dialog gets the destination typed in, and pdfinfo checks the saved PDF.
#   convert_two_images.sh <program> <artifacts-folder>
# Leaves <artifacts-folder>/window.png (the window before converting), the PDFs it made and, when a step fails,
# failure.png.
# The program opens the saved PDF at the end; an xdg-open stand-in on PATH records that instead of starting a viewer.
set -euo pipefail

program=$(realpath "$1")
artifacts=$(realpath -m "$2")
mkdir -p "$artifacts"
rm -f "$artifacts/failure.png"

# shellcheck source=tests/realwindow/session.sh
source "$(dirname "$0")/session.sh"
requireTools xvfb-run xdotool import convert pdfinfo
inOwnXServer "$@"
startScratch
failureScreenshot="$artifacts/failure.png"

# Waits until no visible window is titled exactly $1.
waitForWindowGone() {
    local tries=0
    while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
        ((++tries < 600)) || fail "the window \"$1\" did not close"
        sleep 0.1
    done
}

# Gives a dialog the keyboard, types a path into its file-name box (which has the focus when it opens) and confirms.
answerFileDialog() { # title, path
    local id
    id=$(waitForWindow "$1")
    xdotool windowfocus --sync "$id"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --clearmodifiers --delay 15 "$2"
    xdotool key --clearmodifiers Return
    waitForWindowGone "$1"
}

# Two images of different sizes, the second in a folder of its own.
mkdir -p "$work/pictures/more" "$work/out" "$work/bin" "$work/home" "$work/config"
convert -size 640x480 gradient:navy-orange "$work/pictures/first.png"
convert -size 300x500 xc:seagreen -fill white -draw "circle 150,250 150,120" "$work/pictures/more/second.jpg"

cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
SCRIPT
chmod +x "$work/bin/xdg-open"

export PATH="$work/bin:$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" LC_ALL=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME BROWSER DEFAULT_BROWSER

# Starts the program (with any arguments given) and waits for its window; sets programPid and main.
start() {
    "$program" "$@" >>"$work/program.log" 2>&1 &
    programPid=$!
    main=$(waitForWindow "Free Pagewell")
    xdotool windowfocus --sync "$main"
}

# Converts (Ctrl+Return), gives the real save dialog the destination $1 and waits for the run's end: the program
# opens what it saved once the run is over. Then checks that the PDF has the two images as its pages, in order.
convertAndCheck() {
    local destination=$1 tries=0 pages sizes
    rm -f "$work/opened.txt"
    xdotool key --clearmodifiers ctrl+Return
    answerFileDialog "Save" "$destination"
    until [ -s "$work/opened.txt" ]; do
        ((++tries < 1200)) || fail "the program never opened the saved PDF"
        sleep 0.1
    done
    # The destinations here hold no character a file URL writes otherwise but the blank.
    grep -qxF "file://${destination// /%20}" "$work/opened.txt" ||
        fail "the program opened $(cat "$work/opened.txt"), not $destination"

    pages=$(pdfinfo "$destination" | sed -n 's/^Pages: *//p') || fail "pdfinfo cannot read $destination"
    [ "$pages" = 2 ] || fail "$destination has ${pages:-no} pages, not 2"
    # Page 1 is the first image (640 x 480 pixels), page 2 the second (300 x 500): the pages keep their proportions.
    sizes=$(pdfinfo -f 1 -l 2 "$destination" | sed -n 's/^Page *\([12]\) size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2 \3/p')
    awk 'function near(a, b) { return a > b * 0.99 && a < b * 1.01 }
         $1 == 1 && near($2 / $3, 640 / 480) { one = 1 }
         $1 == 2 && near($2 / $3, 300 / 500) { two = 1 }
         END { exit !(one && two) }' <<<"$sizes" || fail "the pages of $destination are not the two images: $sizes"
    cp "$destination" "$artifacts/" # kept beside the screenshot, to look at
}

# Exit (Ctrl+Q) ends the program.
quit() {
    local tries=0
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers ctrl+q
    while kill -0 "$programPid" 2>/dev/null; do
        ((++tries < 300)) || fail "Ctrl+Q did not end the program"
        sleep 0.1
    done
    wait "$programPid" || fail "the program ended with status $?"
    programPid=""
}

cd "$work"

# 1. Open a File (Ctrl+O) puts the first image in the list through the real open dialog.
start
xdotool key --clearmodifiers ctrl+o
answerFileDialog "Open Files" "$work/pictures/first.png"

# Add Folder (Ctrl+Shift+O), through the real folder dialog, appends the second.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+shift+o
answerFileDialog "Please select a folder:" "$work/pictures/more"

# The window as it stands before converting, kept as a test artefact.
xdotool windowfocus --sync "$main"
import -window "$main" "$artifacts/window.png" || fail "no screenshot of the window"

convertAndCheck "$work/out/two pages.pdf"
# The run kept the settings: beside a program whose folder can be written, else in the user's folder.
[ -e "$settings" ] || [ -e "$XDG_CONFIG_HOME/Pagewell/setting.dll" ] || fail "the run saved no settings"
quit

# 2. Images named on the command line (as the desktop entry's %F names them) join the list; a non-image does not.
echo "not a picture" >"$work/pictures/notes.txt"
cd "$work/pictures"
start first.png notes.txt "$work/pictures/more/second.jpg"
convertAndCheck "$work/out/from command line.pdf"
quit
cd "$work"

echo "PASS: the real dialogs and the command line each gave a 2-page PDF; screenshot in $artifacts/window.png"
