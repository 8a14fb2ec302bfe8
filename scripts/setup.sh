#!/usr/bin/env bash
# Installs what Pagewell needs (only what is missing), configures and builds it.
#   scripts/setup.sh            set up and build
#   scripts/setup.sh --run      ... then start the program
#   scripts/setup.sh --test     ... then run the whole test suite (also under sanitizers)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libfreeimage-dev libqpdf-dev libturbojpeg0-dev libjpeg-dev libpng-dev zlib1g-dev libseccomp-dev
    libheif-dev libwebp-dev libjxl-dev liblcms2-dev
    libheif-examples webp libjxl-tools libavif-bin
    pdftk-java openjdk-17-jdk-headless qpdf poppler-utils mupdf-tools
    xvfb xauth tzdata xdotool imagemagick
    dpkg-dev lintian appstream desktop-file-utils groff-base
)
# Tools that only some scripts need (the benchmark's peers, say) come in through PAGEWELL_EXTRA_PACKAGES.
read -r -a extra <<<"${PAGEWELL_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
build() { # build-dir, extra cmake args...
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}

case "${1:-}" in
--run)
    build build
    exec ./build/pagewell
    ;;
--test)
    build build
    (cd build && ctest --output-on-failure -j"$jobs")
    build build-sanitize -DPAGEWELL_SANITIZE=ON
    (cd build-sanitize && ctest --output-on-failure -j"$jobs")
    ;;
"")
    build build
    ;;
*)
    echo "usage: $0 [--run|--test]" >&2
    exit 2
    ;;
esac
