#!/usr/bin/env python3
"""Draws Ovalink's bitmaps and its icon into resources/art/.

Standard library only, and deterministic: the same files come out on every run, so the
outputs are committed and the build never needs Python. Run it after changing a picture:

    python3 resources/generate_art.py [--preview DIR]

--preview also writes enlarged PNGs of every picture for looking at them.
"""

import argparse
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ART = os.path.join(HERE, "art")


# --------------------------------------------------------------------------------------
# File formats

def write_bmp(path, width, height, palette, index_rows, bpp):
    """A palettised Windows DIB (4 or 8 bits per pixel), rows given top to bottom."""
    assert bpp in (4, 8) and len(palette) <= (1 << bpp)
    row_bytes = ((width * bpp + 31) // 32) * 4
    body = bytearray()
    for row in reversed(index_rows):
        packed = bytearray()
        if bpp == 8:
            packed.extend(row)
        else:
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                packed.append((hi << 4) | lo)
        packed.extend(b"\0" * (row_bytes - len(packed)))
        body.extend(packed)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(body), 2835, 2835,
                       len(palette), 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + colours + body)


def write_ico(path, images):
    """An icon file of 32-bit images with alpha; images are (size, rows of RGBA tuples)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, rows in images:
        xor = bytearray()
        for row in reversed(rows):
            for (r, g, b, a) in row:
                xor.extend((b, g, r, a))
        mask_row = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask.extend(bits)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                                   offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs))


def write_png(path, rows, alpha=False):
    """A plain PNG for previews; rows of RGB or RGBA tuples."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw.extend(px[:4] if alpha else px[:3])
    height, width = len(rows), len(rows[0])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --------------------------------------------------------------------------------------
# Small helpers

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def hash01(*values):
    """A repeatable pseudo-random number in [0, 1) from integers."""
    h = 2166136261
    for v in values:
        h ^= v & 0xFFFFFFFF
        h = (h * 16777619) & 0xFFFFFFFF
        h ^= h >> 13
        h = (h * 1274126177) & 0xFFFFFFFF
    return (h & 0xFFFFFF) / float(1 << 24)


def nearest(colour, palette):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        # Weighted for the eye's greater sensitivity to green.
        d = 3 * (colour[0] - p[0]) ** 2 + 4 * (colour[1] - p[1]) ** 2 + 2 * (colour[2] - p[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def to_bytes(colour):
    return tuple(int(round(clamp(c / 255.0) * 255)) for c in colour)


def pixel_art(rows, legend, palette):
    """Index rows from a character grid; legend maps characters to palette colours."""
    lookup = {ch: palette.index(col) for ch, col in legend.items()}
    return [[lookup[ch] for ch in row] for row in rows]


# --------------------------------------------------------------------------------------
# The small pictures (16 colours)

# Menu pictures share one palette; SILVER is the image list's transparent colour.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
INK = (64, 68, 80)
SHADE = (222, 228, 236)
NAVY = (22, 62, 150)
BLUE = (56, 128, 222)
SKY = (164, 206, 248)
GREEN = (30, 138, 60)
LEAF = (128, 204, 96)
GOLD = (252, 198, 40)
AMBER = (172, 112, 16)
RED = (204, 44, 44)
BROWN = (112, 72, 40)
CREAM = (255, 244, 184)
MENU_PALETTE = [BLACK, WHITE, SILVER, GREY, INK, SHADE, NAVY, BLUE, SKY, GREEN, LEAF, GOLD,
                AMBER, RED, BROWN, CREAM]

LEGEND = {".": SILVER, "K": BLACK, "W": WHITE, "g": GREY, "D": INK, "s": SHADE, "N": NAVY,
          "B": BLUE, "l": SKY, "G": GREEN, "h": LEAF, "Y": GOLD, "y": AMBER, "R": RED,
          "n": BROWN, "c": CREAM}

CHECK = [
    "................",
    "................",
    "............Dh..",
    "...........DGG..",
    "..........DGGD..",
    ".........DGGD...",
    "..Dh....DGGD....",
    "..GGh..DGGD.....",
    "..DGGhDGGD......",
    "...DGGGGD.......",
    "....DGGD........",
    ".....DD.........",
    "................",
    "................",
    "................",
    "................",
]

PAGE_QUESTION = [
    "..DDDDDDDDD.....",
    "..DWWWWWWWDD....",
    "..DWWWWWWWDsD...",
    "..DWWWWWWWDDDD..",
    "..DWWWNNNWWWsD..",
    "..DWWNNWNNWWsD..",
    "..DWWWWWNNWWsD..",
    "..DWWWWNNWWWsD..",
    "..DWWWNNWWWWsD..",
    "..DWWWNNWWWWsD..",
    "..DWWWWWWWWWsD..",
    "..DWWWNNWWWWsD..",
    "..DWWWNNWWWWsD..",
    "..DWWWWWWWWWsD..",
    "..DssssssssssD..",
    "..DDDDDDDDDDDD..",
]

# A sheet with text lines, and a gear wheel in front of its lower right corner.
PAGE_LINES = [
    ".DDDDDDDD.......",
    ".DWWWWWWDD......",
    ".DWWWWWWDsD.....",
    ".DWWWWWWDDDD....",
    ".DWggggWWWsD....",
    ".DWWWWWWWWsD....",
    ".DWgggggWWsD....",
    ".DWWWWWWWWsD....",
    ".DWggggWWWsD....",
    ".DWWWWWWWWsD....",
    ".DWgggWWWWsD....",
    ".DWWWWWWWWsD....",
    ".DWWWWWWWWsD....",
    ".DWWWWWWWWsD....",
    ".DssssssssssD...",
    ".DDDDDDDDDDD....",
]

GEAR = [
    "....yy....",
    ".yy.YY.yy.",
    ".yYyYYyYy.",
    "..yYyyYy..",
    "yYYy..yYYy",
    "yYYy..yYYy",
    "..yYyyYy..",
    ".yYyYYyYy.",
    ".yy.YY.yy.",
    "....yy....",
]


def overlay(base, top, left, row):
    """`top` drawn over `base` at (left, row); '.' in `top` lets the base show."""
    out = [list(r) for r in base]
    for j, line in enumerate(top):
        for i, ch in enumerate(line):
            if ch != ".":
                out[row + j][left + i] = ch
    return ["".join(r) for r in out]


PAGE_GEAR = overlay(PAGE_LINES, GEAR, 6, 6)

HANDSET = [
    "................",
    "................",
    "................",
    ".DDD............",
    "DgKKD...........",
    "DgKKKD..........",
    "DgKKD...........",
    "DgKD............",
    "DgKD............",
    ".DgKD...........",
    ".DgKD...........",
    "..DgKD....DD....",
    "...DgKD..DKKD...",
    "....DgKDDKKKD...",
    ".....DgKKKKD....",
    "......DDDDD.....",
]

QUESTION = [
    ".NNNN.",
    "NBB.NN",
    "....NN",
    "...NB.",
    "..NB..",
    "..NN..",
    "......",
    "..NB..",
    "..NN..",
]

HANDSET_QUESTION = overlay(HANDSET, QUESTION, 10, 0)

MAGNIFIER_PICTURE = [
    "DDDDDDDDDDDD....",
    "DlllllllcYcD....",
    "DllllllllYlD....",
    "DlllllllllD.....",
    "DllhhllDDDD.....",
    "DlhGGhDlllsD....",
    "DhGGGDlllllsD...",
    "DGGGDlllllllsD..",
    "DDDDDlllllllsD..",
    "....DlWlllllsD..",
    "....DlWllllssD..",
    ".....DlllsssDn..",
    "......DDDDDDnnn.",
    "............nnnn",
    ".............nnn",
    "..............n.",
]

# Pictures of the strip that no menu entry uses yet: media glyphs in the same style.
PLAY = [
    "................",
    "................",
    "....DD..........",
    "....DBD.........",
    "....DlBD........",
    "....DlBBD.......",
    "....DlBBBD......",
    "....DlBBBBD.....",
    "....DlBBBBD.....",
    "....DlBBBD......",
    "....DlBBD.......",
    "....DlBD........",
    "....DBD.........",
    "....DD..........",
    "................",
    "................",
]

PAUSE = [
    "................",
    "................",
    "...DDDD..DDDD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DlBD..DlBD...",
    "...DDDD..DDDD...",
    "................",
    "................",
]

STOP = [
    "................",
    "................",
    "................",
    "...DDDDDDDDDD...",
    "...DllllllllD...",
    "...DlBBBBBBBD...",
    "...DlBBBBBBBD...",
    "...DlBBBBBBBD...",
    "...DlBBBBBBBD...",
    "...DlBBBBBBBD...",
    "...DlBBBBBBBD...",
    "...DlBBBBBBBD...",
    "...DDDDDDDDDD...",
    "................",
    "................",
    "................",
]

RECORD = [
    "................",
    "................",
    "................",
    "......DDDD......",
    "....DDRRRRDD....",
    "....DRWcRRRD....",
    "...DRWcRRRRRD...",
    "...DRcRRRRRRD...",
    "...DRRRRRRRRD...",
    "...DRRRRRRRRD...",
    "....DRRRRRRD....",
    "....DDRRRRDD....",
    "......DDDD......",
    "................",
    "................",
    "................",
]

SPEAKER = [
    "................",
    "................",
    "......DD........",
    ".....DgD....B...",
    "....DggD..B..B..",
    "DDDDgggD...B.B..",
    "DsssgggD.B.B..B.",
    "DsssgggD.B.B..B.",
    "DsssgggD.B.B..B.",
    "DsssgggD.B.B..B.",
    "DDDDgggD...B.B..",
    "....DggD..B..B..",
    ".....DgD....B...",
    "......DD........",
    "................",
    "................",
]

POWER = [
    "................",
    "................",
    ".......DD.......",
    "....D..GG..D....",
    "...DGD.GG.DGD...",
    "..DGD..GG..DGD..",
    "..GD...GG...DG..",
    "..GD...GG...DG..",
    "..GD...DD...DG..",
    "..GD........DG..",
    "..DGD......DGD..",
    "...DGGD..DGGD...",
    "....DGGGGGGD....",
    "......DDDD......",
    "................",
    "................",
]

REMOTE = [
    "................",
    ".....DDDDDD.....",
    "....DgggggRD....",
    "....DgKKKKgD....",
    "....DgKBBKgD....",
    "....DgKKKKgD....",
    "....DgWgWgWD....",
    "....DggggggD....",
    "....DgWgWgWD....",
    "....DggggggD....",
    "....DgWgWgWD....",
    "....DggggggD....",
    "....DgWgWgWD....",
    "....DggggggD....",
    ".....DDDDDD.....",
    "................",
]

BLANK = ["." * 16] * 16

# Index in the strip -> picture. The menu uses 1, 3, 4, 5 and 11.
MENU_STRIP = [BLANK, CHECK, REMOTE, PAGE_GEAR, HANDSET_QUESTION, PAGE_QUESTION, PLAY, PAUSE,
              STOP, RECORD, SPEAKER, MAGNIFIER_PICTURE, POWER, BLANK, BLANK, BLANK, BLANK]


def menu_strip():
    assert len(MENU_STRIP) == 17
    pictures = [pixel_art(p, LEGEND, MENU_PALETTE) for p in MENU_STRIP]
    rows = []
    for y in range(16):
        row = []
        for picture in pictures:
            assert len(picture) == 16 and all(len(r) == 16 for r in picture)
            row.extend(picture[y])
        rows.append(row)
    return rows


def standalone_page(picture):
    """A page picture for a static control on the dialog's paper: the background is the
    paper's own tone instead of the menu's transparent silver."""
    palette = list(MENU_PALETTE)
    palette[palette.index(SILVER)] = PAPER_MID
    legend = dict(LEGEND)
    legend["."] = PAPER_MID
    return palette, pixel_art(picture, legend, palette)


# --------------------------------------------------------------------------------------
# Check-box lamps: a raised (or sunken) square tile with a lamp in its middle.

TILE_LIGHT = (250, 250, 246)
TILE_FACE = (214, 212, 204)
TILE_SHADOW = (150, 148, 140)
TILE_DARK = (92, 90, 84)


def tile_colour(x, y, raised):
    """Colour of a 16 x 16 bevelled tile at pixel (x, y)."""
    outer = x == 0 or y == 0 or x == 15 or y == 15
    inner = x == 1 or y == 1 or x == 14 or y == 14
    top_left = (x <= 1 and y < 15 - x) or (y <= 1 and x < 15 - y)
    if outer:
        if raised:
            return TILE_LIGHT if top_left and x < 15 and y < 15 else TILE_DARK
        return TILE_SHADOW if top_left and x < 15 and y < 15 else TILE_LIGHT
    if inner:
        if raised:
            return TILE_FACE if top_left else TILE_SHADOW
        return TILE_DARK if top_left else TILE_FACE
    return TILE_FACE


def render_tile(lamp, raised, palette):
    """lamp(x, y) gives (colour, coverage) of the lamp at a sample point or None."""
    samples = 4
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            base = tile_colour(x, y, raised)
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    px = x + (sx + 0.5) / samples
                    py = y + (sy + 0.5) / samples
                    c = lamp(px, py)
                    colour = base if c is None else mix(base, c[0], c[1])
                    for i in range(3):
                        acc[i] += colour[i]
            colour = tuple(a / samples / samples for a in acc)
            row.append(nearest(colour, palette))
        rows.append(row)
    return rows


def round_lamp(lit, hue_dark, hue_mid, hue_light, dotted=False):
    def lamp(px, py):
        dx, dy = px - 8.0, py - 8.0
        r = math.hypot(dx, dy)
        if r > 5.2:
            return None
        edge = smoothstep(5.2, 4.6, r)
        if r > 4.4:
            return (TILE_DARK, edge)  # bezel
        # Light comes from the top left: a highlight there, the rim darker.
        t = clamp(r / 4.4)
        body = mix(hue_light if lit else hue_mid, hue_dark, t ** 1.5)
        hl = math.hypot(dx + 1.6, dy + 1.6)
        if lit and hl < 1.3:
            body = mix(body, WHITE, 0.85)
        elif not lit and hl < 1.0:
            body = mix(body, hue_light, 0.5)
        if dotted and (int(px) + int(py)) % 2 == 0:
            body = mix(body, hue_dark, 0.6)
        return (body, 1.0)
    return lamp


def bar_lamp(body_dark, body_mid, body_light, half_width, half_height, highlight=True,
             flat=False):
    def lamp(px, py):
        dx, dy = abs(px - 8.0), abs(py - 8.0)
        ox, oy = half_width + 0.8, half_height + 0.8
        if dx > ox or dy > oy:
            return None
        if dx > half_width or dy > half_height:
            return (TILE_DARK, 1.0)  # bezel
        # Vertical shading of a lit lens: bright band above the middle.
        v = (py - (8.0 - half_height)) / (2 * half_height)
        if flat:
            return (body_mid, 1.0)
        body = mix(body_light, body_mid, smoothstep(0.2, 0.7, v))
        body = mix(body, body_dark, smoothstep(0.75, 1.0, v) * 0.7)
        if highlight and v < 0.28 and dx < half_width - 1.0:
            body = mix(body, WHITE, 0.55)
        return (body, 1.0)
    return lamp


def lamp_palette(*lamp_colours):
    base = [TILE_LIGHT, TILE_FACE, TILE_SHADOW, TILE_DARK, WHITE, BLACK]
    palette = base + [c for c in lamp_colours if c not in base]
    return palette[:16]


def lamps():
    out = {}
    # Skin 0: round lamps.
    g_dark, g_mid, g_light = (16, 96, 32), (40, 184, 64), (168, 255, 150)
    d_dark, d_mid, d_light = (14, 52, 22), (30, 84, 40), (60, 120, 70)
    pal = lamp_palette(g_dark, g_mid, g_light, mix(g_mid, g_light, 0.5), mix(g_dark, g_mid, 0.5),
                       mix(g_light, WHITE, 0.6), d_dark, d_mid)
    pal = [to_bytes(c) for c in pal]
    out[141] = (pal, render_tile(round_lamp(True, g_dark, g_mid, g_light), True, pal))
    pal = lamp_palette(d_dark, d_mid, d_light, mix(d_dark, d_mid, 0.5), mix(d_mid, d_light, 0.5),
                       (8, 30, 12))
    pal = [to_bytes(c) for c in pal]
    out[142] = (pal, render_tile(round_lamp(False, d_dark, d_mid, d_light, dotted=True), True, pal))
    out[143] = (pal, render_tile(round_lamp(False, (8, 30, 12), d_dark, d_mid), False, pal))
    # Skin 1: rectangular lamps; the pushed one shows a thin yellow bar.
    gb = ((18, 110, 36), (52, 200, 78), (190, 255, 170))
    rb = ((120, 16, 16), (222, 52, 44), (255, 178, 160))
    yb = ((168, 120, 8), (244, 196, 32), (255, 238, 150))
    pal = lamp_palette(*gb, mix(gb[1], gb[2], 0.5), mix(gb[0], gb[1], 0.5), mix(gb[2], WHITE, 0.5),
                       *rb, mix(rb[1], rb[2], 0.5), mix(rb[0], rb[1], 0.5))
    pal = [to_bytes(c) for c in pal]
    out[144] = (pal, render_tile(bar_lamp(*gb, 4.0, 2.5), True, pal))
    out[145] = (pal, render_tile(bar_lamp(*rb, 4.0, 2.5), True, pal))
    pal = lamp_palette(*yb, mix(yb[1], yb[2], 0.5), mix(yb[0], yb[1], 0.5))
    pal = [to_bytes(c) for c in pal]
    out[146] = (pal, render_tile(bar_lamp(*yb, 5.0, 1.0, flat=True), False, pal))
    return out


# --------------------------------------------------------------------------------------
# Paper texture: tiles seamlessly, so every pattern below is periodic in 151 x 126.

PAPER_W, PAPER_H = 151, 126
PAPER_DARK = (222, 216, 200)
PAPER_LIGHT = (253, 251, 246)
PAPER_MID = (244, 241, 232)


def periodic_noise(x, y, cells_x, cells_y, seed):
    """Value noise on a lattice that wraps around the tile."""
    fx = x / PAPER_W * cells_x
    fy = y / PAPER_H * cells_y
    ix, iy = int(math.floor(fx)), int(math.floor(fy))
    tx, ty = fx - ix, fy - iy
    tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)

    def at(i, j):
        return hash01(i % cells_x, j % cells_y, seed)

    a = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx
    b = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx
    return a + (b - a) * ty


def paper():
    value = [[0.0] * PAPER_W for _ in range(PAPER_H)]
    for y in range(PAPER_H):
        for x in range(PAPER_W):
            v = 0.0
            v += 0.50 * periodic_noise(x, y, 5, 4, 1)
            v += 0.30 * periodic_noise(x, y, 13, 11, 2)
            v += 0.20 * periodic_noise(x, y, 37, 31, 3)
            grain = hash01(x, y, 4) - 0.5
            value[y][x] = 0.72 + (v - 0.5) * 0.30 + grain * 0.10
    # Fibres: short, gently curved strands, lighter or darker than the sheet, wrapping at
    # the tile's edges.
    for n in range(90):
        x0 = hash01(n, 11) * PAPER_W
        y0 = hash01(n, 12) * PAPER_H
        angle = hash01(n, 13) * math.pi
        bend = (hash01(n, 14) - 0.5) * 0.08
        length = 6 + hash01(n, 15) * 16
        strength = (0.07 if hash01(n, 16) < 0.55 else -0.06) * (0.5 + hash01(n, 17))
        steps = int(length * 3)
        for s in range(steps):
            a = angle + bend * s
            px = x0 + math.cos(a) * s / 3.0
            py = y0 + math.sin(a) * s / 3.0
            fade = math.sin(math.pi * s / steps)
            ix, iy = int(px) % PAPER_W, int(py) % PAPER_H
            value[iy][ix] += strength * fade / 3.0 * 2.2
    palette = [to_bytes(mix(PAPER_DARK, PAPER_LIGHT, i / 255.0)) for i in range(256)]
    rows = [[int(round(clamp(v) * 255)) for v in row] for row in value]
    return palette, rows


# --------------------------------------------------------------------------------------
# About picture: a night-blue globe of dotted continents with flight-path light trails.

# Coastlines, coarse on purpose: (longitude, latitude) in degrees, east and north positive.
LAND = [
    # North America
    [(-166, 68), (-156, 71), (-140, 70), (-125, 70), (-110, 68), (-95, 71), (-82, 69),
     (-80, 63), (-90, 57), (-82, 52), (-78, 56), (-77, 62), (-70, 61), (-64, 60), (-61, 55),
     (-56, 52), (-60, 47), (-66, 45), (-70, 42), (-75, 38), (-76, 35), (-81, 31), (-80, 26),
     (-82, 25), (-83, 29), (-90, 30), (-97, 27), (-97, 22), (-92, 19), (-87, 21), (-88, 16),
     (-84, 15), (-83, 10), (-79, 9), (-78, 7), (-81, 8), (-86, 12), (-92, 14), (-98, 16),
     (-105, 20), (-110, 24), (-114, 30), (-117, 32), (-121, 35), (-124, 40), (-124, 46),
     (-123, 49), (-127, 51), (-131, 55), (-135, 58), (-140, 60), (-147, 61), (-153, 59),
     (-158, 57), (-164, 55), (-160, 58), (-165, 62)],
    # Greenland
    [(-73, 78), (-60, 82), (-40, 83), (-22, 82), (-18, 77), (-22, 70), (-30, 68), (-40, 65),
     (-44, 60), (-50, 62), (-53, 67), (-56, 72), (-66, 76)],
    # South America
    [(-78, 8), (-72, 12), (-63, 11), (-60, 8), (-52, 5), (-50, 0), (-44, -2), (-35, -5),
     (-35, -9), (-39, -14), (-41, -22), (-48, -26), (-53, -34), (-58, -38), (-62, -39),
     (-65, -42), (-67, -46), (-66, -50), (-69, -52), (-68, -55), (-72, -54), (-75, -48),
     (-74, -42), (-73, -37), (-71, -30), (-70, -18), (-76, -14), (-80, -8), (-81, -4),
     (-80, 0), (-78, 3)],
    # Eurasia
    [(-9, 37), (-9, 43), (-2, 43.5), (-1, 46), (-4, 48), (2, 51), (5, 53), (8, 54), (10, 54),
     (20, 55), (24, 58), (29, 60), (30, 62), (33, 69), (41, 67), (44, 68), (55, 68),
     (60, 69), (70, 73), (80, 73), (90, 76), (100, 78), (113, 74), (130, 72), (140, 72),
     (160, 70), (170, 70), (180, 69), (180, 65), (178, 62), (170, 60), (163, 58), (162, 54),
     (157, 51), (156, 57), (150, 59), (142, 59), (137, 54), (141, 50), (135, 44), (130, 42),
     (129, 35), (126, 35), (125, 39), (121, 40), (118, 38), (122, 37), (120, 34), (122, 30),
     (120, 26), (117, 23), (110, 21), (109, 12), (106, 9), (104, 10), (100, 13), (100, 8),
     (103, 2), (101, 3), (98, 8), (98, 16), (94, 18), (92, 22), (88, 22), (85, 20),
     (80, 15), (80, 9), (77, 8), (73, 16), (72, 21), (68, 23), (62, 25), (58, 23), (59, 22),
     (55, 17), (52, 16), (45, 13), (43, 13), (39, 21), (35, 28), (34, 31), (35, 33),
     (36, 36), (30, 36), (27, 37), (26, 40), (23, 36.5), (21, 38), (20, 40), (19, 42),
     (13, 45), (16, 41), (18, 40), (16, 38), (15, 40), (12, 42), (10, 44), (8, 44), (3, 43),
     (0, 39), (-2, 37), (-6, 36)],
    # Scandinavia
    [(5, 58), (8, 58), (11, 59), (12, 56), (16, 56), (19, 60), (17, 62), (22, 65), (25, 66),
     (29, 70), (22, 71), (15, 69), (10, 64), (5, 62)],
    # Britain and Ireland
    [(-5, 50), (1, 51), (2, 53), (-2, 56), (-2, 58), (-5, 58.6), (-6, 56), (-5, 54),
     (-3, 53.5), (-5, 52)],
    [(-10, 52), (-6, 52), (-6, 55), (-8, 55)],
    # Iceland
    [(-24, 64), (-22, 66), (-15, 66.5), (-13, 65), (-18, 63.5)],
    # Africa
    [(-17, 21), (-16, 27), (-10, 30), (-6, 36), (10, 37), (11, 33), (20, 31), (25, 32),
     (32, 31), (34, 28), (37, 22), (39, 15), (43, 12), (51, 12), (51, 10), (47, 4), (41, -2),
     (40, -10), (41, -15), (35, -24), (33, -28), (27, -34), (20, -35), (18, -32), (15, -27),
     (12, -17), (13, -12), (9, -1), (9, 4), (5, 6), (-2, 5), (-8, 4), (-13, 8), (-17, 14)],
    # Madagascar
    [(44, -25), (43, -21), (45, -16), (49, -12), (50, -16), (47, -25)],
    # Arabian Sea islands, Japan, South-East Asia, Oceania
    [(80, 6), (82, 7), (81, 9.5), (79.8, 8)],
    [(130, 31), (132, 34), (136, 34), (140, 35), (141, 38), (142, 41), (140, 41),
     (139, 38), (136, 36), (133, 35.5)],
    [(140, 42), (145, 43), (145, 45), (142, 45.5)],
    [(95, 5), (98, 4), (106, -6), (103, -5), (98, -1)],
    [(109, 2), (111, -3), (116, -4), (119, 1), (117, 7), (113, 3)],
    [(105, -6), (114, -7), (114, -8.5), (106, -7.5)],
    [(119, -5), (121, 1), (125, 1.5), (121, -2), (123, -5)],
    [(120, 18), (122, 18.5), (124, 13), (126, 8), (123, 7), (121, 14)],
    [(131, -1), (137, -2), (141, -3), (147, -6), (150, -10), (143, -9), (138, -8), (135, -4)],
    [(114, -22), (114, -26), (115, -34), (118, -35), (123, -34), (129, -32), (135, -35),
     (138, -35), (140, -38), (146, -39), (150, -37), (153, -32), (153, -27), (150, -22),
     (146, -19), (145, -15), (142, -11), (141, -16), (140, -17), (136, -15), (137, -12),
     (132, -11), (129, -15), (126, -14), (122, -17), (118, -20)],
    [(166, -46), (172, -41), (174, -37), (178, -38), (174, -42), (169, -47)],
    # Caribbean
    [(-85, 22), (-80, 23), (-74, 20), (-78, 19.5), (-84, 21)],
    [(-74, 19.8), (-69, 19.8), (-68, 18), (-74, 18)],
]

# Inland seas cut out of the land above.
WATER = [
    [(28, 41), (28, 45), (31, 46.5), (34, 45), (38, 47), (41, 42), (36, 41.5)],  # Black Sea
    [(47, 45), (50, 47), (54, 46), (53, 40), (54, 37), (50, 37), (49, 40)],  # Caspian
    [(10, 54), (14, 54), (21, 55), (21, 57), (24, 59), (30, 60), (23, 60), (21, 62),
     (25, 65), (22, 66), (18, 63), (19, 60), (16, 56), (12, 56)],  # Baltic
    [(-95, 59), (-87, 56), (-80, 52), (-78, 56), (-78, 62), (-86, 64), (-94, 62)],  # Hudson
]

# Cities joined by the light trails.
CITIES = {"new_york": (-74, 40.7), "london": (0, 51.5), "sao_paulo": (-46.6, -23.5),
          "lagos": (3.4, 6.5), "cape_town": (18.4, -33.9), "mexico": (-99, 19.4),
          "moscow": (37.6, 55.8), "cairo": (31.2, 30)}
TRAILS = [("new_york", "london"), ("sao_paulo", "moscow"), ("mexico", "cape_town"),
          ("lagos", "new_york")]

ABOUT_W, ABOUT_H = 200, 255
DOT_PITCH, DOT_RADIUS = 3.0, 1.15


def point_in_polygon(x, y, polygon):
    inside = False
    n = len(polygon)
    for i in range(n):
        x1, y1 = polygon[i]
        x2, y2 = polygon[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def land_grid(step=1.0):
    """Land lookup on a regular longitude/latitude grid."""
    cols, rows = int(360 / step), int(180 / step)
    grid = [[False] * cols for _ in range(rows)]
    boxes = [(min(p[0] for p in poly), max(p[0] for p in poly), min(p[1] for p in poly),
              max(p[1] for p in poly), poly) for poly in LAND + WATER]
    for j in range(rows):
        lat = 90 - (j + 0.5) * step
        for i in range(cols):
            lon = -180 + (i + 0.5) * step
            land = lat < -70  # Antarctica
            for k, (x0, x1, y0, y1, poly) in enumerate(boxes):
                if x0 <= lon <= x1 and y0 <= lat <= y1 and point_in_polygon(lon, lat, poly):
                    land = k < len(LAND)
            grid[j][i] = land
    return grid, step


def sphere_vector(lon, lat):
    lo, la = math.radians(lon), math.radians(lat)
    return (math.cos(la) * math.sin(lo), math.sin(la), math.cos(la) * math.cos(lo))


class Globe:
    """Orthographic view of the unit sphere, centred on (lon0, lat0)."""

    def __init__(self, cx, cy, radius, lon0, lat0):
        self.cx, self.cy, self.r = cx, cy, radius
        lo, la = math.radians(lon0), math.radians(lat0)
        # Camera basis: forward points at the centre of the view.
        self.f = (math.cos(la) * math.sin(lo), math.sin(la), math.cos(la) * math.cos(lo))
        self.e = (math.cos(lo), 0.0, -math.sin(lo))
        self.n = (-math.sin(la) * math.sin(lo), math.cos(la), -math.sin(la) * math.cos(lo))

    def project(self, v):
        x = sum(a * b for a, b in zip(v, self.e))
        y = sum(a * b for a, b in zip(v, self.n))
        z = sum(a * b for a, b in zip(v, self.f))
        return self.cx + x * self.r, self.cy - y * self.r, z

    def unproject(self, px, py):
        x = (px - self.cx) / self.r
        y = (self.cy - py) / self.r
        d = x * x + y * y
        if d > 1.0:
            return None
        z = math.sqrt(1.0 - d)
        v = tuple(x * a + y * b + z * c for a, b, c in zip(self.e, self.n, self.f))
        return v, z


def great_circle(a, b, steps):
    """Points from a to b along the great circle, as unit vectors."""
    va, vb = sphere_vector(*a), sphere_vector(*b)
    omega = math.acos(clamp(sum(x * y for x, y in zip(va, vb)), -1.0, 1.0))
    out = []
    for k in range(steps + 1):
        t = k / steps
        s0 = math.sin((1 - t) * omega) / math.sin(omega)
        s1 = math.sin(t * omega) / math.sin(omega)
        out.append((tuple(s0 * x + s1 * y for x, y in zip(va, vb)), t))
    return out


def median_cut(colours, count):
    """Palette of `count` colours for a list of (r, g, b, weight) entries."""
    boxes = [colours]
    while len(boxes) < count:
        # Split the box with the widest weighted spread.
        best, best_score, best_axis = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                lo = min(c[axis] for c in box)
                hi = max(c[axis] for c in box)
                score = (hi - lo) * sum(c[3] for c in box) ** 0.5
                if score > best_score:
                    best, best_score, best_axis = i, score, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[best_axis])
        total = sum(c[3] for c in box)
        acc, cut = 0, 1
        for k, c in enumerate(box):
            acc += c[3]
            if acc >= total / 2:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes.extend([box[:cut], box[cut:]])
    palette = []
    for box in boxes:
        w = sum(c[3] for c in box)
        palette.append(tuple(int(round(sum(c[i] * c[3] for c in box) / w)) for i in range(3)))
    return palette


def about_picture():
    grid, step = land_grid(1.0)
    globe = Globe(100.0, 128.0, 82.0, -32.0, 22.0)
    light = (-0.45, 0.55, 0.70)  # from the upper left, in view space
    ln = math.sqrt(sum(c * c for c in light))
    light = tuple(c / ln for c in light)

    def is_land(v):
        lat = math.degrees(math.asin(clamp(v[1], -1.0, 1.0)))
        lon = math.degrees(math.atan2(v[0], v[2]))
        j = min(int((90 - lat) / step), len(grid) - 1)
        i = min(int((lon + 180) / step), len(grid[0]) - 1)
        return grid[j][i]

    image = [[(0.0, 0.0, 0.0)] * ABOUT_W for _ in range(ABOUT_H)]
    space_top, space_bottom = (10, 26, 66), (3, 8, 26)
    ocean_lit, ocean_dark = (26, 72, 150), (6, 22, 70)
    land_lit, land_dark = (150, 214, 255), (40, 110, 200)
    ss = 3
    for y in range(ABOUT_H):
        for x in range(ABOUT_W):
            acc = [0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    px = x + (sx + 0.5) / ss
                    py = y + (sy + 0.5) / ss
                    bg = mix(space_top, space_bottom, py / ABOUT_H)
                    # Atmosphere: a soft halo just outside the rim.
                    d = math.hypot(px - globe.cx, py - globe.cy) / globe.r
                    if d > 1.0:
                        halo = math.exp(-(d - 1.0) * 14.0) * 0.9
                        colour = mix(bg, (70, 150, 255), halo)
                    else:
                        v, z = globe.unproject(px, py)
                        sx3 = (px - globe.cx) / globe.r
                        sy3 = (globe.cy - py) / globe.r
                        shade = clamp(0.25 + 0.75 * (sx3 * light[0] + sy3 * light[1] + z * light[2]))
                        colour = mix(ocean_dark, ocean_lit, shade)
                        # Round dots on a staggered 3-pixel grid, lit where there is land.
                        row = math.floor(py / DOT_PITCH)
                        gx = px / DOT_PITCH - (0.5 if row % 2 else 0.0)
                        cx = (math.floor(gx) + 0.5 + (0.5 if row % 2 else 0.0)) * DOT_PITCH
                        cy = (row + 0.5) * DOT_PITCH
                        dd = math.hypot(px - cx, py - cy)
                        centre = globe.unproject(cx, cy)
                        if centre is not None and is_land(centre[0]):
                            dot = smoothstep(DOT_RADIUS + 0.35, DOT_RADIUS - 0.35, dd)
                            colour = mix(colour, mix(land_dark, land_lit, shade), dot)
                        # Rim light on the edge of the sphere.
                        colour = mix(colour, (90, 170, 255), smoothstep(0.25, 0.0, z) * 0.6)
                    for i in range(3):
                        acc[i] += colour[i]
            image[y][x] = tuple(a / (ss * ss) for a in acc)

    # Stars, kept off the globe.
    for k in range(70):
        sx, sy = int(hash01(k, 91) * ABOUT_W), int(hash01(k, 92) * ABOUT_H)
        if math.hypot(sx - globe.cx, sy - globe.cy) < globe.r + 8:
            continue
        b = 0.35 + 0.65 * hash01(k, 93) ** 2
        image[sy][sx] = mix(image[sy][sx], (220, 235, 255), b)

    # Light trails: arcs that rise off the surface between two cities, glowing additively.
    glow = [[0.0] * ABOUT_W for _ in range(ABOUT_H)]
    core = [[0.0] * ABOUT_W for _ in range(ABOUT_H)]

    def splat(buffer, fx, fy, radius, amount):
        for yy in range(int(fy - radius * 3), int(fy + radius * 3) + 1):
            if not 0 <= yy < ABOUT_H:
                continue
            for xx in range(int(fx - radius * 3), int(fx + radius * 3) + 1):
                if 0 <= xx < ABOUT_W:
                    d2 = (xx + 0.5 - fx) ** 2 + (yy + 0.5 - fy) ** 2
                    buffer[yy][xx] += amount * math.exp(-d2 / (2 * radius * radius))

    ends = []
    for a, b in TRAILS:
        points = great_circle(CITIES[a], CITIES[b], 400)
        for v, t in points:
            lift = 1.0 + 0.16 * math.sin(math.pi * t)
            px, py, z = globe.project(tuple(c * lift for c in v))
            # Hidden behind the globe: in front when z > 0 or outside the disc.
            behind = z < 0 and math.hypot(px - globe.cx, py - globe.cy) < globe.r
            if behind:
                continue
            fade = 0.35 + 0.65 * math.sin(math.pi * t) ** 0.5
            splat(glow, px, py, 2.2, 0.055 * fade)
            splat(core, px, py, 0.6, 0.16 * fade)
        for city in (a, b):
            px, py, z = globe.project(sphere_vector(*CITIES[city]))
            if z > 0:
                ends.append((px, py))
    for px, py in ends:
        splat(glow, px, py, 2.8, 1.6)
        splat(core, px, py, 0.8, 1.8)

    trail_glow, trail_core = (60, 170, 255), (235, 250, 255)
    for y in range(ABOUT_H):
        for x in range(ABOUT_W):
            c = image[y][x]
            g = 1.0 - math.exp(-glow[y][x])
            c = tuple(min(255.0, ci + tg * g) for ci, tg in zip(c, trail_glow))
            k = 1.0 - math.exp(-core[y][x])
            c = mix(c, trail_core, k)
            image[y][x] = c

    pixels = [to_bytes(c) for row in image for c in row]
    counts = {}
    for p in pixels:
        counts[p] = counts.get(p, 0) + 1
    palette = median_cut([(r, g, b, w) for (r, g, b), w in counts.items()], 256)
    cache = {}
    rows = []
    for y in range(ABOUT_H):
        row = []
        for x in range(ABOUT_W):
            p = pixels[y * ABOUT_W + x]
            if p not in cache:
                cache[p] = nearest(p, palette)
            row.append(cache[p])
        rows.append(row)
    return palette, rows


# --------------------------------------------------------------------------------------
# Program icon: a remote control sending its beam.

def sd_round_rect(px, py, cx, cy, half_w, half_h, radius, angle):
    """Signed distance to a rotated rounded rectangle (negative inside)."""
    ca, sa = math.cos(angle), math.sin(angle)
    dx, dy = px - cx, py - cy
    lx, ly = dx * ca + dy * sa, -dx * sa + dy * ca
    qx = abs(lx) - half_w + radius
    qy = abs(ly) - half_h + radius
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius, lx, ly


# Two layouts: tilted for the large sizes; upright and pixel-aligned for 16 x 16, where a
# tilted body would blur.
ICON_LARGE = dict(angle=32, cx=0.34, cy=0.655, hw=0.165, hh=0.315, corner=0.08,
                  beam=None, radii=(0.11, 0.20, 0.29), width=0.04, spread=40, keys=True)
ICON_SMALL = dict(angle=0, cx=0.3125, cy=0.66, hw=0.1875, hh=0.32, corner=0.09,
                  beam=-42, radii=(0.17, 0.34), width=0.06, spread=36, keys=False)


def icon_sample(px, py, s):
    """RGBA (0-255 colour, 0-1 alpha) of the icon at a point of the unit square."""
    angle = math.radians(s["angle"])
    cx, cy, hw, hh = s["cx"], s["cy"], s["hw"], s["hh"]
    d, lx, ly = sd_round_rect(px, py, cx, cy, hw, hh, s["corner"], angle)
    layers = []
    # The beam: three arcs around the remote's nose.
    ca, sa = math.cos(angle), math.sin(angle)
    reach = hh + 0.03
    nose_x, nose_y = cx + reach * sa, cy - reach * ca
    axis = math.atan2(-ca, sa) if s["beam"] is None else math.radians(s["beam"])
    if s["beam"] is not None:
        nose_x, nose_y = cx + hw * 0.5, cy - hh
    r = math.hypot(px - nose_x, py - nose_y)
    a = math.atan2(py - nose_y, px - nose_x)
    off = abs((a - axis + math.pi) % (2 * math.pi) - math.pi)
    for k, radius in enumerate(s["radii"]):
        if abs(r - radius) < s["width"] and off < math.radians(s["spread"]):
            colour = mix((140, 220, 255), (40, 140, 240), k / 2.0)
            layers.append((colour, 1.0))
    if d < 0:
        t = clamp((ly + hh) / (2 * hh))
        body = mix((96, 106, 128), (36, 40, 52), t)
        rim = 0.035 if s["keys"] else 0.06
        if d > -rim:
            body = (22, 24, 32)
        elif math.hypot(lx, ly + hh * 0.62) < hh * 0.16:
            body = (236, 64, 52)  # power
        elif abs(math.hypot(lx, ly + hh * 0.08) - hh * 0.27) < hh * 0.09:
            body = (120, 190, 255)  # ring of the cursor keys
        elif s["keys"]:
            for bx in (-0.075, 0.075):
                for by in (0.40, 0.68):
                    if abs(lx - bx) < 0.04 and abs(ly - by * hh) < 0.03:
                        body = (200, 206, 216)
        layers.append((body, 1.0))
    colour, alpha = (0, 0, 0), 0.0
    for c, al in layers:  # painter's order: beam, then body
        colour = mix(colour, c, al) if alpha > 0 else c
        alpha = max(alpha, al)
    return colour, alpha


def render_icon(size, ss=8):
    layout = ICON_SMALL if size <= 16 else ICON_LARGE
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc, alpha = [0.0, 0.0, 0.0], 0.0
            for sy in range(ss):
                for sx in range(ss):
                    c, a = icon_sample((x + (sx + 0.5) / ss) / size, (y + (sy + 0.5) / ss) / size,
                                      layout)
                    for i in range(3):
                        acc[i] += c[i] * a
                    alpha += a
            n = ss * ss
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(v / alpha)) for v in acc) + (int(round(255 * alpha / n)),))
        rows.append(row)
    return rows


# --------------------------------------------------------------------------------------
# Output

def save_preview(directory, name, palette, rows, scale):
    pixels = [[palette[i] for i in row] for row in rows]
    big = []
    for row in pixels:
        wide = [px for px in row for _ in range(scale)]
        big.extend([wide] * scale)
    write_png(os.path.join(directory, name + ".png"), big)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNG previews")
    args = parser.parse_args()
    os.makedirs(ART, exist_ok=True)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)

    outputs = []  # (file name, palette, rows, bpp, preview scale)
    outputs.append(("menu_images.bmp", MENU_PALETTE, menu_strip(), 4, 6))
    palette, rows = standalone_page(PAGE_QUESTION)
    outputs.append(("help_page.bmp", palette, rows, 4, 8))
    palette, rows = standalone_page(PAGE_GEAR)
    outputs.append(("settings_page.bmp", palette, rows, 4, 8))
    names = {141: "lamp_round_on", 142: "lamp_round_off", 143: "lamp_round_pushed",
             144: "lamp_bar_on", 145: "lamp_bar_off", 146: "lamp_bar_pushed"}
    for rid, (palette, rows) in sorted(lamps().items()):
        outputs.append((names[rid] + ".bmp", palette, rows, 4, 8))
    palette, rows = paper()
    outputs.append(("paper.bmp", palette, rows, 8, 2))
    palette, rows = about_picture()
    outputs.append(("about_globe.bmp", palette, rows, 8, 2))

    icons = [(size, render_icon(size)) for size in (16, 32, 48)]
    write_ico(os.path.join(ART, "ovalink.ico"), icons)
    if args.preview:
        for size, rows in icons:
            scale = 96 // size
            big = []
            for row in rows:
                wide = [px for px in row for _ in range(scale)]
                big.extend([wide] * scale)
            write_png(os.path.join(args.preview, "icon%d.png" % size), big, alpha=True)

    for name, palette, rows, bpp, scale in outputs:
        write_bmp(os.path.join(ART, name), len(rows[0]), len(rows), palette, rows, bpp)
        if args.preview:
            save_preview(args.preview, name[:-4], palette, rows, scale)


if __name__ == "__main__":
    main()
