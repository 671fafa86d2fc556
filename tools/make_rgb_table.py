#!/usr/bin/env python3
"""Writes RGBtable.txt, the spectral colours of Vitrimo's "RealColor" command.

Input: the CIE 1931 2-degree colour matching functions as a tab-separated file
with the columns wavelength_nm, xbar, ybar, zbar (one header line).

Output: RGBtable.txt, tab-separated: a title line "nm  blue  green  red" and one
line per 5 nm from 360 to 830 nm with the sRGB colour of monochromatic light of
that wavelength as three integers 0 ... 255 (blue, green, red: the order the
program composes colours in).

The colour of a wavelength:
  1. XYZ = (xbar, ybar, zbar) of the wavelength.
  2. Linear sRGB by the IEC 61966-2-1 matrix.
  3. Spectral colours lie outside the sRGB gamut: add just enough white
     (equal amounts of R, G, B, the sRGB white point D65) to make the smallest
     component 0, which keeps the hue and gives up saturation.
  4. Scale so that the largest component is 1: every hue at full brightness.
  5. Fade towards the ends of the visible range: multiply by
     min(1, (xbar + ybar + zbar) / 0.2), so the band from about 410 nm to
     680 nm is drawn at full brightness and the ultraviolet and the infrared
     go dark, as the eye sees them.
  6. sRGB transfer function, times 255, rounded.

Usage: make_rgb_table.py CMF_FILE [OUT_FILE]
       (OUT_FILE defaults to data/RGBtable.txt of this repository)
"""

import os
import sys

XYZ_TO_SRGB = [
    [3.2406, -1.5372, -0.4986],
    [-0.9689, 1.8758, 0.0415],
    [0.0557, -0.2040, 1.0570],
]
STEP_NM = 5
FADE_SUM = 0.2


def read_cmf(path):
    """{wavelength in nm: (xbar, ybar, zbar)} from the tab-separated file."""
    table = {}
    with open(path, encoding="utf-8") as fh:
        header = fh.readline().rstrip("\r\n").split("\t")
        if header[:4] != ["wavelength_nm", "xbar", "ybar", "zbar"]:
            raise ValueError(f"{path}: unexpected header {header}")
        for line in fh:
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) < 4:
                continue
            table[int(fields[0])] = tuple(float(v) for v in fields[1:4])
    return table


def srgb_encode(linear):
    """The sRGB transfer function of a linear component 0 ... 1."""
    if linear <= 0.0031308:
        return 12.92 * linear
    return 1.055 * linear ** (1 / 2.4) - 0.055


def spectral_rgb(x, y, z):
    """(red, green, blue) 0 ... 255 of monochromatic light with these tristimulus values."""
    rgb = [sum(m * v for m, v in zip(row, (x, y, z))) for row in XYZ_TO_SRGB]
    lowest = min(rgb)
    if lowest < 0:
        rgb = [c - lowest for c in rgb]
    highest = max(rgb)
    if highest <= 0:
        return (0, 0, 0)
    fade = min(1.0, (x + y + z) / FADE_SUM)
    return tuple(round(255 * srgb_encode(c / highest * fade)) for c in rgb)


def table_text(cmf):
    lines = ["nm\tblue\tgreen\tred"]
    for nm in sorted(cmf):
        if nm % STEP_NM:
            continue
        red, green, blue = spectral_rgb(*cmf[nm])
        lines.append(f"{nm}\t{blue}\t{green}\t{red}")
    return "\r\n".join(lines) + "\r\n"


def main(argv):
    if len(argv) < 2 or len(argv) > 3:
        print(__doc__.split("\n\n")[-1], file=sys.stderr)
        return 2
    out = argv[2] if len(argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "RGBtable.txt")
    with open(out, "w", encoding="utf-8", newline="") as fh:
        fh.write(table_text(read_cmf(argv[1])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
