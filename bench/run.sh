#!/usr/bin/env bash
# Measures Pagewell against the floor (TurboJPEG alone) and two peers (img2pdf, ImageMagick) on image sets it
# makes itself, then prints every figure and the goals' ratios, and last the command `pagewell -o` against the peers,
# process against process. Figures only: nothing here passes or fails.
#   bench/run.sh              all sets and the folder scan
#   SCAN_LIMIT_S=60 bench/run.sh   stop the folder scan after 60 s (default 90)
#   BASELINE_BENCH=/path/to/older/pagewell-bench bench/run.sh
#                             also converts the 51-image set with an older build's benchmark, right after this
#                             build's, and prints the ratio of their run_s
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The project's own set-up with the peers (img2pdf, ImageMagick) as well, each installed only when missing;
# then a RelWithDebInfo build into build/ (pagewell-bench included).
PAGEWELL_EXTRA_PACKAGES="img2pdf imagemagick" scripts/setup.sh
bench=$root/build/bench/pagewell-bench

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewell-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# pdftk's class-data archive (used by the process chain, which each set runs after the warm run for reference) is made
# afresh for this run, before the first set's process chain (small20, first below).
export XDG_CACHE_HOME=$work/cache

echo "Making the image sets in $work ..."
"$bench" --make "$work/sets" 2>/dev/null

# Each set in a process of its own, so that its peak memory is its own.
sets=(photos screens small51 small huge small300 small1000 heic12 avif12)
declare -A about=(
    [photos]="20 JPEG photos 1600x1200"
    [screens]="20 PNG screenshots 1920x1080"
    [small51]="51 JPEG photos 640x480"
    [small]="200 JPEG photos 640x480"
    [huge]="1 JPEG photo 8000x6000"
    [small300]="300 JPEG photos 640x480 (the warm pdftk host's memory; no reference chains)"
    [small1000]="1000 JPEG photos 640x480"
    [heic12]="12 HEIC photos 4032x3024 (floor: libheif's decode; img2pdf does not read them)"
    [avif12]="12 AVIF photos 4032x3024 (floor: libheif's decode; img2pdf does not read them)"
)
filter() { grep -vE 'propagateSizeHints|XDG_RUNTIME_DIR' >&2; }

# The first 20 of the 640x480 photos (made the same way), for memory against the number of images alone. It runs
# first: it makes pdftk's class-data archive for the process chain, a once-per-user cost the other sets do not carry.
echo "== small20: 20 JPEG photos 640x480 (memory reference for small)"
"$bench" --set small20 --images "$work/sets/small20" --scratch "$work" --no-peers 2> >(filter) | tee "$work/small20.txt"

for s in "${sets[@]}"; do
    echo "== $s: ${about[$s]}"
    chains=()
    # The plain and the process join over 300 pages would measure nothing new.
    [ "$s" = small300 ] && chains=(--no-reference-chains)
    "$bench" --set "$s" --images "$work/sets/$s" --scratch "$work" --magick-config "$root/bench/magick-config" \
        "${chains[@]}" 2> >(filter) | tee "$work/$s.txt"
    if [ "$s" = small51 ] && [ -n "${BASELINE_BENCH:-}" ]; then
        echo "== small51 with the older build ($BASELINE_BENCH)"
        "$BASELINE_BENCH" --set small51 --images "$work/sets/small51" --scratch "$work" --no-peers 2> >(filter) |
            tee "$work/baseline51.txt"
    fi
done

# Keep original quality: a JPEG's own data, any other picture without loss; against img2pdf, which does the same.
originals=(photos screens small1000)
for s in "${originals[@]}"; do
    echo "== $s-original: ${about[$s]}, keeping the original"
    "$bench" --set "$s-original" --images "$work/sets/$s" --scratch "$work" --original --no-reference-chains \
        2> >(filter) | tee "$work/$s-original.txt"
done

echo "== scan: 10,000 files in 100 folders through Add Folder"
"$bench" --scan "$work/sets/tree" --scratch "$work" --scan-limit-s "${SCAN_LIMIT_S:-90}" 2> >(filter) |
    tee "$work/scan.txt"

echo "== list pictures: a 1000-entry list filled from a folder, then scrolled top to bottom"
"$bench" --list-pictures 1000 --scratch "$work" 2> >(filter) | tee "$work/listpictures.txt"

# The preview: each picture through "Open a File" in a process of its own, so that the peak memory is its own.
declare -A previews=(
    [preview24]="$work/sets/photo24mp/photo-000.jpg"
    [preview48]="$work/sets/huge/photo-000.jpg"
    [preview20tif]="$work/sets/scan-20mp.tif"
)
declare -A previewAbout=([preview24]="JPEG 6000x4000" [preview48]="JPEG 8000x6000" [preview20tif]="TIFF 5472x3648")
for p in preview24 preview48 preview20tif; do
    echo "== $p: ${previewAbout[$p]} in the preview"
    "$bench" --preview "${previews[$p]}" --scratch "$work" \
        2> >(grep -vE 'propagateSizeHints|XDG_RUNTIME_DIR' >&2) | tee "$work/$p.txt"
done

# value SET NAME: one figure of one set.
value() { awk -v n="$2" '$1 == n { print $2 }' "$work/$1.txt"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 == 0) print "n/a"; else printf "%.3f", a / b }'; }
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { if (v == "n/a") print "n/a"; else print (v + 0 <= limit + 0 ? "met" : "NOT met") }'; }
# within VALUE LOW HIGH
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { if (v == "n/a") print "n/a"; else print (v + 0 >= lo + 0 && v + 0 <= hi + 0 ? "met" : "NOT met") }'; }

echo
echo "== goals (ratios within this run)"
printf '%-8s %-42s %10s %10s  %s\n' set ratio value goal verdict
row() { printf '%-8s %-42s %10s %10s  %s\n' "$1" "$2" "$3" "$4" "$(verdict "$3" "$4")"; }
# The warm pdftk against the same join and information step with pdftk as installed and with the tuned processes
# (reported: with one call per batch, a JVM start per call no longer adds up).
pdftkRows() {
    printf '%-8s %-42s %10s %10s  %s\n' "$1" "pdftk_s / pdftk_plain_s" \
        "$(ratio "$(value "$1" pdftk_s)" "$(value "$1" pdftk_plain_s)")" - reported
    printf '%-8s %-42s %10s %10s  %s\n' "$1" "pdftk_s / pdftk_process_s" \
        "$(ratio "$(value "$1" pdftk_s)" "$(value "$1" pdftk_process_s)")" - reported
}
for s in "${sets[@]}"; do
    run=$(value "$s" run_s)
    if [ "$s" != screens ]; then
        # Small pictures leave the floor little to do, so a fixed cost per page weighs more.
        pagesGoal=1.3
        row "$s" "pages_s / floor_s" "$(ratio "$(value "$s" pages_s)" "$(value "$s" floor_s)")" "$pagesGoal"
    else
        printf '%-8s %-42s %10s %10s  %s\n' "$s" "pages_s / floor_s (PNG: no goal)" \
            "$(ratio "$(value "$s" pages_s)" "$(value "$s" floor_s)")" - -
    fi
    printf '%-8s %-42s %10s %10s  %s\n' "$s" "pages_cpu_s / floor_cpu_s (processor time)" \
        "$(ratio "$(value "$s" pages_cpu_s)" "$(value "$s" floor_cpu_s)")" - reported
    row "$s" "idle_s / run_s" "$(ratio "$(value "$s" idle_s)" "$run")" 0.03
    allowed=$(awk -v f="$(value "$s" floor_bytes)" -v n="$(value "$s" images)" 'BEGIN { printf "%.0f", f * 1.01 + 2048 * n }')
    row "$s" "output_bytes / (1.01 floor_bytes + 2 KB/page)" "$(ratio "$(value "$s" output_bytes)" "$allowed")" 1
    if [ "$s" != huge ] && [ "$s" != small300 ]; then
        pdftkRows "$s"
    fi
    printf '%-8s %-42s %10s %10s  %s\n' "$s" "run_s / img2pdf_s" "$(ratio "$run" "$(value "$s" img2pdf_s)")" - reported
    case $s in
    photos | small51 | small | small1000) row "$s" "run_s / magick_s" "$(ratio "$run" "$(value "$s" magick_s)")" 1.0 ;;
    *) printf '%-8s %-42s %10s %10s  %s\n' "$s" "run_s / magick_s" "$(ratio "$run" "$(value "$s" magick_s)")" - reported ;;
    esac
    printf '%-8s %-42s %10s %10s  %s\n' "$s" "join_s / run_s" "$(ratio "$(value "$s" join_s)" "$run")" - reported
done
pdftkRows small20
# Kept originals against img2pdf: time and size, and the pages against today's pages made again as JPEG.
for s in "${originals[@]}"; do
    o=$s-original
    goal=-
    case $s in photos) goal=1.0 ;; small1000) goal=2.0 ;; esac
    if [ "$goal" = - ]; then
        printf '%-8s %-42s %10s %10s  %s\n' "$o" "run_s / img2pdf_s" "$(ratio "$(value "$o" run_s)" "$(value "$o" img2pdf_s)")" - reported
    else
        row "$o" "run_s / img2pdf_s" "$(ratio "$(value "$o" run_s)" "$(value "$o" img2pdf_s)")" "$goal"
    fi
    bytesGoal=-
    [ "$s" = photos ] && bytesGoal=1.02
    if [ "$bytesGoal" = - ]; then
        printf '%-8s %-42s %10s %10s  %s\n' "$o" "bytes / img2pdf_bytes" "$(ratio "$(value "$o" output_bytes)" "$(value "$o" img2pdf_bytes)")" - reported
    else
        row "$o" "bytes / img2pdf_bytes" "$(ratio "$(value "$o" output_bytes)" "$(value "$o" img2pdf_bytes)")" "$bytesGoal"
    fi
    [ "$s" = photos ] && row "$o" "pages_s / pages_s re-encoding" "$(ratio "$(value "$o" pages_s)" "$(value "$s" pages_s)")" 0.2
    printf '%-8s %-42s %10s %10s  %s\n' "$o" "join_s per page (ms)" \
        "$(awk -v j="$(value "$o" join_s)" -v n="$(value "$o" images)" 'BEGIN { if (n + 0 == 0) print "n/a"; else printf "%.2f", 1000 * j / n }')" - reported
done
row small300 "pdftk_host_peak_rss_mib / 96" "$(ratio "$(value small300 pdftk_host_peak_rss_mib)" 96)" 1
row small1000 "pdftk_host_peak_rss_mib / 128" "$(ratio "$(value small1000 pdftk_host_peak_rss_mib)" 128)" 1
row small1000 "max_ui_stall_ms / 100" "$(ratio "$(value small1000 max_ui_stall_ms)" 100)" 1
# Linear, not quadratic: the cost of an image at 1000 images against at 51.
perImage() { ratio "$(value "$1" run_s)" "$(value "$1" images)"; }
row small1000 "(run_s per image) / (same at 51 images)" "$(ratio "$(perImage small1000)" "$(perImage small51)")" 1.5
if [ -f "$work/baseline51.txt" ]; then
    row small51 "run_s / run_s of the older build" "$(ratio "$(value small51 run_s)" "$(value baseline51 run_s)")" 0.65
fi
row photos "max_ui_stall_ms / 100" "$(ratio "$(value photos max_ui_stall_ms)" 100)" 1
flat=$(ratio "$(value small peak_rss_mib)" "$(value photos peak_rss_mib)")
printf '%-8s %-42s %10s %10s  %s\n' small "peak_rss_mib(small) / peak_rss_mib(photos)" "$flat" 0.9-1.1 "$(within "$flat" 0.9 1.1)"
flat=$(ratio "$(value small peak_rss_mib)" "$(value small20 peak_rss_mib)")
printf '%-8s %-42s %10s %10s  %s\n' small "peak_rss_mib(small) / peak_rss_mib(small20)" "$flat" 0.9-1.1 "$(within "$flat" 0.9 1.1)"
hugeLimit=$(awk -v d="$(value huge largest_decoded_mib)" 'BEGIN { printf "%.1f", 3 * d + 80 }')
row huge "peak_rss_mib / (3 x decoded + 80 MiB)" "$(ratio "$(value huge peak_rss_mib)" "$hugeLimit")" 1
for p in preview24 preview48 preview20tif; do
    row "$p" "preview_ms / 300" "$(ratio "$(value "$p" preview_ms)" 300)" 1
    row "$p" "preview_peak_rss_mib / 64" "$(ratio "$(value "$p" preview_peak_rss_mib)" 64)" 1
done

# The three as a user runs them: one process each over the same images, from its start to its end.
echo
echo "== process against process (wall seconds): pagewell -o, img2pdf, ImageMagick"
printf '%-10s %12s %12s %12s %16s %16s\n' set "pagewell -o" img2pdf magick "-o / img2pdf" "-o / magick"
for s in "${sets[@]}"; do
    t=$(value "$s" terminal_s) i=$(value "$s" img2pdf_s) m=$(value "$s" magick_s)
    printf '%-10s %12s %12s %12s %16s %16s\n' "$s" "${t:-n/a}" "${i:-n/a}" "${m:-n/a}" "$(ratio "$t" "$i")" \
        "$(ratio "$t" "$m")"
done
