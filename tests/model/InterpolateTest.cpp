#include "model/Interpolate.h"

#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace vitrimo {
namespace {

using Points = std::vector<std::pair<double, double>>;

void ExpectValues(int method, std::vector<float> x, std::vector<float> y, const Points& expected) {
    TInterpolate f(method);
    ASSERT_TRUE(f.SetNodes(x, y));
    for (const auto& [at, value] : expected) EXPECT_TRUE(test::Near(f.Value(at), value, 1e-7, 1e-7)) << at;
}

TEST(TInterpolate, ThreeMethodsByHandWithExtrapolationAndDescendingAbscissas) {
    // Linear: below the first node the first segment's line, above the last the last one's.
    const Points linear{{0.5, 1}, {2, 2.5}, {-1, -2}, {5, 4}};
    ExpectValues(TInterpolate::Linear, {0, 1, 3}, {0, 2, 3}, linear);
    ExpectValues(TInterpolate::Linear, {3, 1, 0}, {3, 2, 0}, linear);

    // Quadratic through (0,0), (1,1), (2,0), (3,1): between nodes k and k+1 the parabola about node
    // k+1 (through k, k+1, k+2), the last one also beyond: 1 - (x-1)^2 up to x = 1, (x-2)^2 after.
    ExpectValues(TInterpolate::Quadratic, {0, 1, 2, 3}, {0, 1, 0, 1},
                 {{-1, -3}, {0.5, 0.75}, {1.5, 0.25}, {2.5, 0.25}, {4, 4}});
    // Listed the other way round, "next" follows the list: between x = 2 and 1 the parabola about 1.
    ExpectValues(TInterpolate::Quadratic, {3, 2, 1, 0}, {1, 0, 1, 0},
                 {{1.5, 0.75}, {2.5, 0.25}, {0.5, 0.75}});

    // Natural cubic spline through (0,0), (1,1), (2,0): sigma_1 = -1/2, so S = 1.5 x - 0.5 x^3 on [0,1]
    // and S = 1 - 1.5 t^2 + 0.5 t^3 (t = x - 1) on [1,2], continued beyond the ends.
    const Points cubic{{0.5, 0.6875}, {1.5, 0.6875}, {0.25, 0.3671875}, {2.5, -0.6875}, {3, -1}, {-1, -1}};
    ExpectValues(TInterpolate::Cubic, {0, 1, 2}, {0, 1, 0}, cubic);
    ExpectValues(TInterpolate::Cubic, {2, 1, 0}, {0, 1, 0}, cubic);
    // Through points of a line the natural spline is that line.
    ExpectValues(TInterpolate::Cubic, {0, 0.5, 2, 2.5, 4}, {1, 2, 5, 6, 9}, {{-1, -1}, {1, 3}, {3.3, 7.6}});
}

TEST(TInterpolate, EveryMethodPassesThroughEveryNode) {
    // Equal steps exact in binary (found by the spacing) and not (0.1), uneven steps, descending.
    std::vector<std::vector<float>> abscissas(4);
    for (int k = 0; k < 40; ++k) {
        abscissas[0].push_back(static_cast<float>(-20 + 0.5 * k));
        abscissas[1].push_back(static_cast<float>(360 + 0.1 * k));
        abscissas[2].push_back(static_cast<float>(k * k * 0.37 + k));
        abscissas[3].push_back(static_cast<float>(830 - 5 * k));
    }
    for (int method : {0, 1, 2})
        for (const auto& x : abscissas) {
            std::vector<float> y;
            for (std::size_t k = 0; k < x.size(); ++k)
                y.push_back(static_cast<float>(std::cos(0.7 * k) * 100));
            TInterpolate f(method);
            ASSERT_TRUE(f.SetNodes(x, y));
            for (std::size_t k = 0; k < x.size(); ++k)
                EXPECT_TRUE(test::Near(f.Value(x[k]), y[k], 1e-5, 1e-4))
                    << "method " << method << " node " << k;
        }
}

TEST(TInterpolate, FewNodesAndInvalidNodes) {
    for (int method : {0, 1, 2}) {
        ExpectValues(method, {2, 4}, {1, 5}, {{5, 7}}); // two nodes: the line
        ExpectValues(method, {3}, {1.5}, {{100, 1.5}}); // one node: a constant
        TInterpolate f(method);
        EXPECT_EQ(f.Value(1), 0); // no nodes
        for (const auto& [x, y] :
             std::vector<std::pair<std::vector<float>, std::vector<float>>>{{{}, {}},
                                                                            {{1, 2}, {1}},
                                                                            {{1, 1, 2}, {0, 1, 2}},
                                                                            {{1, 3, 2}, {0, 1, 2}},
                                                                            {{1, NAN}, {0, 1}}}) {
            EXPECT_FALSE(f.SetNodes(x, y));
            EXPECT_EQ(f.Value(1.5), 0);
        }
    }
    TInterpolate f(TInterpolate::Cubic);
    ASSERT_TRUE(f.SetNodes(std::vector<float>{0, 1}, std::vector<float>{0, 1}));
    f.SetMethod(TInterpolate::Linear); // forgets the nodes
    EXPECT_EQ(f.NodeCount(), 0);
    EXPECT_THROW(f.SetMethod(3), std::invalid_argument);
}

} // namespace
} // namespace vitrimo
