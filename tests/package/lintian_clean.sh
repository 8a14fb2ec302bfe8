#!/usr/bin/env bash
# Builds the Debian package as the README does, in a build folder of its own with the tests off, and checks it with
# lintian: no error and no warning. Skipped (77) with a message when the package tools are missing.
#   lintian_clean.sh <source-folder> <work-folder> <cmake> <cpack> [compiler-launcher]
set -euo pipefail
source=$1 work=$2 cmake=$3 cpack=$4 launcher=${5:-}

skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in lintian dpkg-shlibdeps dpkg-deb; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done
# Objects built before come from the compiler cache: a Release build without debug information does not depend on
# the folder it is built in.
[ -n "$launcher" ] || launcher=$(command -v ccache || true)

build="$work/build"
mkdir -p "$work"
rm -f "$build"/pagewell_*.deb
"$cmake" -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGEWELL_BUILD_TESTS=OFF \
    ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} >"$work/configure.log"
"$cmake" --build "$build" -j"$(nproc)" >"$work/build.log" || {
    tail -n 40 "$work/build.log" >&2
    exit 1
}
(cd "$build" && "$cpack" >"$work/cpack.log") || {
    cat "$work/cpack.log" >&2
    exit 1
}
packages=("$build"/pagewell_*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || {
    echo "cpack made no single package: ${packages[*]}" >&2
    exit 1
}
deb=${packages[0]}
echo "package: $deb"
dpkg-deb --field "$deb" Version Depends

# The libraries' versions come from dpkg-shlibdeps, not from a hand-written list.
dpkg-deb --field "$deb" Depends | grep -Eq 'libqt6widgets6 \(>= [^)]+\)' || {
    echo "Depends carries no versioned library found by dpkg-shlibdeps" >&2
    exit 1
}

# Informational tags are shown too; errors and warnings fail the test.
lintian --display-info --fail-on error,warning "$deb"
echo "lintian: no error and no warning"
