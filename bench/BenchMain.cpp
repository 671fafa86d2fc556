// vitrimo-bench: the Google Benchmark cases, or with --summary the headline figures in one run, printed
// as one JSON object:
//  - ray-surface intersections per second on the double Gauss (11 spherical faces, one wavelength, 1e6
//    rays), on one thread and on every core;
//  - the PSF of the double Gauss for M = 1024 (pupil 128) at its seven wavelengths, trace included, and
//    seven bare FFTW transforms of 1024 x 1024 (FFTW's own two-dimensional plan, one thread) in the same
//    run;
//  - a 21-point MTF focus sweep (geometrical, the double Gauss at 10 degrees);
//  - merit evaluations per second (the Cooke triplet, geometrical mode) and the Simplex and DFP runs
//    from the perturbed triplet.
// Each figure is the best of a few repeats (the least disturbed by other work on the machine).
#include "BenchSupport.h"
#include "design/LensMerit.h"
#include "design/Optimisation.h"
#include "engine/Calculation.h"
#include "engine/Parallel.h"
#include "engine/RayTracer.h"
#include "evaluation/Mtf.h"
#include "evaluation/PointSpread.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <fftw3.h>
#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>

namespace {

using vitrimo::bench::SilentHost;
using vitrimo::bench::Triplet;

// The least of `repeats` timings of `work`, in seconds.
double Best(int repeats, const std::function<void()>& work) {
    double best = 1e300;
    for (int k = 0; k < repeats; ++k) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

using Sample = vitrimo::bench::TracedSample;

// Ray-surface intersections per second through the double Gauss: 1e6 rays spread over the pupil.
double TraceRate(int threads) {
    Sample s("double-gauss.ldt");
    s.tracer.SetThreads(threads);
    s.tracer.SetTracedWavelengths({s.lens.Wavelengths().Reference()});
    const int rays = 1000000;
    double best = 1e300;
    for (int k = 0; k < 5; ++k) {
        s.StartSunflower(rays);
        best = std::min(best, Best(1, [&] { s.tracer.TraceAll(s.host); }));
    }
    return static_cast<double>(rays) * s.tracer.SurfaceCount() / best;
}

// One optimisation run of the perturbed triplet, seconds.
double OptimisationTime(const vitrimo::Lens& lens, vitrimo::MinimiserMethod method) {
    SilentHost host;
    vitrimo::OptimisationJob job;
    job.conditions.method = method;
    return Best(3, [&] { vitrimo::Optimise(lens, job, host); });
}

// Merit evaluations per second on the triplet, geometrical mode.
double MeritRate() {
    const vitrimo::Lens lens = Triplet(false);
    SilentHost host;
    const vitrimo::MeritConditions conditions;
    vitrimo::LensMerit merit(lens, conditions, host);
    const std::vector<double> x = merit.Variables();
    const int evaluations = 2000;
    const double seconds = Best(3, [&] {
        for (int k = 0; k < evaluations; ++k) benchmark::DoNotOptimize(merit.FValue(x));
    });
    return evaluations / seconds;
}

int Summary() {
    nlohmann::ordered_json out;
    const int threads = vitrimo::DefaultThreadCount();
    out["trace_rays_surfaces_per_s_one_thread"] = TraceRate(1);
    out["trace_rays_surfaces_per_s_all_threads"] = TraceRate(threads);
    out["threads"] = threads;

    {
        Sample s("double-gauss.ldt");
        vitrimo::PsfSettings settings;
        settings.fftSize = 1024;
        settings.pupilDivision = 128;
        settings.defocus = -0.3;
        vitrimo::ComputePsf(s.tracer, s.lens, settings, s.host); // the plans, outside the timing
        int wavelengths = 0;
        out["psf_1024_7_wavelengths_s"] = Best(5, [&] {
            wavelengths =
                static_cast<int>(vitrimo::ComputePsf(s.tracer, s.lens, settings, s.host).wavelengths.size());
        });
        if (wavelengths != 7)
            std::cerr << "vitrimo-bench: the PSF has " << wavelengths << " wavelengths, not 7\n";

        const int m = 1024;
        fftw_complex* a = fftw_alloc_complex(static_cast<std::size_t>(m) * m);
        fftw_plan plan = fftw_plan_dft_2d(m, m, a, a, FFTW_FORWARD, FFTW_MEASURE);
        std::memset(a, 0, sizeof(fftw_complex) * m * m);
        a[0][0] = 1;
        out["fftw_1024_7_transforms_s"] = Best(5, [&] {
            for (int w = 0; w < 7; ++w) fftw_execute(plan);
        });
        fftw_destroy_plan(plan);
        fftw_free(a);
    }
    {
        Sample s("double-gauss.ldt");
        vitrimo::MtfSettings settings;
        settings.source = vitrimo::OtfSource::Geometric;
        settings.fieldAngle = 10;
        const vitrimo::FocusSweep focus{-0.5, 0.025, 21};
        out["mtf_focus_sweep_21_s"] =
            Best(5, [&] { vitrimo::ComputeMtfFocusSweep(s.tracer, s.lens, settings, focus, s.host); });
    }
    out["merit_evaluations_per_s"] = MeritRate();
    const vitrimo::Lens perturbed = Triplet(true);
    out["simplex_run_s"] = OptimisationTime(perturbed, vitrimo::MinimiserMethod::Simplex);
    out["dfp_run_s"] = OptimisationTime(perturbed, vitrimo::MinimiserMethod::Dfp);
    std::cout << out.dump() << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    for (int k = 1; k < argc; ++k)
        if (std::strcmp(argv[k], "--summary") == 0) return Summary();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
