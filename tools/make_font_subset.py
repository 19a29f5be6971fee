#!/usr/bin/python3
"""Cut the bundled Song-style font from Debian's Noto Serif CJK.

Writes assets/fonts/NotoSerifCJKsc-{Regular,Bold}-subset.otf and
assets/fonts/LICENSE-OFL.txt.  The subset holds printable ASCII, every
non-ASCII character of the C++ sources under ui/, platform/ and calc/,
the Chinese texts of Qt's own line-edit menu and message-box buttons, and
the full-width forms users type.  A character of a string literal that the
font lacks is an error; one only in a comment is skipped with a warning.

Needs python3-fontTools and fonts-noto-cjk.  Run from anywhere:
    /usr/bin/python3 tools/make_font_subset.py
"""
import os
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTCollection, TTFont

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(REPO, "assets", "fonts")
NOTO_DIR = "/usr/share/fonts/opentype/noto"
DEBIAN_COPYRIGHT = "/usr/share/doc/fonts-noto-cjk/copyright"
FAMILY = "Noto Serif CJK SC"
FACES = [  # (source collection, output file, subfamily, weight)
    ("NotoSerifCJK-Regular.ttc", "NotoSerifCJKsc-Regular-subset.otf", "Regular", 400),
    ("NotoSerifCJK-Bold.ttc", "NotoSerifCJKsc-Bold-subset.otf", "Bold", 700),
]
SOURCE_DIRS = ("ui", "platform", "calc")

# What users type that the sources name only by code: the full-width forms a
# Chinese input method gives, and its full-width blank.
TYPED_TEXTS = "０１２３４５６７８９．。｡＋－ｅＥ\u3000"

# Qt's zh_CN translations (qtbase_zh_CN.qm) of the line-edit context menu,
# its Unicode control character submenu and the standard dialog buttons.
QT_TEXTS = """
撤消(&U) 重做(&R) 剪切(&T) 复制(&C) 粘贴(&P) 删除 全选 复制链接地址(&L)
插入 Unicode 控制字符
LRM 从左到右标记 RLM 从右向左标记 ZWJ 零宽连字 ZWNJ 零宽不连字
ZWSP 零宽度空格 LRE 开始从左到右嵌入 RLE 开始从右向左嵌入
LRO 开始从左向右重写 RLO 开始从右向左重写 PDF 弹出方向格式
LRI 从左到右隔离 RLI 从右到左隔离 FSI 第一强隔离 PDI 弹出定向隔离
确定 确定(&O) 取消 是 否 是(&Y) 否(&N) 全是(&A) 全否(&O) 关闭 关闭且不保存
保存 全部保存 不保存 打开 应用 重置 重试 忽略 中止 丢弃 帮助 恢复默认值
显示详情... 隐藏详情...
"""


STRING_LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"')


def source_characters():
    """Non-ASCII characters of the C++ sources: those of string literals (the
    texts the windows show) and the others; missing folders are skipped."""
    shown, others = set(), set()
    for folder in SOURCE_DIRS:
        top = os.path.join(REPO, folder)
        for root, _dirs, files in os.walk(top):
            for name in files:
                if name.endswith((".cpp", ".h")):
                    with open(os.path.join(root, name), encoding="utf-8") as f:
                        text = f.read()
                    for literal in STRING_LITERAL.findall(text):
                        shown.update(c for c in literal if ord(c) > 0x7F)
                    others.update(c for c in text if ord(c) > 0x7F)
    return shown, others - shown


def fixed_characters(shown):
    chars = {chr(c) for c in range(0x20, 0x7F)}
    chars.update(shown)
    chars.update(TYPED_TEXTS)
    chars.update(QT_TEXTS)
    chars.discard("\n")
    return chars


def sc_font_number(path):
    """Index of the Simplified Chinese face inside a TTC."""
    for i, font in enumerate(TTCollection(path, lazy=True).fonts):
        if font["name"].getDebugName(1) == FAMILY:
            return i
    sys.exit("%s: no face named %r" % (path, FAMILY))


def cut(src, dst, fixed, extra):
    """Subset face src to the fixed characters, which must all be there,
    and those of extra that the font has.  Returns the face number and the
    characters kept."""
    number = sc_font_number(src)
    font = TTFont(src, fontNumber=number, lazy=False, recalcTimestamp=False)
    cmap = font.getBestCmap()
    missing = sorted(c for c in fixed if ord(c) not in cmap)
    if missing:
        sys.exit("%s: characters not in the font: %s" % (src, " ".join(
            "U+%04X" % ord(c) for c in missing)))
    skipped = sorted(c for c in extra if ord(c) not in cmap)
    if skipped:
        print("%s: sources use characters the font lacks: %s" % (src, " ".join(
            "U+%04X" % ord(c) for c in skipped)), file=sys.stderr)
    chars = fixed | (set(extra) - set(skipped))
    options = subset.Options()
    options.hinting = False            # unhinted CFF
    options.desubroutinize = True
    options.name_IDs = ["*"]           # keep family, style and licence records
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in chars])
    subsetter.subset(font)
    font.save(dst)
    return number, chars


def check(path, subfamily, weight, chars):
    font = TTFont(path)
    name = font["name"]
    family = name.getDebugName(1)
    style = name.getDebugName(2)
    got_weight = font["OS/2"].usWeightClass
    if (family, style, got_weight) != (FAMILY, subfamily, weight):
        sys.exit("%s: name table says %r %r %d" % (path, family, style, got_weight))
    if "CFF " not in font or "glyf" in font:
        sys.exit("%s: not a CFF font" % path)
    cmap = font.getBestCmap()
    lost = [c for c in chars if ord(c) not in cmap]
    if lost:
        sys.exit("%s: lost characters %r" % (path, "".join(sorted(lost))))
    return len(font.getGlyphOrder())


def write_licence(src, dst):
    """OFL 1.1 text from Debian's copyright file, headed by the font's notice."""
    font = TTFont(src, fontNumber=sc_font_number(src), lazy=True)
    notice = font["name"].getDebugName(0)
    trademark = font["name"].getDebugName(7)
    with open(DEBIAN_COPYRIGHT, encoding="utf-8") as f:
        lines = f.read().split("\n")
    start = next(i + 1 for i, line in enumerate(lines[:-1])
                 if line == "License: SIL-1.1" and lines[i + 1].startswith(" "))
    body = []
    for line in lines[start:]:
        if not line.startswith(" "):
            break
        body.append("" if line.strip() == "." else line[1:])
    head = [
        "%s (%s, %s): %s" % (FAMILY, FACES[0][2], FACES[1][2], notice),
        "Copyright 2010-2012 Google Corporation.",
        trademark,
        "",
        "The subsets in this folder are Modified Versions of the font, cut",
        "by tools/make_font_subset.py from Debian's fonts-noto-cjk package.",
        "",
        "This Font Software is licensed under the SIL Open Font License,",
        "Version 1.1. This license is copied below.",
        "",
    ]
    with open(dst, "w", encoding="utf-8") as f:
        f.write("\n".join(head + body).rstrip() + "\n")


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    shown, extra = source_characters()
    fixed = fixed_characters(shown)
    for ttc, out, subfamily, weight in FACES:
        src = os.path.join(NOTO_DIR, ttc)
        dst = os.path.join(OUT_DIR, out)
        number, chars = cut(src, dst, fixed, extra)
        glyphs = check(dst, subfamily, weight, chars)
        print("%s: face %d of %s, %d characters, %d glyphs, %d bytes" % (
            out, number, ttc, len(chars), glyphs, os.path.getsize(dst)))
    write_licence(os.path.join(NOTO_DIR, FACES[0][0]),
                  os.path.join(OUT_DIR, "LICENSE-OFL.txt"))


if __name__ == "__main__":
    main()
