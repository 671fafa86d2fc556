#include "design/Minimisers.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace vitrimo {

double Evaluations::operator()(const std::vector<double>& x) {
    if (Halted()) return kInvalidMerit;
    if (!host_.KeepGoing()) {
        stopped_ = true;
        return kInvalidMerit;
    }
    if (limit_ > 0 && count_ >= limit_) {
        capped_ = true;
        return kInvalidMerit;
    }
    ++count_;
    if (limit_ > 0) host_.ReportProgress(static_cast<int>(count_ * 100 / limit_));
    const double value = objective_.FValue(x);
    // A value that is not a number cannot be compared: it is as bad as an invalid point.
    return std::isnan(value) ? kInvalidMerit : value;
}

namespace {

using Vector = std::vector<double>;

Vector Combine(double alpha, const Vector& c, const Vector& w) {
    Vector p(c.size());
    for (std::size_t i = 0; i < c.size(); ++i) p[i] = alpha * c[i] + (1 - alpha) * w[i];
    return p;
}

double Dot(const Vector& a, const Vector& b) {
    long double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += static_cast<long double>(a[i]) * b[i];
    return static_cast<double>(sum);
}

MinimiserResult Finish(Evaluations& f, Vector x, double value) {
    MinimiserResult result;
    result.x = std::move(x);
    result.value = value;
    result.evaluations = f.Count();
    result.stopped = f.Stopped();
    result.capped = f.Capped();
    return result;
}

// The expansion goes on while F does not grow; a flat valley could let it run for ever.
constexpr int kMaxExpansions = 1000;

} // namespace

MinimiserResult TAutoCorr::Run(TFVForm& objective, Vector x0, const MinimiserOptions& options, Host& host) {
    Evaluations f(objective, host, options.maxEvaluations);
    iterations_ = 0;
    const int n = static_cast<int>(x0.size());
    std::vector<Vector> vertex(n + 1, x0);
    Vector value(n + 1, kInvalidMerit);
    value[n] = f(objective.SetVariables(x0));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int i = 1; i <= n && !f.Halted(); ++i) {
        double& coordinate = vertex[i - 1][i - 1];
        coordinate =
            std::fabs(coordinate) > 1e-8 ? coordinate * (0.995 + 0.01 * uniform(random_)) : coordinate + 1e-5;
        vertex[i - 1] = objective.SetVariables(vertex[i - 1]);
        value[i - 1] = f(vertex[i - 1]);
    }
    if (n == 0) return Finish(f, vertex[0], value[0]);

    Vector current = vertex[0];
    double currentValue = value[0];
    Vector centroid(n);
    double alpha = 2;
    // A trial point on the line from the worst vertex through the centroid, as the model adjusts it. An
    // evaluation that fails is repeated once from the same coefficient; a second failure reaches the caller.
    const auto trial = [&](double coefficient, Vector& point) {
        alpha = coefficient;
        try {
            point = objective.SetVariables(Combine(alpha, centroid, vertex[n]));
            return f(point);
        } catch (const std::exception&) {
            point = objective.SetVariables(Combine(alpha, centroid, vertex[n]));
            return f(point);
        }
    };
    double sum = 0;
    do {
        // Order by F, the best first (exchanging only when strictly greater keeps equal vertices in place).
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j <= n; ++j)
                if (value[i] > value[j]) {
                    std::swap(value[i], value[j]);
                    std::swap(vertex[i], vertex[j]);
                }
        // While stopped, the evaluations of the last step returned the stand-in value: keep the best real
        // one.
        if (value[0] < kInvalidMerit || currentValue >= kInvalidMerit) {
            current = vertex[0];
            currentValue = value[0];
        }
        sum = 0;
        for (double v : value) sum += v;
        const double r1 = 1 - ((n + 1) * value[n] - sum) / n;
        const double r2 = n > 2 ? 1 - ((n * value[n] - (sum - value[0])) / n) * 100 : 0;
        if (value[0] < options.floor || r1 > options.threshold || r2 > options.threshold || f.Halted()) break;

        std::fill(centroid.begin(), centroid.end(), 0.0);
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < n; ++k) centroid[k] += vertex[i][k] / n;
        Vector reflected;
        const double fr = trial(2, reflected);
        ++iterations_;
        if (fr < value[0]) {
            Vector best = std::move(reflected);
            double bestValue = fr;
            for (int e = 0; e < kMaxExpansions && !f.Halted(); ++e) {
                Vector expanded;
                const double fe = trial(alpha + 1, expanded);
                ++iterations_;
                if (fe > bestValue) break;
                best = std::move(expanded);
                bestValue = fe;
            }
            vertex[n] = std::move(best);
            value[n] = bestValue;
        } else if (fr < value[n - 1]) {
            vertex[n] = std::move(reflected);
            value[n] = fr;
        } else {
            if (f.Halted()) break;
            if (fr < value[n]) {
                vertex[n] = std::move(reflected);
                value[n] = fr;
            }
            Vector contracted;
            double fc = trial(1.5, contracted);
            if (!(fc < value[n - 1])) fc = trial(0.5, contracted);
            if (fc < value[n - 1]) {
                vertex[n] = std::move(contracted);
                value[n] = fc;
            } else {
                for (int i = 1; i <= n && !f.Halted(); ++i) {
                    for (int k = 0; k < n; ++k) vertex[i][k] = (vertex[i][k] + vertex[0][k]) / 2;
                    vertex[i] = objective.SetVariables(vertex[i]);
                    value[i] = f(vertex[i]);
                }
            }
        }
    } while (sum != 0);
    return Finish(f, objective.SetVariables(current), currentValue);
}

double GradientComponent(Evaluations& f, const Vector& x, int i, double f0, double ratio) {
    const bool absolute = x[i] == 0;
    const double v = absolute ? 1 : x[i];
    Vector trial = x;
    double rho = ratio;
    while (rho != 1 && !f.Halted()) {
        trial[i] = absolute ? rho - 1 : v * rho;
        const double up = f(trial);
        if (up <= f0) return (up - f0) / (rho - 1) / v;
        const double inverse = 1 / rho;
        trial[i] = absolute ? inverse - 1 : v * inverse;
        const double down = f(trial);
        if (down < f0) return (down - f0) / (inverse - 1) / v;
        // Both sides are worse: a smaller step, on the side that did better.
        rho = down >= up ? (1 / inverse + 2) / 3 : (2 + inverse) / 3;
    }
    return 0;
}

double CubicStep(double a, double fa, double ga, double b, double fb, double gb) {
    const double z = 3 * (fa - fb) / (a - b) - ga - gb;
    const double w = std::copysign(std::sqrt(std::max(0.0, z * z - ga * gb)), b - a);
    const double denominator = gb - ga + 2 * w;
    if (denominator == 0 || !std::isfinite(denominator)) return (a + b) / 2;
    const double m = a + (b - a) * (w - ga - z) / denominator;
    return std::isfinite(m) ? m : (a + b) / 2;
}

namespace {

// The DFP run, one object per run.
class DfpRun {
public:
    DfpRun(Evaluations& f, const MinimiserOptions& options, int n) : f_(f), o_(options), n_(n) {}

    Vector Gradient(const Vector& x, double f0) {
        Vector g(n_);
        for (int i = 0; i < n_ && !f_.Halted(); ++i) g[i] = GradientComponent(f_, x, i, f0, o_.ratio);
        return g;
    }

    Vector Point(const Vector& base, double alpha, const Vector& d) const {
        Vector p(base);
        for (int i = 0; i < n_; ++i) p[i] += alpha * d[i];
        return p;
    }

    // Runs from x; returns the point to keep.
    Vector Run(Vector x, double& fx) {
        constexpr int kMaxDirections = 1000;
        constexpr int kMaxRestarts = 1000;
        const double rho = o_.ratio;
        Vector backup = x;
        int worse = 0;
        bool endedWorse = false;
        for (int restart = 0; restart < kMaxRestarts && !f_.Halted(); ++restart) {
            double f0 = f_(x);
            if (f_.Halted()) break;
            fx = f0;
            Vector g = Gradient(x, f0);
            std::vector<Vector> h(n_, Vector(n_, 0.0));
            for (int i = 0; i < n_; ++i) h[i][i] = 1;
            bool restartHere = false;
            for (int k = 1; k <= kMaxDirections && !f_.Halted(); ++k) {
                Vector d(n_, 0.0);
                for (int i = 0; i < n_; ++i) d[i] = -Dot(h[i], g);
                const double length2 = Dot(d, d);
                if (!(length2 > 0) || !std::isfinite(length2)) return x;
                for (double& component : d) component /= std::sqrt(length2);
                double ga = Dot(d, g);
                const Vector base = x;
                if (ga >= 0) {
                    restartHere = true;
                    break;
                }

                // Bracketing along d.
                double aa = 0, fa = f0, delta = -fa / ga;
                if (!(delta > 0) || !std::isfinite(delta)) delta = 1;
                double ab = aa + delta, fb = 0, gb = 0;
                int expansions = 0, reductions = 0;
                bool bracketed = false;
                for (int round = 0; round < 1000 && !f_.Halted(); ++round) {
                    bool inner = true;
                    for (int tries = 0; inner && tries < 1000; ++tries) {
                        if (expansions > 5) {
                            delta = 20;
                            ab = aa + 20;
                            expansions = 0;
                        }
                        if (aa + delta < ab) ab = aa + delta;
                        fb = f_(Point(base, ab, d));
                        if (f_.Halted()) return x;
                        if (fb > 1e30) {
                            delta /= 2;
                            if (++reductions > 10) return x; // nothing valid along this direction
                            continue;
                        }
                        if (f0 > 0 && fb > 5 * f0) {
                            ab /= std::sqrt(fb / f0);
                            delta /= 2;
                            continue;
                        }
                        inner = false;
                    }
                    const double fc = f_(Point(base, ab * rho, d));
                    if (f_.Halted()) return x;
                    gb = (fc - fb) / ab / (rho - 1);
                    if (gb < 0) {
                        if (fc < fa) {
                            ga = gb;
                            fa = fc;
                            aa = ab * rho;
                            ab = aa - fa / ga;
                            ++expansions;
                        } else {
                            ab /= 10;
                        }
                        continue;
                    }
                    bracketed = true;
                    break;
                }
                if (!bracketed) return x;

                // Cubic interpolation inside [aa, ab].
                double best = 1e101, bestAlpha = 0, am = ab, fm = fb;
                for (int point = 1; point <= 8; ++point) {
                    am = CubicStep(aa, fa, ga, ab, fb, gb);
                    fm = f_(Point(base, am, d));
                    if (f_.Halted()) return x;
                    if (fm > best && best < fa && best < fb) {
                        am = bestAlpha;
                        fm = best;
                    }
                    if ((fm < fb && fm < fa && point > 1 && best < f0) || point == 8) break;
                    const double gm = (f_(Point(base, am * rho, d)) - fm) / am / (rho - 1);
                    if (f_.Halted()) return x;
                    if (gm * ga > 0) {
                        aa = am;
                        fa = fm;
                        ga = gm;
                    } else {
                        ab = am;
                        fb = fm;
                        gb = gm;
                    }
                    best = fm;
                    bestAlpha = am;
                }

                // Accept the point.
                const double r = f0 > 0 ? fm / f0 : (fm > f0 ? 2.0 : 1.0);
                if (r > 1) {
                    if (worse++ == 0) backup = base;
                } else {
                    worse = 0;
                }
                x = Point(base, am, d);
                fx = fm;
                if (fm < o_.floor || (o_.threshold < r && r <= 1)) return x;
                if (worse >= 5) {
                    endedWorse = true;
                    break;
                }

                f0 = fm;
                const Vector g2 = Gradient(x, f0);
                if (f_.Halted()) return x;
                Vector y(n_), hy(n_, 0.0), s(n_);
                for (int i = 0; i < n_; ++i) {
                    y[i] = g2[i] - g[i];
                    s[i] = am * d[i];
                }
                for (int i = 0; i < n_; ++i) hy[i] = Dot(h[i], y);
                const double sy = Dot(s, y), yhy = Dot(y, hy);
                if (sy != 0 && yhy != 0 && std::isfinite(sy) && std::isfinite(yhy)) {
                    // H is symmetric, so y'H is (Hy)'.
                    for (int i = 0; i < n_; ++i)
                        for (int j = 0; j < n_; ++j) h[i][j] += s[i] * s[j] / sy - hy[i] * hy[j] / yhy;
                } else {
                    for (int i = 0; i < n_; ++i)
                        for (int j = 0; j < n_; ++j) h[i][j] = i == j ? 1 : 0;
                }
                g = g2;
            }
            if (endedWorse || !restartHere) break;
        }
        if (endedWorse) {
            x = backup;
            fx = kInvalidMerit; // evaluated again by the caller
        }
        return x;
    }

private:
    Evaluations& f_;
    const MinimiserOptions& o_;
    int n_;
};

} // namespace

MinimiserResult TDFPCal::Run(TFVForm& objective, Vector x, const MinimiserOptions& options, Host& host) {
    Evaluations f(objective, host, options.maxEvaluations);
    const int n = static_cast<int>(x.size());
    double value = kInvalidMerit;
    if (n > 0) {
        DfpRun run(f, options, n);
        x = run.Run(std::move(x), value);
    }
    Vector adjusted = objective.SetVariables(x);
    // The value of the returned point: known unless the run fell back to an earlier point or never
    // evaluated; a stopped run is not evaluated again.
    if (value >= kInvalidMerit && !f.Halted()) value = f(adjusted);
    return Finish(f, std::move(adjusted), value);
}

} // namespace vitrimo
