#!/usr/bin/env bash
# Merge printing speed and memory: 1000 people, one card each (100 sheets of
# a 10-up A4 sheet of 91 × 55 mm cards), text print to a PDF, by
# `quillo print --merge --one-each` beside gLabels' batch program merging the
# same 1000 rows into a 10-up template with the same fields; then Quillo
# alone with 10,000 people, for its peak memory.
#
#   bench/merge-vs-glabels.sh [BUILD_DIR]      (default: build)
#
# gLabels is the reference only: it is installed here when missing (Debian's
# glabels, as root), never by the project's own set-up.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=${QUILLO_BENCH_DIR:-/tmp/quillo-bench-merge}
mkdir -p "$work"
cmake --build "$build" --target bench_print quillo >/dev/null
bench="$build/bin/bench_print"
quillo="$build/bin/quillo"
export QT_QPA_PLATFORM=offscreen

if ! command -v glabels-3-batch >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends glabels >/dev/null
  else
    echo "glabels-3-batch is missing: sudo apt-get install --no-install-recommends glabels" >&2
    exit 1
  fi
fi

# The staff lists (UTF-8) and the card with its six fields.
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
families = ["山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林"]
givens = ["太郎", "花子", "一郎", "美咲", "健", "さくら", "翔", "葵", "大輔", "結衣"]
towns = ["千代田区丸の内", "港区六本木", "新宿区西新宿", "渋谷区道玄坂", "中央区銀座"]
for n in (1000, 10000):
    with open(f"{work}/staff{n}.csv", "w", encoding="utf-8") as f:
        f.write("氏名,会社,部署,役職,住所,電話\n")
        for i in range(n):
            f.write(f"{families[i % 10]}　{givens[i // 10 % 10]}{i},株式会社クイロ商会,"
                    f"第{i % 7 + 1}営業部,課長,東京都{towns[i % 5]}{i % 9 + 1}丁目{i % 20 + 1}番"
                    f"{i % 30 + 1}号 クイロビル{i % 40 + 1}階,03-{1000 + i % 9000}-{i:04d}\n")
PY
"$quillo" convert --new "$work/new.qcd" 2>/dev/null
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines = open(f"{work}/new.qcd", "rb").read().decode("cp932").split("\r\n")
texts = ["{氏名}", "{会社}", "{部署}", "{役職}", "{住所}", "TEL {電話}"]
for k, text in enumerate(texts):
    i = 6 + 5 * k
    lines[i] = '"%s",%s' % (text, lines[i].split(",", 1)[1])
open(f"{work}/merge.qcd", "wb").write("\r\n".join(lines).encode("cp932"))
PY

# The same for gLabels: the six fields at the card's places and sizes.
field() { # x y size text
  printf '    <Object-text x="%smm" y="%smm" w="62mm" h="6mm" lock_aspect_ratio="False" justify="Left" valign="Top" auto_shrink="False" shadow="False" a0="1" a1="0" a2="0" a3="1" a4="0" a5="0">\n' "$1" "$2"
  printf '      <Span color="0x000000ff" font_family="IPAGothic" font_size="%s" font_weight="Regular" font_italic="False" line_spacing="1">%s</Span>\n    </Object-text>\n' "$3" "$4"
}
{
  cat <<XML
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
  field 27 22 18 '${氏名}'
  field 3 4 12 '${会社}'
  field 16 16 10 '${部署}'
  field 16 22 10 '${役職}'
  field 26 40 10 '${住所}'
  field 26 45 10 'TEL ${電話}'
  echo '  </Objects>'
  echo "  <Merge type=\"Text/Comma/Line1Keys\" src=\"$work/staff1000.csv\"/>"
  echo '</Glabels-document>'
} > "$work/merge.glabels"

echo "## Start-up: quillo print of one card, no merge"
"$bench" --time "$work/one.pdf" -- "$quillo" print "$work/new.qcd" --pdf "$work/one.pdf" \
  --kind text 2>/dev/null
echo
echo "## 1000 people, one card each, text print"
echo "| program | wall time (s) | peak memory (MB) | file (KB) |"
echo "|---|---:|---:|---:|"
for round in 1 2 3; do
  "$bench" --time "$work/quillo-merge.pdf" -- "$quillo" print "$work/merge.qcd" \
    --merge "$work/staff1000.csv" --one-each --pdf "$work/quillo-merge.pdf" --kind text 2>/dev/null
  "$bench" --time "$work/glabels-merge.pdf" -- glabels-3-batch -i "$work/staff1000.csv" \
    --output "$work/glabels-merge.pdf" "$work/merge.glabels" 2>/dev/null | grep -v '^LABEL FILE' || true
done
echo
echo "## 10,000 people, one card each, text print (Quillo's peak memory)"
"$bench" --time "$work/quillo-10000.pdf" -- "$quillo" print "$work/merge.qcd" \
  --merge "$work/staff10000.csv" --one-each --pdf "$work/quillo-10000.pdf" --kind text 2>/dev/null
