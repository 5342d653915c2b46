#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the picture-button artwork: for every caption three SVG files, up (U),
down (D) and focused (F). Run it after changing a glyph; the output is
committed so the build needs no Python."""
import os

W, H = 48, 36

# The floppy disk of SAVEDISK and ARRETDISK, and the label on it.
DISK = """
  <path d="M3 3 H18 L21 6 V21 H3 Z" fill="#2f6db5" stroke="#1d4679" stroke-width="1.2" stroke-linejoin="round"/>
  <rect x="7" y="3.6" width="9" height="6" fill="#d9dee4"/>"""
LABEL = """
  <rect x="6" y="13" width="12" height="8" fill="#ffffff"/>"""

# Each glyph is drawn in a 24 x 24 box; the frame places it in the button.
GLYPHS = {
    "PRINT": """
  <rect x="6" y="2" width="12" height="7" fill="#ffffff" stroke="#4a5560" stroke-width="1.2"/>
  <rect x="2" y="8" width="20" height="10" rx="2" fill="#7b8896" stroke="#3b4650" stroke-width="1.2"/>
  <circle cx="18.5" cy="11" r="1.1" fill="#7be07b"/>
  <rect x="6" y="15" width="12" height="8" fill="#ffffff" stroke="#4a5560" stroke-width="1.2"/>
  <line x1="8" y1="18" x2="16" y2="18" stroke="#8a96a3" stroke-width="1"/>
  <line x1="8" y1="20.5" x2="14" y2="20.5" stroke="#8a96a3" stroke-width="1"/>""",
    "SAVEDISK": DISK + """
  <rect x="13" y="4.6" width="2" height="4" fill="#2f6db5"/>""" + LABEL + """
  <line x1="8" y1="16" x2="16" y2="16" stroke="#9aa5b1" stroke-width="1"/>
  <line x1="8" y1="18.5" x2="16" y2="18.5" stroke="#9aa5b1" stroke-width="1"/>""",
    "ARRETDISK": DISK + LABEL + """
  <rect x="11" y="11" width="12" height="12" rx="1.5" fill="#d33a2c" stroke="#8e2119" stroke-width="1.2"/>
  <rect x="14" y="14" width="6" height="6" fill="#ffffff"/>""",
    "TABLEUR": """
  <rect x="2" y="3" width="20" height="18" fill="#ffffff" stroke="#2e7d32" stroke-width="1.4"/>
  <rect x="2" y="3" width="20" height="4.5" fill="#43a047"/>
  <rect x="2" y="3" width="5" height="18" fill="#c8e6c9"/>
  <g stroke="#2e7d32" stroke-width="0.9">
    <line x1="7" y1="3" x2="7" y2="21"/><line x1="12" y1="3" x2="12" y2="21"/>
    <line x1="17" y1="3" x2="17" y2="21"/><line x1="2" y1="7.5" x2="22" y2="7.5"/>
    <line x1="2" y1="12" x2="22" y2="12"/><line x1="2" y1="16.5" x2="22" y2="16.5"/>
  </g>""",
    "GRAPH": """
  <rect x="2" y="3" width="20" height="18" fill="#ffffff" stroke="#4a5560" stroke-width="1.2"/>
  <g stroke="#c9d1d9" stroke-width="0.8"><line x1="2" y1="9" x2="22" y2="9"/><line x1="2" y1="15" x2="22" y2="15"/></g>
  <polyline points="3.5,17 7,12 10,14 13.5,6.5 17,11 20.5,8" fill="none" stroke="#2f6db5" stroke-width="1.8" stroke-linejoin="round" stroke-linecap="round"/>
  <polyline points="3.5,19.5 8,18 12,19 16,16.5 20.5,17.5" fill="none" stroke="#d33a2c" stroke-width="1.3" stroke-linejoin="round" stroke-linecap="round"/>""",
    "COMPARE": """
  <rect x="1.5" y="3" width="11" height="15" fill="#ffffff" stroke="#4a5560" stroke-width="1.2"/>
  <rect x="11.5" y="6" width="11" height="15" fill="#fff6d5" stroke="#4a5560" stroke-width="1.2"/>
  <g stroke="#8a96a3" stroke-width="1"><line x1="3.5" y1="7" x2="10" y2="7"/><line x1="3.5" y1="10" x2="9" y2="10"/>
  <line x1="3.5" y1="13" x2="10" y2="13"/><line x1="13.5" y1="10" x2="20.5" y2="10"/><line x1="13.5" y1="16" x2="20.5" y2="16"/></g>
  <line x1="13.5" y1="13" x2="20.5" y2="13" stroke="#d33a2c" stroke-width="1.6"/>""",
    "TRANSFERT": """
  <rect x="3" y="13" width="18" height="9" rx="1.5" fill="#7b8896" stroke="#3b4650" stroke-width="1.2"/>
  <rect x="5.5" y="15" width="9" height="4" fill="#b8e986" stroke="#3b4650" stroke-width="0.8"/>
  <circle cx="17.5" cy="17" r="1.3" fill="#f5a623"/>
  <path d="M12 1.5 V10.5 M7.5 6.5 L12 11 L16.5 6.5" fill="none" stroke="#2f6db5" stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"/>""",
    "HOME": """
  <rect x="3" y="5" width="2.8" height="14" fill="#2f6db5"/>
  <path d="M13 5 L6.5 12 L13 19 Z M21 5 L14.5 12 L21 19 Z" fill="#2f6db5"/>""",
    "END": """
  <rect x="18.2" y="5" width="2.8" height="14" fill="#2f6db5"/>
  <path d="M3 5 L9.5 12 L3 19 Z M11 5 L17.5 12 L11 19 Z" fill="#2f6db5"/>""",
    "PGU": """
  <path d="M12 3.5 L19.5 11 H4.5 Z M12 11.5 L19.5 19 H4.5 Z" fill="#2f6db5"/>
  <rect x="4.5" y="20" width="15" height="1.6" fill="#2f6db5"/>""",
    "PGD": """
  <rect x="4.5" y="2.4" width="15" height="1.6" fill="#2f6db5"/>
  <path d="M12 12.5 L19.5 5 H4.5 Z M12 20.5 L19.5 13 H4.5 Z" fill="#2f6db5"/>""",
}

STATES = {
    # up: a raised face, light from the top left
    "U": dict(top="#fbfcfd", bottom="#d7dde3", border="#8c99a6", shift=0, ring=False,
              hi="#ffffff", lo="#a8b3be"),
    # down: a sunken face, glyph moved one pixel as a pressed key does
    "D": dict(top="#c5cdd5", bottom="#e4e8ec", border="#6c7986", shift=1, ring=False,
              hi="#9aa6b2", lo="#f4f6f8"),
    # focused: the raised face with a clear ring for keyboard users
    "F": dict(top="#fbfcfd", bottom="#d7dde3", border="#2f6db5", shift=0, ring=True,
              hi="#ffffff", lo="#a8b3be"),
}


def button(name, glyph, state):
    s = STATES[state]
    ring = ('<rect x="1.5" y="1.5" width="45" height="33" rx="5" fill="none" '
            'stroke="#5b9bf0" stroke-width="2" stroke-dasharray="none"/>') if s["ring"] else ""
    gx = (W - 24) / 2 + s["shift"]
    gy = (H - 24) / 2 + s["shift"]
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- {name}{state}: picture button artwork, written by make_buttons.py -->
<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}">
 <defs>
  <linearGradient id="face" x1="0" y1="0" x2="0" y2="1">
   <stop offset="0" stop-color="{s['top']}"/><stop offset="1" stop-color="{s['bottom']}"/>
  </linearGradient>
 </defs>
 <rect x="0.5" y="0.5" width="47" height="35" rx="5" fill="url(#face)" stroke="{s['border']}"/>
 <path d="M3 33 V6 Q3 3 6 3 H42" fill="none" stroke="{s['hi']}" stroke-width="1"/>
 <path d="M45 6 V30 Q45 33 42 33 H6" fill="none" stroke="{s['lo']}" stroke-width="1"/>
 {ring}
 <g transform="translate({gx} {gy})">{glyph}
 </g>
</svg>
"""


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "buttons")
    os.makedirs(out, exist_ok=True)
    for name, glyph in GLYPHS.items():
        for state in STATES:
            with open(os.path.join(out, f"{name}{state}.svg"), "w", encoding="utf-8") as f:
                f.write(button(name, glyph, state))


if __name__ == "__main__":
    main()
