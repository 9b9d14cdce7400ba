#!/usr/bin/env bash
# How the program's vCard import compares with a peer address book: `abook --convert` turns a
# file of 100,000 UTF-8 vCards (about 32 MB) into CSV, and the program imports the same file into
# a new account (read, parse, store: the whole import, as the vCard import of the main window runs
# it). Prints the median of 5 runs of each and their ratio.
#
#   bench/abook_ratio.sh [BUILD_DIR] [--install]
#
# BUILD_DIR is a Release build with -DORV_BENCH=ON (default build/bench); import_memory_bench is
# built there when missing. abook is the Debian package of that name: without it the script says
# so and skips, unless --install is given, which installs it with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/bench
install=0
for arg in "$@"; do
    case "$arg" in
    --install) install=1 ;;
    *) build=$arg ;;
    esac
done
runs=5
cards=100000

if ! command -v abook >/dev/null 2>&1; then
    if [ "$install" = 1 ]; then
        apt-get install -y --no-install-recommends abook
    else
        echo "abook is not installed (Debian package abook; run with --install to install it): skipped."
        exit 0
    fi
fi

importer=$build/bench/import_memory_bench
if [ ! -x "$importer" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_BENCH=ON -DORV_TESTS=OFF >/dev/null
    cmake --build "$build" -j2 --target import_memory_bench
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cards_file=$work/cards.vcf

# 100,000 vCard 3.0 cards in UTF-8, as phones and mail programs write them: Chinese names and
# addresses, two phones, e-mail, birthday and a note. The same file on every run.
python3 - "$cards_file" "$cards" <<'EOF'
import random, sys
path, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(38)
family = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘卢"
given = "伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华建国红玉兰飞"
cities = ["北京", "上海", "广州", "深圳", "杭州", "成都", "武汉", "南京", "西安", "重庆"]
streets = ["建国路", "中山路", "人民路", "解放路", "长安街", "南京路", "和平路", "文化路"]
companies = ["科技有限公司", "贸易公司", "设计院", "研究所", "银行支行", "出版社"]
titles = ["经理", "工程师", "主任", "会计", "教师", "设计师", "销售代表"]
notes = ["大学同学，喜欢打羽毛球", "客户，每年春节前联系", "邻居，孩子在同一个学校",
         "项目合作方，负责技术对接", "老朋友，住在城东", "前同事，现在自己创业"]
with open(path, "w", encoding="utf-8", newline="") as out:
    for i in range(count):
        f = rng.choice(family)
        g = "".join(rng.choice(given) for _ in range(rng.choice((1, 2))))
        city = rng.choice(cities)
        lines = [
            "BEGIN:VCARD", "VERSION:3.0",
            f"FN:{f}{g}", f"N:{f};{g};;;",
            f"ORG:{city}{rng.choice(companies)}",
            f"TITLE:{rng.choice(titles)}",
            f"TEL;TYPE=CELL:1{rng.randint(3, 9)}{rng.randint(0, 999999999):09d}",
            f"TEL;TYPE=WORK:0{rng.randint(10, 999)}-{rng.randint(0, 99999999):08d}",
            f"EMAIL;TYPE=INTERNET:user{i}@example{rng.randint(1, 99)}.cn",
            f"ADR;TYPE=HOME:;;{rng.choice(streets)}{rng.randint(1, 999)}号{rng.randint(1, 30)}栋;{city};{city}市;{rng.randint(100000, 999999)};中国",
            f"BDAY:{rng.randint(1950, 2005)}-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}",
            f"NOTE:{rng.choice(notes)}",
            "END:VCARD",
        ]
        out.write("\r\n".join(lines) + "\r\n")
EOF
size=$(stat -c %s "$cards_file")

# Seconds of one run of a command, to the millisecond; a failed run ends the script.
seconds() {
    local start end
    start=$(date +%s.%N)
    if ! "$@" >/dev/null; then
        echo "failed: $*" >&2
        exit 1
    fi
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

abook_times=()
import_times=()
for ((run = 1; run <= runs; ++run)); do
    rm -f "$work/out.csv"
    abook_times+=("$(seconds abook --convert --informat vcard --infile "$cards_file" --outformat csv --outfile "$work/out.csv")")
    import_times+=("$(seconds "$importer" --import-vcard-only "$cards_file" "$work/account.txl")")
done
converted=$(wc -l <"$work/out.csv")
abook_median=$(printf '%s\n' "${abook_times[@]}" | median)
import_median=$(printf '%s\n' "${import_times[@]}" | median)

echo "file: $cards vCards, $((size / 1000000)) MB (UTF-8)"
echo "abook --convert to CSV: ${abook_times[*]} s; median $abook_median s ($converted lines written)"
echo "Orvanta import:         ${import_times[*]} s; median $import_median s"
awk -v a="$abook_median" -v o="$import_median" 'BEGIN { printf "ratio (Orvanta / abook): %.2f\n", o / a }'
