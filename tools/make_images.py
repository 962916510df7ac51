#!/usr/bin/env python3
"""Draws the tool-bar bitmaps, icons and the help cursor of tessary.exe.

Writes BMP, ICO and CUR files into src/resources/images (committed; run again after
changing a drawing). Pure Python, no imaging library: each picture is drawn on a 16-unit
grid with a few primitives and rendered at 16x16 (small) or 32x32 (large) pixels.

    python3 tools/make_images.py
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "resources", "images")

GREY = (192, 192, 192)  # button face: the tool bar maps it to the system colour
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK = (128, 128, 128)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
RED = (192, 0, 0)
GREEN = (0, 128, 0)
LIME = (0, 192, 0)
YELLOW = (255, 255, 0)
OCHRE = (192, 160, 0)
TEAL = (0, 128, 128)
CYAN = (0, 192, 192)
BROWN = (128, 64, 0)


class Canvas:
    def __init__(self, size, background=None):
        self.n = size
        self.u = size / 16.0
        self.px = [[background for _ in range(size)] for _ in range(size)]

    def _set(self, x, y, c):
        if 0 <= x < self.n and 0 <= y < self.n:
            self.px[y][x] = c

    def inside(self, test, c):
        """Paints every pixel whose centre (in units) passes test(x, y)."""
        for y in range(self.n):
            for x in range(self.n):
                if test((x + 0.5) / self.u, (y + 0.5) / self.u):
                    self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        self.inside(lambda x, y: x0 <= x < x1 and y0 <= y < y1, c)

    def frame(self, x0, y0, x1, y1, c, t=1.0):
        self.inside(lambda x, y: x0 <= x < x1 and y0 <= y < y1 and
                    (x < x0 + t or x >= x1 - t or y < y0 + t or y >= y1 - t), c)

    def box(self, x0, y0, x1, y1, fill, edge=BLACK):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, edge)

    def disc(self, cx, cy, r, c):
        self.inside(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def ring(self, cx, cy, r, t, c):
        self.inside(lambda x, y: (r - t) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def line(self, x0, y0, x1, y1, c, t=1.0):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1.0

        def near(x, y):
            k = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + k * dx - x, y0 + k * dy - y
            return px * px + py * py <= (t / 2.0) ** 2 + 0.01
        self.inside(near, c)

    def poly(self, points, c):
        def test(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        self.inside(test, c)


# ---- the drawings (16-unit grid) ----

def page(c, x0=3, y0=1, x1=13, y1=15, lines=True):
    c.poly([(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)], WHITE)
    c.line(x0 + 0.5, y0, x0 + 0.5, y1, BLACK)
    c.line(x0, y1 - 0.5, x1, y1 - 0.5, BLACK)
    c.line(x1 - 0.5, y0 + 3, x1 - 0.5, y1, BLACK)
    c.line(x0, y0 + 0.5, x1 - 3, y0 + 0.5, BLACK)
    c.line(x1 - 3, y0, x1, y0 + 3, BLACK)
    c.poly([(x1 - 3, y0), (x1 - 3, y0 + 3), (x1, y0 + 3)], DARK)
    if lines:
        y = y0 + 5
        while y < y1 - 1:
            c.rect(x0 + 2, y, x1 - 2, y + 1, DARK)
            y += 2


def floppy(c, body=NAVY):
    c.box(2, 2, 14, 14, body)
    c.rect(4, 2, 12, 7, WHITE)
    c.frame(4, 2, 12, 7, BLACK)
    c.rect(5, 9, 11, 14, DARK)
    c.rect(6, 10, 8, 13, BLACK)


def magnifier(c, x=0, y=0):
    c.ring(6 + x, 6 + y, 4.5, 1.5, BLACK)
    c.disc(6 + x, 6 + y, 3.1, CYAN)
    c.rect(4.5 + x, 4 + y, 5.5 + x, 5 + y, WHITE)
    c.line(9.5 + x, 9.5 + y, 14 + x, 14 + y, BROWN, 2.2)


def arrow_right(c, x0, y, x1, col):
    c.rect(x0, y - 1, x1 - 2, y + 1, col)
    c.poly([(x1 - 3, y - 3), (x1, y), (x1 - 3, y + 3)], col)


def draw_exit(c):
    c.box(2, 1, 9, 15, BROWN)          # door
    c.rect(7, 7, 8, 9, YELLOW)          # knob
    arrow_right(c, 8, 8, 16, RED)


def draw_new(c):
    page(c, lines=False)
    c.inside(lambda x, y: abs(x - 3) + abs(y - 3) < 2.5 and (abs(x - 3) < 0.6 or abs(y - 3) < 0.6), YELLOW)


def draw_open(c):
    c.poly([(1, 4), (5, 4), (6, 5), (12, 5), (12, 14), (1, 14)], OCHRE)
    c.poly([(3, 8), (15, 8), (12, 14), (1, 14)], YELLOW)
    c.line(1, 14, 12, 14, BLACK)
    c.line(1.5, 4, 1.5, 14, BLACK)
    c.line(3, 8, 15, 8, BLACK)
    c.line(15, 8, 12, 14, BLACK)
    c.line(5, 4, 6, 5, BLACK)
    c.line(1, 4.5, 5, 4.5, BLACK)
    c.line(6, 5.5, 12, 5.5, BLACK)


def draw_save(c):
    floppy(c, TEAL)


def draw_backup(c):
    floppy(c, NAVY)
    c.poly([(10, 0.5), (15.5, 0.5), (15.5, 6)], LIME)   # a green corner: "store now"
    c.line(11, 1.5, 15, 5.5, GREEN)


def draw_express(c):
    c.poly([(9, 0), (3, 9), (7.5, 9), (5, 16), (13, 6), (8.5, 6), (11, 0)], YELLOW)
    c.line(9, 0, 3, 9, BLACK)
    c.line(13, 6, 5, 16, BLACK)


def draw_compare(c):
    page(c, 1, 1, 9, 13)
    page(c, 7, 3, 15, 15)
    c.rect(9, 8, 13, 9, RED)
    c.rect(9, 11, 13, 12, RED)


def draw_uninstall(c):
    c.box(3, 4, 13, 15, WHITE)        # bin
    for x in (5, 7.5, 10):
        c.rect(x, 6, x + 1, 13, DARK)
    c.box(2, 2, 14, 4, DARK)          # lid
    c.rect(6, 1, 10, 2, BLACK)
    c.line(4, 7, 12, 13, RED, 1.5)
    c.line(12, 7, 4, 13, RED, 1.5)


def draw_view(c):
    page(c, 2, 1, 12, 15)
    c.inside(lambda x, y: ((x - 11) / 4.5) ** 2 + ((y - 11) / 2.6) ** 2 <= 1, WHITE)
    c.inside(lambda x, y: 0.75 <= ((x - 11) / 4.5) ** 2 + ((y - 11) / 2.6) ** 2 <= 1.25, BLACK)
    c.disc(11, 11, 1.6, BLUE)


def draw_cut(c):
    c.line(5, 1, 10, 10, DARK, 1.4)
    c.line(11, 1, 6, 10, DARK, 1.4)
    c.ring(5, 12, 2.7, 1.2, NAVY)
    c.ring(11, 12, 2.7, 1.2, NAVY)


def draw_copy(c):
    page(c, 1, 1, 10, 12)
    page(c, 6, 4, 15, 15)


def draw_paste(c):
    c.box(2, 2, 12, 15, BROWN)
    c.box(5, 1, 9, 4, DARK)
    page(c, 7, 6, 15, 15)


def draw_undo(c):
    c.inside(lambda x, y: y <= 10 and 16 <= (x - 9) ** 2 + (y - 10) ** 2 <= 30 and x >= 4, NAVY)
    c.poly([(1, 9), (7, 9), (4, 14)], NAVY)


def draw_find(c):
    magnifier(c)


def draw_findnext(c):
    magnifier(c, -1, -1)
    arrow_right(c, 8, 13.5, 16, RED)


def draw_print(c):
    c.box(4, 1, 12, 7, WHITE)                # paper in
    c.box(1, 6, 15, 12, GREY if c.px[0][0] is None else DARK)
    c.rect(2, 7, 14, 11, DARK)
    c.rect(11, 8, 13, 9, LIME)
    c.box(4, 10, 12, 15, WHITE)              # paper out
    c.rect(5, 12, 11, 13, BLACK)


def draw_options(c):
    for i, (y, on) in enumerate(((2, True), (7, False), (12, True))):
        c.box(1, y, 5, y + 4, WHITE)
        if on:
            c.line(1.8, y + 2, 3, y + 3.2, GREEN, 1.2)
            c.line(3, y + 3.2, 5, y + 0.5, GREEN, 1.2)
        c.rect(7, y + 1.5, 15, y + 2.5, NAVY)


def draw_help(c):
    c.disc(8, 8, 7.5, NAVY)
    c.ring(8, 6, 3, 1.5, WHITE)
    c.rect(4.5, 6, 8, 9.5, NAVY)   # open the ring's lower left
    c.rect(7.2, 8, 8.8, 11, WHITE)
    c.rect(7.2, 12, 8.8, 13.6, WHITE)


BUTTONS = [  # command id, small bitmap id, drawing
    (24310, 401, draw_exit),
    (24331, 413, draw_new),
    (24332, 414, draw_open),
    (24333, 415, draw_save),
    (204, 402, draw_backup),
    (205, 403, draw_express),
    (304, 407, draw_compare),
    (303, 406, draw_uninstall),
    (302, 405, draw_view),
    (24322, 410, draw_cut),
    (24323, 411, draw_copy),
    (24324, 412, draw_paste),
    (24321, 408, draw_undo),
    (24351, 418, draw_find),
    (24353, 419, draw_findnext),
    (24337, 416, draw_print),
    (301, 404, draw_options),
    (2001, 409, draw_help),
]
SPARE = {417: draw_print}  # 417 is not on the tool bar; kept so the 401-419 set is whole


def draw_app(c):
    page(c, 1, 1, 10, 13)
    page(c, 6, 3, 15, 15)
    c.line(8, 8, 13, 8, RED)
    c.line(8, 11, 13, 11, LIME)
    c.ring(5, 10, 3.2, 1.2, BLACK)
    c.line(7.3, 12.3, 9.5, 14.5, BROWN, 1.6)


def draw_document(c):
    page(c, 2, 0.5, 14, 15.5)
    c.rect(5, 3, 9, 4, NAVY)


def draw_about(c):
    c.disc(8, 8, 7.5, TEAL)
    c.ring(8, 8, 7.5, 0.8, BLACK)
    c.rect(7, 3, 9, 5, WHITE)
    c.rect(7, 6.5, 9, 13, WHITE)


# ---- file writers ----

def rows_bgr(c, bg):
    """Bottom-up rows of 24-bit BGR, padded to 4 bytes."""
    out = bytearray()
    for y in reversed(range(c.n)):
        row = bytearray()
        for x in range(c.n):
            r, g, b = c.px[y][x] or bg
            row += bytes((b, g, r))
        while len(row) % 4:
            row.append(0)
        out += row
    return bytes(out)


def bmp(c):
    pixels = rows_bgr(c, GREY)
    header = struct.pack("<IiiHHIIiiII", 40, c.n, c.n, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(pixels), 0, 0, 14 + len(header)) + header + pixels


def icon_image(c):
    """One 32-bit image with its AND mask, as stored in an ICO or CUR file."""
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(c.n)):
        bits = 0
        row = bytearray()
        for x in range(c.n):
            p = c.px[y][x]
            if p is None:
                xor += bytes((0, 0, 0, 0))
                bits |= 0x80 >> (x % 8)
            else:
                xor += bytes((p[2], p[1], p[0], 255))
            if x % 8 == 7:
                row.append(bits)
                bits = 0
        while len(row) % 4:
            row.append(0)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, c.n, 2 * c.n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def icon_file(images, kind=1, hotspot=(0, 0)):
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for c in images:
        blob = icon_image(c)
        planes, bpp = (hotspot if kind == 2 else (1, 32))
        out += struct.pack("<BBBBHHII", c.n % 256, c.n % 256, 0, 0, planes, bpp, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def render(draw, size, background=None):
    c = Canvas(size, background)
    draw(c)
    return c


def help_cursor():
    """An arrow with a question mark beside it; hot spot at the arrow's tip."""
    c = Canvas(32)
    arrow = [(1, 1), (1, 21), (6, 16), (10, 25), (13, 24), (9, 15), (16, 15)]
    c.u = 1.0
    c.poly(arrow, BLACK)
    inner = [(2, 3.5), (2, 18.5), (6.3, 14.3), (10.5, 23.5), (11.7, 23), (7.6, 14), (13.5, 14)]
    c.poly(inner, WHITE)
    c.disc(23, 8, 7.5, BLACK)
    c.ring(23, 7, 4.5, 2, WHITE)
    c.rect(17.5, 7, 23, 12, BLACK)
    c.rect(22, 9, 24.5, 12.5, WHITE)
    c.rect(22, 13.2, 24.5, 15.2, WHITE)
    return c


def main():
    os.makedirs(OUT, exist_ok=True)

    def write(name, data):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)

    for command, small, draw in BUTTONS:
        write("tb%d.bmp" % small, bmp(render(draw, 16)))
        write("tb%d.bmp" % command, bmp(render(draw, 32)))
    for small, draw in SPARE.items():
        write("tb%d.bmp" % small, bmp(render(draw, 16)))
    write("tessary.ico", icon_file([render(draw_app, 32), render(draw_app, 16)]))
    write("document.ico", icon_file([render(draw_document, 32), render(draw_document, 16)]))
    write("about.ico", icon_file([render(draw_about, 32)]))
    write("helpcursor.cur", icon_file([help_cursor()], kind=2, hotspot=(1, 1)))


if __name__ == "__main__":
    main()
