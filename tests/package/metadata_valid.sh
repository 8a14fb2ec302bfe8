#!/usr/bin/env bash
# The files the desktop and the package system read about the program: they validate, and they name the version
# the build makes. Skipped (77) with a message when a validator is missing.
#   metadata_valid.sh <source-folder> <version> <debian-revision>
set -euo pipefail
source=$1 version=$2 revision=$3
packaging="$source/packaging"
metainfo="$packaging/org.pagewell.Pagewell.metainfo.xml"

for tool in appstreamcli desktop-file-validate groff; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
        exit 77
    }
done
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# Pedantic notes are shown; an error or a warning fails. No network: the screenshot's address is not fetched.
appstreamcli validate --pedantic --no-net --explain "$metainfo" || fail "AppStream file does not validate"
out=$(desktop-file-validate "$packaging/org.pagewell.Pagewell.desktop") || fail "desktop entry does not validate"
grep -v ': hint: ' <<<"$out" | grep . && fail "desktop entry: errors or warnings above"

newest=$(grep -o '<release [^>]*version="[^"]*"' "$metainfo" | head -n1 | sed 's/.*version="//; s/"$//')
[ "$newest" = "$version" ] || fail "newest AppStream release is '$newest', the build makes $version"
entry=$(head -n1 "$packaging/changelog.Debian" | sed -n 's/^pagewell (\([^)]*\)).*/\1/p')
[ "$entry" = "$version-$revision" ] || fail "newest changelog.Debian entry is '$entry', the package is $version-$revision"

# -ww is every warning groff has, a few more than -wall.
warnings=$(groff -ww -man -Tutf8 -z "$packaging/pagewell.1" 2>&1)
[ -z "$warnings" ] || fail "groff warns on the manual page: $warnings"
exit $failed
