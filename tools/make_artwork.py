#!/usr/bin/python3
"""Write the window icon, the menu banner, its button pictures and the
three line-art pictures of the calculator windows as SVG files in assets/.

Lettering is converted to outline paths, so the SVGs need no font at run
time.  Generating needs python3-fonttools and python3-pil, and the fonts
fonts-arphic-ukai (brush lettering), fonts-urw-base35 (script Latin of the
credit), fonts-noto-cjk (button captions) and fonts-dejavu-extra (letters
of the dimensions).  Run from anywhere:
    /usr/bin/python3 tools/make_artwork.py
"""
import math
import os

from fontTools.pens.basePen import BasePen
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont
from PIL import Image, ImageChops, ImageDraw

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(REPO, "assets")


def num(v):
    s = ("%.2f" % v).rstrip("0").rstrip(".")
    return "0" if s == "-0" else s


class Face:
    def __init__(self, path, number=0):
        self.font = TTFont(path, fontNumber=number, lazy=True)
        self.glyphs = self.font.getGlyphSet()
        self.cmap = self.font.getBestCmap()

    def glyph(self, ch):
        return self.glyphs[self.cmap[ord(ch)]]

    def bounds(self, ch):
        pen = BoundsPen(self.glyphs)
        self.glyph(ch).draw(pen)
        return pen.bounds          # font units, y up; None for blanks

    def path(self, ch, sx, sy, x, y):
        """Outline of ch with font origin at (x, y), scaled by sx, sy (y down)."""
        pen = SVGPathPen(self.glyphs, ntos=num)
        self.glyph(ch).draw(TransformPen(pen, (sx, 0, 0, -sy, x, y)))
        return pen.getCommands()


UKAI = "/usr/share/fonts/truetype/arphic/ukai.ttc"
NOTO_SANS = "/usr/share/fonts/opentype/noto/NotoSansCJK-%s.ttc"
SCRIPT = "/usr/share/fonts/opentype/urw-base35/Z003-MediumItalic.otf"
SERIF_ITALIC = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf"


def noto_sans(weight):
    path = NOTO_SANS % weight
    for i in range(10):
        face = Face(path, i)
        if face.font["name"].getDebugName(1) == "Noto Sans CJK SC":
            return face
    raise SystemExit("no Noto Sans CJK SC in " + path)


def fit_run(pieces, box, gap, max_stretch=1.0):
    """Outline path of lettering whose ink fills the height of box
    (x0, y0, x1, y1), starting at its left edge.

    pieces: (face, text, size) with size the em in common units, so faces
    of different make can be matched.  Within a piece glyphs advance as the
    face sets them; between pieces `gap` common units of space separate
    the ink.  The run is stretched horizontally towards the box width (at
    most by max_stretch) and squeezed if it would overflow."""
    x0, y0, x1, y1 = box
    glyphs, pen = [], 0.0                          # (face, ch, k, origin x, ink)
    for i, (face, text, size) in enumerate(pieces):
        k = size / face.font["head"].unitsPerEm
        if i:
            pen = max(f_b[2] * f_k + f_x for _f, _c, f_k, f_x, f_b in glyphs) + gap
            pen -= face.bounds(text[0])[0] * k
        for ch in text:
            glyphs.append((face, ch, k, pen, face.bounds(ch)))
            pen += face.glyph(ch).width * k
    left = min(b[0] * k + x for _f, _c, k, x, b in glyphs)
    right = max(b[2] * k + x for _f, _c, k, x, b in glyphs)
    top = max(b[3] * k for _f, _c, k, _x, b in glyphs)
    bottom = min(b[1] * k for _f, _c, k, _x, b in glyphs)
    scale = (y1 - y0) / (top - bottom)
    stretch = min(max_stretch, (x1 - x0) / ((right - left) * scale))
    baseline = y0 + top * scale
    return "".join(face.path(ch, k * scale * stretch, k * scale,
                             x0 + (x - left) * scale * stretch, baseline)
                   for face, ch, k, x, _b in glyphs)


def svg(width, height, body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
            'width="%d" height="%d" viewBox="0 0 %d %d">\n%s</svg>\n'
            % (width, height, width, height, body))


# ---- lettering pictures -------------------------------------------------

def icon():
    face = Face(UKAI)
    b = face.bounds("力")
    size = 56.0                                     # ink of the larger side
    scale = size / max(b[2] - b[0], b[3] - b[1])
    x = 32 - (b[0] + b[2]) / 2 * scale
    y = 32 + (b[1] + b[3]) / 2 * scale
    # A stroke of the same red gives the brush strokes body at small sizes.
    return svg(64, 64, '<rect x="0" y="0" width="64" height="64" fill="#0000C0"/>\n'
               '<path fill="#FF0000" stroke="#FF0000" stroke-width="1.5" stroke-linejoin="round" '
               'd="%s"/>\n' % face.path("力", scale, scale, x, y))


def banner():
    # Stops sit on the centres of the top and bottom pixel rows.
    grad = ('<defs>\n<linearGradient id="sky" gradientUnits="userSpaceOnUse" '
            'x1="0" y1="0.5" x2="0" y2="159.5">\n'
            '<stop offset="0" stop-color="#FEFFFF"/>\n'
            '<stop offset="0.5" stop-color="#7FCDFE"/>\n'
            '<stop offset="1" stop-color="#0198FF"/>\n'
            '</linearGradient>\n</defs>\n'
            '<rect x="0" y="0" width="300" height="160" fill="url(#sky)"/>\n')
    pieces = [(Face(SCRIPT), "Tamberlo", 1100), (Face(UKAI), "制作", 1050)]
    credit = fit_run(pieces, (10, 117.5, 168, 138.5), 60, 1.2)
    # A thin stroke of the same white gives the brush lettering some body.
    return svg(300, 160, grad + '<path fill="#FFFFFF" stroke="#FFFFFF" stroke-width="0.6" '
               'stroke-linejoin="round" d="%s"/>\n' % credit)


class FlattenPen(BasePen):
    """Collects a glyph's contours as polygons, curves cut into 8 pieces."""

    def __init__(self, glyphs, transform):
        super().__init__(glyphs)
        self.polygons, self.transform = [], transform

    def _moveTo(self, p):
        self.polygons.append([self.transform(p)])

    def _lineTo(self, p):
        self.polygons[-1].append(self.transform(p))

    def _curveToOne(self, p1, p2, p3):
        p0 = self._getCurrentPoint()
        for i in range(1, 9):
            t = i / 8
            w = ((1 - t) ** 3, 3 * (1 - t) ** 2 * t, 3 * (1 - t) * t * t, t ** 3)
            self._lineTo(tuple(sum(k * p[j] for k, p in zip(w, (p0, p1, p2, p3)))
                               for j in (0, 1)))

    def _qCurveToOne(self, p1, p2):
        p0 = self._getCurrentPoint()
        self._curveToOne(tuple(a + 2 / 3 * (b - a) for a, b in zip(p0, p1)),
                         tuple(a + 2 / 3 * (b - a) for a, b in zip(p2, p1)), p2)


def sharpness(face, ch, scale, dx, dy, em):
    """How close to fully on or off the pixels of a glyph come at 1x, when
    its origin sits dx, dy past a pixel corner (16x16 supersampling)."""
    ss, size = 16, int(em) + 4
    pen = FlattenPen(face.glyphs, lambda p: ((2 + dx + p[0] * scale) * ss,
                                            (2 + dy + em * 0.88 - p[1] * scale) * ss))
    face.glyph(ch).draw(pen)
    ink = Image.new("1", (size * ss, size * ss), 0)
    for polygon in pen.polygons:                   # even-odd fill
        contour = Image.new("1", ink.size, 0)
        ImageDraw.Draw(contour).polygon(polygon, fill=1)
        ink = ImageChops.logical_xor(ink, contour)
    pixels = [p for p in ink.convert("L").resize((size, size), Image.BOX).getdata() if p]
    return sum(abs(2 * p / 255 - 1) for p in pixels) / len(pixels)


def button(text, face):
    """Caption of 12 px squares centred on the ground.  Each glyph moves by
    at most half a pixel to where its strokes fall best on the pixel grid."""
    em = 12
    x = (80 - em * len(text)) / 2
    baseline = (30 - em) // 2 + 0.88 * em          # em box on whole rows
    scale = em / face.font["head"].unitsPerEm
    shifts = [i / 8 for i in (0, 1, -1, 2, -2, 3, -3, 4)]
    d = ""
    for i, ch in enumerate(text):
        dx, dy = max(((dx, dy) for dx in shifts for dy in shifts),
                     key=lambda s: sharpness(face, ch, scale, s[0], s[1], em))
        d += face.path(ch, scale, scale, x + i * em + dx, baseline + dy)
    return svg(80, 30, '<rect x="0" y="0" width="80" height="30" fill="#CDFFFF"/>\n'
               '<path fill="#0000CD" d="%s"/>\n' % d)


# ---- line art -----------------------------------------------------------

THIN = 'fill="none" stroke="#000000" stroke-width="1"'
DASH, DASH_PERIOD = 7, 13
CENTRE = THIN + ' stroke-dasharray="%d,2,2,2"' % DASH


def poly(points, closed=False):
    d = "M" + " L".join("%s %s" % (num(x), num(y)) for x, y in points)
    return d + ("Z" if closed else "")


def outline(points, closed=True):
    return '<path %s d="%s"/>\n' % (THIN, poly(points, closed))


def centre_line(p, q):
    """Dash-dot line about as long as p to q, drawn outwards from its middle
    so that it is symmetric, crosses others on a dash and ends on a dash."""
    mx, my = (p[0] + q[0]) / 2, (p[1] + q[1]) / 2
    d = ""
    for ex, ey in (p, q):
        length = math.hypot(ex - mx, ey - my)
        fits = [i / 2 for i in range(2 * DASH_PERIOD, 400) if 3 <= (i / 2) % DASH_PERIOD <= DASH]
        f = min(fits, key=lambda v: abs(v - length)) / length
        d += poly([(mx, my), (mx + (ex - mx) * f, my + (ey - my) * f)])
    return '<path %s d="%s"/>\n' % (CENTRE, d)


def arc(cx, cy, r, a0, a1, step=5.0):
    """Points of an arc, angles in degrees, y down (90 is straight down)."""
    n = max(2, int(abs(a1 - a0) / step) + 1)
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / (n - 1))),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / (n - 1)))) for i in range(n)]


def rounded_rect(x0, y0, x1, y1, r):
    return (arc(x1 - r, y0 + r, r, -90, 0) + arc(x1 - r, y1 - r, r, 0, 90)
            + arc(x0 + r, y1 - r, r, 90, 180) + arc(x0 + r, y0 + r, r, 180, 270))


def hatch(points, spacing=4):
    """45-degree section lines filling a simple polygon, as one path.

    Lines are x + y = c for whole c, so at 1x they run through pixel
    centres.  Each line is cut at the polygon's edges (even-odd)."""
    sums = [x + y for x, y in points]
    segments = []
    c = math.floor(min(sums) / spacing) * spacing + spacing
    while c < max(sums):
        hits = []
        for (px, py), (qx, qy) in zip(points, points[1:] + points[:1]):
            fp, fq = px + py - c, qx + qy - c
            if (fp > 0) != (fq > 0):
                t = fp / (fp - fq)
                hits.append((px + t * (qx - px), py + t * (qy - py)))
        hits.sort()
        segments += [poly(hits[i:i + 2]) for i in range(0, len(hits) - 1, 2)]
        c += spacing
    return '<path %s d="%s"/>\n' % (THIN, "".join(segments))


def arrow(tip, towards, length=6.0, half=1.75):
    """Filled arrowhead with its point at tip, pointing along `towards`."""
    dx, dy = towards
    n = math.hypot(dx, dy)
    dx, dy = dx / n, dy / n
    bx, by = tip[0] - dx * length, tip[1] - dy * length
    pts = [tip, (bx - dy * half, by + dx * half), (bx + dy * half, by - dx * half)]
    return '<path fill="#000000" stroke="none" d="%s"/>\n' % poly(pts, True)


def letter(ch, x, y):
    """Italic serif letter with the top-left of its ink at (x, y), 14 px em."""
    face = Face(SERIF_ITALIC)
    scale = 14.0 / face.font["head"].unitsPerEm
    b = face.bounds(ch)
    return '<path fill="#000000" d="%s"/>\n' % face.path(
        ch, scale, scale, x - b[0] * scale, y + b[3] * scale)


def thickness_dim(p_a, p_b, out, label_at):
    """Outside arrows on the line through p_a and p_b, which are t apart,
    with the extension of `out` pixels beyond each, and the letter t."""
    dx, dy = p_b[0] - p_a[0], p_b[1] - p_a[1]
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n
    start = (p_a[0] - ux * out, p_a[1] - uy * out)
    end = (p_b[0] + ux * out, p_b[1] + uy * out)
    return (outline([start, end], False) + arrow(p_a, (ux, uy))
            + arrow(p_b, (-ux, -uy)) + letter("t", *label_at))


def white(width, height):
    return '<rect x="0" y="0" width="%d" height="%d" fill="#FFFFFF"/>\n' % (width, height)


def blanking():
    body = white(200, 160)
    # Section: strip 7 px thick, cut by a 28 px hole centred on x = 100.5.
    top, bot, xc, r = 30.5, 37.5, 100.5, 14
    for x0, x1 in ((30.5, xc - r), (xc + r, 170.5)):
        piece = [(x0, top), (x1, top), (x1, bot), (x0, bot)]
        body += hatch(piece) + outline(piece)
    body += centre_line((xc, 21), (xc, 47))
    body += outline([(27, top), (12, top)], False) + outline([(27, bot), (12, bot)], False)
    body += thickness_dim((18.5, top), (18.5, bot), 9, (6, 28))
    # Plan: rounded blank with the hole.
    body += outline(rounded_rect(30.5, 75.5, 170.5, 135.5, 8))
    body += '<circle %s cx="%s" cy="105.5" r="%d"/>\n' % (THIN, num(xc), r)
    body += centre_line((xc, 85), (xc, 126)) + centre_line((xc - 21, 105.5), (xc + 21, 105.5))
    return svg(200, 160, body)


def tray_section(x0, x1, y0, y1, t, ri):
    """Wall of a drawn tray in section: open top, inner corners radius ri."""
    ro = ri + t
    return ([(x0, y0)] + arc(x0 + ro, y1 - ro, ro, 180, 90) + arc(x1 - ro, y1 - ro, ro, 90, 0)
            + [(x1, y0), (x1 - t, y0)] + arc(x1 - ro, y1 - ro, ri, 0, 90)
            + arc(x0 + ro, y1 - ro, ri, 90, 180) + [(x0 + t, y0)])


def drawing():
    body = white(200, 153)
    xc, t = 100.5, 5
    wall = tray_section(30.5, 170.5, 16.5, 62.5, t, 7)
    body += hatch(wall) + outline(wall)
    body += centre_line((xc, 7), (xc, 70))
    body += outline([(165.5, 14), (165.5, 3)], False) + outline([(170.5, 14), (170.5, 3)], False)
    body += thickness_dim((165.5, 7.5), (170.5, 7.5), 10, (184, 3))
    body += outline(rounded_rect(30.5, 78.5, 170.5, 142.5, 12))
    body += outline(rounded_rect(35.5, 83.5, 165.5, 137.5, 7))
    body += centre_line((xc, 72), (xc, 149)) + centre_line((22, 110.5), (179, 110.5))
    return svg(200, 153, body)


def bending():
    body = white(198, 160)
    # Side view.  Bend centre (cx, cy); the horizontal leg runs right to
    # x_end, the rising leg leans back 20 degrees from the vertical.
    cx, cy, ri, t, x_end, rise = 56.5, 60.5, 8.0, 6.0, 160.5, 40.0
    ro, rm = ri + t, ri + t / 2
    a_end = 160                                     # arc from straight down to the leg
    n = (math.cos(math.radians(a_end)), math.sin(math.radians(a_end)))  # out of the bend
    d = (-n[1], n[0])                               # up the rising leg

    def on_leg(r, along):
        return (cx + r * n[0] + d[0] * along, cy + r * n[1] + d[1] * along)

    strip = ([(x_end, cy + ro)] + arc(cx, cy, ro, 90, a_end) + [on_leg(ro, rise), on_leg(ri, rise)]
             + arc(cx, cy, ri, a_end, 90) + [(x_end, cy + ri)])
    body += outline(strip)
    body += '<path %s d="%s"/>\n' % (CENTRE, poly(
        [(x_end + 6, cy + rm)] + arc(cx, cy, rm, 90, a_end) + [on_leg(rm, rise + 5)]))
    # t across the upper end of the rising leg, on extensions of its faces.
    for r in (ro, ri):
        body += outline([on_leg(r, rise + 2), on_leg(r, rise + 13)], False)
    m_o, m_i = on_leg(ro, rise + 9), on_leg(ri, rise + 9)
    body += thickness_dim(m_o, m_i, 9, (m_o[0] + 14 * n[0] - 3, m_o[1] + 14 * n[1] - 6))
    # R: leader from inside the bend through the centre onto the inner face.
    u = (math.cos(math.radians(125)), math.sin(math.radians(125)))
    tip = (cx + ri * u[0], cy + ri * u[1])
    tail = (cx - 30 * u[0], cy - 30 * u[1])
    body += outline([tail, tip], False) + arrow(tip, u)
    body += letter("R", tail[0] + 1, tail[1] - 11)
    # Face view from above: the rising leg seen short at the left, the bend
    # zone between the two lines, then the horizontal leg.
    def grid(x):
        return math.floor(x) + 0.5

    x0 = grid(on_leg(ro, rise)[0])
    top, bot = 100.5, 145.5
    body += outline([(x0, top), (x_end, top), (x_end, bot), (x0, bot)])
    for x in (grid(cx + ri * n[0]), cx):
        body += outline([(x, top), (x, bot)], False)
    dim = x_end + 11
    for y in (top, bot):
        body += outline([(x_end + 2, y), (x_end + 16, y)], False)
    body += outline([(dim, top), (dim, bot)], False)
    body += arrow((dim, top), (0, -1)) + arrow((dim, bot), (0, 1))
    body += letter("B", dim + 3, (top + bot) / 2 - 5)
    return svg(198, 160, body)


def main():
    sans = noto_sans("Regular")
    outputs = {
        "icon.svg": icon(),
        "banner.svg": banner(),
        "button_bending.svg": button("折弯力计算", sans),
        "button_blanking.svg": button("冲裁力计算", sans),
        "button_drawing.svg": button("拉伸力计算", sans),
        "button_close.svg": button("关闭", sans),
        "blanking.svg": blanking(),
        "drawing.svg": drawing(),
        "bending.svg": bending(),
    }
    for name, text in outputs.items():
        with open(os.path.join(ASSETS, name), "w", encoding="utf-8") as f:
            f.write(text)
        print("%s: %d bytes" % (name, len(text)))


if __name__ == "__main__":
    main()
