#include "design/LensMerit.h"

#include "design/Minimisers.h"
#include "engine/AberrationCurves.h"
#include "engine/FocalLengthScaling.h"
#include "engine/Parallel.h"
#include "evaluation/PupilGrid.h"
#include "evaluation/TracedRays.h"
#include "evaluation/Wavefront.h"
#include "model/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace vitrimo {

// The rays of one field angle after the last surface, with the grid they sample (Strehl mode).
struct LensMerit::AngleRays {
    MeritAngle row;
    std::shared_ptr<const TracedRays> rays;
    SpotGrid grid;
    std::vector<double> rayWeight; // per ray of the set: distance from the pupil centre / E
    double weightSum = 0;          // W_r
};

namespace {

// The curve rays keep off the axis and inside the rim by amounts in proportion to the pupil (D / 10).
double OffAxis(double pupil) {
    return kOffAxis * (pupil > 0 ? pupil / 10 : 1.0);
}
double FanRadius(double pupil, bool objectAtInfinity) {
    return (pupil - (objectAtInfinity ? 0.001 : 0.0001) * (pupil > 0 ? pupil / 10 : 1.0)) / 2;
}

// The sag of a face of curvature c at the rim of a diameter D (D / 2 when the sphere does not reach it).
double Sag(double diameter, double c) {
    if (c == 0) return 0;
    if (c * diameter >= 2) return diameter / 2;
    const double cd = c * diameter;
    return (1 - std::sqrt(4 - cd * cd) / 2) / c;
}

// Rule of the reference search: the bracket z1 < z2 < z3 takes a new point inside it.
void InsertIntoBracket(double& z1, double& p1, double& z2, double& p2, double& z3, double& p3, double zv,
                       double pv) {
    if (zv < z1 || zv > z3 || zv == z2) return;
    if (zv < z2) {
        if (pv < p2) {
            z3 = z2, p3 = p2;
            z2 = zv, p2 = pv;
        } else {
            z1 = zv, p1 = pv;
        }
    } else {
        if (pv < p2) {
            z1 = z2, p1 = p2;
            z2 = zv, p2 = pv;
        } else {
            z3 = zv, p3 = pv;
        }
    }
}

// The least value of p over y, from y0: the three-point parabolic search of the spot reference.
template <class P>
double LeastOverReference(double y0, const P& p) {
    double step = std::fabs(y0) / 1000;
    if (step == 0) return p(y0);
    double z1 = y0 - step, z2 = y0, z3 = y0 + step;
    double p1 = p(z1), p2 = p(z2), p3 = p(z3);
    for (int pass = 0; pass < 400; ++pass) {
        if (std::max(z2 - z1, z3 - z2) <= 1e-7) break;
        const ParabolaVertex vertex = VertexOf(z1, p1, z2, p2, z3, p3);
        const double zv = vertex.z;
        if (!std::isfinite(zv)) break;
        const double pv = p(zv);
        if (zv == z1 || zv == z2 || zv == z3) {
            step = (std::fabs(z1 - z2) + std::fabs(z3 - z2)) / 3;
            z1 = zv - step, z2 = zv, z3 = zv + step;
            p1 = p(z1), p2 = pv, p3 = p(z3);
        } else if (zv > z1 && zv < z3) {
            InsertIntoBracket(z1, p1, z2, p2, z3, p3, zv, pv);
        } else {
            step *= 5;
            z1 = zv - step, z2 = zv, z3 = zv + step;
            p1 = p(z1), p2 = pv, p3 = p(z3);
        }
        if (p2 > 1e14 && std::fabs(p1 - p2) < 1 && std::fabs(p3 - p2) < 1) break;
        if (std::min(z2 - z1, z3 - z2) <= 1e-5) break;
    }
    return p2;
}

// The greatest value of s along one coordinate, from c: the line search of the Strehl reference point.
// Returns whether the value changed by less than 1e-5.
template <class S>
bool MostAlong(double& c, const S& s) {
    const double start = s(c);
    double step = 0.1;
    double z1 = c - step, z2 = c, z3 = c + step;
    double v1 = s(z1), v2 = start, v3 = s(z3);
    if ((v1 == 0 && v2 == 0 && v3 == 0) || (v1 == v2 && v2 == v3)) return true;
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
        for (int climb = 0; climb < 200 && !(v2 >= v1 && v2 >= v3); ++climb) {
            if (v1 > v3) {
                z3 = z2, v3 = v2;
                z2 = z1, v2 = v1;
                z1 = z2 - step, v1 = s(z1);
            } else {
                z1 = z2, v1 = v2;
                z2 = z3, v2 = v3;
                z3 = z2 + step, v3 = s(z3);
            }
        }
        const double d1 = z1 - z3, d2 = z2 - z1, d3 = z3 - z2;
        const double a = d1 * v2, b = d2 * v3, cc = d3 * v1;
        double centre = 0;
        if ((a + b + cc) / (d1 * d2 * d3) > 0) {
            centre = ((z1 + z3) * a + (z2 + z1) * b + (z3 + z2) * cc) / (2 * (a + b + cc));
            step /= 10;
        } else {
            centre = 1.5 * (v1 > v3 ? z1 : z3) - 0.5 * z2;
            ++failures;
        }
        if (!std::isfinite(centre)) break;
        z1 = centre - step, z2 = centre, z3 = centre + step;
        v1 = s(z1), v2 = s(z2), v3 = s(z3);
        if ((step <= 1e-4 && v2 > v1 && v2 > v3) || failures > 3) break;
    }
    c = z2;
    return std::fabs(v2 - start) < 1e-5;
}

LensMerit::Link LinkOf(const std::string& cell, int maxFace) {
    if (cell.empty()) return {};
    const auto face = ParseInteger(cell);
    if (face && *face >= 0 && *face <= maxFace) return {LensMerit::Link::Linked, static_cast<int>(*face)};
    return {LensMerit::Link::Fixed, 0};
}

} // namespace

double SpotPenalty(double q) {
    return q < 1 ? q * q : 2 * q - 1;
}

MeritParts LensMerit::ParaxialParts() {
    MeritParts parts;
    if (!error_.empty()) return parts;
    paraxial_.Run(lens_, arrays_);
    if (!paraxial_.ImageValid()) return parts;
    if (const auto refocus = paraxial_.RefocusDistance()) arrays_.surfaces[n_].distance = *refocus;
    ParaxialPass(parts);
    parts.valid = true;
    return parts;
}

ParabolaVertex VertexOf(double z1, double f1, double z2, double f2, double z3, double f3) {
    const double d1 = z1 - z3, d2 = z2 - z1, d3 = z3 - z2;
    const double a = d1 * f2, b = d2 * f3, c = d3 * f1;
    const double curvature = (a + b + c) / (d1 * d2 * d3);
    if (!(curvature < 0)) return {false, f1 >= f3 ? 1.5 * z3 - 0.5 * z2 : 1.5 * z1 - 0.5 * z2};
    return {true, ((z1 + z3) * a + (z2 + z1) * b + (z3 + z2) * c) / (2 * (a + b + c))};
}

LensMerit::LensMerit(const Lens& lens, const MeritConditions& conditions, Host& host)
    : lens_(lens), conditions_(conditions), host_(host), arrays_(lens.Arrays()) {
    // The image plane follows the paraxial focus of every trial lens.
    lens_.SetDataModified(true);
    n_ = std::min(lens.SurfaceCount(), arrays_.Count() - 1);
    target_ = lens.FocalLength();
    if (n_ < 1 || !(target_ > 0)) {
        error_ = "No fucus point exist!";
        return;
    }
    for (int i = 0; i <= n_; ++i) {
        radiusLink_.push_back(LinkOf(lens.Text(col::RFix, i + 1), n_));
        distanceLink_.push_back(LinkOf(lens.Text(col::LFix, i + 1), n_));
    }
    // The object row belongs to the light source, not to the lens: its radius and distance never vary
    // (the focal-length restoration leaves it alone too).
    for (int i = 1; i <= n_; ++i)
        if (radiusLink_[i].kind == Link::Free) free_.push_back({true, i});
    curvatureCount_ = static_cast<int>(free_.size());
    for (int i = 1; i < n_; ++i)
        if (distanceLink_[i].kind == Link::Free) free_.push_back({false, i});
    keepFocalLength_ = conditions.constFL && free_.size() >= 2;

    const WavelengthList& list = lens.Wavelengths();
    reference_ = list.Reference();
    weightSum_ = conditions.WeightSum();
    objectInAir_ = lens.Text(col::GlassName, 1) == "Air";
    hasDecenter_ = lens.ComputeHasDecenter();
    for (const MeritAngle& row : conditions.angles) angles_.push_back(AngleRays{row, nullptr, {}, {}, 0});

    paraxial_.Run(lens_, arrays_);
    if (!paraxial_.ImageValid()) {
        error_ = "No fucus point exist!";
        return;
    }
    tracer_.Bind(lens_, arrays_, paraxial_);
    for (int j = 0; j < MeritConditions::kLineCount; ++j) {
        if (!(conditions.wavelengthWeight[j] > 0)) continue;
        const int position = list.Find(MeritConditions::kLines[j]);
        if (position < 0 || !tracer_.Traceable(position)) {
            skipped_.push_back(MeritConditions::kLines[j]);
            continue;
        }
        active_.push_back(position);
        weight_.push_back(conditions.wavelengthWeight[j]);
    }
    if (active_.empty() && conditions.angleFactor != 0)
        error_ =
            "No wavelength with a weight can be traced: give a weight to a line the lens has indices for.";
    if (angles_.empty()) error_ = "The angle table is empty.";
}

LensMerit::~LensMerit() = default;

std::vector<double> LensMerit::Variables() const {
    std::vector<double> x;
    x.reserve(free_.size());
    for (const FreeValue& v : free_)
        x.push_back(v.curvature ? arrays_.surfaces[v.face].curvature : arrays_.surfaces[v.face].distance);
    return x;
}

std::string LensMerit::VariableName(int k) const {
    const FreeValue& v = free_.at(k);
    return (v.curvature ? "r" : "d") + std::to_string(v.face);
}

double LensMerit::FocalLength() const {
    ParaxialTrace paraxial;
    paraxial.Run(lens_, arrays_);
    return paraxial.ImageValid() ? paraxial.FocalLength() : 0;
}

std::vector<double> LensMerit::SetVariables(const std::vector<double>& x) {
    auto& s = arrays_.surfaces;
    std::size_t k = 0;
    bool complete = true;
    for (int i = 1; i <= n_ && complete; ++i) {
        if (radiusLink_[i].kind == Link::Free) {
            if (k >= x.size()) break;
            const double c = x[k++];
            // The sphere must reach the rim of the clear aperture.
            if (!std::isfinite(c) || (c != 0 && 2 * std::fabs(1 / c) < s[i].effectiveDiameter)) {
                invalid_ = true;
                complete = false;
                break;
            }
            s[i].curvature = c;
        } else if (radiusLink_[i].kind == Link::Linked) {
            s[i].curvature = s[radiusLink_[i].face].curvature;
        }
    }
    k = static_cast<std::size_t>(curvatureCount_);
    for (int i = 1; i < n_ && complete; ++i) {
        if (distanceLink_[i].kind == Link::Free) {
            if (k >= x.size()) break;
            if (!std::isfinite(x[k])) {
                invalid_ = true;
                break;
            }
            s[i].distance = x[k++];
        } else if (distanceLink_[i].kind == Link::Linked) {
            // A coupled distance behind a mirror points the other way.
            const double sign = arrays_.Index(i, reference_) < 0 ? -1.0 : 1.0;
            s[i].distance = std::fabs(s[distanceLink_[i].face].distance) * sign;
        }
    }
    if (keepFocalLength_ && !invalid_) {
        auto restored = RestoreFocalLength(lens_, arrays_, paraxial_, target_);
        if (restored)
            arrays_ = std::move(*restored);
        else
            invalid_ = true;
    }
    return Variables();
}

bool LensMerit::Bind() {
    tracer_.Bind(lens_, arrays_, paraxial_);
    tracer_.SetTracedWavelengths(active_);
    tracer_.Context().fieldAngle = 0;
    pupil_ = tracer_.EntrancePupilDiameter(host_);
    return pupil_ > 0 && std::isfinite(pupil_);
}

double LensMerit::FValue(const std::vector<double>& x) {
    ++evaluations_;
    invalid_ = false;
    MeritParts parts;
    last_ = parts;
    if (!error_.empty()) return parts.merit;
    const std::vector<double> v = SetVariables(x);
    // A first free value that is the curvature of face 1 must reach that face's clear aperture.
    if (!free_.empty() && free_[0].curvature && free_[0].face == 1 && v[0] != 0 &&
        2 * std::fabs(1 / v[0]) < arrays_.surfaces[1].effectiveDiameter)
        invalid_ = true;
    if (invalid_) return parts.merit;
    paraxial_.Run(lens_, arrays_);
    if (!paraxial_.ImageValid()) return parts.merit;
    if (const auto refocus = paraxial_.RefocusDistance()) arrays_.surfaces[n_].distance = *refocus;
    if (!Bind()) return parts.merit;

    ParaxialPass(parts);
    const bool traced =
        conditions_.mode == MeritMode::Geometrical ? TraceGeometrical(parts) : TraceStrehl(parts);
    if (!traced) return parts.merit;

    // The focus search: the least F over the shift of the image plane.
    const auto F = [&](double z) {
        const double s = conditions_.mode == MeritMode::Geometrical ? SpotTerm(z) : StrehlTerm(z);
        return Combine(parts, s);
    };
    double h = 1.0;
    double z1 = -h, z2 = 0, z3 = h;
    double f1 = F(z1), f2 = F(z2), f3 = F(z3);
    bool found = true;
    if (f1 == f2 && f2 == f3) {
        found = false;
        for (int k = 1; k <= 400 && !found; ++k) {
            for (const double probe : {k * h / 10, -k * h / 10}) {
                const double value = F(probe);
                if (value < f2) {
                    z2 = probe, f2 = value;
                    z1 = probe - h / 10, f1 = F(z1);
                    z3 = probe + h / 10, f3 = F(z3);
                    found = true;
                    break;
                }
            }
        }
    }
    for (int round = 0; found && round < 500 && host_.KeepGoing(); ++round) {
        if (f2 > f1 && f3 > f1) {
            z3 = z2, f3 = f2;
            z2 = z1, f2 = f1;
            z1 = 2 * z2 - z3, f1 = F(z1);
            continue;
        }
        if (f2 > f3 && f1 > f3) {
            z1 = z2, f1 = f2;
            z2 = z3, f2 = f3;
            z3 = 2 * z2 - z1, f3 = F(z3);
            continue;
        }
        // Equal outer values below the middle have no least point; the vertex rule then steps beyond point 3.
        const double zv = VertexOf(z1, f1, z2, f2, z3, f3).z;
        if (!std::isfinite(zv)) break;
        if (z1 < zv && zv < z3)
            h = zv > (2 * z1 + z3) / 3 && zv < (z1 + 2 * z3) / 3 ? h / 5 : h / 2;
        else
            h *= 1.2;
        z1 = zv - h, z2 = zv, z3 = zv + h;
        f1 = F(z1), f2 = F(z2), f3 = F(z3);
        if (h < 1e-5 || (h < 1e-4 && std::fabs(f2 - f1) < 1e-12 && std::fabs(f2 - f3) < 1e-12)) break;
    }
    if (!host_.KeepGoing()) return parts.merit; // stopped: no value to trust

    parts.focus = z2 + tracer_.LastDistance() - tracer_.ParaxialImageDistance();
    parts.spot = conditions_.mode == MeritMode::Geometrical ? SpotTerm(z2) : StrehlTerm(z2);
    parts.merit = f2;
    if (!std::isfinite(parts.merit)) return last_.merit;
    parts.valid = true;
    last_ = parts;
    fmin_ = std::min(fmin_, parts.merit);
    // A flat start that no probe improved is not shown.
    if (observer_ && found) {
        MeritReport report;
        report.parts = parts;
        report.fmin = fmin_;
        report.evaluation = evaluations_;
        if (graphics_ && graphics_->load()) report.spots = Spots(z2);
        observer_(report);
    }
    return parts.merit;
}

void LensMerit::ParaxialPass(MeritParts& parts) const {
    const auto& s = arrays_.surfaces;
    const long double f = paraxial_.FocalLength();
    const int stop = StopSurfaceIndex(arrays_, n_);
    double p = ParaxialTrace::EntrancePupilDistance(arrays_, stop);
    if (!std::isfinite(p)) p = 0; // a stop imaged to infinity: the chief ray starts at the pupil centre
    const auto index = [&](int i) {
        const double value = arrays_.Index(i, reference_);
        return static_cast<long double>(value != 0 ? value : s[i].indexD != 0 ? s[i].indexD : 1.0);
    };
    long double h = 1, hb = -p / f, a = 0, ab = -1;
    long double sph = 0, coma = 0, ast = 0, dist = 0, petzval = 0, curvature = 0, bound = 0;
    for (int i = 1; i <= n_; ++i) {
        const long double n0 = index(i - 1), n1 = index(i);
        const double sign = n1 < 0 ? -1.0 : 1.0;
        const double t = s[i].distance;
        const double d = s[i].effectiveDiameter;
        const double next = i + 1 < arrays_.Count() ? s[i + 1].curvature : 0.0;
        const double centre = sign * t;
        const double edge = sign * (t + Sag(d, next) - Sag(d, s[i].curvature));
        const double least = std::min(centre, edge);
        if (least < s[i].minDistance) bound += 100 * (static_cast<long double>(s[i].minDistance) - least);
        if (s[i].maxDistance > 0 && centre > s[i].maxDistance)
            bound += 100 * (static_cast<long double>(centre) - s[i].maxDistance);
        curvature += static_cast<long double>(d * s[i].curvature) * (d * s[i].curvature);

        const long double C = s[i].curvature * f;
        const long double phi = (n1 - n0) * C;
        const long double q = (s[i].conic * C * C * C / 8 + s[i].aspheric[0]) * (n1 - n0);
        const long double A = h * n0 * C - a, Ab = hb * n0 * C - ab;
        petzval += phi / (n0 * n1);
        const long double a1 = a + h * phi, delta = a1 / (n1 * n1) - a / (n0 * n0);
        const long double ab1 = ab + hb * phi, deltaB = ab1 / (n1 * n1) - ab / (n0 * n0);
        sph += h * h * h * h * q + h * A * A * delta;
        coma += h * h * h * hb * q + h * A * Ab * delta;
        const long double G = h * hb * hb * q + Ab * Ab * delta;
        ast += h * G;
        dist += hb * G + Ab * deltaB;
        h -= t / (n1 * f) * a1;
        hb -= t / (n1 * f) * ab1;
        a = a1;
        ab = ab1;
    }
    parts.sphSum = static_cast<double>(sph);
    parts.comaSum = static_cast<double>(coma);
    parts.astSum = static_cast<double>(ast);
    parts.distSum = static_cast<double>(dist);
    parts.petzvalSum = static_cast<double>(petzval);
    parts.curvatureSum = static_cast<double>(curvature);
    parts.boundPenalty = static_cast<double>(bound);
}

double LensMerit::SineComa(const TracedRays& rays, int firstRay, int lastRay, int setCount) const {
    if (!(weightSum_ > 0)) return 0;
    const double f = rays.focalLength;
    const double along = tracer_.ImageSideSign();
    const double image = tracer_.ParaxialImageDistance();
    const double P = tracer_.Context().entrancePupilDistance;
    long double total = 0;
    for (int j = 0; j < rays.WavelengthCount(); ++j) {
        const TracedWavelength& wavelength = rays.wavelengths[j];
        long double sum = 0;
        int failed = 0;
        for (int r = firstRay; r <= lastRay && r < rays.RayCount(); ++r) {
            const RayRecord& ray = wavelength.rays[r];
            if (!wavelength.Passes(r) || ray.M == 0) {
                ++failed;
                continue;
            }
            const double h =
                rays.pupil.size() > static_cast<std::size_t>(r) ? rays.pupil[r][0] + OffAxis(pupil_) : 0;
            const double longitudinal = along * (ray.x - ray.y * ray.L / ray.M - image);
            const double sineFactor = std::sqrt(ray.L * ray.L + ray.M * ray.M) / ray.M;
            const double sine =
                objectInAir_ ? -h * sineFactor - f
                             : h / std::sqrt(h * h + P * P) * tracer_.InverseStartAngle() * sineFactor - f;
            const double difference = std::fabs(longitudinal - sine);
            if (!std::isfinite(difference)) {
                ++failed;
                continue;
            }
            sum += difference;
        }
        if (setCount - failed > 0) total += sum * weight_[j] / (setCount - failed) / weightSum_;
    }
    return static_cast<double>(total);
}

bool LensMerit::TraceGeometrical(MeritParts& parts) {
    constexpr int N = kGeometricalSteps;
    TraceContext& context = tracer_.Context();
    const double radius = FanRadius(pupil_, objectInAir_);
    const int setCount = 4 * N + 3;
    std::vector<std::array<double, 2>> pupil(setCount, {0, 0});
    for (int j = 0; j <= 2 * N; ++j) {
        const double p = radius * (static_cast<double>(j) / N - 1);
        pupil[1 + j] = {p, 0};
        pupil[2 * N + 2 + j] = {0, p};
    }
    for (int k = static_cast<int>(angles_.size()) - 1; k >= 0; --k) {
        AngleRays& angle = angles_[k];
        CurveSettings settings;
        settings.steps = N;
        settings.fieldAngle = angle.row.angle;
        tracer_.AllocateBundle(CurveRayCount(CurveKind::Transverse, N, context.idealLensPresent));
        StartCurveRays(tracer_, CurveKind::Transverse, settings);
        context.defocus = 0;
        if (!tracer_.TraceAll(host_).completed) return false;
        auto rays = std::make_shared<TracedRays>(CaptureRays(tracer_, lens_));
        rays->pupil = pupil;
        angle.rays = rays;
        angle.rayWeight.assign(setCount, 0.0);
        angle.weightSum = 0;
        for (int r = 0; r < setCount; ++r) {
            angle.rayWeight[r] = std::hypot(pupil[r][0], pupil[r][1]) / pupil_;
            angle.weightSum += angle.rayWeight[r];
        }
    }
    // The meridional rays N ... 2N of the first angle: from just below the axis to just inside the rim.
    parts.sineComa = SineComa(*angles_.front().rays, N, 2 * N, setCount);
    return true;
}

bool LensMerit::TraceStrehl(MeritParts& parts) {
    constexpr int N = kStrehlSteps;
    TraceContext& context = tracer_.Context();
    // The coma measure from the longitudinal rays on the axis, from the centre to the rim.
    CurveSettings settings;
    settings.steps = N;
    tracer_.AllocateBundle(CurveRayCount(CurveKind::Longitudinal, N, context.idealLensPresent));
    StartCurveRays(tracer_, CurveKind::Longitudinal, settings);
    context.defocus = 0;
    if (!tracer_.TraceAll(host_).completed) return false;
    {
        TracedRays rays = CaptureRays(tracer_, lens_);
        const double radius = FanRadius(pupil_, objectInAir_);
        rays.pupil.assign(N + 2, {0, 0});
        for (int j = 0; j <= N; ++j) rays.pupil[j + 1] = {radius * j / N, 0};
        parts.sineComa = SineComa(rays, 1, N + 1, N + 2);
    }
    for (int k = static_cast<int>(angles_.size()) - 1; k >= 0; --k) {
        AngleRays& angle = angles_[k];
        context.fieldAngle = angle.row.angle;
        context.defocus = 0;
        angle.grid = MakeSpotGrid(pupil_, N);
        std::string status;
        auto rays = TracePupilPoints(tracer_, lens_, angle.grid.coordinates, host_, status);
        if (!rays) return false;
        angle.rays = std::move(rays);
    }
    return true;
}

double LensMerit::SpotTerm(double z) const {
    long double total = 0;
    const int m = static_cast<int>(active_.size());
    for (const AngleRays& angle : angles_) {
        const TracedRays& rays = *angle.rays;
        const int count = static_cast<int>(angle.rayWeight.size());
        // Image points of the rays that reach the image plane, per wavelength.
        std::vector<std::vector<std::optional<std::array<double, 2>>>> points(m);
        long double reference = 0;
        for (int j = 0; j < m; ++j) {
            points[j].resize(count);
            long double sum = 0;
            int passed = 0;
            for (int r = 0; r < count; ++r) {
                if (!rays.wavelengths[j].Passes(r)) continue;
                const auto point = rays.Intercept(r, j, z);
                if (!point || !std::isfinite((*point)[1]) || !std::isfinite((*point)[2])) continue;
                points[j][r] = std::array<double, 2>{(*point)[1], (*point)[2]};
                sum += (*point)[1];
                ++passed;
            }
            if (passed > 0 && weightSum_ > 0) reference += weight_[j] * sum / passed / weightSum_;
        }
        const double radius = ToleranceRadius(angle.row.tolerance);
        const auto penalty = [&](double y0) {
            long double p = 0;
            for (int j = 0; j < m; ++j) {
                long double sum = 0, failedWeight = 0;
                for (int r = 0; r < count; ++r) {
                    if (!points[j][r]) {
                        failedWeight += angle.rayWeight[r];
                        continue;
                    }
                    const double rho = std::hypot((*points[j][r])[0] - y0, (*points[j][r])[1]);
                    sum += angle.rayWeight[r] * weight_[j] * SpotPenalty(radius > 0 ? rho / radius : 1e30);
                }
                const long double denominator = angle.weightSum - failedWeight;
                // Every ray of the wavelength lost: as if all lay on the rim of the tolerance circle.
                p += denominator > 1e-12 ? sum / denominator : weight_[j] * SpotPenalty(1);
            }
            return static_cast<double>(p);
        };
        total += LeastOverReference(static_cast<double>(reference), penalty);
    }
    return static_cast<double>(total);
}

double LensMerit::StrehlAt(const AngleRays& angle, double z, double dy, double dz) const {
    if (!(weightSum_ > 0)) return 0;
    // One task per wavelength, a wavefront map each (read-only rays); the weighted mean is then summed
    // in line order, as one thread would. Inside an angle's task (several angles) this runs serially.
    const int m = static_cast<int>(active_.size());
    std::vector<std::optional<double>> strehl(m);
    ParallelFor(Threads(), m, [&](int j) {
        const WavefrontMap map = EvaluateWavefrontMap(angle.rays, angle.grid, {z, dy, dz}, j);
        if (map.valid) strehl[j] = map.strehl;
    });
    long double mean = 0;
    for (int j = 0; j < m; ++j)
        if (strehl[j]) mean += *strehl[j] * weight_[j] / weightSum_;
    return static_cast<double>(mean);
}

double LensMerit::StrehlTerm(double z) const {
    // One task per field angle: its best reference point and its term; the terms are added in angle
    // order afterwards.
    const int count = static_cast<int>(angles_.size());
    std::vector<double> term(count, 0.0);
    ParallelFor(Threads(), count, [&](int k) {
        const AngleRays& angle = angles_[k];
        double dy = 0, dz = 0;
        bool converged = MostAlong(dy, [&](double c) { return StrehlAt(angle, z, c, dz); });
        for (int round = 0; hasDecenter_ && !converged && round < 20; ++round) {
            converged = MostAlong(dz, [&](double c) { return StrehlAt(angle, z, dy, c); });
            if (!converged) converged = MostAlong(dy, [&](double c) { return StrehlAt(angle, z, c, dz); });
        }
        term[k] = (1.01 - StrehlAt(angle, z, dy, dz)) / 100 * angle.row.strehlWeight;
    });
    long double total = 0;
    for (const double t : term) total += t;
    return static_cast<double>(total);
}

double LensMerit::Combine(const MeritParts& p, double s) const {
    const MeritConditions& c = conditions_;
    const long double aberrations = std::fabs(p.petzvalSum) * c.petzvalFactor + 0.1 +
                                    std::fabs(2 * p.astSum + p.petzvalSum) * c.astigFactor +
                                    std::fabs(p.sineComa) * c.comaFactor * 5 +
                                    std::fabs(p.sphSum) * c.sphFactor + c.curvFactor * p.curvatureSum;
    return static_cast<double>(aberrations * (s * c.angleFactor) * (p.boundPenalty + 1));
}

std::vector<std::vector<MeritSpotDot>> LensMerit::Spots(double z) const {
    std::vector<std::vector<MeritSpotDot>> spots;
    for (std::size_t k = 0; k < angles_.size() && k < kSpotBoxes; ++k) {
        const TracedRays& rays = *angles_[k].rays;
        std::vector<std::pair<int, std::array<double, 2>>> points;
        long double reference = 0;
        for (int j = 0; j < rays.WavelengthCount(); ++j) {
            long double sum = 0;
            int passed = 0;
            for (int r = 0; r <= rays.lastPupilRay; ++r) {
                if (!rays.wavelengths[j].Passes(r)) continue;
                const auto point = rays.Intercept(r, j, z);
                if (!point || !std::isfinite((*point)[1]) || !std::isfinite((*point)[2])) continue;
                points.push_back({j, {(*point)[1], (*point)[2]}});
                sum += (*point)[1];
                ++passed;
            }
            if (passed > 0 && weightSum_ > 0) reference += weight_[j] * sum / passed / weightSum_;
        }
        std::vector<MeritSpotDot> dots;
        for (const auto& [j, point] : points)
            dots.push_back({point[0] - static_cast<double>(reference), point[1], rays.wavelengths[j].colour});
        spots.push_back(std::move(dots));
    }
    return spots;
}

int CountFreeValues(const Lens& lens) {
    const int n = std::min(lens.SurfaceCount(), lens.RowCount() - 2);
    int count = 0;
    for (int i = 1; i <= n; ++i) count += lens.Text(col::RFix, i + 1).empty() ? 1 : 0;
    for (int i = 1; i < n; ++i) count += lens.Text(col::LFix, i + 1).empty() ? 1 : 0;
    return count;
}

void WriteOptimisedValues(Lens& lens, const std::vector<double>& x) {
    const int n = std::min(lens.SurfaceCount(), lens.RowCount() - 2);
    std::size_t k = 0;
    const auto differs = [](const std::string& text, double value) {
        const auto old = ParseNumber(text);
        return !old || *old != value;
    };
    for (int i = 1; i <= n && k < x.size(); ++i) {
        if (!lens.Text(col::RFix, i + 1).empty()) continue;
        const double c = x[k++];
        const auto old = ParseNumber(lens.Text(col::R, i + 1));
        const double oldCurvature = old && *old != 0 ? 1 / *old : 0;
        if (!old || oldCurvature != c) lens.SetText(col::R, i + 1, c != 0 ? FormatFixed(1 / c, 4) : "0");
    }
    for (int i = 1; i < n && k < x.size(); ++i) {
        if (!lens.Text(col::LFix, i + 1).empty()) continue;
        const double d = std::fabs(x[k++]);
        if (differs(lens.Text(col::Distance, i + 1), d))
            lens.SetText(col::Distance, i + 1, FormatFixed(d, 3));
    }
    // Coupled values take the text of the face they follow.
    for (int i = 1; i <= n; ++i) {
        for (auto [fix, column] : {std::pair{col::RFix, col::R}, std::pair{col::LFix, col::Distance}}) {
            if (column == col::Distance && i == n) continue;
            const auto face = ParseInteger(lens.Text(fix, i + 1));
            if (face && *face >= 0 && *face <= n && *face != i)
                lens.SetText(column, i + 1, lens.Text(column, static_cast<int>(*face) + 1));
        }
    }
    lens.MarkChanged();
}

} // namespace vitrimo
