#!/usr/bin/python3
"""Cut the bundled Song-style font from Debian's Noto Serif CJK.

Writes assets/fonts/NotoSerifCJKsc-{Regular,Bold}-subset.otf and
assets/fonts/LICENSE-OFL.txt.  The subset holds printable ASCII, every
non-ASCII character of the C++ sources under ui/, platform/ and calc/,
the Chinese texts of Qt's own line-edit menu and message-box buttons, and
the fixed list of program texts below.

Needs python3-fontTools and fonts-noto-cjk.  Run from anywhere:
    /usr/bin/python3 tools/make_font_subset.py
"""
import os
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

# Texts the windows show, so the subset is complete whatever the sources hold.
PROGRAM_TEXTS = """
材料性能 材料名称 抗剪强度 抗拉强度
电工硅钢（DT1、DT2、DT3） 普通碳素钢（DR530-50） 碳素结构钢（45、50、70）
碳素工具钢（T7~T12） 优质弹簧钢（60Si2Mn） 不锈钢（1Cr13、1Cr18Ni9）
铝（L2、L3、L5、L7） 铝锰合金（LF21） 铝镁合金（LF2） 镁锰合金（MB1、MB8）
硬铝（LY2） 纯铜（T1、T2、T3） 黄铜（H62、H68）
拉伸件安全系数一般取 0.5~0.8
冲裁力计算软件——Tamberlo制作 拉伸力计算软件 折弯曲力计算软件
冲压设备选用辅助工具试用版
冲裁截面周长L 截面周长L 材料厚度t 抗剪切强度τb 抗拉强度σb 安全系数k
弯曲件宽度B 弯曲圆角R 拉伸力 计算 清除 关闭 返回
查询材料抗剪强度τb 查询安全系数及材料抗拉强度 查询材料抗拉强度
更多免费软件 折弯力计算 冲裁力计算 ∞
运行时错误 确定 浮点运算错误 溢出 除数为零 无效的浮点运算 程序将结束
调用失败 成员 错误码 接口
（）：；，。、~—, ０１２３４５６７８９．＋－ｅＥ\u3000
"""

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


def source_characters():
    """Non-ASCII characters of the C++ sources; missing folders are skipped."""
    chars = set()
    for folder in SOURCE_DIRS:
        top = os.path.join(REPO, folder)
        for root, _dirs, files in os.walk(top):
            for name in files:
                if name.endswith((".cpp", ".h")):
                    with open(os.path.join(root, name), encoding="utf-8") as f:
                        chars.update(c for c in f.read() if ord(c) > 0x7F)
    return chars


def fixed_characters():
    chars = {chr(c) for c in range(0x20, 0x7F)}
    chars.update(PROGRAM_TEXTS)
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
    fixed, extra = fixed_characters(), source_characters()
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
