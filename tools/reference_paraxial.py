#!/usr/bin/env python3
"""Independent paraxial reference values for the sample lens files (.ldt).

This program does not use the y-nu paraxial recurrence that Vitrimo itself
uses.  Instead it traces one real meridional ray in global 2D coordinates
(x along the optical axis, y the height) through every surface, intersecting
the exact sphere or conic of revolution and applying Snell's law in vector
form (or the law of reflection for a mirror).  The ray height is tiny
(1e-5 mm), so the result is the paraxial limit: the aperture terms of the
real ray scale with (h/r)^2, about 1e-14 relative here.  All arithmetic is
done in decimal with 50 significant digits so that rounding plays no part.

For each file, at the d line (column nd), it prints
  f   effective focal length, for parallel light entering the first lens face
      (for a finite-object file, as if that object were at infinity);
      f = -h / sin(final ray angle), i.e. positive when parallel light is
      brought to a real focus, whichever way the light finally travels;
  bfd for an object at infinity the back focal distance, from the last face
      to the paraxial focus, measured along the final direction of the light
      (positive for a real focus); for a finite-object file the distance from
      the last face to the paraxial image of the axial object point.

Geometry: the first lens face has its vertex at x = 0.  The light starts
travelling in +x; every mirror reverses the sense of travel, and the next
vertex lies at (this vertex x + sense * Distance), Distance being written
positive in the file.  Radii are taken in the global frame: r > 0 means the
centre of curvature lies at larger x than the vertex, whatever the direction
of the light at that face.

Only the columns GlassName, r, Distance, k and nd are read.

Usage: reference_paraxial.py [file.ldt ...]
       (without arguments: every *.ldt in data/Lens of this repository)
"""

import os
import sys
from decimal import Decimal, getcontext

getcontext().prec = 50

D0 = Decimal(0)
D1 = Decimal(1)
H_RAY = Decimal("1e-5")  # mm, ray height (or ray height at the first face)

TITLE = ("No GlassName r rFix effectvDiam. Diameter HideDiam. Distance lFix "
         "maxDis. minDis. dx Y dy Z dz Theta dTheta Phi dPhi k A4 A6 A8 A10 "
         "A12 A14 nt ns nA nr nC nd ne nF ng nh ni Remarks").split()


def read_ldt(path):
    """Return (rows, memo); rows are dicts of the needed columns as text."""
    with open(path, "rb") as fh:
        text = fh.read().decode("utf-8")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    head = lines[0].split("\t")
    if head != TITLE:
        raise ValueError(f"{path}: unexpected title line")
    col = {name: i for i, name in enumerate(head)}
    rows, memo = [], []
    for line in lines[1:]:
        if "\t" not in line:
            memo.append(line)
            continue
        f = line.split("\t")
        if len(f) != len(TITLE):
            raise ValueError(f"{path}: data line with {len(f)} fields")
        rows.append({key: f[col[key]] for key in
                     ("No", "GlassName", "r", "Distance", "k", "nd")})
    return rows, memo


class Face:
    def __init__(self, row):
        self.glass = row["GlassName"]
        r = Decimal(row["r"])
        self.c = D0 if r == 0 else D1 / r
        self.k = Decimal(row["k"]) if row["k"] else D0
        self.dist = Decimal(row["Distance"])
        self.mirror = self.glass == "Mirror"
        self.n = abs(Decimal(row["nd"]))


def intersect(px, py, dx, dy, xv, c, k):
    """Parameter t of the ray P + t D at the conic c(y^2+(1+k)z^2) = 2z,
    z = x - xv: the nearest point ahead of P on the part of the surface
    that contains the vertex (where 1 - c(1+k)z > 0, i.e. the near half of
    a sphere or ellipsoid, the vertex sheet of a hyperboloid)."""
    pz = px - xv
    a = c * (dy * dy + (1 + k) * dx * dx)
    b = c * (py * dy + (1 + k) * pz * dx) - dx      # half of the linear term
    cc = c * (py * py + (1 + k) * pz * pz) - 2 * pz
    if a == 0:
        roots = [] if b == 0 else [-cc / (2 * b)]
    else:
        disc = b * b - a * cc
        if disc < 0:
            raise ArithmeticError("ray misses a surface")
        root = disc.sqrt()
        q = -(b + root) if b >= 0 else -(b - root)  # no cancellation
        roots = [cc / q, q / a] if q != 0 else [-b / a]
    eps = Decimal("1e-30")
    good = [t for t in roots
            if t > -eps and 1 - c * (1 + k) * (pz + t * dx) > 0]
    if not good:
        raise ArithmeticError("ray misses a surface")
    return min(good)


def trace(faces, x, y, dx, dy, n):
    """Trace the ray from point (x, y), unit direction (dx, dy), in a medium
    of index n, through the faces; the first face's vertex is at x = 0.
    Returns the final point, direction and the last vertex position."""
    xv = D0
    sense = 1
    last_xv = D0
    for i, fc in enumerate(faces):
        t = intersect(x, y, dx, dy, xv, fc.c, fc.k)
        x, y = x + t * dx, y + t * dy
        # surface normal: gradient of c(y^2+(1+k)z^2) - 2z, made unit
        z = x - xv
        nx = fc.c * (1 + fc.k) * z - 1
        ny = fc.c * y
        norm = (nx * nx + ny * ny).sqrt()
        nx, ny = nx / norm, ny / norm
        cos_i = nx * dx + ny * dy
        if cos_i < 0:                     # orient the normal along the ray
            nx, ny, cos_i = -nx, -ny, -cos_i
        if fc.mirror:
            dx, dy = dx - 2 * cos_i * nx, dy - 2 * cos_i * ny
            sense = -sense
        else:
            n2 = fc.n
            mu = n / n2
            sin_i = nx * dy - ny * dx     # cross product, exact for tiny angles
            cos_t2 = 1 - mu * mu * sin_i * sin_i
            if cos_t2 < 0:
                raise ArithmeticError("total internal reflection")
            g = cos_t2.sqrt() - mu * cos_i
            dx, dy = mu * dx + g * nx, mu * dy + g * ny
            n = n2
        norm = (dx * dx + dy * dy).sqrt()
        dx, dy = dx / norm, dy / norm
        last_xv = xv
        if i + 1 < len(faces):
            xv = xv + sense * fc.dist
    return x, y, dx, dy, last_xv


def axis_crossing(x, y, dx, dy, last_xv):
    """Signed distance along the final direction from the last vertex to
    the point where the ray meets the axis."""
    s = -y / dy
    xc = x + s * dx
    return (xc - last_xv) * (1 if dx > 0 else -1)


def analyse(path):
    rows, _memo = read_ldt(path)
    finite = rows[0]["GlassName"] == "Object"
    first = 2 if finite else 1
    faces = [Face(r) for r in rows[first:]]
    n0 = abs(Decimal(rows[first - 1]["nd"]))

    # parallel light at height h, starting well before the first vertex
    x, y, dx, dy, lx = trace(faces, Decimal(-10000), H_RAY, D1, D0, n0)
    f = -H_RAY / dy
    bfd = axis_crossing(x, y, dx, dy, lx)

    if finite:
        s_obj = Decimal(rows[1]["Distance"])
        # from the axial object point, aimed at height h on the first vertex
        hyp = (s_obj * s_obj + H_RAY * H_RAY).sqrt()
        x, y, dx, dy, lx = trace(faces, -s_obj, D0, s_obj / hyp,
                                 H_RAY / hyp, n0)
        bfd = axis_crossing(x, y, dx, dy, lx)
    return f, bfd, rows, finite


def singlet_thick_lens(rows):
    """Thick-lens formula for a singlet in air (object at infinity).

    Hand check for data/Lens/singlet.ldt (N-BK7, nd = 1.51680,
    R1 = 102.5, R2 = -102.5, t = 5):
      n - 1              = 0.5168
      1/R1 - 1/R2        = 2/102.5 = 0.0195121951
      (n-1)t/(n R1 R2)   = 0.5168*5 / (1.5168*102.5*(-102.5))
                         = 2.584 / -15935.88 = -0.0001621498
      1/f = 0.5168 * (0.0195121951 - 0.0001621498)
          = 0.5168 * 0.0193500453 = 0.0100001034
      f   = 99.99897 mm
      BFD = f (1 - (n-1) t / (n R1)) = 99.99897 * (1 - 2.584/155.472)
          = 99.99897 * 0.9833796 = 98.33695 mm
    """
    n = Decimal(rows[1]["nd"])
    r1 = Decimal(rows[1]["r"])
    r2 = Decimal(rows[2]["r"])
    t = Decimal(rows[1]["Distance"])
    inv_f = (n - 1) * (1 / r1 - 1 / r2 + (n - 1) * t / (n * r1 * r2))
    f = 1 / inv_f
    bfd = f * (1 - (n - 1) * t / (n * r1))
    return f, bfd


def main(argv):
    if len(argv) > 1:
        paths = argv[1:]
    else:
        here = os.path.dirname(os.path.abspath(__file__))
        folder = os.path.join(here, "..", "data", "Lens")
        paths = sorted(os.path.join(folder, p) for p in os.listdir(folder)
                       if p.endswith(".ldt"))
    print(f"{'file':<22} {'f (mm)':>20} {'back focal distance (mm)':>26}")
    status = 0
    for path in paths:
        name = os.path.basename(path)
        try:
            f, bfd, rows, finite = analyse(path)
        except (ValueError, ArithmeticError) as err:
            print(f"{name:<22} error: {err}")
            status = 1
            continue
        note = "  (image of the finite object)" if finite else ""
        print(f"{name:<22} {f:>20.12g} {bfd:>26.12g}{note}")
        if name == "singlet.ldt":
            tf, tb = singlet_thick_lens(rows)
            print(f"{'  thick-lens formula':<22} {tf:>20.12g} {tb:>26.12g}")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
