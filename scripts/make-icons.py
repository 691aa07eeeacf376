#!/usr/bin/env python3
"""Draws the program's pictures with ImageMagick into src/ui/icons and writes the
resource file. Run once after changing a drawing; the PNGs are committed.

  tree/NN.png    77 object icons, 16 x 16 (eleven pictures in seven colours)
  buttons/NN.png 20 button and menu pictures, 16 x 16
  big/NAME.png   32 x 32 pictures of the large buttons

Every picture is drawn on a 64 x 64 canvas and scaled down, which smooths the edges.
"""

import os
import subprocess
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "ui", "icons")
FONT = "DejaVu-Sans-Bold"
FONT_ITALIC = "DejaVu-Serif-Bold-Italic"

COLOURS = [  # fill, dark outline
    ("#3b7dd8", "#1d4b8f"),  # blue
    ("#34a853", "#1e6b33"),  # green
    ("#e0533f", "#8f2a1d"),  # red
    ("#f29d24", "#9a5c0b"),  # orange
    ("#8a5cd1", "#4f2d8a"),  # purple
    ("#1fa8ad", "#0f6467"),  # teal
    ("#7c8591", "#434a53"),  # grey
]


def draw(path, size, *draw_args):
    """draw_args: ImageMagick options applied to a transparent 64 x 64 canvas."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    cmd = ["convert", "-size", "64x64", "xc:none", "-strokewidth", "4"]
    cmd += list(draw_args)
    cmd += ["-filter", "Lanczos", "-resize", f"{size}x{size}", "-strip", f"PNG32:{path}"]
    subprocess.run(cmd, check=True)


def prim(fill, stroke, *shapes, width=4):
    args = ["-fill", fill, "-stroke", stroke, "-strokewidth", str(width)]
    for s in shapes:
        args += ["-draw", s]
    return args


# --- object pictures: each takes (fill, outline) -----------------------------------

def server(f, o):
    return (prim(f, o, "roundrectangle 10,4 54,60 6,6")
            + prim("#f4f6f8", o, "rectangle 16,12 48,20", "rectangle 16,28 48,36", width=2)
            + prim("#5fe37a", "#1e6b33", "circle 44,50 47,50", width=2)
            + prim("#f4f6f8", o, "line 16,50 34,50", width=3))


def folder(f, o):
    return prim(f, o, "polygon 4,14 24,14 30,20 60,20 60,56 4,56") + prim(
        "#ffffff50", "none", "rectangle 8,26 56,30")


def globe(f, o):
    return (prim(f, o, "circle 32,32 32,5")
            + prim("none", "#ffffff", "ellipse 32,32 11,26 0,360", "line 6,32 58,32",
                   "line 10,19 54,19", "line 10,45 54,45", "line 32,6 32,58", width=3)
            + prim("none", o, "circle 32,32 32,5"))


def monitor(f, o):
    return (prim(f, o, "roundrectangle 4,6 60,44 4,4")
            + prim("#dff1ff", o, "rectangle 10,12 54,38", width=2)
            + prim(o, o, "rectangle 28,44 36,52", "roundrectangle 16,52 48,58 3,3"))


def database(f, o):
    return (prim(f, o, "rectangle 10,14 54,50", "ellipse 32,50 22,8 0,180")
            + prim(f, "none", "rectangle 12,14 52,50")
            + prim("none", o, "line 10,14 10,50", "line 54,14 54,50", "ellipse 32,50 22,8 0,180",
                   "ellipse 32,32 22,8 0,180")
            + prim("#ffffff60", o, "ellipse 32,14 22,8 0,360"))


def cloud(f, o):
    return (prim(o, o, "circle 20,38 20,24", "circle 34,28 34,10", "circle 46,38 46,24",
                 "roundrectangle 8,36 58,52 8,8", width=4)
            + prim(f, "none", "circle 20,38 20,26", "circle 34,28 34,12", "circle 46,38 46,26",
                   "roundrectangle 10,38 56,50 6,6"))


def router(f, o):
    return (prim(f, o, "roundrectangle 4,30 60,52 5,5")
            + prim("none", o, "line 16,30 10,8", "line 48,30 54,8", width=4)
            + prim("#5fe37a", "#1e6b33", "circle 16,41 19,41", "circle 28,41 31,41", width=2)
            + prim("#ffd54a", "#9a5c0b", "circle 40,41 43,41", width=2))


def terminal(f, o):
    return (prim("#22262b", o, "roundrectangle 4,8 60,56 5,5")
            + prim(f, f, "rectangle 6,10 58,18", width=1)
            + prim("none", f, "polyline 14,28 24,36 14,44", width=5)
            + prim(f, f, "rectangle 30,42 46,46", width=1))


def key(f, o):
    return (prim(f, o, "circle 20,32 20,14")
            + prim("#ffffff", o, "circle 20,32 20,26", width=2)
            + prim(f, o, "polygon 32,28 58,28 58,36 54,36 54,44 48,44 48,36 32,36"))


def lock(f, o):
    return (prim("none", o, "arc 18,6 46,38 180,360", width=7)
            + prim("none", "#d8dde3", "arc 18,6 46,38 180,360", width=3)
            + prim(f, o, "roundrectangle 10,26 54,58 5,5")
            + prim(o, o, "circle 32,40 32,36", "rectangle 30,40 34,50", width=1))


def gear(f, o):
    teeth = []
    import math
    for i in range(8):
        a = math.radians(i * 45)
        cx, cy = 32 + 22 * math.cos(a), 32 + 22 * math.sin(a)
        teeth.append(f"circle {cx:.1f},{cy:.1f} {cx + 6:.1f},{cy:.1f}")
    return (prim(f, o, *teeth, width=2) + prim(f, o, "circle 32,32 32,10")
            + prim("#ffffff", o, "circle 32,32 32,25", width=3))


PICTURES = [server, folder, globe, monitor, database, cloud, router, terminal, key, lock, gear]


# --- button and menu pictures ---------------------------------------------------------

def arrow_up(colour):
    return prim(colour, "#1e6b33", "polygon 32,6 56,34 42,34 42,58 22,58 22,34 8,34")


def arrow_down(colour):
    return prim(colour, "#1e6b33", "polygon 32,58 56,30 42,30 42,6 22,6 22,30 8,30")


def sheets(f, o):
    return prim("#ffffff", o, "rectangle 18,4 56,46", "rectangle 8,18 46,60") + prim(
        "none", f, "line 14,30 40,30", "line 14,40 40,40", "line 14,50 32,50", width=3)


def letter(char, font, underline=False, strike=False):
    args = ["-fill", "#1f2933", "-stroke", "none", "-font", font, "-pointsize", "60", "-gravity",
            "center", "-annotate", "+0+0" if not underline else "+0-4", char, "-gravity", "northwest"]
    if underline:
        args += prim("#1f2933", "#1f2933", "rectangle 12,56 52,61", width=1)
    if strike:
        args += prim("#e0533f", "#e0533f", "rectangle 6,30 58,35", width=1)
    return args


def lines(aligns):
    args = []
    for y, (x1, x2) in zip((10, 24, 38, 52), aligns):
        args += prim("#1f2933", "#1f2933", f"rectangle {x1},{y} {x2},{y + 5}", width=1)
    return args


def button_pictures():
    blue, dark = COLOURS[0]
    green, green_dark = COLOURS[1]
    red, red_dark = COLOURS[2]
    orange, orange_dark = COLOURS[3]
    return [
        # 0 connect: a plug going into the socket
        prim(green, green_dark, "polygon 6,26 34,26 34,14 58,32 34,50 34,38 6,38"),
        # 1 edit: a pencil
        prim(orange, orange_dark, "polygon 14,58 6,58 6,50 44,12 52,20")
        + prim("#f7d9a8", orange_dark, "polygon 6,58 6,50 14,58", width=2),
        # 2 save: a floppy disk
        prim(blue, dark, "polygon 6,6 50,6 58,14 58,58 6,58")
        + prim("#ffffff", dark, "rectangle 16,6 46,22", "rectangle 14,34 50,58", width=2),
        # 3 show password: an eye
        prim("#ffffff", "#1f2933", "ellipse 32,32 28,16 0,360")
        + prim(blue, "#1f2933", "circle 32,32 32,22", width=2)
        + prim("#1f2933", "#1f2933", "circle 32,32 32,27", width=1),
        # 4 copy: two sheets
        sheets(blue, dark),
        # 5 search again: a magnifier
        prim("#dff1ff", "#1f2933", "circle 26,26 26,8", width=6)
        + prim("none", "#1f2933", "line 39,39 58,58", width=9),
        # 6 down
        arrow_down(green),
        # 7 delete: a red cross
        prim(red, red_dark, "polygon 10,18 18,10 32,24 46,10 54,18 40,32 54,46 46,54 32,40 18,54 10,46 24,32"),
        # 8 add: a green plus
        prim(green, green_dark, "polygon 24,6 40,6 40,24 58,24 58,40 40,40 40,58 24,58 24,40 6,40 6,24 24,24"),
        # 9 up
        arrow_up(green),
        # 10 copy login: a person on a sheet
        prim("#ffffff", dark, "rectangle 8,4 56,60")
        + prim(blue, dark, "circle 32,22 32,12", "arc 14,34 50,70 180,360", width=2),
        # 11 copy password: a key on a sheet
        prim("#ffffff", dark, "rectangle 8,4 56,60")
        + prim(orange, orange_dark, "circle 22,32 22,22", "polygon 28,29 50,29 50,40 44,40 44,35 28,35",
               width=2),
        # 12-15 bold, italic, underline, strike-through
        letter("B", FONT),
        letter("I", FONT_ITALIC),
        letter("U", FONT, underline=True),
        letter("S", FONT, strike=True),
        # 16-18 align left, centre, right
        lines([(6, 58), (6, 40), (6, 58), (6, 34)]),
        lines([(6, 58), (15, 49), (6, 58), (18, 46)]),
        lines([(6, 58), (24, 58), (6, 58), (30, 58)]),
        # 19 settings
        gear(*COLOURS[6]),
    ]


def big_pictures():
    green, green_dark = COLOURS[1]
    return {
        "create": server(*COLOURS[0]) + prim(green, green_dark, "circle 46,46 46,30", width=3)
        + prim("#ffffff", "#ffffff", "rectangle 44,36 48,56", "rectangle 36,44 56,48", width=1),
        "settings": gear(*COLOURS[6]),
        "connect": monitor(*COLOURS[0]) + prim(green, green_dark,
                                                "polygon 18,22 34,22 34,14 48,25 34,36 34,28 18,28",
                                                width=2),
        "save": button_pictures()[2],
    }


def main():
    tree = []
    for p, picture in enumerate(PICTURES):
        for c, (fill, outline) in enumerate(COLOURS):
            index = p * len(COLOURS) + c
            name = f"tree/{index:02d}.png"
            draw(os.path.join(ROOT, name), 16, *picture(fill, outline))
            tree.append(name)
    assert len(tree) == 77, len(tree)

    buttons = []
    for index, args in enumerate(button_pictures()):
        name = f"buttons/{index:02d}.png"
        draw(os.path.join(ROOT, name), 16, *args)
        buttons.append(name)
    assert len(buttons) == 20, len(buttons)

    big = []
    for key_name, args in big_pictures().items():
        name = f"big/{key_name}.png"
        draw(os.path.join(ROOT, name), 32, *args)
        big.append(name)

    with open(os.path.join(ROOT, "icons.qrc"), "w") as qrc:
        qrc.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/icons">\n')
        for name in tree + buttons + big:
            qrc.write(f"    <file>{name}</file>\n")
        qrc.write("</qresource>\n</RCC>\n")
    print(f"{len(tree)} tree, {len(buttons)} button and {len(big)} large pictures in {ROOT}")


if __name__ == "__main__":
    sys.exit(main())
