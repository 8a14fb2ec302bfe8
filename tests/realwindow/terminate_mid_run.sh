#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP in the middle of a run end the built program as closing its window does: it exits
# normally, its workspace is gone from the temporary folder and none of its helpers is left running; also when the
# run waits in its save dialog.
#   terminate_mid_run.sh <program>
# The run is started in a real X session (Xvfb) with Ctrl+Return; it is under way once its workspace appears in a
# temporary folder of the test's own.
set -euo pipefail

program=$(realpath "$1")

# shellcheck source=tests/realwindow/session.sh
source "$(dirname "$0")/session.sh"
requireTools xvfb-run xdotool convert
inOwnXServer "$@"
startScratch KILL

# Whether process $1 is still there and not merely waiting to be reaped.
running() {
    local state
    state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

mkdir -p "$work/pictures" "$work/tmp" "$work/runtime" "$work/home" "$work/config"
chmod 0700 "$work/runtime"
for i in 1 2 3 4 5 6 7 8; do
    convert -size 1600x1200 "gradient:navy-orange" -rotate $((i * 40)) "$work/pictures/picture$i.png"
done

export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
export LC_ALL=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP DESKTOP_SESSION QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME

cd "$work/pictures"
for moment in TERM INT HUP TERM@Save; do
    signal=${moment%@*}
    when="mid-run"
    [ "$moment" = "$signal" ] || when="in the ${moment#*@} dialog"
    # A job started with & gets SIGINT ignored, and an ignored signal stays ignored in the program: undo that.
    env --default-signal=INT,HUP "$program" picture*.png >>"$work/program.log" 2>&1 &
    programPid=$!
    main=$(waitForWindow "Free Pagewell")
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers ctrl+Return

    tries=0
    until [ -n "$(ls -A "$TMPDIR")" ]; do
        ((++tries < 600)) || fail "SIG$signal: the run never made its workspace"
        sleep 0.1
    done
    if [ "$moment" != "$signal" ]; then
        waitForWindow "${moment#*@}" 120 >/dev/null
    fi
    helpers=$(ps -o pid= --ppid "$programPid" || true)
    kill -s "$signal" "$programPid"

    tries=0
    while running "$programPid"; do
        ((++tries < 600)) || fail "SIG$signal $when did not end the program"
        sleep 0.1
    done
    status=0
    wait "$programPid" || status=$?
    programPid=""
    [ "$status" = 0 ] || fail "after SIG$signal $when the program ended with status $status, not as a close does"
    left=$(ls -A "$TMPDIR")
    [ -z "$left" ] || fail "SIG$signal $when left in the temporary folder: $left"
    for helper in $helpers; do
        ! running "$helper" || fail "SIG$signal $when left helper $helper running: $(cat "/proc/$helper/cmdline" | tr '\0' ' ')"
    done
    echo "SIG$signal $when: the program ended, no workspace left, helpers ended:" $helpers
done
echo "PASS"
