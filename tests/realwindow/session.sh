# shellcheck shell=bash disable=SC2154 # program: set by the script that sources this
# What the real-window scripts share; a script sources it once `program` is set:
#   source "$(dirname "$0")/session.sh"
#   requireTools xvfb-run xdotool ...  # exits 77 (skipped) when one is not installed
#   inOwnXServer "$@"                   # runs the script again inside a private X server of its own
#   startScratch [SIGNAL]               # `work`, a scratch folder; on exit the program ($programPid) gets SIGNAL
#                                       # (TERM unless given), the settings file beside it is put back, work removed
#   fail TEXT...                        # says why, with the program's output, and exits 1; when failureScreenshot
#                                       # is set, a picture of the screen is kept there first
#   waitForWindow TITLE [SECONDS]       # prints the id of a visible window titled exactly TITLE, once there is one

requireTools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
    done
}

inOwnXServer() {
    if [ -z "${PAGEWELL_REALWINDOW_INNER:-}" ]; then
        export PAGEWELL_REALWINDOW_INNER=1
        exec xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$0" "$@"
    fi
}

startScratch() {
    work=$(mktemp -d)
    programPid=""
    stopSignal=${1:-TERM}
    settings="$(dirname "$program")/setting.dll"
    settingsBackup="$work/setting.dll.before"
    if [ -e "$settings" ]; then cp -p "$settings" "$settingsBackup"; fi
    trap finishScratch EXIT
}

finishScratch() {
    local status=$?
    if [ -n "$programPid" ] && kill -0 "$programPid" 2>/dev/null; then
        kill -s "$stopSignal" "$programPid" 2>/dev/null || true
        wait "$programPid" 2>/dev/null || true
    fi
    # The run writes the settings beside a program whose folder can be written; put back what was there.
    if [ -e "$settingsBackup" ]; then cp -p "$settingsBackup" "$settings"; else rm -f "$settings"; fi
    rm -rf "$work"
    exit "$status"
}

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${failureScreenshot:-}" ]; then import -window root "$failureScreenshot" 2>/dev/null || true; fi
    [ -s "$work/program.log" ] && { echo "--- program output:" >&2; cat "$work/program.log" >&2; }
    exit 1
}

waitForWindow() {
    local id
    id=$(timeout "${2:-60}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) ||
        fail "no window \"$1\" appeared"
    [ -n "$id" ] || fail "no window \"$1\" appeared"
    echo "$id"
}
