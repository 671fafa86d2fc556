// One optimisation run as the main window's command and vitrimo-cli perform it: the merit of the lens,
// the chosen minimiser from the lens's free values, and the best vector found. The lens itself is only
// read; the caller writes the result into the table (WriteOptimisedValues) as one undoable change.
#pragma once

#include "design/LensMerit.h"
#include "design/MeritConditions.h"
#include "design/Minimisers.h"
#include "engine/Parallel.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vitrimo {

struct OptimisationJob {
    MeritConditions conditions;
    long long maxEvaluations = 0; // 0: no limit
    std::function<void(const MeritReport&)> observer;
    std::shared_ptr<const std::atomic<bool>> graphics; // spot diagrams for the observer while on
    int threads = DefaultThreadCount(); // for the merit's evaluations; the run does not depend on them
};

struct OptimisationResult {
    std::string error; // set when nothing ran (no free value, no image, an invalid start)
    std::vector<double> start;
    MinimiserResult run; // the best vector, F there, the number of evaluations, whether it was stopped
    double meritStart = 0;
    double focalLengthStart = 0;
    double focalLengthEnd = 0; // of the best vector's lens, 0 when it forms no real image
    bool keptFocalLength = false;

    bool Ok() const { return error.empty(); }
};

// The text of a lens without any free radius or distance.
inline constexpr const char* kNoFreeValueText =
    "Nothing to optimize: every radius and distance is fixed (rFix and lFix are all filled).";

// Runs the optimisation of `lens` (arrays current, a real image) with the conditions' method.
OptimisationResult Optimise(const Lens& lens, const OptimisationJob& job, Host& host);

} // namespace vitrimo
