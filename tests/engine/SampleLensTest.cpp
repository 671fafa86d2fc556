// The sample lenses against values computed independently of the engine: tools/reference_paraxial.py
// traces one real ray of height 1e-5 mm in 50-digit decimal arithmetic (exact sphere and conic
// intersections, vector Snell's law), which is the paraxial limit to ~1e-14. The singlet is also
// checked by the thick-lens formula in that script.
#include "engine/Calculation.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

struct SampleLens {
    const char* file;
    int surfaces;
    double focalLength;
    double backFocalDistance; // for the finite object: the image distance
    int stop;
    double entrancePupil; // from face 1 (from the object plane for the finite object)
};

// Entrance pupils: the stop is face 1 (0) or the object plane is 250 mm before the stop, or the values
// reported for the triplet and the double Gauss by the same independent work.
const SampleLens kSamples[] = {
    {"singlet.ldt", 2, 99.9989658664, 98.3369474463, 1, 0},
    {"achromat.ldt", 3, 100.001959158, 95.8502358144, 1, 0},
    {"cooke-triplet.ldt", 7, 100.065321203, 82.5575956902, 5, 22.6085},
    {"double-gauss.ldt", 11, 99.9732499857, 47.8264311425, 6, 47.4759},
    {"cassegrain.ldt", 2, 2000.00000000, 500.000000000, 1, 0},
    {"achromat-finite.ldt", 4, 100.001959158, 161.775864149, 2, 250},
    {"asphere.ldt", 2, 50.0000000000, 44.7257383966, 1, 0},
};

void PrintTo(const SampleLens& sample, std::ostream* out) {
    *out << sample.file;
}

class SampleLensTest : public ::testing::TestWithParam<SampleLens> {};

TEST_P(SampleLensTest, FirstOrderDataMatchTheIndependentValues) {
    const SampleLens& sample = GetParam();
    Lens lens;
    const auto read = ReadLensFile(lens, test::SourcePath("data/Lens/") + sample.file);
    ASSERT_TRUE(read.Ok()) << read.error;
    test::ScriptedHost host;
    ParaxialTrace paraxial;
    ASSERT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(lens.SurfaceCount(), sample.surfaces);
    EXPECT_TRUE(test::Near(lens.FocalLength(), sample.focalLength, 1e-9));
    EXPECT_TRUE(test::Near(lens.BackFocalDistance(), sample.backFocalDistance, 1e-9));
    EXPECT_EQ(lens.StopSurfaceIndex(), sample.stop);
    EXPECT_TRUE(
        test::Near(ParaxialTrace::EntrancePupilDistance(lens, sample.stop), sample.entrancePupil, 1e-5));
    EXPECT_FALSE(lens.HasDecenter());
}

TEST_P(SampleLensTest, ReadsAndWritesBackByteForByte) {
    const std::string path = test::SourcePath("data/Lens/") + GetParam().file;
    std::string original;
    ASSERT_FALSE(ReadWholeFile(path, original));
    Lens lens;
    ASSERT_TRUE(ParseLensFileText(lens, original).Ok());
    EXPECT_EQ(LensFileText(lens), original);
    // Every glass row carries all eleven line indices, rising from t (1014 nm) to i (365 nm).
    for (int row = 2; row < lens.RowCount(); ++row) {
        if (lens.Text(col::Remarks, row) != "Schott") continue;
        double previous = 0;
        for (int w = 0; w < 11; ++w) {
            const auto index = ParseNumber(lens.Text(lens.IndexColumn(w), row));
            ASSERT_TRUE(index) << "row " << row << " line " << w;
            EXPECT_GT(*index, previous);
            previous = *index;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(DataLens, SampleLensTest, ::testing::ValuesIn(kSamples), [](const auto& info) {
    std::string name = info.param.file;
    name = name.substr(0, name.find('.'));
    std::erase(name, '-');
    return name;
});

} // namespace
} // namespace vitrimo
