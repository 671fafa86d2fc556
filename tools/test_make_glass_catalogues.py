#!/usr/bin/env python3
"""Tests of make_glass_catalogues.py on a few source lines written out here."""

import unittest

import make_glass_catalogues as mgc

LINES = ["1.50731", "1.50980", "1.51143", "1.51289", "1.51432", "1.51680", "1.51872", "1.52238", "1.52668",
         "1.53024", "1.53627"]
# SCHOTT N-BK7 as the source interleaves it: 0, B1, C1, B2, C2, B3, C3.
BK7 = ["0", "1.03961212", "0.00600069867", "0.231792344", "0.0200179144", "1.01046945", "103.560653"]
# SUMITA K-BK7, Laurent with its exponents: A0, A1, 2, A2, -2, ..., A5, -8.
KBK7 = ["2.2705778", "-0.010059376", "2", "0.010414999", "-2", "0.00028872517", "-4", "-2.2214495e-05", "-6",
        "1.4258559e-06", "-8"]
KBK7_LAURENT = ["2.2705778", "-0.010059376", "0.010414999", "0.00028872517", "-2.2214495e-05", "1.4258559e-06"]


def record(name, formula, coefficients, comments=""):
    rec = {"name": name, "formula": formula, "lambda_min_um": "0.3", "lambda_max_um": "2.5", "catalogue_vd": "64.17",
           "vd": "64.16", "glass_code": "517642", "group": "optical", "comments": comments}
    rec.update({f"C{k}": "" for k in range(1, 12)})
    rec.update({f"C{k + 1}": c for k, c in enumerate(coefficients)})
    rec.update(zip(mgc.LINE_COLUMNS, LINES))
    return rec


def table(maker, records):
    """The catalogue's lines split into fields (title line at index 2, or 3 for HOYA), and the skipped."""
    skipped = []
    text = mgc.catalogue_text(maker, records, skipped)
    lines = text.split("\r\n")
    assert lines.pop() == ""
    return [line.split(mgc.MAKERS[maker]["separator"]) for line in lines], skipped


def cells(rows, title_row, row, title, count=1):
    start = rows[title_row].index(title)
    return rows[row][start:start + count]


class CatalogueTest(unittest.TestCase):
    def test_schott_reorders_sellmeier_and_leaves_out_other_forms(self):
        rows, skipped = table("SCHOTT", [
            record("N-BK7", "2", BK7),
            record("IRG22", "2", ["2.4834", "2.8203", "0.1352", "0.9773", "1420.7"]),  # a constant term
            record("BOROFLOAT33", "1", ["0.3542", "0.78657", "0.10856", "0.18285", "4.427"]),
        ])
        self.assertEqual([name for name, _ in skipped], ["IRG22", "BOROFLOAT33"])
        self.assertEqual(len(rows), 4)
        self.assertEqual([len(rows[0]), len(rows[1]), rows[2][0], rows[3][0]], [1, 1, "Glass", "N-BK7"])
        self.assertEqual(cells(rows, 2, 3, "B1", 6), ["1.03961212", "0.231792344", "1.01046945", "0.00600069867",
                                                     "0.0200179144", "103.560653"])
        self.assertEqual(cells(rows, 2, 3, "nd") + cells(rows, 2, 3, "ni") + cells(rows, 2, 3, "vd"),
                         ["1.51680", "1.53627", "64.17"])
        self.assertEqual(mgc.abbe_number({"catalogue_vd": "6.78300E+01"}), "67.83")
        with self.assertRaises(ValueError):  # a comma inside a field of the comma-separated file
            mgc.catalogue_text("SCHOTT", [record("N-BK7", "2", BK7, comments="soft, clear")])

    def test_ohara_puts_sellmeier_first_and_laurent_after_it(self):
        rows, _ = table("OHARA", [record("S-BSL7", "2", BK7), record("BSL7", "3", KBK7)])
        self.assertEqual(rows[2][1], "Glass")
        self.assertLess(rows[2].index("A1"), rows[2].index("A0"))  # the reader takes the first "A1"
        self.assertEqual(cells(rows, 2, 2, "A1", 6), ["A1", "A2", "A3", "B1", "B2", "B3"])
        self.assertEqual(cells(rows, 2, 3, "A1", 6), mgc.sellmeier(record("x", "2", BK7)))
        self.assertEqual(cells(rows, 2, 3, "A0", 6), [""] * 6)
        self.assertEqual(cells(rows, 2, 4, "A1", 6), [""] * 6)
        self.assertEqual(cells(rows, 2, 4, "A0", 6), KBK7_LAURENT)

    def test_hoya_pairs_keep_every_digit(self):
        self.assertEqual(mgc.mantissa_exponent("-0.0083329314"), ("-8.3329314", "-3"))
        self.assertEqual(mgc.mantissa_exponent("6.218322e-05"), ("6.218322", "-5"))
        self.assertEqual(mgc.mantissa_exponent("2.4196645"), ("2.4196645", "0"))
        with self.assertRaises(mgc.SkipGlass):
            mgc.mantissa_exponent("12.5")
        rows, _ = table("HOYA", [record("BSC7", "3", KBK7)])
        self.assertEqual(rows[3][1], "Glass Type")
        self.assertEqual(rows[4][1], "BSC7")
        pairs = cells(rows, 3, 4, "A0", 12)
        values = [float(m) * 10 ** -abs(int(e)) for m, e in zip(pairs[0::2], pairs[1::2])]
        for got, want in zip(values, map(float, KBK7_LAURENT)):
            self.assertAlmostEqual(got, want, delta=abs(want) * 1e-15)
        odd = list(KBK7)
        odd[2] = "4"  # not the Laurent series
        _, skipped = table("SUMITA", [record("ODD", "3", odd)])
        self.assertEqual([name for name, _ in skipped], ["ODD"])


if __name__ == "__main__":
    unittest.main()
