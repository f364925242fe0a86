#!/usr/bin/env bash
# Sheet printing speed: Quillo's three print kinds for 1, 100 and 1000 sheets
# (bench_print), then the text print of 1000 sheets beside gLabels' batch
# program doing the same sheet without a photo: a 10-up A4 sheet of 91 × 55 mm
# cards with twelve lines of raised text.
#
#   bench/print-vs-glabels.sh [BUILD_DIR]      (default: build)
#
# gLabels is the reference only: it is installed here when missing (Debian's
# glabels, as root), never by the project's own set-up.
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

if ! command -v glabels-3-batch >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends glabels >/dev/null
  else
    echo "glabels-3-batch is missing: sudo apt-get install --no-install-recommends glabels" >&2
    exit 1
  fi
fi

# The same sheet for gLabels: the card's twelve lines at their places and
# sizes, each with a grey copy 0.3 mm to the lower right.
line() { # x y size text
  printf '    <Object-text x="%smm" y="%smm" w="60mm" h="9mm" lock_aspect_ratio="False" justify="Left" valign="Top" auto_shrink="False" shadow="True" shadow_x="0.3mm" shadow_y="0.3mm" shadow_color="0x808080ff" shadow_opacity="1" a0="1" a1="0" a2="0" a3="1" a4="0" a5="0">\n' "$1" "$2"
  printf '      <Span color="0x000000ff" font_family="IPAGothic" font_size="%s" font_weight="Regular" font_italic="False" line_spacing="1">%s</Span>\n    </Object-text>\n' "$3" "$4"
}
{
  cat <<'XML'
<?xml version="1.0"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="Quillo" part="BENCH-10" size="A4" description="Business cards, 10 up">
    <Meta category="business-card"/>
    <Label-rectangle id="0" width="91mm" height="55mm" round="0mm" x_waste="0mm" y_waste="0mm">
      <Markup-margin size="0mm"/>
      <Layout nx="2" ny="5" x0="14mm" y0="11mm" dx="91mm" dy="55mm"/>
    </Label-rectangle>
  </Template>
  <Objects id="0" rotate="False">
XML
  line 27 22 18 "山田　太郎"
  line 3 4 12 "株式会社クイロ印刷"
  line 16 16 10 "営業部　第一課"
  line 16 22 10 "課長"
  line 26 40 10 "東京都千代田区丸の内1-1-1"
  line 26 45 10 "TEL 03-1234-5678"
  line 26 48 10 "FAX 03-1234-5679"
  line 60 45 10 "携帯 090-1234-5678"
  line 60 48 10 "ポケベル 020-123-4567"
  line 26 51 10 "taro@example.co.jp"
  line 3 30 12 "名刺の印刷はクイロ"
  line 3 34 12 "https://example.co.jp/"
  echo '  </Objects>'
  echo '</Glabels-document>'
} > "$work/text.glabels"

echo
echo "## Text print of 1000 sheets, side by side"
echo "| program | wall time (s) | peak memory (MB) | file (KB) |"
echo "|---|---:|---:|---:|"
"$bench" --time "$work/quillo-text.pdf" -- "$quillo" print "$work/card.qcd" \
  --pdf "$work/quillo-text.pdf" --sheets 1000 --kind text --cut-marks 2>/dev/null
"$bench" --time "$work/glabels-text.pdf" -- glabels-3-batch --sheets 1000 \
  --output "$work/glabels-text.pdf" "$work/text.glabels" 2>/dev/null | grep -v '^LABEL FILE' 
