#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the three unit pictures of the main window and the program icon.
The scene (pipe, clamp-on probes, cables) is shared; the electronics in front
of it tell the unit families apart. Output is committed; the build needs no
Python."""
import os

W, H = 412, 296


def gradient(name, *stops):
    """A top-to-bottom gradient; its stops, (offset, colour), two to a line."""
    tags = [f'<stop offset="{offset}" stop-color="{colour}"/>' for offset, colour in stops]
    lines = "".join(f"\n   {''.join(tags[i:i + 2])}" for i in range(0, len(tags), 2))
    return (f'\n  <linearGradient id="{name}" x1="0" y1="0" x2="0" y2="1">{lines}'
            '\n  </linearGradient>')


def defs(*gradients):
    """The gradients a picture fills with."""
    return f"\n <defs>{''.join(gradients)}\n </defs>"


DEFS = defs(
    gradient("sky", ("0", "#eef3f8"), ("1", "#d3dde8")),
    gradient("pipe", ("0", "#9aa7b4"), ("0.35", "#e6ebf0"), ("1", "#6f7c89")),
    gradient("water", ("0", "#7fb8ec"), ("1", "#3d7fc4")),
    gradient("case", ("0", "#56616c"), ("1", "#2f3841")),
    gradient("blue", ("0", "#3f86d1"), ("1", "#1f5591")),
    gradient("green", ("0", "#4fa36a"), ("1", "#2b6a40")),
    gradient("lcd", ("0", "#d4ecb4"), ("1", "#a9cf86")),
)

# Pipe across the bottom with two probes and the ultrasonic path between them.
PIPE = """
 <rect x="0" y="0" width="412" height="296" fill="url(#sky)"/>
 <rect x="0" y="262" width="412" height="34" fill="#c2ccd6"/>
 <rect x="0" y="206" width="412" height="50" fill="url(#pipe)"/>
 <rect x="0" y="214" width="412" height="34" fill="url(#water)" opacity="0.55"/>
 <g fill="none" stroke="#ffffff" stroke-width="2" opacity="0.8" stroke-linecap="round">
  <path d="M20 231 h26 m-6 -5 l6 5 l-6 5"/><path d="M350 231 h26 m-6 -5 l6 5 l-6 5"/>
 </g>
 <rect x="58" y="200" width="8" height="62" fill="#59636d"/>
 <rect x="344" y="200" width="8" height="62" fill="#59636d"/>
 <line x1="150" y1="210" x2="260" y2="252" stroke="#ffd54a" stroke-width="2.5" stroke-dasharray="7 5"/>
 <rect x="132" y="192" width="34" height="18" rx="3" fill="#e9a23b" stroke="#8d5b12" stroke-width="1.5"/>
 <rect x="244" y="252" width="34" height="18" rx="3" fill="#e9a23b" stroke="#8d5b12" stroke-width="1.5"/>"""


def label(x, y, text, size=15, color="#ffffff"):
    return (f'<text x="{x}" y="{y}" font-family="DejaVu Sans, Arial, sans-serif" '
            f'font-size="{size}" font-weight="bold" fill="{color}" '
            f'text-anchor="middle">{text}</text>')


def lcd(x, y, w, h, lines):
    out = [f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="3" fill="url(#lcd)" '
           'stroke="#1f2a1a" stroke-width="2"/>']
    for i, t in enumerate(lines):
        out.append(f'<text x="{x + 8}" y="{y + 17 + i * 17}" font-family="DejaVu Sans Mono, '
                   f'monospace" font-size="13" fill="#24361a">{t}</text>')
    return "\n ".join(out)


def keypad(x, y, cols, rows, colour="#cfd6dd"):
    keys = []
    for r in range(rows):
        for c in range(cols):
            keys.append(f'<rect x="{x + c * 22}" y="{y + r * 16}" width="17" height="11" rx="2" '
                        f'fill="{colour}" stroke="#1c232a" stroke-width="0.8"/>')
    return "\n ".join(keys)


def cable(x1, y1, x2, y2, colour="#262b30"):
    my = (y1 + y2) / 2
    return (f'<path d="M{x1} {y1} C{x1} {my}, {x2} {my}, {x2} {y2}" fill="none" '
            f'stroke="{colour}" stroke-width="4" stroke-linecap="round"/>')


# Bitmap 135: the portable VOV family, a carrying case with handle.
PORTABLE = f"""
 {cable(149, 192, 170, 150)}
 {cable(261, 270, 300, 150)}
 <path d="M170 28 q0 -14 14 -14 h44 q14 0 14 14" fill="none" stroke="#2f3841" stroke-width="7"/>
 <rect x="110" y="30" width="192" height="128" rx="14" fill="url(#case)" stroke="#1c232a" stroke-width="2"/>
 <rect x="118" y="38" width="176" height="12" rx="4" fill="#f0b43c"/>
 {label(206, 48, "VOV", 11, "#2f3841")}
 {lcd(124, 58, 110, 58, ["Q  12.34 m3/h", "V   1.08 m/s", "C   1483 m/s"])}
 {keypad(244, 60, 2, 4)}
 <circle cx="136" cy="138" r="5" fill="#5cd65c"/>
 {label(230, 145, "ULTRASON", 12, "#cfd6dd")}"""

# Bitmap 134: the QT540 family, a wall-mounted transmitter.
WALL = f"""
 <rect x="96" y="10" width="220" height="6" fill="#8b96a1"/>
 {cable(149, 192, 176, 160)}
 {cable(261, 252, 236, 160)}
 <rect x="120" y="14" width="172" height="142" rx="8" fill="url(#blue)" stroke="#143a63" stroke-width="2"/>
 <rect x="130" y="24" width="152" height="88" rx="5" fill="#dfe6ee" stroke="#143a63" stroke-width="1.5"/>
 {lcd(138, 32, 136, 44, ["Q  245.8 m3/h", "T1    1 834 m3"])}
 {keypad(150, 84, 5, 1, "#1f5591")}
 {label(206, 134, "QT540", 17)}
 <rect x="160" y="156" width="16" height="8" fill="#2d3640"/>
 <rect x="228" y="156" width="16" height="8" fill="#2d3640"/>"""

# Bitmap 136: the RUZ family with its two temperature probes (calorimetry).
THERMAL = f"""
 {cable(149, 192, 170, 150)}
 {cable(261, 270, 240, 150)}
 {cable(40, 206, 130, 120, "#a33a2c")}
 {cable(380, 206, 282, 120, "#2c5aa3")}
 <rect x="130" y="22" width="152" height="134" rx="8" fill="url(#green)" stroke="#1b4429" stroke-width="2"/>
 {lcd(140, 32, 132, 60, ["Q   58.1 m3/h", "P    412 kW", "DT  6.9 C"])}
 {keypad(150, 100, 5, 1, "#2b6a40")}
 {label(206, 140, "RUZ", 17)}
 <rect x="34" y="170" width="12" height="36" rx="6" fill="#ffffff" stroke="#a33a2c" stroke-width="2"/>
 <circle cx="40" cy="200" r="6" fill="#d33a2c"/>
 <rect x="38" y="180" width="4" height="20" fill="#d33a2c"/>
 <rect x="374" y="170" width="12" height="36" rx="6" fill="#ffffff" stroke="#2c5aa3" stroke-width="2"/>
 <circle cx="380" cy="200" r="6" fill="#2c7ad3"/>
 <rect x="378" y="188" width="4" height="12" fill="#2c7ad3"/>
 {label(40, 164, "T1", 12, "#a33a2c")}
 {label(380, 164, "T2", 12, "#2c5aa3")}"""

ICON = f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- program icon: a pipe with its two probes and the sound path between them -->
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">{defs(
    gradient("bg", ("0", "#3f86d1"), ("1", "#1f5591")),
    gradient("pipe", ("0", "#c9d3dc"), ("0.4", "#ffffff"), ("1", "#8f9ca9")))}
 <rect x="2" y="2" width="60" height="60" rx="12" fill="url(#bg)"/>
 <rect x="4" y="22" width="56" height="22" fill="url(#pipe)"/>
 <line x1="20" y1="24" x2="44" y2="42" stroke="#e9a23b" stroke-width="3" stroke-dasharray="4 3"/>
 <rect x="13" y="14" width="14" height="9" rx="2" fill="#f0b43c" stroke="#8d5b12" stroke-width="1.5"/>
 <rect x="37" y="43" width="14" height="9" rx="2" fill="#f0b43c" stroke="#8d5b12" stroke-width="1.5"/>
 <path d="M40 30 h12 m-4 -4 l4 4 l-4 4" fill="none" stroke="#1f5591" stroke-width="2.4"
       stroke-linecap="round" stroke-linejoin="round"/>
</svg>
"""

# Shown in the progress window beside "Please wait".
HOURGLASS = """<?xml version="1.0" encoding="UTF-8"?>
<!-- progress window picture -->
<svg xmlns="http://www.w3.org/2000/svg" width="40" height="48" viewBox="0 0 40 48">
 <rect x="6" y="2" width="28" height="5" rx="2" fill="#5b4632"/>
 <rect x="6" y="41" width="28" height="5" rx="2" fill="#5b4632"/>
 <path d="M10 7 C10 19 18 21 18 24 C18 27 10 29 10 41 H30 C30 29 22 27 22 24 C22 21 30 19 30 7 Z"
       fill="#e8f1fa" stroke="#4a5560" stroke-width="1.5"/>
 <path d="M13 10 H27 C27 16 21 19 20 22 C19 19 13 16 13 10 Z" fill="#f0b43c"/>
 <path d="M12.5 40 C13 33 18 31 20 30 C22 31 27 33 27.5 40 Z" fill="#f0b43c"/>
 <line x1="20" y1="23" x2="20" y2="31" stroke="#f0b43c" stroke-width="1.5"/>
</svg>
"""


def picture(title, body):
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- main window picture: {title}; written by make_pictures.py -->
<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}">{DEFS}{PIPE}
{body}
</svg>
"""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "pictures")
    os.makedirs(out, exist_ok=True)
    files = {
        "unit134.svg": picture("wall-mounted transmitter (QT540)", WALL),
        "unit135.svg": picture("portable unit (VOV)", PORTABLE),
        "unit136.svg": picture("transmitter with temperature probes (RUZ)", THERMAL),
        "icon130.svg": ICON,
        "hourglass.svg": HOURGLASS,
    }
    for name, text in files.items():
        with open(os.path.join(out, name), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
