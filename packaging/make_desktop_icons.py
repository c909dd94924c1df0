#!/usr/bin/env python3
"""Draws the desktop's extra sizes of the program icon from the shapes in
dialog/icons/make_icons.py: a 48-pixel PNG and a scalable SVG, into
packaging/icons. Run it again after the icon changes:
python3 packaging/make_desktop_icons.py"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "ui", "icons"))
import make_icons  # noqa: E402  (the dialog's own icon drawing)


def hex_colour(index):
    return "#%02x%02x%02x" % make_icons.PALETTE[index]


def svg_polygon(points, fill):
    coordinates = " ".join("%g,%g" % (x * 100, y * 100) for x, y in points)
    return '  <polygon points="%s" fill="%s"/>\n' % (coordinates, fill)


def svg():
    # The same drawing as the PNGs: rim and sky discs, then the glider.
    text = ('<svg xmlns="http://www.w3.org/2000/svg" width="100" height="100" viewBox="0 0 100 100">\n'
            '  <circle cx="50" cy="50" r="49" fill="%s"/>\n'
            '  <circle cx="50" cy="50" r="44" fill="%s"/>\n' % (hex_colour(2), hex_colour(1)))
    for shape in (make_icons.WINGS, make_icons.FUSELAGE, make_icons.TAIL):
        text += svg_polygon(shape, hex_colour(3))
    return text + "</svg>\n"


if __name__ == "__main__":
    out_dir = os.path.join(HERE, "icons")
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "brisko-48.png"), "wb") as out:
        out.write(make_icons.png(make_icons.render(48)))
    with open(os.path.join(out_dir, "brisko.svg"), "w") as out:
        out.write(svg())
