#!/usr/bin/env python3
"""Writes the four glass catalogue files of Vitrimo from the makers' data.

Input: a folder with the tab-separated files SCHOTT.tsv, OHARA.tsv, HOYA.tsv and
SUMITA.tsv in the column layout of the glass-data extraction of the
refractiveindex.info database (one header line, one line per glass; columns
name, formula, C1 ... Cn, lambda_min_um, lambda_max_um, the computed indices at
the exact Fraunhofer lines n1013.98 ... n365.0146, catalogue_nd, catalogue_vd,
glass_code, group, comments, ...).  Use the extraction's exact-lines/ files: the
makers list their indices at the exact line wavelengths.

Output: Schott.txt, Ohara.txt, Hoya.txt, Sumita.txt, each in the layout that
Vitrimo's catalogue reader expects from that maker:

  Schott.txt  comma-separated; name column "Glass"; Sellmeier coefficients
              B1, B2, B3, C1, C2, C3 (the source interleaves them as B1, C1,
              B2, C2, B3, C3).
  Ohara.txt   tab-separated; name column "Glass"; Sellmeier coefficients under
              the titles A1, A2, A3 (B1 ... B3) and B1, B2, B3 (C1 ... C3) where
              the glass has them, else empty there and Laurent coefficients
              A0 ... A5 in the columns after them.
  Hoya.txt    tab-separated; glass name in column 1 (title "Glass Type"); Laurent
              coefficients as mantissa and exponent pairs, A_k = mantissa *
              10^-|exponent|.
  Sumita.txt  tab-separated; name column "GNAME"; Laurent coefficients A0 ... A5.

The database's formula 2 (n^2 - 1 = C1 + sum of C2 L/(L - C3) terms) is the
three-term Sellmeier formula when C1 is 0; its formula 3 with the exponents 2,
-2, -4, -6, -8 is the Laurent series n^2 = A0 + A1 L + A2/L + ... + A5/L^4.
Glasses whose data fit neither form (the SCHOTT infrared chalcogenides with a
constant term, BOROFLOAT33) are left out and listed on stderr.

Coefficient texts are copied digit for digit; index texts as the source writes
them (5 decimals); an index the source leaves empty (outside the formula's
range) stays empty.

Usage: make_glass_catalogues.py SOURCE_DIR [OUT_DIR]
       (OUT_DIR defaults to the data/ folder of this repository)
"""

import csv
import os
import sys
from decimal import Decimal, InvalidOperation

# The exact Fraunhofer line wavelengths of the source's columns, in the order
# t, s, A', r, C, d, e, F, g, h, i.
LINE_COLUMNS = ["n1013.98", "n852.11", "n768.195", "n706.5188", "n656.2725",
                "n587.5618", "n546.074", "n486.1327", "n435.8343",
                "n404.6561", "n365.0146"]
LINE_NAMES = ["t", "s", "A'", "r", "C", "d", "e", "F", "g", "h", "i"]

LAURENT_EXPONENTS = ["2", "-2", "-4", "-6", "-8"]

NOTICE = "Source: refractiveindex.info database (CC0 1.0) - see NOTICE-glass-data.md"


class SkipGlass(Exception):
    """The glass's data cannot be written in this maker's coefficient form."""


def read_source(path):
    with open(path, encoding="utf-8", newline="") as fh:
        return list(csv.DictReader(fh, delimiter="\t"))


def plain_decimal(text):
    """A number as plain decimal text without exponent: '6.78300E+01' -> '67.83'."""
    try:
        value = Decimal(text)
    except InvalidOperation:
        raise ValueError(f"not a number: {text!r}")
    result = format(value.normalize(), "f")
    return "0" if result in ("-0", "") else result


def abbe_number(rec):
    """The maker's Abbe number where the source stores one, else the computed one."""
    if rec.get("catalogue_vd"):
        return plain_decimal(rec["catalogue_vd"])
    return rec.get("vd", "")


def sellmeier(rec):
    """(B1, B2, B3, C1, C2, C3) as text from a source line, or SkipGlass."""
    if rec["formula"] != "2":
        raise SkipGlass(f"formula {rec['formula']} is not the three-term Sellmeier formula")
    if Decimal(rec["C1"]) != 0:
        raise SkipGlass("its Sellmeier formula has a constant term")
    b = [rec["C2"], rec["C4"], rec["C6"]]
    c = [rec["C3"], rec["C5"], rec["C7"]]
    if any(v == "" for v in b + c):
        raise SkipGlass("its Sellmeier formula has fewer than three terms")
    return b + c


def laurent(rec):
    """(A0, ..., A5) as text from a source line, or SkipGlass."""
    if rec["formula"] != "3":
        raise SkipGlass(f"formula {rec['formula']} is not the Laurent formula")
    exponents = [rec["C3"], rec["C5"], rec["C7"], rec["C9"], rec["C11"]]
    if exponents != LAURENT_EXPONENTS:
        raise SkipGlass(f"its polynomial has the exponents {exponents}")
    return [rec["C1"], rec["C2"], rec["C4"], rec["C6"], rec["C8"], rec["C10"]]


def mantissa_exponent(text):
    """A coefficient as (mantissa, exponent) texts with coefficient = mantissa *
    10^-|exponent|: '-0.0083329314' -> ('-8.3329314', '-3'), '2.4196645' ->
    ('2.4196645', '0').  The digits are kept exactly."""
    value = Decimal(text)
    if value == 0:
        return "0", "0"
    exponent = value.adjusted()
    if exponent > 0:
        raise SkipGlass(f"the coefficient {text} is 10 or more and has no form mantissa * 10^-n")
    mantissa = value.scaleb(-exponent)
    return format(mantissa, "f"), str(exponent)


def line_indices(rec, skip=None):
    return [rec[c] for c, name in zip(LINE_COLUMNS, LINE_NAMES) if name != skip]


def schott_row(rec):
    return ([rec["name"], rec["n587.5618"], abbe_number(rec)] + line_indices(rec, "d") + sellmeier(rec) +
            [rec["lambda_min_um"], rec["lambda_max_um"], rec["glass_code"], rec["group"], rec["comments"]])


def ohara_row(rec):
    if rec["formula"] == "2":
        coefficients = sellmeier(rec) + [""] * 6
    else:
        coefficients = [""] * 6 + laurent(rec)
    return ([rec["name"], rec["n587.5618"], abbe_number(rec)] + line_indices(rec, "d") + coefficients +
            [rec["lambda_min_um"], rec["lambda_max_um"], rec["glass_code"], rec["comments"]])


def hoya_row(rec):
    pairs = []
    for a in laurent(rec):
        pairs.extend(mantissa_exponent(a))
    return ([rec["glass_code"], rec["name"], rec["n587.5618"], abbe_number(rec)] + line_indices(rec, "d") +
            pairs + [rec["lambda_min_um"], rec["lambda_max_um"], rec["comments"]])


def sumita_row(rec):
    return ([rec["name"], rec["n587.5618"], abbe_number(rec)] + line_indices(rec, "d") + laurent(rec) +
            [rec["lambda_min_um"], rec["lambda_max_um"], rec["glass_code"]])


NU_D = "\u03bdd"

# Per maker: output file, separator, leading lines, title line, row maker, and
# whether the rows start with a running number.
MAKERS = {
    "SCHOTT": dict(
        file="Schott.txt", separator=",", numbered=False, row=schott_row,
        heading=["SCHOTT optical glass catalogue for Vitrimo", NOTICE],
        titles=["Glass", "nd", "vd", "nt", "ns", "nAd", "nr", "nC", "ne", "nF", "ng", "nh", "ni",
                "B1", "B2", "B3", "C1", "C2", "C3", "lambda min (um)", "lambda max (um)", "Code", "Group",
                "Comments"]),
    "OHARA": dict(
        file="Ohara.txt", separator="\t", numbered=True, row=ohara_row,
        heading=["OHARA optical glass catalogue for Vitrimo", NOTICE],
        titles=["No.", "Glass", "  nd", "Vd", "  nt", "  ns", "nA'", "  nr", "  nC", "  ne", "  nF",
                "  ng", "  nh", "  ni", "A1", "A2", "A3", "B1", "B2", "B3", "A0", "A1", "A2", "A3", "A4",
                "A5", "\u03bbmin (\u00b5m)", "\u03bbmax (\u00b5m)", "Code", "Comments"]),
    "HOYA": dict(
        file="Hoya.txt", separator="\t", numbered=False, row=hoya_row,
        heading=["HOYA optical glass catalogue for Vitrimo", NOTICE,
                 "Dispersion coefficients: A = mantissa x 10^-|exp|"],
        titles=["Code", "Glass Type", "ND", NU_D, "NT", "NS", "NA", "NR", "NC", "NE", "NF", "NG", "NH",
                "NI", "A0", "exp", "A1", "exp", "A2", "exp", "A3", "exp", "A4", "exp", "A5", "exp",
                "\u03bbmin (\u00b5m)", "\u03bbmax (\u00b5m)", "Comments"]),
    "SUMITA": dict(
        file="Sumita.txt", separator="\t", numbered=True, row=sumita_row,
        heading=["SUMITA optical glass catalogue for Vitrimo", NOTICE],
        titles=["No.", "GNAME", "nd", NU_D, "nt", "ns", "nA'", "nr", "nC", "ne", "nF", "ng", "nh", "ni",
                "A0", "A1", "A2", "A3", "A4", "A5", "\u03bbmin (\u00b5m)", "\u03bbmax (\u00b5m)", "Code"]),
}


def catalogue_text(maker, records, skipped=None):
    """The catalogue file's text for the source lines of one maker. Glasses
    that cannot be written are appended to `skipped` as (name, reason)."""
    layout = MAKERS[maker]
    sep = layout["separator"]
    lines = list(layout["heading"]) + [sep.join(layout["titles"])]
    number = 0
    for rec in records:
        try:
            fields = layout["row"](rec)
        except SkipGlass as why:
            if skipped is not None:
                skipped.append((rec["name"], str(why)))
            continue
        number += 1
        if layout["numbered"]:
            fields = [str(number)] + fields
        if len(fields) != len(layout["titles"]):
            raise AssertionError(f"{rec['name']}: {len(fields)} fields for {len(layout['titles'])} titles")
        for field in fields:
            if "\t" in field or "\n" in field or "\r" in field or sep in field:
                raise ValueError(f"{maker} {rec['name']}: the field {field!r} holds a separator")
        lines.append(sep.join(fields))
    for line in layout["heading"]:
        # A heading line is split like any other line: it must not look like a title line.
        if "\t" in line or "," in line:
            raise AssertionError(f"heading line with a separator: {line!r}")
    return "\r\n".join(lines) + "\r\n"


def main(argv):
    if len(argv) < 2 or len(argv) > 3:
        print(__doc__.split("\n\n")[-1], file=sys.stderr)
        return 2
    source = argv[1]
    out = argv[2] if len(argv) == 3 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
    for maker, layout in MAKERS.items():
        records = read_source(os.path.join(source, maker + ".tsv"))
        skipped = []
        text = catalogue_text(maker, records, skipped)
        with open(os.path.join(out, layout["file"]), "w", encoding="utf-8", newline="") as fh:
            fh.write(text)
        written = len(records) - len(skipped)
        print(f"{layout['file']}: {written} glasses", file=sys.stderr)
        for name, why in skipped:
            print(f"  left out {name}: {why}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
