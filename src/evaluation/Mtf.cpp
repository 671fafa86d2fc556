#include "evaluation/Mtf.h"

#include "engine/Parallel.h"
#include "evaluation/PointSpread.h"
#include "evaluation/SpotDiagram.h"
#include "evaluation/TracedRays.h"
#include "evaluation/Wavefront.h"
#include "model/Interpolate.h"
#include "model/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>

namespace vitrimo {
namespace {

// Puts the tracer's context back as the calculation found it. A slot beyond the bundle this calculation
// allocated is brought within it, so nothing reads past the bundle afterwards.
class ContextKeeper {
public:
    explicit ContextKeeper(RayTracer& tracer) : tracer_(tracer), saved_(tracer.Context()) {}
    ~ContextKeeper() {
        TraceContext& context = tracer_.Context();
        context.fieldAngle = saved_.fieldAngle;
        context.defocus = saved_.defocus;
        context.mode = saved_.mode;
        context.slot = std::clamp(saved_.slot, 0, std::max(tracer_.Bundle().SlotCount() - 1, 0));
    }
    ContextKeeper(const ContextKeeper&) = delete;
    ContextKeeper& operator=(const ContextKeeper&) = delete;

private:
    RayTracer& tracer_;
    TraceContext saved_;
};

double WeightAt(const std::vector<double>& weights, int listPosition) {
    return listPosition >= 0 && listPosition < static_cast<int>(weights.size()) ? weights[listPosition] : 1.0;
}

OtfWavelength Describe(const TracedWavelength& traced, const std::vector<double>& weights) {
    OtfWavelength w;
    w.listPosition = traced.listPosition;
    w.name = traced.name;
    w.nanometres = traced.nanometres;
    w.colour = traced.colour;
    w.weight = WeightAt(weights, traced.listPosition);
    return w;
}

double Cutoff(const TracedWavelength& traced, double workingFNumber) {
    const double product = traced.Millimetres() * workingFNumber;
    return product > 0 ? 1 / product : 0;
}

// The rays of one field angle, kept so that another focus position is a new evaluation, not a new trace.
struct TracedField {
    bool ok = false;
    std::string status;
    std::shared_ptr<const TracedRays> rays; // geometrical source and Strehl mode
    SpotGrid grid;
    std::shared_ptr<const PsfTrace> psf; // diffraction source
    PsfResult first;                     // the PSF at the defocus it was traced with
};

// What the calculation needs besides the tracer: the settings with their weights resolved.
struct Job {
    RayTracer& tracer;
    const Lens& lens;
    MtfSettings settings;
    Host& host;
    MtfResult& result;
};

TracedField TraceField(Job& job, double angle, double defocus) {
    TracedField field;
    const MtfSettings& s = job.settings;
    if (s.strehl) {
        WavefrontSettings settings;
        settings.fieldAngle = angle;
        settings.defocus = defocus;
        settings.steps = s.spotSteps;
        const WavefrontMap map = ComputeWavefrontMap(job.tracer, job.lens, settings, job.host);
        field.rays = map.rays;
        field.grid = map.grid;
        field.status = map.status;
    } else if (s.source == OtfSource::Geometric) {
        const SpotResult spot = ComputeSpot(job.tracer, job.lens, {angle, defocus, s.spotSteps}, job.host);
        field.rays = spot.rays;
        field.grid = spot.grid;
        field.status = spot.status;
    } else {
        PsfSettings settings;
        settings.fieldAngle = angle;
        settings.defocus = defocus;
        settings.fftSize = s.fftSize;
        settings.pupilDivision = s.pupilDivision;
        settings.images = false;
        settings.otf = true;
        settings.weights = s.weights;
        settings.planning = s.planning;
        field.first = ComputePsf(job.tracer, job.lens, settings, job.host);
        field.psf = field.first.trace;
        field.status = field.first.status;
        if (field.psf && field.psf->rays) field.rays = field.psf->rays;
        if (field.first.status == kStoppedText) field.psf.reset();
    }
    // Without rays the trace failed or was stopped; rays without light are a point without light.
    field.ok = field.rays != nullptr && field.status != kStoppedText;
    if (field.ok && job.result.paraxialDefocus == 0) job.result.paraxialDefocus = field.rays->paraxialDefocus;
    return field;
}

// The point of a traced field at a focus position. False when the host stopped the calculation.
// Reads the job's settings and result axis only, so that points can be evaluated in parallel; a PSF
// too coarsely sampled sets `undersampled`.
bool EvaluateField(Job& job, const TracedField& field, double angle, double defocus, MtfPoint& point,
                   bool& undersampled) {
    const MtfSettings& s = job.settings;
    point.fieldAngle = angle;
    point.defocus = defocus;
    const TracedRays& rays = *field.rays;
    if (s.strehl) {
        for (int w = 0; w < rays.WavelengthCount(); ++w) {
            if (!rays.Shown(w)) continue;
            OtfWavelength entry = Describe(rays.wavelengths[w], s.weights);
            entry.cutoff = Cutoff(rays.wavelengths[w], rays.workingFNumber);
            const WavefrontMap map = EvaluateWavefrontMap(field.rays, field.grid, {defocus, 0, 0}, w);
            if (map.valid) {
                entry.samples = map.samples;
                entry.rms = map.rms;
                entry.strehl = map.strehl;
            }
            point.wavelengths.push_back(std::move(entry));
        }
    } else if (s.source == OtfSource::Geometric) {
        const SpotResult spot = EvaluateSpot(field.rays, field.grid, defocus);
        const std::vector<double> frequencies = GeometricOtfFrequencies(s.maxFrequency);
        for (int w = 0; w < rays.WavelengthCount(); ++w) {
            if (!rays.Shown(w)) continue;
            if (!job.host.KeepGoing()) return false;
            OtfWavelength entry = Describe(rays.wavelengths[w], s.weights);
            entry.cutoff = Cutoff(rays.wavelengths[w], rays.workingFNumber);
            const auto& points = spot.wavelengths[w].points;
            entry.samples = static_cast<int>(points.size());
            if (entry.samples > 0) {
                Otf otf = GeometricalOtf(points, frequencies);
                entry.frequencies = std::move(otf.frequencies);
                entry.meridional = std::move(otf.meridional);
                entry.sagittal = std::move(otf.sagittal);
            }
            point.wavelengths.push_back(std::move(entry));
        }
    } else {
        PsfResult evaluated;
        const PsfResult* psf = &field.first;
        if (defocus != field.first.settings.defocus) {
            PsfSettings settings = field.first.settings;
            settings.defocus = defocus;
            evaluated = EvaluatePsf(field.psf, settings, job.host);
            if (evaluated.status == kStoppedText) return false;
            psf = &evaluated;
        }
        if (psf->undersampled) undersampled = true;
        for (const PsfWavelength& pw : psf->wavelengths) {
            OtfWavelength entry = Describe(rays.wavelengths[pw.traced], s.weights);
            entry.cutoff = Cutoff(rays.wavelengths[pw.traced], rays.workingFNumber);
            entry.samples = pw.passing;
            entry.frequencies = pw.otf.frequencies;
            entry.meridional = pw.otf.meridional;
            entry.sagittal = pw.otf.sagittal;
            if (entry.frequencies.empty()) entry.samples = 0;
            point.wavelengths.push_back(std::move(entry));
        }
    }
    if (!s.strehl) {
        for (OtfWavelength& entry : point.wavelengths) {
            if (entry.samples == 0) continue;
            ResampleWavelength(entry, job.result.axis);
            // A sweep keeps only the values on the axis: the tables of many points would be large.
            if (job.result.kind != MtfSweepKind::Frequency) {
                entry.frequencies = {};
                entry.meridional = {};
                entry.sagittal = {};
            }
        }
    }
    WeighPoint(point, job.result.axis, s.strehl);
    return true;
}

MtfResult Begin(const Lens& lens, const MtfSettings& settings, MtfSweepKind kind) {
    MtfResult result;
    result.kind = kind;
    result.settings = settings;
    if (result.settings.weights.empty()) result.settings.weights = DefaultSpectralWeights(lens.Wavelengths());
    result.axis = MtfFrequencyAxis(settings.maxFrequency);
    return result;
}

// Why settings cannot be calculated, or an empty text.
std::string CheckSettings(const MtfSettings& s) {
    if (!(s.maxFrequency > 0) || !std::isfinite(s.maxFrequency))
        return "The maximum spatial frequency must be a positive number.";
    if ((s.strehl || s.source == OtfSource::Geometric) && s.spotSteps < 1)
        return "The number of steps must be at least 1.";
    if (!s.strehl && s.source == OtfSource::Diffraction) {
        if (!ValidFftSize(s.fftSize)) return "The FFT size must be a power of 2 from 64 to 8192.";
        if (s.pupilDivision < 2 || s.pupilDivision % 2 != 0 || s.pupilDivision > s.fftSize / 2)
            return "The pupil division must be even and at most half the FFT size.";
    }
    return {};
}

// The end of a sweep: valid when some point has light.
void Finish(MtfResult& result) {
    result.valid =
        std::any_of(result.points.begin(), result.points.end(), [](const MtfPoint& p) { return p.lit; });
    if (result.valid)
        result.status.clear();
    else if (result.status.empty())
        result.status = kNoPointText;
}

} // namespace

std::vector<double> MtfFrequencyAxis(double maxFrequency) {
    std::vector<double> axis(kMtfIntervals + 1);
    for (int j = 0; j <= kMtfIntervals; ++j) axis[j] = j * maxFrequency / kMtfIntervals;
    return axis;
}

std::vector<double> GeometricOtfFrequencies(double maxFrequency) {
    // Every sample of the frequency axis is one of these frequencies, so the spline passes through the
    // sums themselves there: a spot off the axis makes Re OTF oscillate faster than any spline follows.
    const double top = maxFrequency > 0 && std::isfinite(maxFrequency) ? maxFrequency : kDefaultMaxFrequency;
    const int multiple = std::max(1, static_cast<int>(std::ceil(top / kDefaultMaxFrequency - 1e-9)));
    const int count = kMtfIntervals * multiple;
    std::vector<double> frequencies(count + 1);
    for (int k = 0; k <= count; ++k) frequencies[k] = k * top / count;
    return frequencies;
}

std::vector<double> ResampleOtf(const std::vector<double>& frequencies,
                                const std::vector<std::complex<double>>& otf, const std::vector<double>& axis,
                                OtfPart part) {
    std::vector<double> values(axis.size(), 0.0);
    if (frequencies.empty() || frequencies.size() != otf.size()) return values;
    std::vector<float> x(frequencies.size()), y(frequencies.size());
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
        x[k] = static_cast<float>(frequencies[k]);
        y[k] = static_cast<float>(part == OtfPart::Modulus ? std::abs(otf[k]) : otf[k].real());
    }
    TInterpolate spline(TInterpolate::Cubic);
    if (!spline.SetNodes(x, y)) return values;
    const double last = frequencies.back();
    const double low = part == OtfPart::Modulus ? 0.0 : -1.0;
    for (std::size_t j = 0; j < axis.size(); ++j) {
        if (axis[j] > last * (1 + 1e-9) + 1e-12) continue; // beyond the table: past the cutoff
        const double value = spline.Value(axis[j]);
        values[j] = std::isfinite(value) ? std::clamp(value, low, 1.0) : 0.0;
    }
    return values;
}

void ResampleWavelength(OtfWavelength& wavelength, const std::vector<double>& axis) {
    for (int d = 0; d < kMtfDirections; ++d) {
        wavelength.modulus[d] =
            ResampleOtf(wavelength.frequencies, wavelength.Direction(d), axis, OtfPart::Modulus);
        wavelength.real[d] =
            ResampleOtf(wavelength.frequencies, wavelength.Direction(d), axis, OtfPart::Real);
    }
}

void WeighPoint(MtfPoint& point, const std::vector<double>& axis, bool strehl) {
    long double weightSum = 0;
    int lit = 0;
    for (const OtfWavelength& w : point.wavelengths)
        if (w.samples > 0) {
            weightSum += w.weight;
            ++lit;
        }
    point.lit = lit > 0;
    point.strehl = 0;
    for (int d = 0; d < kMtfDirections; ++d) {
        point.modulus[d].clear();
        point.real[d].clear();
        if (point.lit && !strehl) {
            point.modulus[d].assign(axis.size(), 0.0);
            point.real[d].assign(axis.size(), 0.0);
        }
    }
    if (!point.lit) return;
    for (const OtfWavelength& w : point.wavelengths) {
        if (w.samples == 0) continue;
        // Divided by the weights of the wavelengths that count, so frequency 0 (and a perfect lens's
        // Strehl ratio) reads 1 whatever the weights; equal weights when they add up to nothing.
        const double g = weightSum > 0 ? w.weight / static_cast<double>(weightSum) : 1.0 / lit;
        if (strehl) {
            point.strehl += g * w.strehl;
            continue;
        }
        for (int d = 0; d < kMtfDirections; ++d) {
            const auto& modulus = w.modulus[d];
            const auto& real = w.real[d];
            for (std::size_t j = 0; j < axis.size() && j < modulus.size() && j < real.size(); ++j) {
                point.modulus[d][j] += g * modulus[j];
                point.real[d][j] += g * real[j];
            }
        }
    }
}

namespace {

// Points i = 0 ... count - 1 of a sweep evaluated in parallel (field(i) at angle(i) and defocus(i)), each
// into its own slot, then appended to the result in order: the same bits whatever the thread count.
// With progressTotal > 0 each point reports itself done out of that many. False when the host stopped
// the calculation.
bool EvaluateInParallel(Job& job, int count, const std::function<const TracedField&(int)>& field,
                        const std::function<double(int)>& angle, const std::function<double(int)>& defocus,
                        int progressTotal) {
    std::vector<MtfPoint> points(count);
    std::vector<char> evaluated(count, 0), undersampled(count, 0);
    StopSignal stop(job.host);
    ParallelFor(job.tracer.Threads(), count, [&](int i) {
        if (!stop.KeepGoing()) return;
        TaskHost taskHost(stop);
        Job taskJob{job.tracer, job.lens, job.settings, taskHost, job.result};
        bool coarse = false;
        evaluated[i] =
            EvaluateField(taskJob, field(i), angle(i), defocus(i), points[i], coarse) && stop.KeepGoing();
        undersampled[i] = coarse ? 1 : 0;
        if (progressTotal > 0) stop.PieceDone(progressTotal);
    });
    for (int i = 0; i < count; ++i) {
        if (!evaluated[i]) return false;
        if (undersampled[i]) job.result.undersampled = true;
        job.result.points.push_back(std::move(points[i]));
    }
    return true;
}

} // namespace

MtfResult ComputeMtfAngleSweep(RayTracer& tracer, const Lens& lens, const MtfSettings& settings,
                               const std::vector<double>& angles, Host& host) {
    MtfResult result = Begin(lens, settings, MtfSweepKind::Angle);
    result.status = CheckSettings(settings);
    if (!result.status.empty()) return result;
    if (angles.empty()) {
        result.status = "There is no field angle to calculate.";
        return result;
    }
    const ContextKeeper keeper(tracer);
    Job job{tracer, lens, result.settings, host, result};
    host.ReportProgress(0);
    // The angles go in batches of one per thread: traced one after the other (each trace spread over
    // the threads), then evaluated in parallel, each into its own slot, so that only a batch's rays are
    // held at a time and the result does not depend on the thread count.
    const int count = static_cast<int>(angles.size());
    const int batch = std::max(tracer.Threads(), 1);
    const auto stopped = [&](const std::string& status) {
        result.status = status.empty() ? kStoppedText : status;
        result.points.clear();
        return result;
    };
    for (int first = 0; first < count; first += batch) {
        const int size = std::min(batch, count - first);
        std::vector<TracedField> fields;
        for (int k = first; k < first + size; ++k) {
            fields.push_back(TraceField(job, angles[k], settings.defocus));
            if (!fields.back().ok) return stopped(fields.back().status);
        }
        if (!EvaluateInParallel(
                job, size, [&](int i) -> const TracedField& { return fields[i]; },
                [&](int i) { return angles[first + i]; }, [&](int) { return settings.defocus; }, 0))
            return stopped({});
        host.ReportProgress(100 * (first + size) / count);
    }
    Finish(result);
    return result;
}

namespace {

// The points of one field angle at the focus positions of `focus`: traced once, evaluated at each.
MtfResult FocusPoints(RayTracer& tracer, const Lens& lens, const MtfSettings& settings,
                      const FocusSweep& focus, MtfSweepKind kind, Host& host) {
    MtfResult result = Begin(lens, settings, kind);
    result.status = CheckSettings(settings);
    if (!result.status.empty()) return result;
    if (focus.count < 1 || !std::isfinite(focus.start) || !std::isfinite(focus.interval)) {
        result.status = "The number of focus positions must be at least 1.";
        return result;
    }
    const ContextKeeper keeper(tracer);
    Job job{tracer, lens, result.settings, host, result};
    host.ReportProgress(0);
    const TracedField field = TraceField(job, settings.fieldAngle, focus.start);
    if (!field.ok) {
        result.status = field.status.empty() ? kStoppedText : field.status;
        return result;
    }
    // The focus positions in parallel; they share the traced rays and nothing else.
    if (!EvaluateInParallel(
            job, focus.count, [&](int) -> const TracedField& { return field; },
            [&](int) { return settings.fieldAngle; }, [&](int i) { return focus.start + i * focus.interval; },
            focus.count)) {
        result.status = kStoppedText;
        result.points.clear();
        return result;
    }
    Finish(result);
    return result;
}

} // namespace

MtfResult ComputeMtf(RayTracer& tracer, const Lens& lens, const MtfSettings& settings, Host& host) {
    return FocusPoints(tracer, lens, settings, {settings.defocus, 0, 1}, MtfSweepKind::Frequency, host);
}

MtfResult ComputeMtfFocusSweep(RayTracer& tracer, const Lens& lens, const MtfSettings& settings,
                               const FocusSweep& focus, Host& host) {
    return FocusPoints(tracer, lens, settings, focus, MtfSweepKind::Focus, host);
}

int SampleOfFrequency(double frequency, double maxFrequency) {
    if (!(maxFrequency > 0) || !std::isfinite(frequency)) return kMtfIntervals;
    const double j = std::ceil(frequency * kMtfIntervals / maxFrequency - 1e-9);
    return static_cast<int>(std::clamp(j, 1.0, static_cast<double>(kMtfIntervals)));
}

std::string MtfSaveText(const MtfResult& result) {
    const auto label = [&result](const MtfPoint& point) -> std::string {
        switch (result.kind) {
        case MtfSweepKind::Angle:
            return FormatFixed(point.fieldAngle, 2) + '\xDF';
        case MtfSweepKind::Focus:
            return FormatFixed(point.defocus, 2);
        case MtfSweepKind::Frequency:
            break;
        }
        return {};
    };
    std::string text = "line/mm";
    for (const MtfPoint& point : result.points)
        text += "\tMTF(Mer)" + label(point) + "\tMTF(Sag)" + label(point);
    text += "\r\n";
    for (int r = 1; r <= kMtfIntervals; ++r) {
        text += FormatGeneral(r * result.settings.maxFrequency / kMtfIntervals, 7);
        for (const MtfPoint& point : result.points)
            for (int d = 0; d < kMtfDirections; ++d) {
                text += '\t';
                const auto& values = point.modulus[d];
                if (r < static_cast<int>(values.size())) text += FormatGeneral(values[r], 7);
            }
        text += "\r\n";
    }
    return text;
}

} // namespace vitrimo
