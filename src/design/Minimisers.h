// Two general minimisers over any TFVForm: the downhill Simplex method (TAutoCorr) and the
// Davidon-Fletcher-Powell quasi-Newton method with numerical gradients (TDFPCal).
//
// Both ask the host before every evaluation whether to go on; a stop request (the Stop button, a closed
// progress window) ends the run with the best point found so far. Invalid points are expected to have
// a huge F (1e100) rather than to fail.
#pragma once

#include "design/Objective.h"
#include "model/Host.h"

#include <cstdint>
#include <random>
#include <vector>

namespace vitrimo {

struct MinimiserOptions {
    // The run ends when the relative improvement measures exceed `threshold` (see the methods) or F
    // falls below `floor`.
    double threshold = 0.9995;
    double floor = 1e-5;
    // DFP: the ratio of the one-sided difference steps of the gradient and the line-search slopes.
    double ratio = 1.0002;
    // The run ends after this many evaluations of F (0: no limit); the best point is kept.
    long long maxEvaluations = 0;
};

struct MinimiserResult {
    std::vector<double> x; // the best point, as SetVariables returned it
    double value = 0;      // F there
    long long evaluations = 0;
    bool stopped = false; // the host asked to stop
    bool capped = false;  // the evaluation limit was reached
};

// Counts the evaluations, keeps the limit and the stop request, and reports progress.
class Evaluations {
public:
    Evaluations(TFVForm& objective, Host& host, long long limit)
        : objective_(objective), host_(host), limit_(limit) {}
    // F at x; 1e100 without evaluating once the run is to end.
    double operator()(const std::vector<double>& x);
    std::vector<double> Adjust(const std::vector<double>& x) { return objective_.SetVariables(x); }
    bool Halted() const { return stopped_ || capped_; }
    bool Stopped() const { return stopped_; }
    bool Capped() const { return capped_; }
    long long Count() const { return count_; }

private:
    TFVForm& objective_;
    Host& host_;
    long long limit_;
    long long count_ = 0;
    bool stopped_ = false;
    bool capped_ = false;
};

// The value an invalid point gets, and what an evaluation returns once the run is to end.
inline constexpr double kInvalidMerit = 1e100;

class TAutoCorr {
public:
    explicit TAutoCorr(std::uint32_t seed = 20260101) : random_(seed) {}

    // Minimises from x0. The initial simplex moves each coordinate by a random 0.5 % at most (or 1e-5
    // when it is within 1e-8 of 0). The run ends when F of the best vertex is below the floor, when
    //   R1 = 1 - ((n + 1) F_worst - sum F) / n   or (n > 2)   R2 = 1 - (n F_worst - (sum F - F_best)) / n *
    //   100
    // exceeds the threshold (both compare absolute differences of F), or when the host asks to stop.
    MinimiserResult Run(TFVForm& objective, std::vector<double> x0, const MinimiserOptions& options,
                        Host& host);

    // Trial points so far (reflections and expansions) of the last run.
    long long Iterations() const { return iterations_; }

private:
    std::mt19937 random_;
    long long iterations_ = 0;
};

class TDFPCal {
public:
    // Minimises from x: steepest descent first, then directions from the DFP estimate of the inverse
    // Hessian; a bracketing line search and cubic interpolation along each direction; at most 1000
    // directions. The run ends when F falls below the floor, when a step improves F by a factor
    // r = F_new / F_old with threshold < r <= 1, after five worse steps in a row (the point before them
    // is returned), or when the host asks to stop.
    MinimiserResult Run(TFVForm& objective, std::vector<double> x, const MinimiserOptions& options,
                        Host& host);
};

// One-sided gradient component i of F at x, F(x) = f0, seeking the descending side: steps of the
// relative size ratio - 1 (absolute when x_i = 0), shrunk towards 1 while both sides are worse; 0 when
// the step shrinks to nothing.
double GradientComponent(Evaluations& f, const std::vector<double>& x, int i, double f0, double ratio);

// The minimum of the cubic through (a, fa) and (b, fb) with slopes ga and gb there (Davidon's rule),
// for a bracket with ga < 0 <= gb.
double CubicStep(double a, double fa, double ga, double b, double fb, double gb);

} // namespace vitrimo
