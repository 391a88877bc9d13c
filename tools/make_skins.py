#!/usr/bin/python3
"""Draws every skin image of the program into res/ (PNG sprites, BMP backgrounds and progress pictures,
the icon). Run from anywhere: tools/make_skins.py. Needs Pillow (Debian: python3-pil).

One look throughout: charcoal surfaces for dim rooms, a cool cyan for focus and selection, green for
"on" and "connected", amber for attention, red for mute and close. Shapes are drawn at 4x and scaled down,
so every edge is anti-aliased."""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
SS = 4  # supersampling factor

# Palette.
INK = (12, 14, 16)
BG0 = (20, 22, 25)
EDGE = (58, 64, 71)
EDGE_HI = (82, 90, 99)
TEXT = (222, 227, 232)
MUTED = (150, 159, 168)
CYAN = (56, 190, 232)
CYAN_DK = (22, 110, 142)
GREEN = (70, 214, 120)
GREEN_DK = (24, 96, 52)
AMBER = (240, 166, 48)
AMBER_DK = (122, 78, 14)
RED = (232, 72, 64)
RED_DK = (112, 28, 24)
LCD_HI = (200, 212, 220)
LCD_LO = (160, 176, 188)


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


class Canvas:
    """An RGBA picture drawn at SS times its size; coordinates are given in final pixels (floats allowed)."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SS, h * SS), fill)

    def _box(self, box):
        x0, y0, x1, y1 = box
        return [x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1]

    def layer(self):
        return Image.new("RGBA", self.img.size, (0, 0, 0, 0))

    def paste(self, layer):
        self.img = Image.alpha_composite(self.img, layer)

    def rrect(self, box, r, fill=None, outline=None, width=1):
        layer = self.layer()
        ImageDraw.Draw(layer).rounded_rectangle(self._box(box), radius=r * SS, fill=fill, outline=outline,
                                                width=int(width * SS))
        self.paste(layer)

    def vgrad(self, box, r, top, bottom, outline=None, width=1):
        """A rounded rectangle filled with a vertical gradient."""
        x0, y0, x1, y1 = [int(v) for v in self._box(box)]
        grad = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        d = ImageDraw.Draw(grad)
        for y in range(y0, y1 + 1):
            t = (y - y0) / max(1, y1 - y0)
            d.line([(x0, y), (x1, y)], fill=mix(rgba(top) if len(top) == 3 else top,
                                                rgba(bottom) if len(bottom) == 3 else bottom, t))
        mask = Image.new("L", self.img.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle([x0, y0, x1, y1], radius=r * SS, fill=255)
        layer = self.layer()
        layer.paste(grad, (0, 0), mask)
        self.paste(layer)
        if outline:
            self.rrect(box, r, outline=outline, width=width)

    def ellipse(self, box, fill=None, outline=None, width=1):
        layer = self.layer()
        ImageDraw.Draw(layer).ellipse(self._box(box), fill=fill, outline=outline, width=int(width * SS))
        self.paste(layer)

    def line(self, points, fill, width=1):
        layer = self.layer()
        ImageDraw.Draw(layer).line([(x * SS, y * SS) for x, y in points], fill=fill, width=int(width * SS),
                                   joint="curve")
        self.paste(layer)

    def polygon(self, points, fill):
        layer = self.layer()
        ImageDraw.Draw(layer).polygon([(x * SS, y * SS) for x, y in points], fill=fill)
        self.paste(layer)

    def glow(self, box, colour, radius):
        layer = self.layer()
        ImageDraw.Draw(layer).ellipse(self._box(box), fill=colour)
        self.paste(layer.filter(ImageFilter.GaussianBlur(radius * SS)))

    def image(self):
        return self.img.resize((self.w, self.h), Image.LANCZOS)


def save_png(img, rid, name):
    path = os.path.join(RES, f"{rid}_{name}.png")
    img.save(path, optimize=True)
    return path


def save_bmp(img, rid, name, palette=True):
    path = os.path.join(RES, f"{rid}_{name}.bmp")
    rgb = img.convert("RGB")
    if palette:
        # 8-bit keeps the repository small; dithering hides the banding of the dark gradients.
        rgb = rgb.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.FLOYDSTEINBERG)
    rgb.save(path)
    return path


def strip(frames):
    w = sum(f.width for f in frames)
    out = Image.new("RGBA", (w, frames[0].height), (0, 0, 0, 0))
    x = 0
    for f in frames:
        out.paste(f, (x, 0))
        x += f.width
    return out


# ---------------------------------------------------------------- value control (142)

def value_control():
    """Face 170 x 33 (caption band rows 0..14, track band below); right end with toggle at x 172; thumb
    sprites at (235,16) focused and (260,16) normal, 18 x 16; toggle sprites at (286,15) on, (306,15) off."""
    # Plain face: one piece from x 0 to 170 (the left part 0..112 and the right end 112..170).
    cf = Canvas(170, 33)
    cf.vgrad((1.5, 15.5, 168.5, 32.5), 4, (22, 25, 28), (34, 38, 43), outline=rgba(EDGE, 220), width=0.75)
    cf.line([(2.5, 16.2), (167.5, 16.2)], rgba((0, 0, 0), 120), 0.75)  # inner shadow
    # Groove from x 10 to 159 on row 24.
    cf.rrect((9, 22.5, 160, 25.5), 1.5, fill=rgba(INK), outline=rgba((0, 0, 0), 255), width=0.5)
    cf.line([(9.5, 25.6), (159.5, 25.6)], rgba(EDGE_HI, 90), 0.5)
    for i in range(11):
        x = 10 + (159 - 10) * i / 10
        cf.line([(x, 28.2), (x, 30.2 if i % 5 else 31.2)], rgba(MUTED, 110 if i % 5 else 170), 0.6)
    face = cf.image()
    # Toggle face: groove ends at 144, a recess frames the toggle box at 153..168.
    ct = Canvas(170, 33)
    ct.vgrad((1.5, 15.5, 168.5, 32.5), 4, (22, 25, 28), (34, 38, 43), outline=rgba(EDGE, 220), width=0.75)
    ct.line([(2.5, 16.2), (167.5, 16.2)], rgba((0, 0, 0), 120), 0.75)
    ct.rrect((9, 22.5, 145, 25.5), 1.5, fill=rgba(INK), outline=rgba((0, 0, 0), 255), width=0.5)
    ct.line([(9.5, 25.6), (144.5, 25.6)], rgba(EDGE_HI, 90), 0.5)
    for i in range(11):
        x = 10 + (144 - 10) * i / 10
        ct.line([(x, 28.2), (x, 30.2 if i % 5 else 31.2)], rgba(MUTED, 110 if i % 5 else 170), 0.6)
    ct.line([(149.5, 18), (149.5, 30)], rgba(EDGE, 200), 0.6)
    ct.rrect((152.5, 15.8, 168.6, 31.6), 2.5, fill=rgba(INK), outline=rgba(EDGE, 220), width=0.6)
    toggle_face = ct.image()

    out = Image.new("RGBA", (324, 33), (0, 0, 0, 0))
    out.paste(face, (0, 0))
    out.paste(toggle_face.crop((112, 0, 170, 33)), (172, 0))

    def thumb(focused):
        t = Canvas(18, 16)
        t.vgrad((0.5, 0.5, 17.5, 15.5), 3, (206, 212, 218), (118, 126, 134), outline=rgba((20, 22, 25)),
                width=0.8)
        t.vgrad((1.6, 1.6, 16.4, 7.5), 2, (236, 240, 244, 170), (200, 206, 212, 0))
        t.line([(9, 2.5), (9, 13.5)], rgba(CYAN if focused else (30, 33, 37)), 2.0 if focused else 1.4)
        for x in (5, 13):
            t.line([(x, 4), (x, 12)], rgba((70, 76, 82), 170), 0.8)
        return t.image()

    def toggle(on):
        t = Canvas(16, 17)
        if on:
            t.glow((1, 1.5, 15, 15.5), rgba(GREEN, 150), 1.5)
            t.vgrad((2, 2.5, 14, 14.5), 2.5, (150, 246, 180), GREEN_DK, outline=rgba((10, 40, 20)), width=0.8)
            t.vgrad((3.2, 3.4, 12.8, 7.5), 2, (255, 255, 255, 150), (255, 255, 255, 0))
        else:
            t.vgrad((2, 2.5, 14, 14.5), 2.5, (58, 64, 70), (30, 33, 37), outline=rgba((8, 9, 10)), width=0.8)
            t.rrect((5.5, 6, 10.5, 11), 1.5, fill=rgba((16, 18, 20)))
        return t.image()

    out.alpha_composite(thumb(True), (235, 16))
    out.alpha_composite(thumb(False), (260, 16))
    out.alpha_composite(toggle(True), (286, 15))
    out.alpha_composite(toggle(False), (306, 15))
    return out


# ---------------------------------------------------------------- EQ band editor (161)

def band_editor():
    """Face 47 x 194; type-button images (11 x 52) at x 48, 68, 88 for types 7, 5, 6; thumb sprites
    14 x 14 at (16,210) focused and (16,240) normal."""
    c = Canvas(100, 256)
    c.vgrad((0.5, 0.5, 46.5, 193.5), 4, (36, 40, 45), (26, 29, 33), outline=rgba(EDGE, 230), width=0.8)
    # Band number plate and the three value boxes (the edit controls sit on them).
    c.vgrad((6, 1.5, 40, 16), 3, (50, 56, 62), (38, 42, 47), outline=rgba(EDGE_HI, 200), width=0.6)
    for y0, y1 in ((18, 31), (39, 52), (60, 73)):
        c.rrect((4, y0, 42, y1), 2, fill=rgba((44, 45, 45)), outline=rgba((16, 17, 18)), width=0.8)
        c.line([(4.5, y1 + 0.4), (41.5, y1 + 0.4)], rgba(EDGE_HI, 80), 0.5)
    for y, label_w in ((35, 10), (56, 10), (77, 10)):
        c.line([(23 - label_w / 2, y), (23 + label_w / 2, y)], rgba(EDGE, 160), 0.6)
    # Vertical fader slot on x 22 from y 90 (upper limit) to 187 (lower limit), with a 0 dB mark.
    c.rrect((20, 86, 24.5, 191), 2, fill=rgba(INK), outline=rgba((0, 0, 0)), width=0.5)
    zero_y = 90 + (187 - 90) * 12 / 36  # gain range +12 .. -24 dB
    for i in range(13):
        y = 90 + (187 - 90) * i / 12
        major = abs(y - zero_y) < 0.01 or i in (0, 12)
        c.line([(28, y), (33 if major else 31, y)], rgba(CYAN if abs(y - zero_y) < 0.01 else MUTED,
                                                            200 if major else 110), 0.6)
    # Type-button wells at (0,114), (0,133), (0,152), 11 x 14 each.
    for y in (114, 133, 152):
        c.rrect((0.5, y + 0.5, 11, y + 14), 2, fill=rgba((24, 26, 29)), outline=rgba(EDGE, 200), width=0.5)
    img = c.image()

    def glyph(t, kind, y0, colour):
        # Tiny response curves: bell, high shelf, low shelf.
        pts = []
        for i in range(21):
            x = 2 + 7 * i / 20
            u = i / 20
            if kind == 0:
                h = 4.5 * pow(2.718, -((u - 0.5) ** 2) / 0.02)
            elif kind == 1:
                h = 4.5 / (1 + pow(2.718, -(u - 0.5) * 12))
            else:
                h = 4.5 / (1 + pow(2.718, (u - 0.5) * 12))
            pts.append((x + 0.5, y0 + 10.5 - h))
        t.line(pts, colour, 0.9)

    def type_column(active):
        t = Canvas(11, 52)
        for k, y in enumerate((0, 19, 38)):
            lit = k == active
            if lit:
                t.vgrad((0.3, y + 0.3, 10.7, y + 13.7), 2, (70, 200, 236), CYAN_DK, outline=rgba((8, 40, 52)),
                        width=0.5)
            else:
                t.vgrad((0.3, y + 0.3, 10.7, y + 13.7), 2, (58, 63, 69), (36, 40, 44), outline=rgba((10, 11, 12)),
                        width=0.5)
            glyph(t, k, y, rgba((250, 252, 255) if lit else MUTED))
        return t.image()

    for x, active in ((48, 0), (68, 1), (88, 2)):
        img.alpha_composite(type_column(active), (x, 0))

    def thumb(focused):
        t = Canvas(14, 14)
        t.vgrad((0.5, 0.5, 13.5, 13.5), 3, (210, 216, 222), (112, 120, 128), outline=rgba((18, 20, 22)),
                width=0.8)
        t.line([(2.5, 7), (11.5, 7)], rgba(CYAN if focused else (30, 33, 37)), 2.0 if focused else 1.3)
        return t.image()

    img.alpha_composite(thumb(True), (16, 210))
    img.alpha_composite(thumb(False), (16, 240))
    return img


# ---------------------------------------------------------------- combo faces (143, 150)

def combo(width, text_right):
    """Two frames (normal, focused) of width x 19 side by side; the item text sits left of text_right."""
    frames = []
    for focused in (False, True):
        c = Canvas(width, 19)
        c.vgrad((0.5, 0.5, width - 0.5, 18.5), 3, LCD_HI, LCD_LO,
                outline=rgba(CYAN if focused else (14, 16, 18)), width=1.2 if focused else 0.8)
        c.vgrad((1.5, 1.4, width - 1.5, 7), 2, (255, 255, 255, 90), (255, 255, 255, 0))
        # The drop button at the right end.
        x0 = text_right + 2
        c.vgrad((x0, 2, width - 2, 17), 2, (62, 68, 75), (38, 42, 47), outline=rgba((18, 20, 22)), width=0.6)
        mx = (x0 + width - 2) / 2
        c.polygon([(mx - 3.2, 8), (mx + 3.2, 8), (mx, 11.8)], rgba(CYAN if focused else TEXT))
        frames.append(c.image())
    return strip(frames)


# ---------------------------------------------------------------- image buttons (144, 145, 156)

def button_strip(w, h, on_top, on_bottom, on_edge):
    """Four frames: normal, latched on, hover overlay, disabled overlay."""
    r = 3.5
    normal = Canvas(w, h)
    normal.vgrad((0.5, 0.5, w - 0.5, h - 0.5), r, (58, 64, 71), (36, 40, 45), outline=rgba((12, 13, 15)),
                 width=0.8)
    normal.vgrad((1.3, 1.3, w - 1.3, h * 0.45), r - 1, (255, 255, 255, 34), (255, 255, 255, 0))
    on = Canvas(w, h)
    on.glow((1, 1, w - 1, h - 1), rgba(on_edge, 60), 1.2)
    on.vgrad((0.5, 0.5, w - 0.5, h - 0.5), r, on_top, on_bottom, outline=rgba(on_edge), width=0.9)
    on.vgrad((1.3, 1.3, w - 1.3, h * 0.45), r - 1, (255, 255, 255, 60), (255, 255, 255, 0))
    hover = Canvas(w, h)
    hover.rrect((0.5, 0.5, w - 0.5, h - 0.5), r, fill=(255, 255, 255, 30), outline=rgba(EDGE_HI, 230),
                width=0.9)
    disabled = Canvas(w, h)
    disabled.rrect((0.5, 0.5, w - 0.5, h - 0.5), r, fill=(14, 15, 17, 165))
    return strip([normal.image(), on.image(), hover.image(), disabled.image()])


# ---------------------------------------------------------------- title buttons (136, 137, 138)

def title_button(kind):
    size = 20

    def draw_glyph(c, colour, variant=False):
        m = size / 2
        if kind == "close":
            c.line([(m - 4, m - 4), (m + 4, m + 4)], colour, 1.6)
            c.line([(m - 4, m + 4), (m + 4, m - 4)], colour, 1.6)
        elif kind == "maximise":
            if variant:  # restore: two overlapping windows
                c.rrect((m - 2, m - 5, m + 5, m + 2), 1, outline=colour, width=1.2)
                c.rrect((m - 5, m - 2, m + 2, m + 5), 1, fill=rgba((30, 33, 37)), outline=colour, width=1.2)
            else:
                c.rrect((m - 5, m - 4.5, m + 5, m + 4.5), 1, outline=colour, width=1.3)
                c.line([(m - 5, m - 2.5), (m + 5, m - 2.5)], colour, 1.3)
        else:  # to the tray: a bar with an arrow down onto it
            c.line([(m - 5, m + 5), (m + 5, m + 5)], colour, 1.6)
            c.line([(m, m - 5), (m, m + 2)], colour, 1.4)
            c.polygon([(m - 3.2, m), (m + 3.2, m), (m, m + 3.4)], colour)

    def base():
        c = Canvas(size, size)
        c.ellipse((0.8, 0.8, size - 0.8, size - 0.8), fill=rgba((36, 40, 45)), outline=rgba(EDGE, 220), width=0.8)
        return c

    normal = base()
    draw_glyph(normal, rgba(MUTED))
    latched = base()
    draw_glyph(latched, rgba(TEXT), variant=True)
    hover = Canvas(size, size)
    hover.ellipse((0.8, 0.8, size - 0.8, size - 0.8), fill=rgba(RED if kind == "close" else (78, 86, 95), 235))
    draw_glyph(hover, rgba((255, 255, 255)), variant=False)
    disabled = Canvas(size, size)
    disabled.ellipse((0.5, 0.5, size - 0.5, size - 0.5), fill=(14, 15, 17, 170))
    return strip([normal.image(), latched.image(), hover.image(), disabled.image()])


# ---------------------------------------------------------------- tabs (139)

def tab_strip():
    w, h = 90, 36
    normal = Canvas(w, h)
    normal.vgrad((1, 3, w - 1, h + 6), 5, (40, 44, 49), (28, 31, 35), outline=rgba((14, 15, 17)), width=0.8)
    selected = Canvas(w, h)
    selected.vgrad((1, 1, w - 1, h + 6), 5, (52, 58, 64), (33, 37, 41), outline=rgba(EDGE_HI), width=0.8)
    selected.rrect((6, 1.2, w - 6, 3.6), 1.2, fill=rgba(CYAN))
    selected.glow((10, -3, w - 10, 6), rgba(CYAN, 90), 2)
    hover = Canvas(w, h)
    hover.rrect((1, 3, w - 1, h + 6), 5, fill=(255, 255, 255, 22), outline=rgba(EDGE_HI, 200), width=0.8)
    disabled = Canvas(w, h)
    disabled.rrect((1, 3, w - 1, h + 6), 5, fill=(14, 15, 17, 160))
    return strip([normal.image(), selected.image(), hover.image(), disabled.image()])


# ---------------------------------------------------------------- link state (147)

def link_state_strip():
    w, h = 90, 26

    def pill(led, led_dark, glow):
        c = Canvas(w, h)
        c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), h / 2 - 0.5, (34, 38, 43), (22, 25, 28), outline=rgba(EDGE, 230),
                width=0.8)
        if glow:
            c.glow((3, 6, 17, 20), rgba(led, 140), 2)
        c.ellipse((6, 9, 14, 17), fill=rgba(led if glow else led_dark), outline=rgba((6, 7, 8)), width=0.6)
        c.ellipse((7.6, 10, 10.8, 12.6), fill=(255, 255, 255, 120 if glow else 40))
        return c.image()

    searching = pill(AMBER, AMBER_DK, True)
    connected = pill(GREEN, GREEN_DK, True)
    hover = Canvas(w, h)
    hover.rrect((0.5, 0.5, w - 0.5, h - 0.5), h / 2 - 0.5, fill=(255, 255, 255, 24), outline=rgba(EDGE_HI, 220),
                width=0.8)
    disabled = Canvas(w, h)
    disabled.rrect((0.5, 0.5, w - 0.5, h - 0.5), h / 2 - 0.5, fill=(14, 15, 17, 165))
    return strip([searching, connected, hover.image(), disabled.image()])


# ---------------------------------------------------------------- backgrounds (134, 159, 160)

def background(kind):
    W, H = 1066, 704
    c = Canvas(W, H, rgba(BG0))
    # Title area (the window's drag strip and its buttons).
    c.vgrad((0, 0, W, 36), 0, (33, 37, 42), (22, 25, 28))
    c.line([(0, 35.5), (W, 35.5)], rgba((8, 9, 10)), 1)
    c.line([(0, 36.5), (W, 36.5)], rgba(EDGE, 120), 1)
    # A small mark at the left of the title: three faders.
    for i, level in enumerate((0.35, 0.7, 0.5)):
        x = 16 + i * 7
        c.line([(x, 10), (x, 26)], rgba(EDGE_HI), 1.2)
        y = 26 - 16 * level
        c.rrect((x - 2.6, y - 1.6, x + 2.6, y + 1.6), 0.8, fill=rgba(CYAN if i == 1 else TEXT))
    # Tab rail and the fader row.
    c.vgrad((0, 37, W, 80), 0, (18, 20, 23), (24, 27, 30))
    c.line([(12, 76.5), (W - 12, 76.5)], rgba(EDGE, 200), 1)
    c.vgrad((8, 82, 560, 127), 6, (31, 35, 39), (25, 28, 32), outline=rgba(EDGE, 170), width=1)
    c.vgrad((790, 82, W - 8, 127), 6, (31, 35, 39), (25, 28, 32), outline=rgba(EDGE, 170), width=1)
    # Page area.
    c.vgrad((0, 129, W, H), 0, (25, 28, 32), (17, 19, 22))
    c.line([(0, 129.5), (W, 129.5)], rgba((8, 9, 10)), 1)
    if kind == "mic":
        # The Mic page: controls above, response graph from 237 down to 574, band editors below.
        c.vgrad((8, 134, W - 8, 232), 6, (30, 34, 38), (26, 29, 33), outline=rgba(EDGE, 150), width=1)
        c.rrect((8, 235, W - 8, 577), 6, fill=rgba((16, 18, 21)), outline=rgba(EDGE, 150), width=1)
        c.vgrad((8, 580, W - 8, H - 6), 6, (30, 34, 38), (24, 27, 31), outline=rgba(EDGE, 150), width=1)
    elif kind == "system":
        # The System page: three columns of settings.
        for x0, x1 in ((8, 350), (358, 708), (716, W - 8)):
            c.vgrad((x0, 136, x1, H - 8), 8, (31, 35, 39), (23, 26, 30), outline=rgba(EDGE, 160), width=1)
            c.line([(x0 + 14, 164.5), (x1 - 14, 164.5)], rgba(CYAN_DK, 200), 1)
    else:
        c.rrect((8, 134, W - 8, H - 6), 8, outline=rgba(EDGE, 110), width=1)
    return c.image()


# ---------------------------------------------------------------- progress pictures (132, 133)

def progress_pictures():
    W, H = 541, 161
    base = Canvas(W, H)
    base.vgrad((0, 0, W, H), 10, (36, 40, 45), (20, 22, 25), outline=rgba(EDGE_HI), width=1.2)
    base.vgrad((1, 1, W - 1, 30), 9, (46, 51, 57), (34, 38, 43))
    base.line([(10, 30.5), (W - 10, 30.5)], rgba(EDGE, 220), 1)
    # The bar's bed from x 27 to 516.
    base.rrect((24, 47, 519, 79), 6, fill=rgba((10, 11, 13)), outline=rgba((4, 4, 5)), width=1)
    base.line([(27, 79.8), (516, 79.8)], rgba(EDGE_HI, 120), 0.8)
    for i in range(11):
        x = 27 + 489 * i / 10
        base.line([(x, 82), (x, 86 if i % 5 else 88)], rgba(MUTED, 150 if i % 5 else 220), 0.8)
    empty = base.image()
    full = Canvas(W, H)
    full.img = base.img.copy()
    full.glow((27, 44, 516, 82), rgba(CYAN, 70), 3)
    full.vgrad((27, 50, 516, 76), 4, (120, 224, 250), (18, 118, 160), outline=rgba((10, 60, 80)), width=0.8)
    full.vgrad((29, 51.2, 514, 60), 3, (255, 255, 255, 110), (255, 255, 255, 0))
    # Fine diagonal sheen so that the filled part reads as moving.
    for x in range(27, 516, 14):
        full.line([(x + 6, 75), (x + 14, 51)], (255, 255, 255, 26), 3)
    # Keep the ends exact: the composition copies x 0..fill from this picture.
    filled = full.image()
    filled.paste(empty.crop((0, 0, 27, H)), (0, 0))
    filled.paste(empty.crop((516, 0, W, H)), (516, 0))
    return empty, filled


# ---------------------------------------------------------------- icon (128)

def icon():
    c = Canvas(256, 256)
    c.vgrad((8, 8, 248, 248), 52, (46, 52, 58), (18, 20, 23), outline=rgba(EDGE_HI), width=5)
    for i, level in enumerate((0.4, 0.78, 0.55)):
        x = 78 + i * 50
        c.line([(x, 58), (x, 198)], rgba((10, 11, 13)), 14)
        y = 198 - 140 * level
        c.glow((x - 26, y - 20, x + 26, y + 20), rgba(CYAN if i == 1 else (200, 206, 212), 90), 8)
        c.rrect((x - 21, y - 12, x + 21, y + 12), 6, fill=rgba(CYAN if i == 1 else (214, 220, 226)),
                outline=rgba((8, 9, 10)), width=3)
    return c.image()


def main():
    os.makedirs(RES, exist_ok=True)
    written = [
        save_png(title_button("close"), 136, "title_close"),
        save_png(title_button("maximise"), 137, "title_maximise"),
        save_png(title_button("tray"), 138, "title_tray"),
        save_png(tab_strip(), 139, "tab"),
        save_png(value_control(), 142, "value_control"),
        save_png(combo(169, 151), 143, "combo"),
        save_png(button_strip(80, 22, (246, 184, 76), (176, 106, 20), AMBER), 144, "button_amber"),
        save_png(button_strip(80, 22, (72, 206, 240), CYAN_DK, CYAN), 145, "button"),
        save_png(link_state_strip(), 147, "link_state"),
        save_png(combo(100, 80), 150, "combo_main"),
        save_png(button_strip(80, 22, (240, 104, 96), RED_DK, RED), 156, "button_red"),
        save_png(band_editor(), 161, "band_editor"),
    ]
    empty, full = progress_pictures()
    written.append(save_bmp(empty, 132, "progress_empty"))
    written.append(save_bmp(full, 133, "progress_full"))
    written.append(save_bmp(background("main"), 134, "background_main"))
    written.append(save_bmp(background("mic"), 159, "background_mic"))
    written.append(save_bmp(background("system"), 160, "background_system"))
    ico = icon()
    path = os.path.join(RES, "128_vela.ico")
    ico.save(path, sizes=[(16, 16), (24, 24), (32, 32), (48, 48), (64, 64), (256, 256)])
    written.append(path)
    for p in written:
        print(os.path.relpath(p, os.path.join(RES, "..")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
