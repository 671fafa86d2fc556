#include "evaluation/PupilGrid.h"

#include "support/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace vitrimo {
namespace {

using test::Near;

// The points (i, j) with i^2 + j^2 < limit, counted directly.
int LatticePointsInside(int steps, bool rimIncluded) {
    int count = 0;
    for (int i = -steps; i <= steps; ++i)
        for (int j = -steps; j <= steps; ++j)
            if (i * i + j * j < steps * steps || (rimIncluded && i * i + j * j == steps * steps)) ++count;
    return count;
}

TEST(PupilGrid, SpotGridCoversTheWidenedDiscInLoopOrder) {
    for (const auto& [diameter, steps] :
         std::vector<std::pair<double, int>>{{40, 2}, {22, 15}, {10, 40}, {3.7, 7}}) {
        const SpotGrid grid = MakeSpotGrid(diameter, steps);
        // Every point strictly inside the circle is there; those exactly on it may be admitted by rounding.
        EXPECT_GE(grid.PointCount(), LatticePointsInside(steps, false)) << steps;
        EXPECT_LE(grid.PointCount(), LatticePointsInside(steps, true)) << steps;
        EXPECT_TRUE(Near(grid.pitch, 1.1 * diameter / 2 / steps, 1e-15));
        std::set<std::pair<int, int>> cells;
        for (int k = 0; k < grid.PointCount(); ++k) {
            const auto [i, j] = grid.cells[k];
            cells.insert({i, j});
            EXPECT_TRUE(Near(grid.coordinates[k][0], i * grid.pitch, 1e-15));
            EXPECT_TRUE(Near(grid.coordinates[k][1], j * grid.pitch, 1e-15));
            if (k > 0) { // meridional index outer, sagittal inner
                const auto [pi, pj] = grid.cells[k - 1];
                EXPECT_TRUE(pi < i || (pi == i && pj < j));
            }
        }
        // Symmetric about both axes.
        for (const auto& [i, j] : cells) {
            EXPECT_TRUE(cells.count({-i, j}));
            EXPECT_TRUE(cells.count({i, -j}));
        }
    }
    // Two steps: the nine points inside, plus the four on the rim when rounding admits them.
    const int s2 = MakeSpotGrid(40, 2).PointCount();
    EXPECT_TRUE(s2 == 9 || s2 == 13) << s2;
    EXPECT_EQ(MakeSpotGrid(40, 0).PointCount(), 0);
    EXPECT_EQ(MakeSpotGrid(0, 15).PointCount(), 0);
}

TEST(PupilGrid, PsfGridHoldsHalfIntegerCellsInFftOrder) {
    for (const int n : {2, 8, 32, 64}) {
        const double diameter = 25;
        const PsfGrid grid = MakePsfGrid(diameter, n);
        ASSERT_EQ(grid.division, n);
        EXPECT_TRUE(Near(grid.pitch, 1.1 * diameter / n, 1e-15));
        // Half-integer cells (k + 1/2, l + 1/2) inside the circle of radius N/2 cells.
        int expected = 0;
        for (int k = -n / 2; k < n / 2; ++k)
            for (int l = -n / 2; l < n / 2; ++l)
                if ((k + 0.5) * (k + 0.5) + (l + 0.5) * (l + 0.5) < n * n / 4.0) ++expected;
        EXPECT_EQ(grid.PointCount(), expected) << n;
        int next = 1;
        for (int row = 0; row < n; ++row)
            for (int column = 0; column < n; ++column) {
                const int ray = grid.RayAt(row, column);
                if (ray < 0) continue;
                EXPECT_EQ(ray, next++); // numbered in map order
                const int oy = row < n / 2 ? row : row - n, oz = column < n / 2 ? column : column - n;
                EXPECT_TRUE(Near(grid.coordinates[ray - 1][0], (oy + 0.5) * grid.pitch, 1e-15));
                EXPECT_TRUE(Near(grid.coordinates[ray - 1][1], (oz + 0.5) * grid.pitch, 1e-15));
            }
    }
    // The four cells around the pupil centre sit at the corners of the map.
    const PsfGrid grid = MakePsfGrid(10, 8);
    for (const auto& [row, column] : std::vector<std::pair<int, int>>{{0, 0}, {0, 7}, {7, 0}, {7, 7}})
        EXPECT_GT(grid.RayAt(row, column), 0);
    EXPECT_EQ(grid.RayAt(4, 4), -1);           // offset (-4 + 1/2, -4 + 1/2): outside the disc
    EXPECT_EQ(MakePsfGrid(10, 7).division, 0); // odd: no grid
}

} // namespace
} // namespace vitrimo
