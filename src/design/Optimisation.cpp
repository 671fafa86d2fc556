#include "design/Optimisation.h"

#include <cmath>

namespace vitrimo {

OptimisationResult Optimise(const Lens& lens, const OptimisationJob& job, Host& host) {
    OptimisationResult result;
    LensMerit merit(lens, job.conditions, host);
    merit.SetThreads(job.threads);
    if (!merit.Error().empty()) {
        result.error = merit.Error();
        return result;
    }
    if (merit.VariableCount() == 0) {
        result.error = kNoFreeValueText;
        return result;
    }
    result.focalLengthStart = merit.TargetFocalLength();
    result.keptFocalLength = merit.KeepsFocalLength();
    result.start = merit.SetVariables(merit.Variables());
    result.meritStart = merit.FValue(result.start);
    if (!merit.Last().valid) {
        result.error = host.KeepGoing()
                           ? "The lens as it stands has no valid merit value: a radius is shorter "
                             "than half its effective diameter, or its rays cannot be traced."
                           : "The optimization was stopped.";
        return result;
    }
    merit.SetObserver(job.observer);
    merit.SetGraphicsSwitch(job.graphics);

    MinimiserOptions options;
    options.maxEvaluations = job.maxEvaluations;
    if (job.conditions.method == MinimiserMethod::Dfp)
        result.run = TDFPCal().Run(merit, result.start, options, host);
    else
        result.run = TAutoCorr().Run(merit, result.start, options, host);
    merit.SetVariables(result.run.x);
    result.focalLengthEnd = merit.FocalLength();
    return result;
}

} // namespace vitrimo
