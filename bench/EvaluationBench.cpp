// Image evaluation on the sample double Gauss with its seven calculated wavelengths (r C d e F g h):
//  - the point spread function for FFT sizes M = 256, 1024, 4096 (pupil division M / 8): trace, seven
//    transforms and the image planes; and the same without the trace (a new defocus);
//  - in the same run, one bare FFTW transform of M x M with FFTW's own two-dimensional plan, and one
//    through the program's Fft class (row and column blocks, the host asked between them), so the PSF
//    time reads against seven bare transforms;
//  - the spot diagram of 15 and 40 steps per radius at 10 degrees, and the wavefront map's RMS.
#include "BenchSupport.h"
#include "engine/Calculation.h"
#include "engine/RayTracer.h"
#include "evaluation/Fft.h"
#include "evaluation/PointSpread.h"
#include "evaluation/SpotDiagram.h"
#include "evaluation/Wavefront.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

namespace {

using vitrimo::bench::SilentHost;

struct Setup : vitrimo::bench::TracedSample {
    Setup() : TracedSample("double-gauss.ldt") {}
};

vitrimo::PsfSettings PsfSettingsFor(int m) {
    vitrimo::PsfSettings settings;
    settings.fftSize = m;
    settings.pupilDivision = m / 8;
    settings.defocus = -0.3; // near the best focus of the sample's spherical aberration
    return settings;
}

void BM_Psf(benchmark::State& state) {
    Setup setup;
    const vitrimo::PsfSettings settings = PsfSettingsFor(static_cast<int>(state.range(0)));
    // The plans are made once per size and kept: the first calculation pays for them, outside the timing.
    vitrimo::ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    double strehl = 0;
    for (auto _ : state) {
        const vitrimo::PsfResult psf = vitrimo::ComputePsf(setup.tracer, setup.lens, settings, setup.host);
        strehl = psf.strehl;
        benchmark::DoNotOptimize(psf.wavelengths.data());
    }
    state.counters["wavelengths"] = setup.tracer.TracedWavelengthCount();
    state.counters["strehl"] = strehl;
}

void BM_PsfWithoutTrace(benchmark::State& state) {
    Setup setup;
    const vitrimo::PsfSettings settings = PsfSettingsFor(static_cast<int>(state.range(0)));
    const vitrimo::PsfResult traced = vitrimo::ComputePsf(setup.tracer, setup.lens, settings, setup.host);
    for (auto _ : state) {
        const vitrimo::PsfResult psf = vitrimo::EvaluatePsf(traced.trace, settings, setup.host);
        benchmark::DoNotOptimize(psf.wavelengths.data());
    }
}

void BM_BareFftw2D(benchmark::State& state) {
    const int m = static_cast<int>(state.range(0));
    fftw_complex* a = fftw_alloc_complex(static_cast<std::size_t>(m) * m);
    fftw_plan plan = fftw_plan_dft_2d(m, m, a, a, FFTW_BACKWARD, FFTW_MEASURE);
    for (std::size_t k = 0; k < static_cast<std::size_t>(m) * m; ++k) a[k][0] = a[k][1] = 0;
    a[0][0] = 1;
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(a[1][0]);
    }
    fftw_destroy_plan(plan);
    fftw_free(a);
}

void BM_FftClass2D(benchmark::State& state) {
    const int m = static_cast<int>(state.range(0));
    vitrimo::FftBuffer a(static_cast<std::size_t>(m) * m);
    a.Data()[0] = 1;
    SilentHost host;
    const vitrimo::Fft fft(vitrimo::Fft::Planning::Measure);
    fft.Transform2D(a.Data(), m, m, -1, host); // plans made outside the timing
    for (auto _ : state) {
        fft.Transform2D(a.Data(), m, m, -1, host);
        benchmark::DoNotOptimize(a.Data()[2]);
    }
}

void BM_Spot(benchmark::State& state) {
    Setup setup;
    const vitrimo::SpotSettings settings{10, 0, static_cast<int>(state.range(0))};
    int rays = 0;
    for (auto _ : state) {
        const vitrimo::SpotResult spot = vitrimo::ComputeSpot(setup.tracer, setup.lens, settings, setup.host);
        rays = spot.Reference().Count();
        benchmark::DoNotOptimize(spot.rmsRadius);
    }
    state.counters["rays"] = rays;
}

void BM_WavefrontMapRms(benchmark::State& state) {
    Setup setup;
    vitrimo::WavefrontSettings settings;
    settings.fieldAngle = 10;
    settings.steps = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const vitrimo::WavefrontMap map =
            vitrimo::ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
        benchmark::DoNotOptimize(map.rms);
    }
}

void BM_WavefrontMapRmsWithoutTrace(benchmark::State& state) {
    Setup setup;
    vitrimo::WavefrontSettings settings;
    settings.fieldAngle = 10;
    settings.steps = static_cast<int>(state.range(0));
    const vitrimo::WavefrontMap traced =
        vitrimo::ComputeWavefrontMap(setup.tracer, setup.lens, settings, setup.host);
    double shift = 0;
    for (auto _ : state) {
        shift += 1e-6; // another reference point each time, as the scroll bars give
        const vitrimo::WavefrontMap map =
            vitrimo::EvaluateWavefrontMap(traced.rays, traced.grid, {0, shift, 0});
        benchmark::DoNotOptimize(map.rms);
    }
}

BENCHMARK(BM_Psf)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PsfWithoutTrace)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareFftw2D)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FftClass2D)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Spot)->Arg(15)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WavefrontMapRms)->Arg(15)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WavefrontMapRmsWithoutTrace)->Arg(15)->Arg(40)->Unit(benchmark::kMicrosecond);

} // namespace
