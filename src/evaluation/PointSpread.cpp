#include "evaluation/PointSpread.h"

#include "engine/Parallel.h"
#include "evaluation/Wavefront.h"
#include "model/Interpolate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <new>
#include <numbers>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vitrimo {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double Scaled(double intensity, BrightnessScale scale) {
    switch (scale) {
    case BrightnessScale::Linear:
        return intensity;
    case BrightnessScale::Root:
        return std::sqrt(std::max(intensity, 0.0));
    case BrightnessScale::Log:
        return intensity > 1 ? std::log(intensity) : 0;
    }
    return intensity;
}

// ImageLevels on a scale known when compiling.
template <BrightnessScale scale>
void Levels(const double* values, std::uint16_t* levels, int count, double top) {
    int c = 0;
#if defined(__SSE2__)
    // Two values at a time (SSE2 is part of every x86-64 processor): the operations of the loop below in
    // the same order, each rounded as its scalar instruction is, so the same bits. maxpd gives its second
    // operand when the first is a NaN, as max(0, NaN) below gives 0; a negative intensity cannot occur.
    if constexpr (scale != BrightnessScale::Log) {
        const __m128d zero = _mm_setzero_pd(), most = _mm_set1_pd(65535), half = _mm_set1_pd(0.5);
        const __m128d divisor = _mm_set1_pd(top);
        for (; c + 2 <= count; c += 2) {
            const __m128d first = _mm_loadu_pd(values + 2 * c), second = _mm_loadu_pd(values + 2 * c + 2);
            const __m128d re = _mm_unpacklo_pd(first, second), im = _mm_unpackhi_pd(first, second);
            __m128d level = _mm_add_pd(_mm_mul_pd(re, re), _mm_mul_pd(im, im));
            if constexpr (scale == BrightnessScale::Root) level = _mm_sqrt_pd(level);
            level = _mm_mul_pd(_mm_div_pd(level, divisor), most);
            const __m128d clamped = _mm_min_pd(_mm_max_pd(level, zero), most);
            const __m128i whole = _mm_cvttpd_epi32(clamped);
            // All ones (-1) in each 64-bit lane whose fraction is at least one half, moved to the 32-bit
            // lanes of the whole parts and subtracted: + 1.
            const __m128d up = _mm_cmpge_pd(_mm_sub_pd(clamped, _mm_cvtepi32_pd(whole)), half);
            const __m128i rounded =
                _mm_sub_epi32(whole, _mm_shuffle_epi32(_mm_castpd_si128(up), _MM_SHUFFLE(2, 0, 2, 0)));
            levels[c] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(rounded));
            levels[c + 1] = static_cast<std::uint16_t>(_mm_cvtsi128_si32(_mm_srli_si128(rounded, 4)));
        }
    }
#endif
    // std::round(level) within 0 ... 65535 (a NaN gives 0) without a library call: the truncated level
    // and its fraction are exact, and a fraction of one half rounds up, away from zero.
    for (; c < count; ++c) {
        const double re = values[2 * c], im = values[2 * c + 1];
        const double level = Scaled(re * re + im * im, scale) / top * 65535;
        const double clamped = std::min(std::max(0.0, level), 65535.0); // max(0, NaN) is 0
        const int whole = static_cast<int>(clamped);
        levels[c] = static_cast<std::uint16_t>(clamped - whole >= 0.5 ? whole + 1 : whole);
    }
}

// The element of an M x M wrapped array that holds offset (i, j).
std::size_t Wrapped(int i, int j, int m) {
    const int row = i < 0 ? i + m : i, column = j < 0 ? j + m : j;
    return static_cast<std::size_t>(row) * m + column;
}

double Intensity(const double* a, std::size_t element) {
    const double re = a[2 * element], im = a[2 * element + 1];
    return re * re + im * im;
}

// The largest OPD difference (waves) between pupil cells that are neighbours along a row or a column.
double LargestStep(const std::vector<std::optional<double>>& opds, const PsfGrid& grid) {
    const int n = grid.division;
    const auto at = [&](int offsetRow, int offsetColumn) -> const std::optional<double>& {
        const int row = offsetRow < 0 ? offsetRow + n : offsetRow;
        const int column = offsetColumn < 0 ? offsetColumn + n : offsetColumn;
        return opds[static_cast<std::size_t>(row) * n + column];
    };
    double largest = 0;
    for (int i = -n / 2; i < n / 2; ++i)
        for (int j = -n / 2; j < n / 2; ++j) {
            const auto& here = at(i, j);
            if (!here) continue;
            if (i + 1 < n / 2 && at(i + 1, j)) largest = std::max(largest, std::fabs(*at(i + 1, j) - *here));
            if (j + 1 < n / 2 && at(i, j + 1)) largest = std::max(largest, std::fabs(*at(i, j + 1) - *here));
        }
    return largest;
}

// The transmissions of the PSF grid's rays at the screen face, traced up to it: the mean of the map over
// the rectangle half-way to each ray's neighbours in the grid.
std::vector<std::vector<double>> ScreenAmplitudes(const RayTracer& tracer, const PsfGrid& grid,
                                                  const ScreenFace& screen) {
    const RayBundle& bundle = tracer.Bundle();
    const int slot = tracer.Context().slot;
    const int n = grid.division;
    const auto rayAt = [&](int offsetRow, int offsetColumn) {
        if (offsetRow < -n / 2 || offsetRow >= n / 2 || offsetColumn < -n / 2 || offsetColumn >= n / 2)
            return -1;
        return grid.RayAt(offsetRow < 0 ? offsetRow + n : offsetRow,
                          offsetColumn < 0 ? offsetColumn + n : offsetColumn);
    };
    std::vector<std::vector<double>> amplitude(bundle.WavelengthCount(),
                                               std::vector<double>(bundle.RayCount(), 1.0));
    for (int w = 0; w < bundle.WavelengthCount(); ++w) {
        const RayBlock block = bundle.Block(w, slot);
        for (int row = 0; row < n; ++row) {
            for (int column = 0; column < n; ++column) {
                const int r = grid.RayAt(row, column);
                if (r < 1) continue;
                const int oRow = grid.Offset(row), oColumn = grid.Offset(column);
                // Half the distance to the neighbours that exist, on each axis.
                const auto half = [&](int dRow, int dColumn, const double* coordinate) {
                    double sum = 0;
                    int count = 0;
                    for (int sign : {-1, 1}) {
                        const int neighbour = rayAt(oRow + sign * dRow, oColumn + sign * dColumn);
                        if (neighbour < 1) continue;
                        sum += std::fabs(coordinate[neighbour] - coordinate[r]) / 2;
                        ++count;
                    }
                    return count > 0 ? sum / count : 0.0;
                };
                const double tau = ScreenTransmission(screen.map, screen.diameter, block.y[r], block.z[r],
                                                      half(1, 0, block.y), half(0, 1, block.z));
                amplitude[w][r] = std::sqrt(tau);
            }
        }
    }
    return amplitude;
}

} // namespace

void ImageLevels(const double* values, std::uint16_t* levels, int count, double top, BrightnessScale scale) {
    switch (scale) {
    case BrightnessScale::Linear:
        return Levels<BrightnessScale::Linear>(values, levels, count, top);
    case BrightnessScale::Root:
        return Levels<BrightnessScale::Root>(values, levels, count, top);
    case BrightnessScale::Log:
        return Levels<BrightnessScale::Log>(values, levels, count, top);
    }
}

bool ValidFftSize(int fftSize) {
    return fftSize >= kMinFftSize && fftSize <= kMaxFftSize && (fftSize & (fftSize - 1)) == 0;
}

int NormalisedPupilDivision(int division, int fftSize) {
    const int even = 2 * static_cast<int>(std::lround((division + 0.9) / 2));
    return std::clamp(even, 2, std::max(fftSize / 2, 2));
}

double FftMemoryBytes(int fftSize) {
    return static_cast<double>(fftSize) * fftSize * 24;
}

PsfResult ComputePsf(RayTracer& tracer, const Lens& lens, const PsfSettings& given, Host& host) {
    PsfSettings settings = given;
    if (settings.threads <= 0) settings.threads = tracer.Threads();
    PsfResult result;
    result.settings = settings;
    if (!ValidFftSize(settings.fftSize)) {
        result.status = "The FFT size must be a power of 2 from 64 to 8192.";
        return result;
    }
    if (settings.pupilDivision < 2 || settings.pupilDivision % 2 != 0 ||
        settings.pupilDivision > settings.fftSize / 2) {
        result.status = "The pupil division must be even and at most half the FFT size.";
        return result;
    }
    TraceContext& context = tracer.Context();
    const auto fNumber = MeasureWorkingFNumber(tracer, host);
    if (!fNumber) {
        result.status = kStoppedText;
        return result;
    }
    context.fieldAngle = settings.fieldAngle;
    context.defocus = settings.defocus;
    context.mode = TraceMode::Diffraction;
    auto trace = std::make_shared<PsfTrace>();
    trace->grid = MakePsfGrid(context.entrancePupilDiameter, settings.pupilDivision);

    // A screen records each ray's transmission: trace up to it first, then the whole way.
    if (settings.screen && settings.screen->surface >= context.firstSurface &&
        settings.screen->surface <= tracer.SurfaceCount()) {
        StartPupilRays(tracer, trace->grid.coordinates);
        const TraceOutcome toScreen =
            tracer.TraceSurfaces(host, context.firstSurface, settings.screen->surface);
        if (!toScreen.completed) {
            result.status = toScreen.error.empty() ? kStoppedText : toScreen.error;
            return result;
        }
        trace->amplitude = ScreenAmplitudes(tracer, trace->grid, *settings.screen);
    }
    auto rays = TracePupilPoints(tracer, lens, trace->grid.coordinates, host, result.status);
    if (!rays) return result;
    rays->workingFNumber = *fNumber;
    trace->rays = std::move(rays);
    const WavelengthList& list = lens.Wavelengths();
    trace->sizingNanometres = list.Count() > 0 ? list.At(list.Count() - 1).nanometres : 0;
    trace->defaultWeights = DefaultSpectralWeights(list);
    return EvaluatePsf(std::move(trace), settings, host);
}

PsfResult EvaluatePsf(std::shared_ptr<const PsfTrace> trace, const PsfSettings& settings, Host& host) {
    PsfResult result;
    result.settings = settings;
    result.trace = trace;
    result.status = kNoPointText;
    if (!trace || !trace->rays || trace->rays->wavelengths.empty()) return result;
    const TracedRays& rays = *trace->rays;
    const PsfGrid& grid = trace->grid;
    const int m = settings.fftSize, n = grid.division;
    if (!ValidFftSize(m) || n < 2 || n > m / 2 || n != settings.pupilDivision) {
        result.status = "The FFT size and pupil division do not match the traced rays.";
        return result;
    }

    // The pixel size of a wavelength, and the image side K from the list's last wavelength.
    const double sampling = static_cast<double>(n) / m / 1.1 * rays.workingFNumber;
    const auto pixelSize = [&](double nanometres) { return nanometres * 1e-6 * sampling; };
    result.referencePixelSize = pixelSize(rays.wavelengths[rays.reference].nanometres);
    int k = m;
    if (m >= 512) {
        const double smallest = pixelSize(trace->sizingNanometres);
        const double wanted = smallest > 0 ? 2 * std::round(settings.halfWidth / smallest + 1) : m;
        k = static_cast<int>(std::clamp(wanted, 2.0, static_cast<double>(m)));
    }
    result.imageSize = k;

    // Every wavelength's OPD is measured against the reference wavelength's reference point.
    const int ref = rays.reference;
    const auto R = ReferencePoint(rays, ref, {settings.defocus, 0, 0});
    if (!R) return result;
    const double e0 = PathToPoint(rays, 0, ref, *R);

    const Fft fft(settings.planning);
    const std::vector<double>& weights = settings.weights.empty() ? trace->defaultWeights : settings.weights;
    std::vector<int> shown; // the traced wavelengths to compute
    for (int w = 0; w < rays.WavelengthCount(); ++w)
        if (rays.Shown(w)) shown.push_back(w);

    // One wavelength into `psf`, with `a` as its M x M work array (whatever it held), its work shared by
    // up to `threads` threads in pieces fixed by the sizes alone. False when stopped. Only the rows the
    // pupil occupies are cleared and filled: the transform clears the others itself.
    const auto evaluate = [&](int w, double* a, PsfWavelength& psf, Host& taskHost, int threads) {
        const TracedWavelength& traced = rays.wavelengths[w];
        psf.traced = w;
        psf.name = traced.name;
        psf.nanometres = traced.nanometres;
        psf.colour = traced.colour;
        psf.weight =
            traced.listPosition < static_cast<int>(weights.size()) ? weights[traced.listPosition] : 1.0;
        psf.pixelSize = pixelSize(traced.nanometres);

        // The pupil function, the pupil centre on element (0, 0).
        std::fill_n(a, 2 * static_cast<std::size_t>(n / 2) * m, 0.0);
        std::fill_n(a + 2 * static_cast<std::size_t>(m - n / 2) * m, 2 * static_cast<std::size_t>(n / 2) * m,
                    0.0);
        const double lambda = traced.Millimetres();
        std::vector<std::optional<double>> opds(static_cast<std::size_t>(n) * n); // per pupil cell, waves
        std::vector<int> passingInRow(n, 0);
        ParallelFor(threads, n, [&](int row) {
            for (int column = 0; column < n; ++column) {
                const int r = grid.RayAt(row, column);
                if (r < 1 || r >= rays.RayCount() || !traced.Passes(r) || lambda <= 0) continue;
                const double amplitude = trace->amplitude.empty() ? 1.0 : trace->amplitude[w][r];
                const double opd = (PathToPoint(rays, r, w, *R) - e0) / lambda;
                if (!std::isfinite(opd)) continue;
                opds[static_cast<std::size_t>(row) * n + column] = opd;
                ++passingInRow[row];
                const double phase = kTwoPi * (opd - std::floor(opd));
                const std::size_t element = Wrapped(grid.Offset(row), grid.Offset(column), m);
                a[2 * element] = amplitude * std::cos(phase);
                a[2 * element + 1] = amplitude * std::sin(phase);
            }
        });
        for (int count : passingInRow) psf.passing += count;
        psf.peakReference = static_cast<double>(psf.passing) * psf.passing;
        psf.energyReference = static_cast<double>(m) * m * psf.passing;
        psf.largestOpdStep = LargestStep(opds, grid);
        // The transform hands its result over piece by piece while it is in cache: the image levels, the
        // profiles and the centre are taken from the pieces, so the M x M array is neither written whole
        // nor read back (for the OTF alone, which needs every value, the pieces go back into the array).
        const bool lit = psf.passing > 0, images = settings.images && lit;
        // Without light the reference is 0: the planes stay black, the profiles 0.
        const double top = lit ? Scaled(psf.peakReference, settings.brightness) : 0;
        if (settings.images) {
            psf.image.assign(static_cast<std::size_t>(k) * k, 0);
            psf.rowProfile.assign(k, 0.0);
            psf.columnProfile.assign(k, 0.0);
        }
        const bool keepArray = settings.otf && lit;
        // Array row or column c is image row or column c + K/2 (c < K/2) or c - M + K/2 (c >= M - K/2).
        const auto imageIndex = [&](int c) {
            return c < k / 2 ? c + k / 2 : c >= m - k / 2 ? c - m + k / 2 : -1;
        };
        double centre = 0; // the intensity at element (0, 0)
        const TransformSink sink = [&](const TransformPiece& piece) {
            const int c0 = piece.firstColumn, c1 = piece.firstColumn + piece.columnCount;
            for (int q = 0; q < piece.rowCount; ++q) {
                const int row = piece.firstRow + q * piece.rowStep;
                const double* values = piece.values + 2 * static_cast<std::size_t>(q) * piece.rowStride;
                if (keepArray) {
                    double* to = a + 2 * (static_cast<std::size_t>(row) * m + c0);
                    if (to != values) std::copy_n(values, 2 * piece.columnCount, to);
                }
                if (row == 0 && c0 == 0) centre = Intensity(values, 0);
                if (!images) continue;
                const int i = imageIndex(row);
                if (i < 0) continue;
                if (c0 == 0) psf.columnProfile[i] = Intensity(values, 0) / psf.peakReference;
                // The piece's columns within the image: those from 0 and those up to M.
                for (const auto& [from, to] :
                     {std::pair{c0, std::min(c1, k / 2)}, std::pair{std::max(c0, m - k / 2), c1}}) {
                    if (from >= to) continue;
                    const double* run = values + 2 * static_cast<std::size_t>(from - c0);
                    const int j = imageIndex(from);
                    if (row == 0)
                        for (int c = 0; c < to - from; ++c)
                            psf.rowProfile[j + c] = Intensity(run, c) / psf.peakReference;
                    if (!(top > 0)) continue;
                    ImageLevels(run, psf.image.data() + static_cast<std::size_t>(i) * k + j, to - from, top,
                                settings.brightness);
                }
            }
        };
        if (!fft.Transform2D(a, m, m, -1, taskHost, n, threads, &sink)) return false;
        if (lit) psf.strehl = centre / psf.peakReference;

        if (settings.otf && psf.passing > 0) {
            // Line spread functions along y (summed over z) and along z, transformed along their axis.
            FftBuffer lines(2 * static_cast<std::size_t>(m));
            double* ly = lines.Data();
            double* lz = lines.Data() + 2 * static_cast<std::size_t>(m);
            for (int i = 0; i < m; ++i) {
                long double sum = 0;
                for (int j = 0; j < m; ++j) {
                    const double intensity = Intensity(a, static_cast<std::size_t>(i) * m + j);
                    sum += intensity;
                    lz[2 * j] += intensity;
                }
                ly[2 * i] = static_cast<double>(sum);
            }
            fft.Transform(ly, m, -1);
            fft.Transform(lz, m, -1);
            const double frequencyStep = 1 / (m * psf.pixelSize);
            for (int f = 0; f < n; ++f) {
                psf.otf.frequencies.push_back(f * frequencyStep);
                psf.otf.meridional.emplace_back(ly[2 * f] / ly[0], ly[2 * f + 1] / ly[0]);
                psf.otf.sagittal.emplace_back(lz[2 * f] / lz[0], lz[2 * f + 1] / lz[0]);
            }
        }
        return true;
    };

    // The wavelengths run in parallel, each thread with a work array of its own (M^2 x 16 bytes each:
    // fewer threads when the memory is not there). Each wavelength's numbers depend on nothing else, and
    // the sums below are taken in wavelength order: the result is the same whatever the thread count.
    const int threads = ParallelThreads(settings.threads > 0 ? settings.threads : DefaultThreadCount());
    std::vector<FftBuffer> arrays;
    for (int t = 0; t < std::min<int>(threads, static_cast<int>(shown.size())); ++t) {
        try {
            arrays.emplace_back(static_cast<std::size_t>(m) * m, false);
        } catch (const std::bad_alloc&) {
            break;
        }
    }
    if (arrays.empty() && !shown.empty()) {
        result.status =
            "Not enough memory for an FFT of " + std::to_string(m) + " x " + std::to_string(m) + ".";
        return result;
    }
    std::vector<double*> freeArrays;
    for (FftBuffer& array : arrays) freeArrays.push_back(array.Data());
    std::mutex arraysMutex;
    std::vector<PsfWavelength> computed(shown.size());
    std::vector<char> finished(shown.size(), 0);
    StopSignal stop(host);
    ParallelFor(static_cast<int>(arrays.size()), static_cast<int>(shown.size()), [&](int i) {
        if (!stop.KeepGoing()) return;
        double* a = nullptr;
        {
            const std::lock_guard lock(arraysMutex);
            a = freeArrays.back();
            freeArrays.pop_back();
        }
        TaskHost taskHost(stop);
        finished[i] = evaluate(shown[i], a, computed[i], taskHost, 1) ? 1 : 0;
        {
            const std::lock_guard lock(arraysMutex);
            freeArrays.push_back(a);
        }
        stop.PieceDone(static_cast<int>(shown.size()));
    });
    if (stop.Stopped() || std::find(finished.begin(), finished.end(), 0) != finished.end()) {
        result.status = kStoppedText;
        return result;
    }

    long double weightedStrehl = 0, weightSum = 0, litStrehl = 0;
    int lit = 0;
    for (PsfWavelength& psf : computed) {
        if (psf.largestOpdStep > kLargestSampledStep) result.undersampled = true;
        if (psf.passing > 0) {
            weightedStrehl += psf.weight * psf.strehl;
            weightSum += psf.weight;
            litStrehl += psf.strehl;
            ++lit;
        }
        result.wavelengths.push_back(std::move(psf));
    }

    if (lit == 0) return result; // no light at any wavelength: nothing to show, no division by zero
    result.strehl = weightSum > 0 ? static_cast<double>(weightedStrehl / weightSum)
                                  : static_cast<double>(litStrehl / lit);
    result.valid = true;
    result.status.clear();
    return result;
}

IntensityLine MakeIntensityLine(const PsfResult& psf, double halfWidth) {
    IntensityLine line;
    const int k = psf.imageSize;
    if (!psf.valid || psf.wavelengths.empty() || k < 2 || psf.wavelengths.back().rowProfile.empty() ||
        !(halfWidth > 0))
        return line;
    const double delta = psf.wavelengths.back().pixelSize;
    int samples = std::min(k, 512), step = 1;
    while (step * samples * delta / 2 < halfWidth && step < k) ++step;
    samples = std::max(std::min(samples, k / step), 2);
    double axis = delta;
    if (step * samples * delta / 2 > halfWidth) axis = 2 * halfWidth / (samples * step);
    for (int s = 0; s < samples; ++s) line.positions.push_back((s - samples / 2) * step * axis);
    line.row.assign(samples, 0.0);
    line.column.assign(samples, 0.0);

    long double weightSum = 0;
    int lit = 0;
    for (const PsfWavelength& w : psf.wavelengths)
        if (w.passing > 0) {
            weightSum += w.weight;
            ++lit;
        }
    if (lit == 0) return line;
    for (const PsfWavelength& w : psf.wavelengths) {
        if (w.passing == 0 || w.rowProfile.empty()) continue;
        const double weight = weightSum > 0 ? w.weight / static_cast<double>(weightSum) : 1.0 / lit;
        for (const bool along : {true, false}) {
            const std::vector<double>& profile = along ? w.rowProfile : w.columnProfile;
            std::vector<float> x, y;
            for (int s = 0; s < samples; ++s) {
                const int index = k / 2 + (s - samples / 2) * step;
                if (index < 0 || index >= k) continue;
                x.push_back(static_cast<float>((s - samples / 2) * step * w.pixelSize));
                y.push_back(static_cast<float>(profile[index]));
            }
            TInterpolate spline(TInterpolate::Cubic);
            if (x.size() < 2 || !spline.SetNodes(x, y)) continue;
            std::vector<double>& target = along ? line.row : line.column;
            for (int s = 0; s < samples; ++s) {
                const double at = line.positions[s];
                if (at < x.front() || at > x.back()) continue; // beyond the stored image: no light known
                target[s] += weight * (s == samples / 2 ? profile[k / 2] : spline.Value(at));
            }
        }
    }
    line.peak = line.row[samples / 2];
    return line;
}

std::vector<Colour> MixPsfColours(const PsfResult& psf, int pixels, double halfWidth, double brightness) {
    std::vector<Colour> picture(static_cast<std::size_t>(std::max(pixels, 0)) * std::max(pixels, 0), 0);
    if (!psf.valid || pixels <= 0 || !(halfWidth > 0) || !(brightness > 0)) return picture;
    const int k = psf.imageSize;
    const bool log = psf.settings.brightness == BrightnessScale::Log;
    const double size = 2 * halfWidth / pixels;
    std::vector<unsigned> red(picture.size(), 0), green(picture.size(), 0), blue(picture.size(), 0);
    for (const PsfWavelength& w : psf.wavelengths) {
        if (w.image.empty() || !(w.pixelSize > 0)) continue;
        const double cr = RedOf(w.colour), cg = GreenOf(w.colour), cb = BlueOf(w.colour);
        for (int row = 0; row < pixels; ++row) {
            const double y = halfWidth - (row + 0.5) * size;
            const long i = k / 2 + std::lround(y / w.pixelSize);
            if (i < 0 || i >= k) continue;
            for (int column = 0; column < pixels; ++column) {
                const double z = -halfWidth + (column + 0.5) * size;
                const long j = k / 2 + std::lround(z / w.pixelSize);
                if (j < 0 || j >= k) continue;
                const double u = w.image[static_cast<std::size_t>(i) * k + j];
                const double v =
                    std::clamp(log ? 1.5 * u / brightness - 32767.5 : u / brightness, 0.0, 65535.0);
                const std::size_t p = static_cast<std::size_t>(row) * pixels + column;
                red[p] += static_cast<unsigned>(std::lround(cr * v / 65535));
                green[p] += static_cast<unsigned>(std::lround(cg * v / 65535));
                blue[p] += static_cast<unsigned>(std::lround(cb * v / 65535));
            }
        }
    }
    for (std::size_t p = 0; p < picture.size(); ++p)
        picture[p] = RgbColour(std::min(red[p], 255u), std::min(green[p], 255u), std::min(blue[p], 255u));
    return picture;
}

} // namespace vitrimo
