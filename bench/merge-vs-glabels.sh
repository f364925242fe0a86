#!/usr/bin/env bash
# Merge printing speed and memory: 1000 people, one card each (100 sheets of
# a 10-up A4 sheet of 91 × 55 mm cards), text print to a PDF, by
# `quillo print --merge --one-each` beside gLabels' batch program merging the
# same 1000 rows into a 10-up template with the same fields; then Quillo
# alone with 10,000 people, for its peak memory.
#
#   bench/merge-vs-glabels.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=${QUILLO_BENCH_DIR:-/tmp/quillo-bench-merge}
mkdir -p "$work"
cmake --build "$build" --target bench_print quillo >/dev/null
bench="$build/bin/bench_print"
quillo="$build/bin/quillo"
export QT_QPA_PLATFORM=offscreen

. bench/glabels.sh
need_glabels

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
{
  glabels_text 27 22 18 '${氏名}'
  glabels_text 3 4 12 '${会社}'
  glabels_text 16 16 10 '${部署}'
  glabels_text 16 22 10 '${役職}'
  glabels_text 26 40 10 '${住所}'
  glabels_text 26 45 10 'TEL ${電話}'
} | glabels_document "$work/staff1000.csv" > "$work/merge.glabels"

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
