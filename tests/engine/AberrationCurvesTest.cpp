#include "engine/AberrationCurves.h"

#include "engine/Calculation.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/ScaledLens.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace vitrimo {
namespace {

using test::Near;
using test::ScaledSample;
using test::ScriptedHost;

CurveResult Curve(Lens& lens, CurveKind kind, const CurveSettings& settings) {
    ScriptedHost host;
    ParaxialTrace paraxial;
    EXPECT_EQ(PrepareForCalculation(lens, paraxial, host), Readiness::Ready);
    RayTracer tracer;
    tracer.Bind(lens, paraxial);
    tracer.EntrancePupilDiameter(host);
    return ComputeCurve(tracer, kind, settings, host);
}

// The largest magnitude of a list of optional values.
double Largest(const std::vector<std::optional<double>>& values) {
    double largest = 0;
    for (const auto& v : values)
        if (v) largest = std::max(largest, std::fabs(*v));
    return largest;
}

// A lens scaled by 1e-3 or 1e3 draws the same curves, scaled: the small offsets of the ray set-ups are
// relative to the pupil, the aiming tolerance relative to the stop.
TEST(AberrationCurves, ScaledLensGivesScaledCurves) {
    struct Case {
        const char* file;
        CurveKind kind;
        double angle; // the transverse fans' field angle, or the field curves' maximum angle
    };
    const Case cases[] = {
        {"double-gauss.ldt", CurveKind::Longitudinal, 0},
        {"double-gauss.ldt", CurveKind::Transverse, 10},
        {"double-gauss.ldt", CurveKind::Astigmatism, 20},
        {"double-gauss.ldt", CurveKind::Distortion, 20},
        {"cooke-triplet.ldt", CurveKind::Transverse, 15},
        {"asphere.ldt", CurveKind::Longitudinal, 0},
        {"cassegrain.ldt", CurveKind::Astigmatism, 0.3},
        {"achromat-finite.ldt", CurveKind::Longitudinal, 0},
        {"achromat-finite.ldt", CurveKind::Astigmatism, 3},
    };
    for (const Case& c : cases) {
        CurveSettings settings;
        settings.steps = 8;
        settings.fieldAngle = c.kind == CurveKind::Transverse ? c.angle : 0;
        settings.maxAngle = c.kind == CurveKind::Transverse ? 0 : c.angle;
        Lens base = ScaledSample(c.file, 1);
        const CurveResult reference = Curve(base, c.kind, settings);
        ASSERT_TRUE(reference.Ok()) << c.file << ": " << reference.error;
        for (double t : {1e-3, 1e3}) {
            Lens scaled = ScaledSample(c.file, t);
            const CurveResult curve = Curve(scaled, c.kind, settings);
            ASSERT_TRUE(curve.Ok()) << c.file << ": " << curve.error;
            // Distortion is a ratio; every other curve is a length.
            const double factor = c.kind == CurveKind::Distortion ? 1 : t;
            const bool angleAbscissa = c.kind == CurveKind::Astigmatism || c.kind == CurveKind::Distortion;
            ASSERT_EQ(curve.abscissa.size(), reference.abscissa.size());
            for (std::size_t k = 0; k < curve.abscissa.size(); ++k)
                EXPECT_TRUE(
                    Near(curve.abscissa[k], reference.abscissa[k] * (angleAbscissa ? 1 : t), 1e-6, 1e-15));
            const auto compare = [&](const auto& got, const auto& want, const char* what) {
                ASSERT_EQ(got.size(), want.size());
                const double floor = 1e-6 * std::max(Largest(want), 1e-9) * factor;
                for (std::size_t k = 0; k < want.size(); ++k) {
                    ASSERT_EQ(got[k].has_value(), want[k].has_value()) << c.file << " " << what << " " << k;
                    if (!want[k]) continue;
                    EXPECT_TRUE(Near(*got[k], *want[k] * factor, 1e-6, floor))
                        << c.file << " t=" << t << " " << what << " point " << k;
                }
            };
            for (std::size_t w = 0; w < reference.values.size(); ++w) {
                compare(curve.values[w], reference.values[w], "values");
                if (c.kind == CurveKind::Astigmatism)
                    compare(curve.sagittal[w], reference.sagittal[w], "sagittal");
            }
            if (c.kind == CurveKind::Longitudinal)
                compare(curve.sineCondition, reference.sineCondition, "sine condition");
        }
    }
}

// A vignetted ray interrupts a curve; drawing resumes at the next ray that passes. Points beyond the
// band of 1.5 plot widths are skipped without ending a piece.
TEST(AberrationCurves, DrawnPiecesResumeAfterAVignettedRay) {
    const double W = 100;
    using Pieces = std::vector<std::vector<int>>;
    EXPECT_EQ(DrawnPieces({std::nullopt, -70.0, 10.0, 200.0, 20.0, std::nullopt, 30.0, 40.0}, W),
              (Pieces{{2, 4}, {6, 7}}));
    EXPECT_EQ(DrawnPieces({10.0, 149.0, 151.0, -49.0}, W), (Pieces{{0, 1, 3}}));
    EXPECT_EQ(DrawnPieces({10.0, std::nullopt, 20.0, std::nullopt, std::nullopt, 30.0}, W),
              (Pieces{{0}, {2}, {5}}));
    EXPECT_TRUE(DrawnPieces({std::nullopt, std::nullopt}, W).empty());
}

} // namespace
} // namespace vitrimo
