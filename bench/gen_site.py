#!/usr/bin/env python3
"""Writes a benchmark site and the configuration directory that goes with it.

The output directory receives:
  site/                          the pages (.htm, plus a stylesheet per directory that no rule
                                 touches), in the root and in subdirectories d01, d02, ...
  config/AAAHTML批量替换配置log/  the INI file and the twelve list files, in GBK with CR LF
  rules.json                     the literal find/replace rules, for the comparison tools
  manifest.json                  what was generated: counts, sizes, parameters

Everything is derived from the seed with a generator of our own (splitmix64), so the same
arguments give the same bytes on any machine and any Python 3 version.

Kinds:
  site          many pages: realistic HTML, a share in GBK declaring charset=gb2312, the rest
                in UTF-8 declaring charset=utf-8, CR LF line ends except the "</li>" + LF lines
                of the navigation lists; every rule and every block set has work to do
  single        one page of the given size, written in pieces (for the peak-memory check), in
                UTF-8 or (--encoding gbk) in GBK declaring charset=gb2312
  charsets      pages in the shapes old Chinese sites really have, for charset detection: GBK
                declaring gb2312, gbk, GB2312, gb18030, gb_2312-80 or x-gbk or nothing, GBK
                XHTML opening with an XML declaration, GBK .shtml whose head comes from a
                server-side include, .asp pages whose charset is set in the ASP header, UTF-8
                with and without a byte-order mark and a declaration, UTF-8 whose only charset
                is an outside script's, a UTF-8 template with a byte-order mark that declares
                gb2312 and is valid GBK too; manifest.json names each page's shape, true
                encoding and title (bench/charset_share.py runs quelbo-batch on them)
  pathological  one page of "a" only, and a pair-2 find text that is 1,000 "a" then "b"
                (--find pathological), 999 "a" then "ba" (--find filter-defeated) or one that
                never occurs (--find never)
"""

import argparse
import json
import os
import shutil

CONFIG_DIR_NAME = "AAAHTML批量替换配置log"
INI_NAME = "htm批处理配置.ini"

# Common characters, all in GB2312, so that every page can be written in code page 936.
HANZI = (
    "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下"
    "过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两"
    "体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线"
    "内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并"
    "提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见"
    "计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处队南给色光门即保治北造百规热领七"
    "海口东导器压志世金增争济阶油思术极交受联什认六共权收证改清己美再采转更单风切打白教速花带安场"
)

# The rules: four pairs and a deletion text (single-line, so that sed, perl and sd can apply
# exactly the same replacements), and three block sets.
PAIR1 = ("http://www.old-example.com", "https://www.example.org")
PAIR2 = ('<script src="/js/old-stats.js"></script>', '<script src="/js/stats.js" defer></script>')
PAIR3 = ("Copyright 2019", "Copyright 2024")
DELETE = '<meta name="generator" content="OldSiteBuilder 3.2">'
PAIR4 = ('<ul class="nav-old">', '<ul class="nav">')
LIST_ITEM = ("</li>\n", "</li>\r\n")

FOOTER = ("<!-- footer begin -->", "<!-- footer end -->")
AD = ("<!-- ad begin -->", "<!-- ad end -->")
SIDEBAR = ("<!-- sidebar begin -->", "<!-- sidebar end -->")
FOOTER_NEW = ('<!-- footer 2024 -->\r\n<div class="footer">版权所有 示例网 Copyright 2024</div>'
              "\r\n<!-- /footer 2024 -->")
AD_NEW = "<!-- ad slot -->"
SIDEBAR_NEW = '<div id="sidebar"><a href="/about.htm">关于我们</a></div>'


class Random:
    """splitmix64."""

    MASK = (1 << 64) - 1

    def __init__(self, seed):
        self.state = seed & self.MASK

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & self.MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & self.MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & self.MASK
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def between(self, low, high):
        return low + self.below(high - low + 1)

    def chance(self, share):
        return self.next() < share * (1 << 64)


def hanzi(rng, count):
    return "".join(HANZI[rng.below(len(HANZI))] for _ in range(count))


def paragraph_corpus(rng, count=400):
    corpus = []
    for _ in range(count):
        clauses = [hanzi(rng, rng.between(6, 24)) for _ in range(rng.between(2, 9))]
        corpus.append("<p>" + "，".join(clauses) + "。</p>\r\n")
    return corpus


def ad_blocks(rng, count=6):
    return [f'{AD[0]}\r\n<div class="ad"><a href="http://ads.example.net/c?id={rng.below(1000)}">'
            f"{hanzi(rng, 4)}广告</a></div>\r\n{AD[1]}\r\n" for _ in range(count)]


class PageWriter:
    """Builds pages piece by piece, keeping count of their size in the target encoding."""

    def __init__(self, rng):
        self.rng = rng
        self.corpus = paragraph_corpus(rng)
        self.ads = ad_blocks(rng)

    def head(self, title, charset, declaration=None, prefix=""):
        """`declaration` replaces the usual meta line ("" for none); `prefix` goes before all."""
        if declaration is None:
            declaration = f'<meta http-equiv="Content-Type" content="text/html; charset={charset}">'
        return (f"{prefix}<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
                + (f"{declaration}\r\n" if declaration else "") +
                f"{DELETE}\r\n<title>{title}</title>\r\n"
                f'<link rel="stylesheet" href="{PAIR1[0]}/css/site.css">\r\n'
                f"{PAIR2[0]}\r\n</head>\r\n<body>\r\n"
                f'{SIDEBAR[0]}\r\n<div class="sidebar">{hanzi(self.rng, 8)}</div>\r\n'
                f"{SIDEBAR[1]}\r\n")

    def navigation(self, items):
        lines = [f'<div class="menu">\r\n{PAIR4[0]}\r\n']
        for _ in range(items):
            section, number = self.rng.below(40), self.rng.below(500)
            label = hanzi(self.rng, self.rng.between(2, 5))
            lines.append(f'<li><a href="{PAIR1[0]}/s{section}/{number}.htm">{label}</a></li>\n')
        lines.append("</ul>\r\n</div>\r\n")
        return "".join(lines)

    def footer(self):
        return (f'{FOOTER[0]}\r\n<div class="footer">{PAIR3[0]} {hanzi(self.rng, 6)} 版权所有</div>'
                f"\r\n{FOOTER[1]}\r\n</body>\r\n</html>\r\n")

    def pieces(self, target_bytes, encoding, charset, title, declaration=None, prefix=""):
        """Yields the page's text in pieces until it is about `target_bytes` long."""
        small = target_bytes < 4096
        ad = self.ads[self.rng.below(len(self.ads))]  # identical copies within one page
        footer = self.footer()
        reserve = len(footer.encode(encoding))
        size = 0

        def emit(text):
            nonlocal size
            size += len(text.encode(encoding))
            return text

        yield emit(self.head(title, charset, declaration, prefix))
        yield emit(self.navigation(3 if small else 12))
        yield emit(f"<h1>{title}</h1>\r\n")
        if small:
            # One advertisement and one paragraph cut to the size left.
            yield emit(ad)
            per_char = len("字".encode(encoding))
            left = (target_bytes - reserve - size - len("<p>。</p>\r\n")) // per_char
            yield emit(f"<p>{hanzi(self.rng, max(left, 10))}。</p>\r\n")
            yield emit(footer)
            return
        paragraphs = 0
        while size < target_bytes - reserve:
            yield emit(self.corpus[self.rng.below(len(self.corpus))])
            paragraphs += 1
            if paragraphs == 1 or paragraphs % 10 == 0:
                yield emit(ad)
            if paragraphs % 25 == 0:
                yield emit(self.navigation(8))
            if paragraphs % 40 == 0:
                yield emit(f'<p class="notice">{PAIR3[0]} {hanzi(self.rng, 4)}</p>\r\n')
        yield emit(footer)


def write_gbk_file(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("gbk"))


def write_config(config_root, pair2_find=PAIR2[0], pair1=PAIR1, full=True):
    """The configuration directory: INI keys and list files, GBK and CR LF."""
    directory = os.path.join(config_root, CONFIG_DIR_NAME)
    os.makedirs(directory, exist_ok=True)
    keys = [
        ("替换前1", pair1[0]), ("替换后1", pair1[1]),
        ("替换前3", PAIR3[0] if full else ""), ("替换后3", PAIR3[1] if full else ""),
        ("替换前4", PAIR4[0] if full else ""), ("替换后4", PAIR4[1] if full else ""),
        ("不替换目录", ""), ("后缀", "1"), ("子目录", "1"),
        ("UTF读入", "0"), ("UTF输出", "0"), ("自动识别", "1"),
        ("版块替换", "1" if full else "0"), ("版块替换2", "1" if full else "0"),
    ]
    for _, value in keys:
        assert len(value.encode("gbk")) <= 255, "an INI value is read back cut to 255 bytes"
    write_gbk_file(os.path.join(directory, INI_NAME),
                   "[HTML]\r\n" + "".join(f"{k}={v}\r\n" for k, v in keys))
    lists = {
        "tihuanqian.txt": pair2_find, "tihuanhou.txt": PAIR2[1] if full else "x",
        "shanchu.txt": DELETE if full else "",
        "bankuaikaishi.txt": FOOTER[0], "bankuaijieshu.txt": FOOTER[1],
        "bankuaitihuan.txt": FOOTER_NEW,
        "bankuaikaishi1.txt": AD[0], "bankuaijieshu1.txt": AD[1], "bankuaitihuan1.txt": AD_NEW,
        "bankuaikaishi2.txt": SIDEBAR[0], "bankuaijieshu2.txt": SIDEBAR[1],
        "bankuaitihuan2.txt": SIDEBAR_NEW,
    }
    for name, text in lists.items():
        write_gbk_file(os.path.join(directory, name), text + "\r\n")


def write_rules(out, rules):
    with open(os.path.join(out, "rules.json"), "w", encoding="utf-8") as f:
        json.dump([{"find": find, "replace": replace} for find, replace in rules], f,
                  ensure_ascii=False, indent=1)


def site_rules():
    return [LIST_ITEM, PAIR1, PAIR2, PAIR3, (DELETE, ""), PAIR4]


def generate_site(args, site):
    rng = Random(args.seed)
    writer = PageWriter(rng)
    subdirs = [f"d{i:02d}" for i in range(1, args.subdirs + 1)]
    for name in subdirs:
        os.makedirs(os.path.join(site, name))
    for directory in [site] + [os.path.join(site, d) for d in subdirs]:
        with open(os.path.join(directory, "site.css"), "w", encoding="ascii") as f:
            f.write("body { font-family: sans-serif; }\r\n")
    total = largest = gbk = 0
    low, high = int(args.page_bytes * 0.4), int(args.page_bytes * 1.6)
    if args.page_bytes < 4096:
        low, high = int(args.page_bytes * 0.75), int(args.page_bytes * 1.25)
    for i in range(args.pages):
        slot = i % (args.subdirs + 1)
        directory = site if slot == 0 else os.path.join(site, subdirs[slot - 1])
        in_gbk = rng.chance(args.gbk_share)
        encoding, charset = ("gbk", "gb2312") if in_gbk else ("utf-8", "utf-8")
        title = f"{hanzi(rng, 4)} {i}"
        text = "".join(writer.pieces(rng.between(low, high), encoding, charset, title))
        data = text.encode(encoding)
        with open(os.path.join(directory, f"p{i:06d}.htm"), "wb") as f:
            f.write(data)
        total += len(data)
        largest = max(largest, len(data))
        gbk += in_gbk
    write_config(os.path.join(args.out, "config"))
    write_rules(args.out, site_rules())
    return {"pages": args.pages, "subdirs": args.subdirs, "gbk_pages": gbk, "bytes": total,
            "largest_page": largest}


# The charset shapes: name, suffix, true encoding, byte-order mark, the declaration in the head
# (None: the usual meta line; "": none at all), what stands before the doctype, weight.
ASP_HEADER = '<%@ LANGUAGE="VBSCRIPT" CODEPAGE="936" %>\r\n'
XML_GB2312 = '<?xml version="1.0" encoding="GB2312"?>\r\n'
CHARSET_SHAPES = [
    ("gbk-gb2312", ".htm", "gbk", False, None, "", 4),
    ("gbk-charset-gbk", ".htm", "gbk", False,
     '<meta http-equiv="Content-Type" content="text/html; charset=gbk">', "", 3),
    ("gbk-upper-case", ".htm", "gbk", False,
     '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=GB2312">', "", 2),
    ("gbk-quoted-gbk", ".htm", "gbk", False, '<meta charset="gbk">', "", 1),
    ("gbk-gb18030", ".htm", "gbk", False, "<meta charset='gb18030'>", "", 1),
    ("gbk-undeclared", ".htm", "gbk", False, "", "", 2),
    ("gbk-ssi-head", ".shtml", "gbk", False, '<!--#include virtual="/inc/head.html" -->', "", 2),
    ("asp-response-charset", ".asp", "gbk", False, "",
     ASP_HEADER + '<% Response.Charset = "GB2312" %>\r\n', 2),
    ("asp-codepage-only", ".asp", "gbk", False, "", ASP_HEADER, 1),
    ("utf8-meta", ".htm", "utf-8", False, '<meta charset="utf-8">', "", 4),
    ("utf8-upper-case", ".htm", "utf-8", False,
     '<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">', "", 2),
    ("utf8-bom", ".htm", "utf-8", True, '<meta charset="utf-8">', "", 1),
    ("utf8-bom-undeclared", ".htm", "utf-8", True, "", "", 1),
    ("utf8-undeclared", ".htm", "utf-8", False, "", "", 1),
    ("utf8-script-charset", ".htm", "utf-8", False,
     '<script src="http://tongji.example.cn/c.js" charset="gb2312"></script>', "", 2),
    # Labels other than the usual names, and the XML declaration of XHTML pages.
    ("gbk-gb_2312-80", ".htm", "gbk", False,
     '<meta http-equiv="Content-Type" content="text/html; charset=gb_2312-80">\r\n'
     '<script type="text/javascript" src="/js/menu.js" charset="gb_2312-80"></script>', "", 1),
    ("gbk-x-gbk", ".htm", "gbk", False, '<meta charset="x-gbk">', "", 1),
    ("gbk-xhtml", ".htm", "gbk", False,
     '<meta http-equiv="Content-Type" content="text/html; charset=GB2312" />', XML_GB2312, 1),
    ("gbk-xhtml-prolog-only", ".htm", "gbk", False, "", XML_GB2312, 1),
    # A template saved as UTF-8 with a byte-order mark, its meta tag left at gb2312, whose bytes
    # happen to be valid in code page 936 as well (GBK_VALID_UTF8).
    ("utf8-bom-template-gb2312", ".htm", "utf-8", True, None, '{include file="inc/top.htm"}\r\n',
     1),
]
GBK_VALID_UTF8 = {"utf8-bom-template-gb2312"}

# Characters whose UTF-8 form continues with two bytes in 0xB0-0xBF: a run of an even number of
# them is also valid code page 936, each pair of bytes a character of GB2312.
GBK_LOOKALIKES = [c for c in HANZI if all(0xB0 <= b <= 0xBF for b in c.encode("utf-8")[1:])]


def gbk_valid_utf8(text):
    """`text` with its characters beyond ASCII replaced by GBK_LOOKALIKES, each run of them made
    even, so that its UTF-8 bytes are valid in code page 936 too."""
    out, run = [], 0
    for c in text + "\0":
        if ord(c) >= 0x80:
            out.append(GBK_LOOKALIKES[ord(c) % len(GBK_LOOKALIKES)])
            run += 1
            continue
        if run % 2:
            out.append(out[-1])
        run = 0
        out.append(c)
    return "".join(out[:-1])


def generate_charsets(args, site):
    rng = Random(args.seed)
    writer = PageWriter(rng)
    weights = [shape[-1] for shape in CHARSET_SHAPES]
    pages = []
    total = largest = 0
    for i in range(args.pages):
        pick = rng.below(sum(weights))
        index = 0
        while pick >= weights[index]:
            pick -= weights[index]
            index += 1
        name, suffix, encoding, bom, declaration, prefix, _ = CHARSET_SHAPES[index]
        title = f"{hanzi(rng, 4)} {i}"
        target = rng.between(args.page_bytes // 2, args.page_bytes * 3 // 2)
        text = "".join(writer.pieces(target, encoding, "gb2312", title, declaration, prefix))
        if name in GBK_VALID_UTF8:
            text, title = gbk_valid_utf8(text), gbk_valid_utf8(title)
        elif encoding == "utf-8":
            # Signs real UTF-8 pages carry and code page 936 lacks: ©, », no-break spaces.
            text = text.replace("</h1>", "</h1>\r\n<p>首页\u00a0»\u00a0栏目 © 示例网</p>", 1)
        data = (b"\xef\xbb\xbf" if bom else b"") + text.encode(encoding)
        if name in GBK_VALID_UTF8:
            data.decode("gbk")  # raises if the page is not valid in code page 936 as well
        entry = f"c{i:04d}{suffix}"
        with open(os.path.join(site, entry), "wb") as f:
            f.write(data)
        pages.append({"entry": entry, "shape": name, "encoding": encoding, "title": title})
        total += len(data)
        largest = max(largest, len(data))
    write_config(os.path.join(args.out, "config"))
    write_rules(args.out, site_rules())
    gbk = sum(page["encoding"] == "gbk" for page in pages)
    return {"pages": args.pages, "subdirs": 0, "gbk_pages": gbk, "bytes": total,
            "largest_page": largest, "page_list": pages}


def generate_single(args, site):
    writer = PageWriter(Random(args.seed))
    target = args.page_mb * 1_000_000
    size = 0
    charset = "gb2312" if args.encoding == "gbk" else "utf-8"
    with open(os.path.join(site, "huge.htm"), "wb") as f:
        for piece in writer.pieces(target, args.encoding, charset, "大页面"):
            data = piece.encode(args.encoding)
            f.write(data)
            size += len(data)
    write_config(os.path.join(args.out, "config"))
    write_rules(args.out, site_rules())
    return {"pages": 1, "subdirs": 0, "gbk_pages": int(args.encoding == "gbk"), "bytes": size,
            "largest_page": size}


def generate_pathological(args, site):
    size = args.page_mb * 1_000_000
    with open(os.path.join(site, "aaaa.htm"), "wb") as f:
        chunk = b"a" * 1_000_000
        for _ in range(args.page_mb):
            f.write(chunk)
    finds = {"pathological": "a" * 1000 + "b", "filter-defeated": "a" * 999 + "ba",
             "never": "b" + "a" * 1000}
    # Pair 2: its list file has no length limit, while an INI value reads back cut to 255
    # bytes, which would turn 1,000 "a" then "b" into 255 "a" that match everywhere.
    write_config(os.path.join(args.out, "config"), pair2_find=finds[args.find], pair1=("", ""),
                 full=False)
    write_rules(args.out, [(finds[args.find], "x")])
    return {"pages": 1, "subdirs": 0, "gbk_pages": 0, "bytes": size, "largest_page": size,
            "find": args.find}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("kind", choices=["site", "charsets", "single", "pathological"])
    parser.add_argument("--out", required=True, help="output directory (replaced)")
    parser.add_argument("--seed", type=int, default=2024)
    parser.add_argument("--pages", type=int, default=100)
    parser.add_argument("--subdirs", type=int, default=5)
    parser.add_argument("--page-bytes", type=int, default=50_000, help="average page size")
    parser.add_argument("--gbk-share", type=float, default=0.3)
    parser.add_argument("--page-mb", type=int, default=10, help="single and pathological")
    parser.add_argument("--encoding", choices=["utf-8", "gbk"], default="utf-8", help="single")
    parser.add_argument("--find", choices=["pathological", "filter-defeated", "never"],
                        default="pathological")
    args = parser.parse_args()

    if os.path.exists(args.out):
        shutil.rmtree(args.out)
    site = os.path.join(args.out, "site")
    os.makedirs(site)
    generate = {"site": generate_site, "charsets": generate_charsets, "single": generate_single,
                "pathological": generate_pathological}[args.kind]
    manifest = generate(args, site)
    manifest["kind"] = args.kind
    manifest["arguments"] = vars(args)
    with open(os.path.join(args.out, "manifest.json"), "w", encoding="utf-8") as f:
        json.dump(manifest, f, indent=1)
    print(f"{args.out}: {manifest['pages']} pages, {manifest['bytes'] / 1e6:.1f} MB, "
          f"largest {manifest['largest_page'] / 1e3:.1f} KB, {manifest['gbk_pages']} in GBK")


if __name__ == "__main__":
    main()
