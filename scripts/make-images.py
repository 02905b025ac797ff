#!/usr/bin/env python3
"""Draws Trellup's pictures and writes them as icon resources.

Each picture is a list of shapes in a 16 x 16 unit space (or its own size
for the drawer pictures), scaled to every size asked for and smoothed by
sampling each pixel 4 x 4 times. Run it again after changing a drawing:

    scripts/make-images.py setup/win32/res
"""
import math
import os
import struct
import sys

SS = 4  # samples per pixel and axis


def rgba(hexstr, a=255):
    hexstr = hexstr.lstrip('#')
    return (int(hexstr[0:2], 16), int(hexstr[2:4], 16), int(hexstr[4:6], 16), a)


# ---- shapes: each is (kind, params..., colour); coordinates in units --------

def rect(x0, y0, x1, y1, fill, r=0.0):
    return ('rect', x0, y0, x1, y1, r, fill)


def ellipse(cx, cy, rx, ry, fill):
    return ('ellipse', cx, cy, rx, ry, fill)


def line(x0, y0, x1, y1, w, fill):
    return ('line', x0, y0, x1, y1, w, fill)


def poly(points, fill):
    return ('poly', points, fill)


def ring(cx, cy, r, w, fill):
    return ('ring', cx, cy, r, w, fill)


def moved(shapes, dx, dy):
    """The shapes shifted by (dx, dy) units."""
    out = []
    for s in shapes:
        kind = s[0]
        if kind == 'rect':
            out.append(('rect', s[1] + dx, s[2] + dy, s[3] + dx, s[4] + dy, s[5], s[6]))
        elif kind in ('ellipse', 'ring'):
            out.append((kind, s[1] + dx, s[2] + dy) + tuple(s[3:]))
        elif kind == 'line':
            out.append(('line', s[1] + dx, s[2] + dy, s[3] + dx, s[4] + dy, s[5], s[6]))
        else:
            out.append(('poly', [(x + dx, y + dy) for x, y in s[1]], s[2]))
    return out


def inside(shape, x, y):
    kind = shape[0]
    if kind == 'rect':
        _, x0, y0, x1, y1, r, _ = shape
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        if r <= 0:
            return True
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == 'ellipse':
        _, cx, cy, rx, ry, _ = shape
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0
    if kind == 'ring':
        _, cx, cy, r, w, _ = shape
        d = math.hypot(x - cx, y - cy)
        return r - w / 2 <= d <= r + w / 2
    if kind == 'line':
        _, x0, y0, x1, y1, w, _ = shape
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy
        t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    if kind == 'poly':
        pts = shape[1]
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    raise ValueError(kind)


def render(shapes, width, height, unit_w, unit_h):
    """RGBA rows, top first."""
    sx, sy = unit_w / width, unit_h / height
    out = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(SS):
                for si in range(SS):
                    ux = (px + (si + 0.5) / SS) * sx
                    uy = (py + (sj + 0.5) / SS) * sy
                    colour = None
                    for s in shapes:
                        if inside(s, ux, uy):
                            colour = s[-1]
                    if colour is not None:
                        a = colour[3] / 255.0
                        acc[0] += colour[0] * a
                        acc[1] += colour[1] * a
                        acc[2] += colour[2] * a
                        acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha > 0:
                r, g, b = (acc[i] / acc[3] for i in range(3))
            else:
                r = g = b = 0
            row.append((int(round(r)), int(round(g)), int(round(b)), int(round(alpha * 255))))
        out.append(row)
    return out


def dib(pixels, with_mask):
    """A 32-bit DIB (bottom-up) as an icon entry or a bitmap's body."""
    h = len(pixels)
    w = len(pixels[0])
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2 if with_mask else h, 1, 32, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    if with_mask:
        stride = ((w + 31) // 32) * 4
        for row in reversed(pixels):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            body += bits
    return header + bytes(body)


def write_ico(path, images):
    entries = []
    data = b''
    offset = 6 + 16 * len(images)
    for pixels in images:
        blob = dib(pixels, True)
        w = len(pixels[0])
        h = len(pixels)
        entries.append(struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(blob), offset + len(data)))
        data += blob
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + data)


# ---- the drawings (16 x 16 units) ------------------------------------------

INK = rgba('#2b3440')
STEEL = rgba('#8a96a6')
STEEL_LIGHT = rgba('#c9d2dd')
STEEL_DARK = rgba('#5b6676')
BILL = rgba('#3f9b4b')
BILL_LIGHT = rgba('#8fd39a')
SCREEN = rgba('#12303a')
GLOW = rgba('#5cf0b5')
PAPER = rgba('#fbfbf5')
CARD = rgba('#2f6fd6')
STRIPE = rgba('#1a1a1a')
HILITE_FILL = rgba('#ffd35a')
HILITE_EDGE = rgba('#d99a00')
PLUS = rgba('#1f9d3a')
QUESTION = rgba('#6c7a8c')


def highlight():
    """The backdrop of a selected node's picture."""
    return [rect(0.2, 0.2, 15.8, 15.8, HILITE_EDGE, 3.0), rect(1.0, 1.0, 15.0, 15.0, HILITE_FILL, 2.4)]


def cash_drawer():
    return [
        rect(3.0, 2.0, 13.0, 6.0, BILL, 0.6),               # a note in the till
        rect(4.2, 2.8, 11.8, 5.2, BILL_LIGHT, 0.4),
        ellipse(8.0, 4.0, 1.1, 1.0, BILL),
        rect(1.0, 5.0, 15.0, 14.5, INK, 1.2),               # the body
        rect(2.0, 6.0, 14.0, 8.4, STEEL_DARK, 0.4),
        rect(2.0, 9.2, 14.0, 13.5, STEEL_LIGHT, 0.6),       # the drawer front
        rect(5.5, 10.6, 10.5, 12.0, INK, 0.7),              # its handle
    ]


def line_display():
    return [
        rect(7.0, 10.0, 9.0, 14.0, STEEL_DARK),              # the pole
        rect(4.0, 13.5, 12.0, 15.0, INK, 0.6),               # the foot
        rect(0.8, 2.5, 15.2, 10.5, INK, 1.2),                # the case
        rect(1.8, 3.5, 14.2, 9.5, SCREEN, 0.5),              # the screen
        rect(2.8, 4.7, 12.5, 5.9, GLOW, 0.3),                # two lines of text
        rect(2.8, 7.0, 9.5, 8.2, GLOW, 0.3),
    ]


def pos_printer():
    return [
        rect(4.0, 0.8, 12.0, 7.0, PAPER),                    # the receipt
        line(5.2, 2.6, 10.8, 2.6, 0.8, STEEL),
        line(5.2, 4.4, 9.6, 4.4, 0.8, STEEL),
        rect(1.0, 6.0, 15.0, 14.8, INK, 1.4),                # the body
        rect(2.2, 7.2, 13.8, 9.2, STEEL_DARK, 0.5),
        rect(3.2, 7.8, 12.8, 8.6, STEEL_LIGHT),              # the paper slot
        rect(2.2, 10.2, 13.8, 13.8, STEEL_LIGHT, 0.7),
        ellipse(11.6, 12.0, 0.9, 0.9, BILL),                 # the power light
    ]


def msr():
    return [
        rect(0.8, 8.5, 15.2, 14.8, INK, 1.2),                # the reader
        rect(1.8, 9.5, 14.2, 10.6, STEEL_DARK),              # its slot
        rect(1.8, 11.8, 14.2, 13.8, STEEL_LIGHT, 0.5),
        poly([(3.0, 1.2), (14.0, 3.2), (12.6, 10.6), (1.6, 8.6)], CARD),   # the card, half swiped
        poly([(2.7, 3.0), (13.7, 5.0), (13.4, 6.6), (2.4, 4.6)], STRIPE),  # its magnetic stripe
    ]


def unknown():
    return [
        ellipse(8.0, 8.0, 7.4, 7.4, QUESTION),
        ellipse(8.0, 8.0, 6.2, 6.2, rgba('#eef1f5')),
        ring(8.0, 6.0, 2.4, 1.7, QUESTION),
        rect(5.0, 6.0, 8.0, 9.0, rgba('#eef1f5')),           # open the ring into a hook
        rect(7.15, 8.0, 8.85, 10.2, QUESTION),
        ellipse(8.0, 12.1, 1.05, 1.05, QUESTION),
    ]


def with_plus(shapes):
    """A "create" picture: the device with a green plus at its lower right."""
    return shapes + [
        ellipse(12.2, 12.2, 3.7, 3.7, rgba('#ffffff')),
        ellipse(12.2, 12.2, 3.2, 3.2, PLUS),
        rect(11.55, 10.2, 12.85, 14.2, rgba('#ffffff')),
        rect(10.2, 11.55, 14.2, 12.85, rgba('#ffffff')),
    ]


# The drawer pictures, 64 x 48 units at one unit a pixel.
def drawer_closed():
    return [
        rect(8, 2, 56, 14, STEEL_DARK, 3),                   # the till's top with its keys
        rect(12, 5, 30, 11, SCREEN, 1.5),
        rect(14, 7, 26, 9, GLOW, 0.8),
        rect(34, 5, 38, 8, STEEL_LIGHT, 1), rect(40, 5, 44, 8, STEEL_LIGHT, 1), rect(46, 5, 50, 8, STEEL_LIGHT, 1),
        rect(34, 9, 38, 12, STEEL_LIGHT, 1), rect(40, 9, 44, 12, STEEL_LIGHT, 1), rect(46, 9, 50, 12, BILL, 1),
        rect(2, 16, 62, 46, INK, 4),                         # the cabinet
        rect(5, 19, 59, 43, STEEL, 3),                       # the closed drawer
        rect(7, 21, 57, 41, STEEL_LIGHT, 2),
        rect(24, 29, 40, 33, INK, 2),                        # its handle
        ellipse(52, 25, 2.2, 2.2, INK), ellipse(52, 25, 1.1, 1.1, STEEL_LIGHT),  # the lock
    ]


def drawer_open():
    return [
        rect(8, 2, 56, 14, STEEL_DARK, 3),
        rect(12, 5, 30, 11, SCREEN, 1.5),
        rect(14, 7, 26, 9, GLOW, 0.8),
        rect(34, 5, 38, 8, STEEL_LIGHT, 1), rect(40, 5, 44, 8, STEEL_LIGHT, 1), rect(46, 5, 50, 8, STEEL_LIGHT, 1),
        rect(34, 9, 38, 12, STEEL_LIGHT, 1), rect(40, 9, 44, 12, STEEL_LIGHT, 1), rect(46, 9, 50, 12, BILL, 1),
        rect(2, 16, 62, 26, INK, 4),                         # the cabinet, seen above the drawer
        rect(5, 19, 59, 24, rgba('#11161c'), 1),             # its dark mouth
        poly([(0, 24), (64, 24), (64, 40), (0, 40)], STEEL),  # the drawer pulled out
        rect(2, 25, 62, 38, STEEL_DARK, 1),
        rect(4, 26, 19, 37, BILL, 1), rect(6, 27.5, 17, 35.5, BILL_LIGHT, 0.8),   # notes
        rect(21, 26, 36, 37, BILL, 1), rect(23, 27.5, 34, 35.5, BILL_LIGHT, 0.8),
        rect(38, 26, 49, 37, rgba('#b8902c'), 1),            # coins
        ellipse(41, 29, 2, 2, rgba('#f0c74a')), ellipse(46, 33, 2, 2, rgba('#f0c74a')),
        rect(51, 26, 60, 37, rgba('#8c9096'), 1),
        ellipse(55.5, 31.5, 2.3, 2.3, rgba('#d7dadf')),
        rect(0, 39, 64, 47, INK, 2),                         # the drawer's front
        rect(2, 40.5, 62, 45.5, STEEL_LIGHT, 1.5),
        rect(24, 41.8, 40, 44.2, INK, 1.2),
    ]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'setup', 'win32', 'res')
    os.makedirs(out, exist_ok=True)

    def icon(name, shapes, sizes=(16,)):
        write_ico(os.path.join(out, name + '.ico'), [render(shapes, s, s, 16, 16) for s in sizes])

    # The tree's nine images, in image list order.
    tree = [('tree_cash_drawer', cash_drawer()), ('tree_line_display', line_display()),
            ('tree_pos_printer', pos_printer()),
            ('tree_cash_drawer_sel', highlight() + cash_drawer()), ('tree_line_display_sel', highlight() + line_display()),
            ('tree_pos_printer_sel', highlight() + pos_printer()),
            ('tree_msr', msr()), ('tree_msr_sel', highlight() + msr()), ('tree_unknown', unknown())]
    for name, shapes in tree:
        icon(name, shapes, (16, 32))
    icon('create_cash_drawer', with_plus(cash_drawer()), (16, 32))
    icon('create_msr', with_plus(msr()), (16, 32))
    icon('create_vfd', with_plus(line_display()), (16, 32))
    icon('create_printer', with_plus(pos_printer()), (16, 32))
    icon('trellup', cash_drawer(), (16, 32, 48))
    # The drawer pictures: 64 x 48 drawings centred in square icons, so that
    # they lie on whatever background the frame has.
    for name, shapes in (('drawer_closed', drawer_closed()), ('drawer_open', drawer_open())):
        write_ico(os.path.join(out, name + '.ico'), [render(moved(shapes, 0, 8), 64, 64, 64, 64)])


if __name__ == '__main__':
    main()
