// A lens made ready for an evaluation: its arrays and paraxial data, a tracer bound to it with its
// entrance pupil found, and a scripted host.
#pragma once

#include "engine/Calculation.h"
#include "engine/RayTracer.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo::test {

struct EvaluationSetup {
    Lens lens;
    ParaxialTrace paraxial;
    RayTracer tracer;
    ScriptedHost host;

    explicit EvaluationSetup(Lens l) : lens(std::move(l)) {
        EXPECT_EQ(EnsureArraysCurrent(lens, paraxial, host), Readiness::Ready);
        tracer.Bind(lens, paraxial);
        tracer.EntrancePupilDiameter(host);
    }

    // Traces only one line (its letter), which is then the reference.
    void OnlyLine(const char* name) { tracer.SetTracedWavelengths({lens.Wavelengths().Find(name)}); }
};

// A perfect lens: an ideal lens of focal length f and clear diameter d, the image plane at its focus.
inline Lens PerfectLens(double f, double d) {
    const std::string diameter = std::to_string(d);
    Lens lens = MakeLens({{"Ideal Lens", std::to_string(f), std::to_string(f), "1", "", diameter}});
    lens.SetText(col::EffectiveDiameter, 1, diameter);
    lens.SetDataModified(false);
    return lens;
}

// The d line in mm.
inline constexpr double kDLine = 587.6e-6;

} // namespace vitrimo::test
