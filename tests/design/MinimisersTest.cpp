// The Simplex and DFP minimisers on functions whose minimum is known in closed form.
#include "design/Minimisers.h"

#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace vitrimo {
namespace {

using Vector = std::vector<double>;
using test::Near;

// An objective from a plain function, with an optional projection for SetVariables; it remembers every
// point it evaluated.
class FunctionObjective : public TFVForm {
public:
    explicit FunctionObjective(std::function<double(const Vector&)> f,
                               std::function<Vector(const Vector&)> adjust = {})
        : f_(std::move(f)), adjust_(std::move(adjust)) {}
    double FValue(const Vector& x) override {
        const Vector v = SetVariables(x);
        const double value = f_(v);
        points.push_back(v);
        values.push_back(value);
        return value;
    }
    Vector SetVariables(const Vector& x) override { return adjust_ ? adjust_(x) : x; }

    std::vector<Vector> points;
    Vector values;

private:
    std::function<double(const Vector&)> f_;
    std::function<Vector(const Vector&)> adjust_;
};

double Rosenbrock(const Vector& x) {
    return (1 - x[0]) * (1 - x[0]) + 100 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]);
}

// A bowl with a different curvature along each axis, least (0) at (3, -2, 0.5, 7).
double Bowl(const Vector& x) {
    const Vector centre{3, -2, 0.5, 7}, scale{1, 4, 0.25, 9};
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i) sum += scale[i] * (x[i] - centre[i]) * (x[i] - centre[i]);
    return sum;
}

// Runs until F is practically 0: the convergence tests of the program's runs stop much earlier.
MinimiserOptions Tight() {
    MinimiserOptions options;
    options.threshold = 1 - 1e-15;
    options.floor = 1e-14;
    return options;
}

enum class Method { Simplex, Dfp };

MinimiserResult RunMethod(Method method, TFVForm& objective, const Vector& start,
                          const MinimiserOptions& options, Host& host) {
    if (method == Method::Simplex) return TAutoCorr().Run(objective, start, options, host);
    return TDFPCal().Run(objective, start, options, host);
}

struct StartCase {
    Method method;
    Vector start;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << (c.method == Method::Simplex ? "Simplex" : "DFP") << " from (";
    for (std::size_t i = 0; i < c.start.size(); ++i) *os << (i ? ", " : "") << c.start[i];
    *os << ")";
}

std::string CaseName(const ::testing::TestParamInfo<StartCase>& info) {
    return (info.param.method == Method::Simplex ? "Simplex" : "Dfp") + std::to_string(info.index);
}

class RosenbrockTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(RosenbrockTest, FindsTheMinimumAtOneOne) {
    FunctionObjective objective(Rosenbrock);
    test::ScriptedHost host;
    MinimiserOptions options = Tight();
    options.maxEvaluations = 200000;
    // The program's difference ratio (1.0002) makes the gradient too coarse to land closer than about 1e-2
    // in this narrow valley; a finer ratio shows that the search itself goes all the way.
    options.ratio = 1 + 1e-8;
    const MinimiserResult result = RunMethod(GetParam().method, objective, GetParam().start, options, host);
    EXPECT_TRUE(Near(result.x[0], 1, 0, 2e-3));
    EXPECT_TRUE(Near(result.x[1], 1, 0, 4e-3));
    EXPECT_LT(result.value, 1e-5);
    EXPECT_DOUBLE_EQ(result.value, Rosenbrock(result.x));
    EXPECT_FALSE(result.stopped);
}

INSTANTIATE_TEST_SUITE_P(Starts, RosenbrockTest,
                         ::testing::Values(StartCase{Method::Simplex, {-1.2, 1}},
                                           StartCase{Method::Simplex, {2, -1}},
                                           StartCase{Method::Simplex, {0, 0}},
                                           StartCase{Method::Dfp, {-1.2, 1}}, StartCase{Method::Dfp, {2, -1}},
                                           StartCase{Method::Dfp, {0.5, 3}}),
                         CaseName);

class BowlTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(BowlTest, FindsTheCentre) {
    FunctionObjective objective(Bowl);
    test::ScriptedHost host;
    const MinimiserResult result = RunMethod(GetParam().method, objective, GetParam().start, Tight(), host);
    const Vector centre{3, -2, 0.5, 7};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(result.x[i], centre[i], 0, 1e-4)) << "coordinate " << i;
    EXPECT_LT(result.value, 1e-7);
}

INSTANTIATE_TEST_SUITE_P(Starts, BowlTest,
                         ::testing::Values(StartCase{Method::Simplex, {0.1, -0.2, 0.3, 1}},
                                           StartCase{Method::Simplex, {10, 10, -10, 1}},
                                           StartCase{Method::Dfp, {0, 0, 0, 0}},
                                           StartCase{Method::Dfp, {10, 10, -10, 1}}),
                         CaseName);

// Points beyond x = 2 are invalid (F = 1e100): the least valid point is (2, -1) with F = 1. The Simplex
// method slides along the bound to it; DFP halves its step into the invalid side ten times and then ends
// where it stands, inside the bound and better than the start.
// With the program's own difference ratio DFP still goes most of the way down the valley.
TEST(Dfp, TheProgramsRatioComesCloseOnRosenbrock) {
    FunctionObjective objective(Rosenbrock);
    test::ScriptedHost host;
    MinimiserOptions options = Tight();
    options.maxEvaluations = 200000;
    const MinimiserResult result = TDFPCal().Run(objective, {-1.2, 1}, options, host);
    EXPECT_LT(result.value, 1e-3);
    EXPECT_TRUE(Near(result.x[0], 1, 0, 0.05));
}

TEST(Minimisers, StayInsideABound) {
    const auto bounded = [](const Vector& x) {
        if (x[0] > 2) return kInvalidMerit;
        return (x[0] - 3) * (x[0] - 3) + (x[1] + 1) * (x[1] + 1);
    };
    for (Method method : {Method::Simplex, Method::Dfp}) {
        for (const Vector& start : {Vector{0, 0}, Vector{-3, 4}}) {
            FunctionObjective objective(bounded);
            test::ScriptedHost host;
            const MinimiserResult result = RunMethod(method, objective, start, Tight(), host);
            EXPECT_LE(result.x[0], 2);
            EXPECT_LT(result.value, bounded(start));
            EXPECT_EQ(result.value, bounded(result.x));
            if (method == Method::Simplex) {
                EXPECT_TRUE(Near(result.x[0], 2, 0, 1e-4));
                EXPECT_TRUE(Near(result.x[1], -1, 0, 1e-3));
            } else {
                EXPECT_TRUE(Near(result.x[0], 2, 0, 0.01));
            }
        }
    }
}

// SetVariables puts every point on the line x + y = 1, where (x - 2)^2 + y^2 is least at (1.5, -0.5).
TEST(Minimisers, EvaluateAndReturnTheAdjustedPoints) {
    const auto onLine = [](const Vector& x) {
        const double shift = (x[0] + x[1] - 1) / 2;
        return Vector{x[0] - shift, x[1] - shift};
    };
    for (Method method : {Method::Simplex, Method::Dfp}) {
        FunctionObjective objective([](const Vector& x) { return (x[0] - 2) * (x[0] - 2) + x[1] * x[1]; },
                                    onLine);
        test::ScriptedHost host;
        const MinimiserResult result = RunMethod(method, objective, {3, 4}, Tight(), host);
        EXPECT_TRUE(Near(result.x[0] + result.x[1], 1, 1e-12));
        EXPECT_TRUE(Near(result.x[0], 1.5, 0, 1e-4));
        EXPECT_TRUE(Near(result.value, 0.5, 0, 1e-7));
        for (const Vector& p : objective.points) EXPECT_TRUE(Near(p[0] + p[1], 1, 1e-12));
    }
}

TEST(Simplex, StartsByMovingOneCoordinateAtATime) {
    FunctionObjective objective(Bowl);
    test::ScriptedHost host;
    MinimiserOptions options;
    options.maxEvaluations = 5;
    const Vector start{0, 5e-9, 2, -4};
    TAutoCorr().Run(objective, start, options, host);
    ASSERT_EQ(objective.points.size(), 5u);
    EXPECT_EQ(objective.points[0], start);
    // Near 0 a coordinate moves by 1e-5; otherwise by a factor 0.995 ... 1.005.
    EXPECT_EQ(objective.points[1], (Vector{1e-5, 5e-9, 2, -4}));
    EXPECT_EQ(objective.points[2], (Vector{0, 5e-9 + 1e-5, 2, -4}));
    EXPECT_NEAR(objective.points[3][2], 2, 0.01 + 1e-15);
    EXPECT_NE(objective.points[3][2], 2);
    EXPECT_NEAR(objective.points[4][3], -4, 0.02 + 1e-15);
}

TEST(Minimisers, AStartBelowTheFloorEndsAtOnce) {
    const auto tiny = [](const Vector& x) { return 1e-7 + 1e-9 * (x[0] * x[0] + x[1] * x[1] + x[2] * x[2]); };
    FunctionObjective simplex(tiny);
    test::ScriptedHost host;
    const MinimiserResult s = TAutoCorr().Run(simplex, {0.1, 0.2, 0.3}, MinimiserOptions{}, host);
    EXPECT_EQ(s.evaluations, 4); // the initial simplex only
    FunctionObjective dfp(tiny);
    const MinimiserResult d = TDFPCal().Run(dfp, {0.1, 0.2, 0.3}, MinimiserOptions{}, host);
    EXPECT_LT(d.value, 1e-5);
    EXPECT_LT(d.evaluations, 60); // one gradient and one line search
}

// A host that lets the run go on for a number of questions, then asks it to stop.
class StoppingHost : public test::ScriptedHost {
public:
    explicit StoppingHost(int allowed) : allowed_(allowed) {}
    bool KeepGoing() override { return allowed_-- > 0; }

private:
    int allowed_;
};

TEST(Minimisers, StopEndsTheRunWithTheBestPointSoFar) {
    for (Method method : {Method::Simplex, Method::Dfp}) {
        FunctionObjective objective(Rosenbrock);
        StoppingHost host(40);
        const MinimiserResult result = RunMethod(method, objective, {-1.2, 1}, Tight(), host);
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(result.evaluations, 40);
        // The returned point is one the run evaluated, and no evaluated point was better.
        double best = objective.values.front();
        for (double v : objective.values) best = std::min(best, v);
        EXPECT_LT(result.value, Rosenbrock({-1.2, 1}));
        if (method == Method::Simplex) {
            EXPECT_EQ(result.value, best);
        }
        EXPECT_DOUBLE_EQ(Rosenbrock(result.x), result.value);
    }
}

TEST(Minimisers, TheEvaluationLimitEndsTheRun) {
    for (Method method : {Method::Simplex, Method::Dfp}) {
        FunctionObjective objective(Rosenbrock);
        test::ScriptedHost host;
        MinimiserOptions options = Tight();
        options.maxEvaluations = 25;
        const MinimiserResult result = RunMethod(method, objective, {-1.2, 1}, options, host);
        EXPECT_TRUE(result.capped);
        EXPECT_FALSE(result.stopped);
        EXPECT_EQ(result.evaluations, 25);
        EXPECT_EQ(objective.values.size(), 25u);
    }
}

// The cubic through two points with their slopes is the function itself when that is a cubic.
TEST(Dfp, CubicInterpolationLandsOnTheMinimumOfACubic) {
    struct Cubic {
        double a, b, c, d; // a t^3 + b t^2 + c t + d
        double lo, hi;     // a bracket: slope < 0 at lo, >= 0 at hi
        double minimum;
    };
    // 2t^3 - 9t^2 + 12t + 1: f' = 6 (t - 1)(t - 2), least at 2. t^3 - 3t: least at 1.
    // -t^3 + 6t^2 - 9t: f' = -3 (t - 1)(t - 3), least at 1 (bracket on the left of the maximum at 3).
    for (const Cubic& k : {Cubic{2, -9, 12, 1, 1.5, 3.5, 2}, Cubic{1, 0, -3, 0, 0, 2, 1},
                           Cubic{1, 0, -3, 0, -0.5, 1.7, 1}, Cubic{-1, 6, -9, 0, 0.2, 2.5, 1}}) {
        const auto f = [&](double t) { return ((k.a * t + k.b) * t + k.c) * t + k.d; };
        const auto slope = [&](double t) { return (3 * k.a * t + 2 * k.b) * t + k.c; };
        EXPECT_TRUE(
            Near(CubicStep(k.lo, f(k.lo), slope(k.lo), k.hi, f(k.hi), slope(k.hi)), k.minimum, 1e-12));
    }
    // On a parabola it is exact too.
    EXPECT_TRUE(Near(CubicStep(0, 4, -4, 5, 9, 6), 2, 1e-12)); // (t - 2)^2
}

TEST(Dfp, TheGradientLooksForTheDescendingSide) {
    FunctionObjective objective([](const Vector& x) { return (x[0] - 2) * (x[0] - 2) + 3 * x[1]; });
    test::ScriptedHost host;
    Evaluations f(objective, host, 0);
    const Vector x{1, 0};
    const double f0 = objective.FValue(x);
    // d/dx at 1 is -2: the step up is taken; the one-sided difference is off by the step, 2e-4.
    EXPECT_TRUE(Near(GradientComponent(f, x, 0, f0, 1.0002), -2, 0, 3e-4));
    // y = 0 steps absolutely; a linear function gives its slope.
    EXPECT_TRUE(Near(GradientComponent(f, x, 1, f0, 1.0002), 3, 1e-9));
    // At the minimum both sides are worse at every step: the component is 0.
    const Vector least{2, 1};
    EXPECT_EQ(GradientComponent(f, least, 0, objective.FValue(least), 1.0002), 0);
}

TEST(Minimisers, NoVariableMeansNoSearch) {
    for (Method method : {Method::Simplex, Method::Dfp}) {
        FunctionObjective objective([](const Vector&) { return 2.0; });
        test::ScriptedHost host;
        const MinimiserResult result = RunMethod(method, objective, {}, MinimiserOptions{}, host);
        EXPECT_TRUE(result.x.empty());
        EXPECT_LE(result.evaluations, 1);
    }
}

} // namespace
} // namespace vitrimo
