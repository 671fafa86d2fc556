// Export to .zmx: a lens goes out and comes back the same, with aspheres, decentered and tilted faces,
// tilted mirrors, a second-surface mirror, model glasses and an object at a limited distance.
#include "exchange/ZmxExport.h"

#include "exchange/GlassLookup.h"
#include "exchange/ZmxImport.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "model/Workspace.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>
#include <memory>

namespace vitrimo {
namespace {

using test::CellIs;
using test::Face;
using test::MakeLens;
using test::SetCells;

GlassLookup Catalogues() {
    return BuiltInGlassLookup(
        std::make_shared<GlassCatalogues>(Workspace::FromCurrentDirectory(), test::SourcePath("data")));
}

// The catalogue cells of Schott's N-BK7 and F2, so the lens is what the glass chooser would have made.
void Glass(Lens& lens, int row, const char* name) {
    const auto glass = Catalogues()(name);
    ASSERT_TRUE(glass) << name;
    lens.SetText(col::GlassName, row, name);
    lens.SetText(col::Remarks, row, glass->maker);
    for (int line = 0; line < 11; ++line) lens.SetText(col::LineIndices[line], row, glass->lineIndices[line]);
}

// The columns the .zmx file carries, compared as numbers (or as text where they are names).
void ExpectSameOptics(const Lens& a, const Lens& b) {
    ASSERT_EQ(a.RowCount(), b.RowCount());
    const std::vector<std::string_view> numbers{col::R,        col::EffectiveDiameter,
                                                col::Distance, col::Y,
                                                col::Z,        col::Theta,
                                                col::Phi,      col::K,
                                                col::A4,       col::A6,
                                                col::A8,       col::A10,
                                                col::A12,      col::A14};
    for (int row = 1; row < a.RowCount(); ++row) {
        EXPECT_EQ(a.Text(col::GlassName, row), b.Text(col::GlassName, row)) << "row " << row;
        EXPECT_EQ(a.Text(col::Remarks, row), b.Text(col::Remarks, row)) << "row " << row;
        for (auto line : col::LineIndices)
            EXPECT_EQ(a.Text(line, row), b.Text(line, row)) << line << " row " << row;
        for (auto column : numbers) {
            const double x = ParseNumber(a.Text(column, row)).value_or(0);
            const double y = ParseNumber(b.Text(column, row)).value_or(0);
            EXPECT_TRUE(test::Near(y, x, 1e-12, 1e-12)) << column << " row " << row;
        }
    }
}

Lens RoundTrip(const Lens& lens) {
    const ZmxExport exported = ExportZmxText(lens);
    const ZmxImport imported = ImportZmxText(exported.text, Catalogues(), "round.zmx");
    EXPECT_TRUE(imported.Ok()) << imported.error;
    EXPECT_TRUE(imported.unsupported.empty()) << imported.unsupported.front();
    return imported.lens;
}

TEST(ZmxExport, AspheresShiftsTiltsAndMirrorsComeBackUnchanged) {
    Lens lens = MakeLens({
        Face{"N-BK7", "40.5", "6", "1"},
        Face{"Air", "-120.25", "10", "1"},
        Face{"Air", "0", "5", "1", "Stop Plane", "8"},
        Face{"F2", "-30", "2.5", "1"},
        Face{"Air", "80", "30", "1"},
        Face{"Mirror", "0", "25", "-1", "", "30"},
        Face{"Mirror", "-200", "60", "-1", "", "30"},
    });
    Glass(lens, 2, "N-BK7");
    Glass(lens, 5, "F2");
    SetCells(lens, {
                       {col::K, 2, "-0.75"},
                       {col::A4, 2, "-2.5E-6"},
                       {col::A6, 2, "1.25E-9"},
                       {col::A14, 2, "3E-20"},
                       {col::Y, 5, "0.5"},
                       {col::Z, 5, "-0.25"},
                       {col::Theta, 5, "2"},
                       {col::Phi, 5, "30"},
                       {col::Theta, 7, "20"},
                       {col::Phi, 7, "90"},
                       {col::K, 8, "-1"},
                       {col::Y, 8, "1.5"},
                   });
    ExpectSameOptics(lens, RoundTrip(lens));
}

TEST(ZmxExport, ASecondSurfaceMirrorAndAModelGlassComeBack) {
    Lens lens = MakeLens({Face{"N-BK7", "100", "5", "1"}, Face{"2nd Surf.Mirror", "-150", "5", "1"},
                          Face{"Air", "100", "50", "1"}});
    Glass(lens, 2, "N-BK7");
    lens.SetText(col::Remarks, 3, "2nd surface mirror");
    for (auto line : col::LineIndices) lens.SetText(line, 3, "-" + lens.Text(line, 2));
    // A glass no catalogue has, described by its model.
    const ZmxImport model = ImportZmxText(
        "SURF 0\n DISZ INFINITY\nSURF 1\n CURV 0.01\n DISZ 4\n GLAS OWN-1 0 0 1.72 28.5\n DIAM 5\nSURF 2\n "
        "DISZ 20\n DIAM 5\nSURF 3\n",
        Catalogues(), "model.zmx");
    ASSERT_TRUE(model.Ok()) << model.error;
    ExpectSameOptics(lens, RoundTrip(lens));
    ExpectSameOptics(model.lens, RoundTrip(model.lens));
}

TEST(ZmxExport, AnObjectAtALimitedDistanceComesBack) {
    Lens lens;
    const LensFileResult read = ReadLensFile(lens, test::SourcePath("data/Lens/achromat-finite.ldt"));
    ASSERT_TRUE(read.Ok()) << read.error;
    const Lens back = RoundTrip(lens);
    EXPECT_EQ(back.Text(col::GlassName, 1), "Object");
    ExpectSameOptics(lens, back);
}

TEST(ZmxExport, AnObjectOnTheFirstFaceComesBack) {
    // An object at a limited distance whose first face is a lens face: the object lies on that face.
    Lens lens = MakeLens({Face{"N-BK7", "30", "4", "1"}, Face{"Air", "-30", "60", "1"}});
    Glass(lens, 2, "N-BK7");
    SetCells(lens, {{col::GlassName, 1, "Object"}, {col::Remarks, 1, "Limited distance"}});
    const Lens back = RoundTrip(lens);
    EXPECT_EQ(back.Text(col::GlassName, 1), "Object");
    ExpectSameOptics(lens, back);
}

TEST(ZmxExport, WhatTheFileCannotCarryIsListed) {
    Lens lens = MakeLens({Face{"Ideal Lens", "50", "50", "1"}, Face{"Screen", "0", "10", "1", "Screen"}});
    lens.SetText(col::HideDiameter, 2, "2");
    const ZmxExport exported = ExportZmxText(lens);
    ASSERT_EQ(exported.notCarried.size(), 3u);
    EXPECT_NE(exported.notCarried[0].find("ideal lens"), std::string::npos);
    EXPECT_NE(exported.notCarried[1].find("obscuration"), std::string::npos);
    EXPECT_NE(exported.notCarried[2].find("screen"), std::string::npos);
}

TEST(ZmxExport, TheFileIsWrittenWhole) {
    test::TempDir dir;
    const Lens lens = MakeLens({Face{"Air", "0", "5", "1"}});
    ASSERT_FALSE(WriteZmxFile(lens, dir.File("a.zmx")));
    std::string text;
    ASSERT_FALSE(ReadWholeFile(dir.File("a.zmx"), text));
    EXPECT_EQ(text, ExportZmxText(lens).text);
    // A folder that cannot be written to gives a message and no file.
    EXPECT_TRUE(WriteZmxFile(lens, dir.File("missing/a.zmx")));
}

} // namespace
} // namespace vitrimo
