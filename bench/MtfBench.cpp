// The MTF window's sweeps on the sample Cooke triplet with its seven calculated wavelengths (r C d e F g h):
//  - the angle sweep over five field angles 0 ... 20 degrees, from the spot diagram (15 steps per radius)
//    and from the point spread function (FFT 256, pupil 32 and FFT 512, pupil 128);
//  - the focus sweep over eleven positions, traced once (the rays met on each image plane);
//  - the double Gauss's geometrical focus sweep over 21 positions at 10 degrees (the summary's case).
#include "BenchSupport.h"
#include "engine/Calculation.h"
#include "engine/RayTracer.h"
#include "evaluation/Mtf.h"

#include <benchmark/benchmark.h>

namespace {

struct Setup : vitrimo::bench::TracedSample {
    explicit Setup(const char* file = "cooke-triplet.ldt") : TracedSample(file) {}
};

vitrimo::MtfSettings SettingsFor(int source, int fftSize) {
    vitrimo::MtfSettings settings;
    settings.source = source == 0 ? vitrimo::OtfSource::Geometric : vitrimo::OtfSource::Diffraction;
    settings.fftSize = fftSize;
    settings.pupilDivision = fftSize == 256 ? 32 : fftSize / 4;
    settings.defocus = -0.3; // near the best focus
    return settings;
}

// range(0): 0 geometric, 1 diffraction; range(1): the FFT size.
void BM_MtfAngleSweep(benchmark::State& state) {
    Setup setup;
    const auto settings = SettingsFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const std::vector<double> angles = {0, 5, 10, 15, 20};
    vitrimo::ComputeMtfAngleSweep(setup.tracer, setup.lens, settings, angles, setup.host); // FFTW plans
    for (auto _ : state) {
        const auto result =
            vitrimo::ComputeMtfAngleSweep(setup.tracer, setup.lens, settings, angles, setup.host);
        benchmark::DoNotOptimize(result.points.data());
    }
    state.counters["points"] = static_cast<double>(angles.size());
}

void BM_MtfFocusSweep(benchmark::State& state) {
    Setup setup;
    const auto settings = SettingsFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const vitrimo::FocusSweep focus{-0.5, 0.04, 11};
    vitrimo::ComputeMtfFocusSweep(setup.tracer, setup.lens, settings, focus, setup.host);
    for (auto _ : state) {
        const auto result =
            vitrimo::ComputeMtfFocusSweep(setup.tracer, setup.lens, settings, focus, setup.host);
        benchmark::DoNotOptimize(result.points.data());
    }
    state.counters["points"] = focus.count;
}

void BM_MtfFocusSweep21DoubleGauss(benchmark::State& state) {
    Setup setup("double-gauss.ldt");
    vitrimo::MtfSettings settings;
    settings.source = vitrimo::OtfSource::Geometric;
    settings.fieldAngle = 10;
    const vitrimo::FocusSweep focus{-0.5, 0.025, 21};
    for (auto _ : state) {
        const auto result =
            vitrimo::ComputeMtfFocusSweep(setup.tracer, setup.lens, settings, focus, setup.host);
        benchmark::DoNotOptimize(result.points.data());
    }
    state.counters["points"] = focus.count;
}

} // namespace

BENCHMARK(BM_MtfFocusSweep21DoubleGauss)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MtfAngleSweep)->Args({0, 256})->Args({1, 256})->Args({1, 512})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MtfFocusSweep)->Args({0, 256})->Args({1, 256})->Unit(benchmark::kMillisecond);
