// Import of lens files of the widespread commercial design programs (.zmx, sequential mode).
//
// The file is text: UTF-16 (little or big endian, with a byte-order mark, as those programs write it;
// little endian without a mark is recognised by its zero bytes) or 8-bit (ASCII, UTF-8 with or without
// a mark, a legacy code page). Each line starts with a keyword; the surfaces follow "SURF 0", "SURF 1",
// ... in order, the last being the image.
//
// Read: UNIT (MM; CM, IN and METER are scaled to millimetres), ENPD (the entrance beam diameter), the
// object distance (DISZ INFINITY: the object row "Air"; a finite distance: the object row "Object" and a
// plane in air at that distance), surface types STANDARD, EVENASPH (PARM 2 ... 7: the terms in r^4 ...
// r^14) and COORDBRK (decenters PARM 1, 2, tilts PARM 3, 4, 5 about x, y, z in degrees, each a
// right-hand turn of the coordinate frame about the turned axes, PARM 6 the order: 0 decenter then tilt,
// else tilt then decenter; its DISZ runs along the new axis), CURV, DISZ, CONI, DIAM (a semi-diameter),
// STOP, GLAS (MIRROR, a catalogue glass, or a glass with its model fields nd and vd), WAVM/WAVL and PWAV,
// FTYP, XFLN and YFLN, NAME, MNUM, MODE.
//
// Frames: a run of coordinate breaks before a face becomes that face's "Y", "Z", "Theta", "Phi" and the
// distance before it, provided the turn has no part about the axis itself (which the lens table cannot
// hold). A tilted mirror of the lens table turns the frame a second time for the reflected light; the
// importer takes that turn out of the coordinate breaks that follow the mirror.
//
// What changes the optics but cannot be expressed (another surface type, a term in r^2 or r^16, a
// multi-configuration file, a pickup or solve other than on the last distance, a turn about the axis, a
// thickness against the direction of the light) is listed in `unsupported`, one
// line each; the caller decides whether to keep the lens. Keywords that do not change the optics are
// skipped quietly. Faults that leave no lens to keep -- text that is not a lens file, surfaces out of
// order, a number that is not finite or absurdly large, a glass that no catalogue knows and the file
// gives no model for -- end the import with `error`.
#pragma once

#include "exchange/GlassLookup.h"
#include "model/Lens.h"

#include <string>
#include <string_view>
#include <vector>

namespace vitrimo {

struct ZmxImport {
    std::string error;                    // empty when `lens` holds the imported prescription
    std::vector<std::string> unsupported; // what the lens table cannot express, one entry per item
    Lens lens;                            // a complete new prescription (not marked modified)

    bool Ok() const { return error.empty(); }
};

// The most surfaces a file may have; real lenses have a few dozen.
inline constexpr int kMaxZmxSurfaces = 2000;

// Imports file bytes. `sourceName` names the file in the memo. Glass names are resolved with `lookup`
// only. The new lens starts as a reset copy of `base` when one is given (the program's lens: its radius
// display, wavelength colours and change counter carry on), else as a new lens.
ZmxImport ImportZmxText(std::string_view bytes, const GlassLookup& lookup, const std::string& sourceName,
                        const Lens* base = nullptr);

// Reads the file (at most kMaxDataFileBytes) and imports it.
ZmxImport ImportZmxFile(const std::string& path, const GlassLookup& lookup, const Lens* base = nullptr);

// The file bytes as UTF-8 or 8-bit text, or the reason they are not a text file.
struct DecodedText {
    std::string text;
    std::string error;
};
DecodedText DecodeZmxBytes(std::string_view bytes);

} // namespace vitrimo
