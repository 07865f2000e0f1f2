# Draws the settings dialog's badge and button bitmaps into src/resources: python3 draw_bitmaps.py [--preview DIR]
import argparse
import os
import struct
import zlib

FACE = (240, 240, 240)

# Bold capitals, 2-pixel stems, 8 rows high.
GLYPHS = {
    'D': ["#####.",
          "##..##",
          "##..##",
          "##..##",
          "##..##",
          "##..##",
          "##..##",
          "#####."],
    'F': ["######",
          "##....",
          "##....",
          "#####.",
          "##....",
          "##....",
          "##....",
          "##...."],
    'L': ["##....",
          "##....",
          "##....",
          "##....",
          "##....",
          "##....",
          "##....",
          "######"],
    'M': ["##....##",
          "###..###",
          "########",
          "##.##.##",
          "##....##",
          "##....##",
          "##....##",
          "##....##"],
    'R': ["#####.",
          "##..##",
          "##..##",
          "##..##",
          "#####.",
          "##.##.",
          "##..##",
          "##..##"],
    'S': [".####.",
          "##..##",
          "##....",
          ".####.",
          "....##",
          "....##",
          "##..##",
          ".####."],
    'X': ["##..##",
          "##..##",
          ".####.",
          "..##..",
          "..##..",
          ".####.",
          "##..##",
          "##..##"],
}

BADGE_WIDTH, BADGE_HEIGHT = 36, 14
LETTER_GAP = 2

# name: (fill, border, top highlight, text)
BADGES = {
    'BadgeRss': ('RSS', (247, 132, 34), (176, 80, 8), (252, 170, 96), (255, 255, 255)),
    'BadgeRdf': ('RDF', (52, 108, 196), (24, 58, 128), (110, 156, 226), (255, 255, 255)),
    'BadgeXml': ('XML', (255, 210, 40), (176, 134, 0), (255, 234, 140), (58, 44, 0)),
}

# Button images, 20 x 10. '.' is mask bit 0: the dialog paints the button face there;
# every other letter is mask bit 1 and shows the image pixel.
ARROW_BLUE = (30, 100, 210)

RETRIEVE_COLOURS = {
    'B': ARROW_BLUE,
    'K': (70, 70, 70),      # tray outline
    'M': (190, 198, 210),   # tray floor
}
RETRIEVE = [
    ".........BB.........",
    ".........BB.........",
    ".........BB.........",
    "......BBBBBBBB......",
    ".......BBBBBB.......",
    "..K.....BBBB.....K..",
    "..K......BB......K..",
    "..KKKKKK....KKKKKK..",
    "..KMMMMKKKKKKMMMMK..",
    "..KKKKKKKKKKKKKKKK..",
]

STOP_COLOURS = {
    'R': (220, 20, 20),     # cross
    'B': ARROW_BLUE,        # the retrieval arrow, turned back
}
STOP = [
    "RR......RR....BB....",
    "RRR....RRR...BBB....",
    ".RRR..RRR...BBBBBBB.",
    "..RRRRRR...BBBBBBBBB",
    "...RRRR.....BBB...BB",
    "...RRRR......BB...BB",
    "..RRRRRR..........BB",
    ".RRR..RRR.........BB",
    "RRR....RRR....BBBBBB",
    "RR......RR....BBBBB.",
]

GEARS_COLOURS = {
    'K': (60, 60, 60),      # teeth and rims
    'M': (165, 165, 165),   # metal
}
GEARS = [
    ".....KK.............",
    "..KK.KK.KK..........",
    "..KKKMMKKK....KK....",
    "...KMMMMK...K.KK.K..",
    ".KKMM..MMKK.KKMMKK..",
    ".KKMM..MMKKKKM..MKK.",
    "...KMMMMK..KKM..MKK.",
    "..KKKMMKKK..KKMMKK..",
    "..KK.KK.KK..K.KK.K..",
    ".....KK.......KK....",
]

BUTTONS = {
    'RetrieveButton': (RETRIEVE, RETRIEVE_COLOURS),
    'StopButton': (STOP, STOP_COLOURS),
    'GearsButton': (GEARS, GEARS_COLOURS),
}


def badge_pixels(text, fill, border, highlight, ink):
    pixels = [[fill] * BADGE_WIDTH for _ in range(BADGE_HEIGHT)]
    for x in range(BADGE_WIDTH):
        pixels[0][x] = pixels[-1][x] = border
        if 0 < x < BADGE_WIDTH - 1:
            pixels[1][x] = highlight
    for row in pixels:
        row[0] = row[-1] = border
    glyphs = [GLYPHS[c] for c in text]
    width = sum(len(g[0]) for g in glyphs) + LETTER_GAP * (len(glyphs) - 1)
    assert width <= BADGE_WIDTH - 2, text
    x = (BADGE_WIDTH - width) // 2
    top = (BADGE_HEIGHT - len(glyphs[0])) // 2
    for glyph in glyphs:
        for dy, line in enumerate(glyph):
            for dx, c in enumerate(line):
                if c == '#':
                    pixels[top + dy][x + dx] = ink
        x += len(glyph[0]) + LETTER_GAP
    return pixels


def button_pixels(rows, colours):
    # The face grey under the mask keeps the image sensible if it is ever drawn unmasked.
    assert len(rows) == 10 and all(len(r) == 20 for r in rows), rows
    image = [[FACE if c == '.' else colours[c] for c in r] for r in rows]
    mask = [[0 if c == '.' else 1 for c in r] for r in rows]
    return image, mask


def bmp_file(width, height, bits, palette, row_bytes_of):
    stride = (width * bits + 31) // 32 * 4
    body = b''.join(row_bytes_of(y).ljust(stride, b'\0') for y in reversed(range(height)))
    colour_table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colour_table)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(body), 2835, 2835,
                       len(palette), 0)
    header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    return header + info + colour_table + body


def bmp24(pixels):
    return bmp_file(len(pixels[0]), len(pixels), 24, [],
                    lambda y: b''.join(bytes((b, g, r)) for r, g, b in pixels[y]))


def bmp1(bits):
    def row(y):
        value = 0
        for bit in bits[y]:
            value = value << 1 | bit
        pad = -len(bits[y]) % 8
        return (value << pad).to_bytes((len(bits[y]) + pad) // 8, 'big')
    return bmp_file(len(bits[0]), len(bits), 1, [(0, 0, 0), (255, 255, 255)], row)


def png(pixels):
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in pixels)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data)))
    ihdr = struct.pack('>IIBBBBB', len(pixels[0]), len(pixels), 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def over(image, mask, background):
    return [[p if m else background for p, m in zip(prow, mrow)]
            for prow, mrow in zip(image, mask)]


def preview(images, zoom=8, pad=2):
    """Each image over the face and over white, side by side, zoomed."""
    width = max(2 * len(image[0]) for image, _ in images) + 3 * pad
    rows = []
    for image, mask in images:
        on_face = over(image, mask, FACE)
        on_white = over(image, mask, (255, 255, 255))
        rows += [[FACE] * width for _ in range(pad)]
        for a, b in zip(on_face, on_white):
            line = [FACE] * pad + a + [FACE] * pad + b
            rows.append(line + [FACE] * (width - len(line)))
    rows += [[FACE] * width for _ in range(pad)]
    return [[p for p in row for _ in range(zoom)] for row in rows for _ in range(zoom)]


def main():
    parser = argparse.ArgumentParser(description='Draws the settings dialog bitmaps.')
    parser.add_argument('--preview', metavar='DIR', help='also write 8x zoomed PNG previews')
    args = parser.parse_args()
    out = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    drawn = {}
    for name, (text, *colours) in BADGES.items():
        image = badge_pixels(text, *colours)
        drawn[name] = (image, [[1] * BADGE_WIDTH for _ in image])
        with open(os.path.join(out, name + '.bmp'), 'wb') as f:
            f.write(bmp24(image))
    for name, (rows, colours) in BUTTONS.items():
        image, mask = button_pixels(rows, colours)
        drawn[name] = (image, mask)
        with open(os.path.join(out, name + '.bmp'), 'wb') as f:
            f.write(bmp24(image))
        with open(os.path.join(out, name + 'Mask.bmp'), 'wb') as f:
            f.write(bmp1(mask))
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for name, pair in drawn.items():
            with open(os.path.join(args.preview, name + '.png'), 'wb') as f:
                f.write(png(preview([pair])))
        with open(os.path.join(args.preview, 'all.png'), 'wb') as f:
            f.write(png(preview(list(drawn.values()))))


if __name__ == '__main__':
    main()
