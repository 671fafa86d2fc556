// The merit function and the minimisers on the sample Cooke triplet:
//  - one merit evaluation in the geometrical mode (one angle, seven weighted wavelengths, the transverse
//    fans of 8 steps) and in the Strehl mode (the spot grid of 10 steps, the best reference point per
//    focus);
//  - whole Simplex and DFP runs from the triplet with its radii 5 % off, focal length kept.
#include "BenchSupport.h"
#include "design/LensMerit.h"
#include "design/Optimisation.h"
#include "engine/Calculation.h"

#include <benchmark/benchmark.h>

namespace {

using vitrimo::bench::SilentHost;
using vitrimo::bench::Triplet;

void BM_MeritEvaluation(benchmark::State& state) {
    const vitrimo::Lens lens = Triplet(false);
    SilentHost host;
    vitrimo::MeritConditions conditions;
    conditions.mode = state.range(0) ? vitrimo::MeritMode::Strehl : vitrimo::MeritMode::Geometrical;
    vitrimo::LensMerit merit(lens, conditions, host);
    const std::vector<double> x = merit.Variables();
    double f = 0;
    for (auto _ : state) benchmark::DoNotOptimize(f = merit.FValue(x));
    state.counters["F"] = f;
    state.counters["evaluations/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OptimisationRun(benchmark::State& state) {
    const vitrimo::Lens lens = Triplet(true);
    SilentHost host;
    vitrimo::OptimisationJob job;
    job.conditions.method =
        state.range(0) ? vitrimo::MinimiserMethod::Dfp : vitrimo::MinimiserMethod::Simplex;
    vitrimo::OptimisationResult result;
    for (auto _ : state) {
        result = vitrimo::Optimise(lens, job, host);
        benchmark::ClobberMemory();
    }
    state.counters["F_start"] = result.meritStart;
    state.counters["F_end"] = result.run.value;
    state.counters["evaluations"] = static_cast<double>(result.run.evaluations);
}

} // namespace

BENCHMARK(BM_MeritEvaluation)->ArgName("strehl")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OptimisationRun)->ArgName("dfp")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
