#!/usr/bin/python3
"""Write a copy of a font renamed to the family SimSun (宋体 in Chinese).

The tests install it as the system's SimSun: the font database then holds a
face of that family, under both of the names Windows gives it, as a system
with SimSun does. The outlines stay the source's.

Needs python3-fonttools. The first face of a collection (.ttc) is taken.
    /usr/bin/python3 tools/standin_font.py SOURCE OUT
"""
import sys

from fontTools.ttLib import TTFont

ENGLISH, CHINESE = 0x409, 0x804
FAMILY = {ENGLISH: "SimSun", CHINESE: "宋体"}
POSTSCRIPT = "SimSun"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, out = sys.argv[1:]
    font = TTFont(source, fontNumber=0, lazy=True)
    name = font["name"]
    # Only the Windows names, as SimSun has them: family and full name in
    # English and Chinese, one regular face.
    name.names = []
    for lang, family in FAMILY.items():
        for name_id, text in ((1, family), (2, "Regular"), (4, family)):
            name.setName(text, name_id, 3, 1, lang)
    name.setName("SimSun stand-in", 3, 3, 1, ENGLISH)
    name.setName(POSTSCRIPT, 6, 3, 1, ENGLISH)
    font["OS/2"].usWeightClass = 400
    if "CFF " in font:
        cff = font["CFF "].cff
        top = cff[cff.fontNames[0]]
        top.FamilyName = top.FullName = POSTSCRIPT
        cff.fontNames = [POSTSCRIPT]
    font.save(out)


if __name__ == "__main__":
    main()
