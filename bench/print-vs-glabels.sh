#!/usr/bin/env bash
# Sheet printing speed: Quillo's three print kinds for 1, 100 and 1000 sheets
# (bench_print), then the text print of 1000 sheets beside gLabels' batch
# program doing the same sheet without a photo: a 10-up A4 sheet of 91 × 55 mm
# cards with twelve lines of raised text.
#
#   bench/print-vs-glabels.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=${QUILLO_BENCH_DIR:-/tmp/quillo-bench}
mkdir -p "$work"

cmake --build "$build" --target bench_print quillo >/dev/null
bench="$build/bin/bench_print"
quillo="$build/bin/quillo"
export QT_QPA_PLATFORM=offscreen

echo "## Quillo, PDF printer, quality 4, cut marks"
"$bench" --quillo "$quillo" --dir "$work" 2>/dev/null

. bench/glabels.sh
need_glabels

# The same sheet for gLabels: the card's twelve lines at their places and
# sizes, each with a grey copy 0.3 mm to the lower right.
{
  glabels_text 27 22 18 "山田　太郎" shadow
  glabels_text 3 4 12 "株式会社クイロ印刷" shadow
  glabels_text 16 16 10 "営業部　第一課" shadow
  glabels_text 16 22 10 "課長" shadow
  glabels_text 26 40 10 "東京都千代田区丸の内1-1-1" shadow
  glabels_text 26 45 10 "TEL 03-1234-5678" shadow
  glabels_text 26 48 10 "FAX 03-1234-5679" shadow
  glabels_text 60 45 10 "携帯 090-1234-5678" shadow
  glabels_text 60 48 10 "ポケベル 020-123-4567" shadow
  glabels_text 26 51 10 "taro@example.co.jp" shadow
  glabels_text 3 30 12 "名刺の印刷はクイロ" shadow
  glabels_text 3 34 12 "https://example.co.jp/" shadow
} | glabels_document > "$work/text.glabels"

echo
echo "## Text print of 1000 sheets, side by side"
echo "| program | wall time (s) | peak memory (MB) | file (KB) |"
echo "|---|---:|---:|---:|"
"$bench" --time "$work/quillo-text.pdf" -- "$quillo" print "$work/card.qcd" \
  --pdf "$work/quillo-text.pdf" --sheets 1000 --kind text --cut-marks 2>/dev/null
"$bench" --time "$work/glabels-text.pdf" -- glabels-3-batch --sheets 1000 \
  --output "$work/glabels-text.pdf" "$work/text.glabels" 2>/dev/null | grep -v '^LABEL FILE' 
