#!/usr/bin/env python3
"""Write samples/made_up_sample_ken_all.csv: a small, invented postal-code list.

It has the published list's layout (code page 932, CR LF, 15 fields, every
prefecture in JIS code order) so the program can be tried without the real
list. Prefecture names are real; every city, town and postal code is made up:
the 7-digit codes all start with 000, which no real code does, and the local
government codes use the unused range x9xx.

Usage: python3 scripts/make_sample_list.py [output path]
"""

import sys
from pathlib import Path

# JIS code order 01-47: kanji name, half-width katakana name.
PREFECTURES = [
    ("北海道", "ﾎｯｶｲﾄﾞｳ"), ("青森県", "ｱｵﾓﾘｹﾝ"), ("岩手県", "ｲﾜﾃｹﾝ"),
    ("宮城県", "ﾐﾔｷﾞｹﾝ"), ("秋田県", "ｱｷﾀｹﾝ"), ("山形県", "ﾔﾏｶﾞﾀｹﾝ"),
    ("福島県", "ﾌｸｼﾏｹﾝ"), ("茨城県", "ｲﾊﾞﾗｷｹﾝ"), ("栃木県", "ﾄﾁｷﾞｹﾝ"),
    ("群馬県", "ｸﾞﾝﾏｹﾝ"), ("埼玉県", "ｻｲﾀﾏｹﾝ"), ("千葉県", "ﾁﾊﾞｹﾝ"),
    ("東京都", "ﾄｳｷｮｳﾄ"), ("神奈川県", "ｶﾅｶﾞﾜｹﾝ"), ("新潟県", "ﾆｲｶﾞﾀｹﾝ"),
    ("富山県", "ﾄﾔﾏｹﾝ"), ("石川県", "ｲｼｶﾜｹﾝ"), ("福井県", "ﾌｸｲｹﾝ"),
    ("山梨県", "ﾔﾏﾅｼｹﾝ"), ("長野県", "ﾅｶﾞﾉｹﾝ"), ("岐阜県", "ｷﾞﾌｹﾝ"),
    ("静岡県", "ｼｽﾞｵｶｹﾝ"), ("愛知県", "ｱｲﾁｹﾝ"), ("三重県", "ﾐｴｹﾝ"),
    ("滋賀県", "ｼｶﾞｹﾝ"), ("京都府", "ｷｮｳﾄﾌ"), ("大阪府", "ｵｵｻｶﾌ"),
    ("兵庫県", "ﾋｮｳｺﾞｹﾝ"), ("奈良県", "ﾅﾗｹﾝ"), ("和歌山県", "ﾜｶﾔﾏｹﾝ"),
    ("鳥取県", "ﾄｯﾄﾘｹﾝ"), ("島根県", "ｼﾏﾈｹﾝ"), ("岡山県", "ｵｶﾔﾏｹﾝ"),
    ("広島県", "ﾋﾛｼﾏｹﾝ"), ("山口県", "ﾔﾏｸﾞﾁｹﾝ"), ("徳島県", "ﾄｸｼﾏｹﾝ"),
    ("香川県", "ｶｶﾞﾜｹﾝ"), ("愛媛県", "ｴﾋﾒｹﾝ"), ("高知県", "ｺｳﾁｹﾝ"),
    ("福岡県", "ﾌｸｵｶｹﾝ"), ("佐賀県", "ｻｶﾞｹﾝ"), ("長崎県", "ﾅｶﾞｻｷｹﾝ"),
    ("熊本県", "ｸﾏﾓﾄｹﾝ"), ("大分県", "ｵｵｲﾀｹﾝ"), ("宮崎県", "ﾐﾔｻﾞｷｹﾝ"),
    ("鹿児島県", "ｶｺﾞｼﾏｹﾝ"), ("沖縄県", "ｵｷﾅﾜｹﾝ"),
]

# Invented places: (kanji, half-width katakana).
CITIES = [
    ("架空市", "ｶｸｳｼ"),
    ("見本郡試験町", "ﾐﾎﾝｸﾞﾝｼｹﾝﾁｮｳ"),
    ("仮想市", "ｶｿｳｼ"),
    ("例題郡模擬村", "ﾚｲﾀﾞｲｸﾞﾝﾓｷﾞﾑﾗ"),
]
TOWNS = [
    ("以下に掲載がない場合", "ｲｶﾆｹｲｻｲｶﾞﾅｲﾊﾞｱｲ"),
    ("見本町", "ﾐﾎﾝﾁｮｳ"),
    ("架空台", "ｶｸｳﾀﾞｲ"),
    ("試し丘", "ﾀﾒｼｶﾞｵｶ"),
]
# A town name holding a half-width comma inside its quotes.
COMMA_TOWN = ("見本町（一丁目、二丁目,三丁目）", "ﾐﾎﾝﾁｮｳ(1ﾁｮｳﾒ､2ﾁｮｳﾒ,3ﾁｮｳﾒ)")


def rows():
    for jis, (pref, pref_kana) in enumerate(PREFECTURES, start=1):
        count = 2 + jis % 3  # 2 to 4 rows
        for n in range(count):
            city, city_kana = CITIES[n]
            town, town_kana = TOWNS[(jis + n) % len(TOWNS)]
            if jis == 13 and n == 1:
                town, town_kana = COMMA_TOWN
            local_code = f"{jis:02d}{901 + n}"          # starts with 0 for 01-09
            new_code = f"000{jis:02d}{n + 1:02d}"       # no real code starts 000
            # Old codes: three digits padded with two spaces, or five digits.
            old_code = "000  " if n % 2 == 0 else f"000{jis:02d}"
            flags = ["0", "0", "1" if n == 1 else "0", "0", "0", "0"]
            yield [local_code, old_code, new_code, pref_kana, city_kana, town_kana,
                   pref, city, town] + flags


def line(fields):
    quoted = ",".join(f'"{f}"' for f in fields[1:9])
    return f"{fields[0]},{quoted},{','.join(fields[9:])}\r\n"


def main():
    root = Path(__file__).resolve().parent.parent
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "samples" / "made_up_sample_ken_all.csv"
    data = "".join(line(r) for r in rows()).encode("cp932")
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(data)
    print(f"{out}: {len(list(rows()))} rows")


if __name__ == "__main__":
    main()
