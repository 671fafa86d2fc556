#!/usr/bin/env python3
"""Tests of make_rgb_table.py on a few colour matching function rows written out here."""

import unittest

import make_rgb_table as mrt

# CIE 1931 2-degree observer rows (wavelength, xbar, ybar, zbar).
CMF = {
    360: (0.0001299, 0.000003917, 0.0006061),
    361: (0.000145847, 0.000004393581, 0.0006808792),
    450: (0.33620, 0.038000, 1.772110),
    555: (0.5120501, 1.0, 0.005749999),
    600: (1.0622, 0.631, 0.0008),
    700: (0.01135916, 0.004102, 0.0),
}


class RgbTableTest(unittest.TestCase):
    def test_hues_follow_the_spectrum_and_fade_at_its_ends(self):
        self.assertEqual(mrt.spectral_rgb(*CMF[555])[1:], (255, 0))  # green; white added only up to blue 0
        red, green, blue = mrt.spectral_rgb(*CMF[600])
        self.assertEqual((red, blue), (255, 0))
        self.assertLess(green, 128)  # orange
        self.assertEqual(mrt.spectral_rgb(*CMF[450])[1:], (0, 255))  # violet: blue with some red
        # 700 nm: the functions sum to 0.0155, so linear red is 0.0155 / 0.2, and the sRGB curve
        # 1.055 c^(1/2.4) - 0.055 gives 0.31 of full scale.
        red, green, blue = mrt.spectral_rgb(*CMF[700])
        self.assertAlmostEqual(red, 255 * (1.055 * (0.0154618 / 0.2) ** (1 / 2.4) - 0.055), delta=1)
        self.assertEqual(green, 0)
        self.assertLess(sum(mrt.spectral_rgb(*CMF[360])), 20)
        self.assertAlmostEqual(mrt.srgb_encode(0.18), 0.4614, places=4)  # middle grey
        self.assertAlmostEqual(mrt.srgb_encode(0.002), 0.02584, places=5)  # the linear toe

    def test_title_line_and_5_nm_rows_in_blue_green_red_order(self):
        lines = mrt.table_text(CMF).split("\r\n")
        self.assertEqual((lines[0], lines[-1]), ("nm\tblue\tgreen\tred", ""))
        self.assertEqual([line.split("\t")[0] for line in lines[1:-1]], ["360", "450", "555", "600", "700"])
        red, green, blue = mrt.spectral_rgb(*CMF[600])
        self.assertEqual(lines[4], f"600\t{blue}\t{green}\t{red}")


if __name__ == "__main__":
    unittest.main()
