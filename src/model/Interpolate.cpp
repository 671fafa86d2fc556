#include "model/Interpolate.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vitrimo {

TInterpolate::TInterpolate(int method) : method_(Cubic) {
    SetMethod(method);
}

void TInterpolate::SetMethod(int method) {
    if (method < Linear || method > Cubic)
        throw std::invalid_argument("TInterpolate: method must be 0, 1 or 2");
    method_ = method;
    Clear();
}

void TInterpolate::Clear() {
    descending_ = equallySpaced_ = false;
    alpha_ = beta_ = 0;
    for (auto* v : {&x_, &y_, &b_, &c_}) v->clear();
    for (auto* v : {&xf_, &yf_, &slope_, &cf_, &df_}) v->clear();
}

bool TInterpolate::SetNodes(std::span<const float> x, std::span<const float> y) {
    Clear();
    const std::size_t n = x.size();
    if (n == 0 || y.size() != n) return false;
    for (std::size_t k = 0; k < n; ++k)
        if (!std::isfinite(x[k]) || !std::isfinite(y[k])) return false;
    const bool descending = n >= 2 && x[n - 1] < x[0];
    for (std::size_t k = 0; k + 1 < n; ++k)
        if (descending ? !(x[k + 1] < x[k]) : !(x[k + 1] > x[k])) return false;

    x_.assign(x.begin(), x.end());
    y_.assign(y.begin(), y.end());
    descending_ = descending;
    if (n < 2) return true;

    const std::size_t m = n - 1; // intervals
    std::vector<double> h(m), delta(m);
    for (std::size_t k = 0; k < m; ++k) {
        h[k] = x_[k + 1] - x_[k];
        delta[k] = (y_[k + 1] - y_[k]) / h[k];
    }
    equallySpaced_ = std::all_of(h.begin(), h.end(),
                                 [&](double hk) { return std::fabs(hk - h[0]) <= 1e-3 * std::fabs(h[0]); });
    if (equallySpaced_) {
        alpha_ = 1 / h[0];
        beta_ = -x_[0] / h[0];
    }

    switch (method_) {
    case Linear:
        xf_.assign(x.begin(), x.end());
        yf_.assign(y.begin(), y.end());
        slope_.assign(delta.begin(), delta.end());
        break;
    case Quadratic:
        // The parabola about node i passes through nodes i - 1, i, i + 1. Two nodes give the line.
        b_.assign(n, 0);
        c_.assign(n, 0);
        if (n == 2) {
            b_[0] = delta[0];
        } else {
            for (std::size_t i = 1; i + 1 < n; ++i) {
                c_[i] = (delta[i] - delta[i - 1]) / (x_[i + 1] - x_[i - 1]);
                b_[i] = delta[i] - h[i] * c_[i];
            }
        }
        break;
    case Cubic: {
        // sigma[k] is a sixth of the second derivative at node k; zero at both ends (natural spline).
        // The tridiagonal system
        //   h[k-1] sigma[k-1] + 2 (h[k-1] + h[k]) sigma[k] + h[k] sigma[k+1] = delta[k] - delta[k-1]
        // for k = 1 ... n - 2 is solved by one forward sweep and a back substitution.
        std::vector<long double> sigma(n, 0.0L);
        if (n >= 3) {
            std::vector<long double> p(n, 0.0L), r(n, 0.0L);
            p[1] = 1 / (2 * ((long double)h[0] + h[1]));
            r[1] = (long double)delta[1] - delta[0];
            for (std::size_t k = 2; k + 1 < n; ++k) {
                const long double hk1 = h[k - 1];
                p[k] = 1 / (2 * (hk1 + h[k]) - hk1 * hk1 * p[k - 1]);
                r[k] = ((long double)delta[k] - delta[k - 1]) - r[k - 1] * hk1 * p[k - 1];
            }
            sigma[n - 2] = r[n - 2] * p[n - 2];
            for (std::size_t k = n - 3; k >= 1; --k) sigma[k] = (r[k] - h[k] * sigma[k + 1]) * p[k];
        }
        b_.assign(m, 0);
        cf_.assign(m, 0);
        df_.assign(m, 0);
        for (std::size_t i = 0; i < m; ++i) {
            b_[i] = static_cast<double>(delta[i] - (2 * sigma[i] + sigma[i + 1]) * h[i]);
            cf_[i] = static_cast<float>(3 * sigma[i]);
            df_[i] = static_cast<float>((sigma[i + 1] - sigma[i]) / h[i]);
        }
        break;
    }
    }
    return true;
}

int TInterpolate::Interval(double x) const {
    const int last = NodeCount() - 2;
    if (last <= 0 || std::isnan(x)) return 0;
    int k = 0;
    if (equallySpaced_) {
        // A first guess from the spacing, then a step to the neighbour where rounding put x on the
        // wrong side of a node.
        const double guess = std::clamp(std::floor(alpha_ * x + beta_), 0.0, double(last));
        k = static_cast<int>(guess);
        if (!descending_) {
            while (k > 0 && x < x_[k]) --k;
            while (k < last && x >= x_[k + 1]) ++k;
        } else {
            while (k > 0 && x > x_[k]) --k;
            while (k < last && x <= x_[k + 1]) ++k;
        }
        return k;
    }
    int low = 0, high = last + 1;
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        if (descending_ ? x <= x_[mid] : x >= x_[mid])
            low = mid;
        else
            high = mid;
    }
    return low;
}

double TInterpolate::Value(double x) const {
    const int n = NodeCount();
    if (n == 0) return 0;
    if (n == 1) return y_[0];
    const int k = Interval(x);
    switch (method_) {
    case Linear:
        return yf_[k] + slope_[k] * (x - xf_[k]);
    case Quadratic: {
        const int i = n == 2 ? 0 : std::clamp(k + 1, 1, n - 2);
        const double t = x - x_[i];
        return y_[i] + b_[i] * t + c_[i] * t * t;
    }
    default: {
        const double t = x - x_[k];
        return ((df_[k] * t + cf_[k]) * t + b_[k]) * t + y_[k];
    }
    }
}

} // namespace vitrimo
