#!/bin/sh
# Loading the card picture (bench_picture) against Debian's ImageMagick on the
# same camera-sized JPEGs: wall time and peak memory per size and colour mode.
#
#   bench/picture-vs-imagemagick.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build-picture in the repository; bench_picture and
# quillo must be built there. RUNS (default 5) sets the runs per case; the medians are shown
# (VERBOSE=1 lists ImageMagick's single runs too).
# Mode 0 is set against "convert photo.jpg out.bmp", mode 1 (sepia) against
# "convert photo.jpg -sepia-tone 80% out.bmp". Every run starts with the file
# system synced, so no run pays for the previous one's write-back.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build-picture}
bench=$build/bin/bench_picture
convert=/usr/bin/convert # Debian's ImageMagick, whatever else is on PATH
photos=${PHOTOS:-/tmp/quillo-bench-photos}
runs=${RUNS:-5}

if [ ! -x "$bench" ]; then
    echo "bench_picture is not built: ninja -C $build bench_picture" >&2
    exit 1
fi
if [ ! -x "$convert" ] || ! "$convert" -version | grep -q ImageMagick; then
    echo "ImageMagick is missing: apt-get install imagemagick" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" --make-photos "$photos" 2>/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# ImageMagick: one process per run; prints "milliseconds peak-MB".
imagemagick() {
    photo=$1
    shift
    : >"$work/runs"
    i=0
    while [ $i -lt "$runs" ]; do
        sync
        /usr/bin/time -f "%e %M" -o "$work/time" "$convert" "$photo" "$@" "$work/out.bmp"
        tail -n 1 "$work/time" >>"$work/runs"
        i=$((i + 1))
    done
    [ -z "${VERBOSE:-}" ] || sed "s/^/  ImageMagick run: /" "$work/runs" >&2
    ms=$(awk '{ print $1 * 1000 }' "$work/runs" | median)
    mb=$(awk '{ print $2 / 1024 }' "$work/runs" | median)
    echo "$ms $mb"
}

# Ours: one process per case, so its peak is that of this case alone; the
# time is the benchmark's median of LoadCardPicture.
quillo() {
    /usr/bin/time -f "%M" -o "$work/time" "$bench" --photo-dir "$photos" \
        --benchmark_filter="^LoadCardPicture/$1MP/mode$2/" \
        --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
        --benchmark_format=csv >"$work/csv" 2>/dev/null
    ms=$(grep '_median"' "$work/csv" | cut -d, -f3)
    label=$(grep '_median"' "$work/csv" | cut -d, -f8 | tr -d '"')
    mb=$(awk '{ print $1 / 1024 }' "$work/time" | tail -n 1)
    echo "$ms $mb $label"
}

echo "machine: $(nproc) cores, load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ImageMagick: $("$convert" -version | head -n 1)"
startup=$(for i in 1 2 3; do
    t0=$(date +%s%N)
    "$convert" -size 1x1 xc:white "$work/dot.bmp"
    echo $((($(date +%s%N) - t0) / 1000000))
done | median)
echo "ImageMagick start-up alone (1x1 picture): ${startup} ms; its times below include it"
echo

fmt="%-6s %-5s %11s %10s %14s %10s %8s %8s  %s\n"
printf "$fmt" size mode "ours ms" "ours MB" "ImageMagick ms" "IM MB" ratio target "decoded at"
failed=0
for mp in 12 24 50; do
    photo=$photos/photo-${mp}mp.jpg
    for mode in 0 1; do
        set -- $(quillo "$mp" "$mode")
        ours_ms=$1 ours_mb=$2 label=${3:-?}
        if [ "$mode" = 0 ]; then
            set -- $(imagemagick "$photo")
            target=1.00
        else
            set -- $(imagemagick "$photo" -sepia-tone 80%)
            if [ "$mp" = 12 ]; then target=0.25; else target=0.20; fi
        fi
        im_ms=$1 im_mb=$2
        ratio=$(awk -v a="$ours_ms" -v b="$im_ms" 'BEGIN { printf "%.2f", a / b }')
        verdict=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r <= t) ? "met" : "MISSED" }')
        [ "$verdict" = met ] || failed=1
        printf "$fmt" "${mp}MP" "$mode" "$(printf %.0f "$ours_ms")" "$(printf %.0f "$ours_mb")" \
            "$(printf %.0f "$im_ms")" "$(printf %.0f "$im_mb")" "$ratio" "<=$target $verdict" "$label"
        if [ "$mp" = 50 ] && awk -v m="$ours_mb" 'BEGIN { exit !(m >= 250) }'; then
            echo "  peak memory at 50 MP is ${ours_mb} MB, not under 250 MB"
            failed=1
        fi
    done
done
echo

# The whole process, as a user waits for it: `quillo convert` opens a card
# whose picture is the photo in sepia (start-up, decoding, recolouring and
# the working bitmap) and saves it as a card again, against ImageMagick's
# whole process on the same photo.
quillo_exe=$build/bin/quillo
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$work/run"
"$quillo_exe" convert --new "$work/new.qcd" 2>/dev/null
printf "$fmt" size mode "quillo ms" "quillo MB" "ImageMagick ms" "IM MB" ratio target ""
for mp in 12 24 50; do
    photo=$photos/photo-${mp}mp.jpg
    # Line 1 is the picture's path, line 4 its colour mode and values.
    sed -e "1s|.*|\"$photo\"\r|" -e '4s/.*/1,63,0,0\r/' "$work/new.qcd" >"$work/sepia.qcd"
    : >"$work/runs"
    i=0
    while [ $i -lt "$runs" ]; do
        sync
        /usr/bin/time -f "%e %M" -o "$work/time" "$quillo_exe" convert "$work/sepia.qcd" "$work/out.qcd"
        tail -n 1 "$work/time" >>"$work/runs"
        i=$((i + 1))
    done
    ours_ms=$(awk '{ print $1 * 1000 }' "$work/runs" | median)
    ours_mb=$(awk '{ print $2 / 1024 }' "$work/runs" | median)
    set -- $(imagemagick "$photo" -sepia-tone 80%)
    im_ms=$1 im_mb=$2
    ratio=$(awk -v a="$ours_ms" -v b="$im_ms" 'BEGIN { printf "%.2f", a / b }')
    target=0.15
    verdict=$(awk -v r="$ratio" -v t="$target" 'BEGIN { print (r <= t) ? "met" : "MISSED" }')
    [ "$mp" != 12 ] || [ "$verdict" = met ] || failed=1
    printf "$fmt" "${mp}MP" 1 "$(printf %.0f "$ours_ms")" "$(printf %.0f "$ours_mb")" \
        "$(printf %.0f "$im_ms")" "$(printf %.0f "$im_mb")" "$ratio" "<=$target $verdict" "whole process"
done
echo
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $failed
