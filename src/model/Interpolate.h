// TInterpolate: evaluates a tabulated function y(x) between (and beyond) its nodes.
//
// Three methods:
//   0  linear: the straight line through the two nodes around x;
//   1  quadratic: the parabola through the node that ends x's interval (in list order) and its two
//      neighbours;
//   2  natural cubic spline: zero second derivative at both end nodes.
// Beyond the first or last node each method extends the polynomial of the end interval.
//
// The nodes come as 32-bit floats, as the program's tables hold them, and the linear method and the
// spline's second- and third-order coefficients are kept in 32-bit floats too; values are returned as
// doubles. The abscissas may ascend or descend but must be strictly monotonic.
#pragma once

#include <span>
#include <vector>

namespace vitrimo {

class TInterpolate {
public:
    enum Method { Linear = 0, Quadratic = 1, Cubic = 2 };

    explicit TInterpolate(int method = Cubic);

    int GetMethod() const { return method_; }
    // Changes the method and forgets the nodes; give them again before evaluating. Throws
    // std::invalid_argument for a method other than 0, 1, 2.
    void SetMethod(int method);

    // Sets the nodes (x[k], y[k]) and prepares the method's coefficients. Returns false, and keeps no
    // nodes, when the arrays differ in length, are empty, hold a value that is not finite, or when the
    // abscissas are not strictly ascending or strictly descending (two equal abscissas would divide by
    // zero).
    bool SetNodes(std::span<const float> x, std::span<const float> y);

    int NodeCount() const { return static_cast<int>(x_.size()); }
    bool Descending() const { return descending_; }

    // The interpolated value at x; the one node's value when there is only one; 0 without nodes.
    double Value(double x) const;

private:
    void Clear();
    // The interval k (0 <= k <= n - 2) whose nodes enclose x; the end interval when x lies outside.
    int Interval(double x) const;

    int method_;
    bool descending_ = false;
    // Equally spaced nodes: x lies near interval alpha * x + beta. Used as a first guess.
    bool equallySpaced_ = false;
    double alpha_ = 0, beta_ = 0;

    std::vector<double> x_, y_; // the nodes, widened from float
    // Method 0: nodes and slopes in float.
    std::vector<float> xf_, yf_, slope_;
    // Method 1: y + b t + c t^2 about node i.
    std::vector<double> b_, c_;
    // Method 2: y + b t + c t^2 + d t^3 about node i; b in double, c and d in float.
    std::vector<float> cf_, df_;
};

} // namespace vitrimo
