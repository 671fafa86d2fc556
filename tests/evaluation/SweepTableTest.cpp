#include "evaluation/SweepTable.h"

#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

using test::ScriptedHost;
using Rows = std::vector<std::pair<std::string, std::string>>;

Rows DegreesAndMinutesOf(const SweepTable& table) {
    Rows rows;
    for (int row = 1; row < table.RowCount(); ++row)
        rows.emplace_back(table.Cell(0, row), table.Cell(2, row));
    return rows;
}

TEST(SweepTable, GrowsToTenRowsByTypingAndDeleteNeverEmptiesIt) {
    SweepTable frequencies(SweepTableKind::SpatialFrequencies);
    EXPECT_EQ(frequencies.Frequencies(), std::vector<double>{10});
    ScriptedHost host;
    EXPECT_FALSE(frequencies.DeleteRow(1, host)); // the only row stays, without a question
    EXPECT_TRUE(host.messages.empty());

    SweepTable angles(SweepTableKind::ColouredAngles);
    EXPECT_FALSE(angles.AppendRow()); // not below an empty row
    for (int row = 1; row < SweepTable::kMaxRows; ++row) {
        angles.SetCell(0, row, std::to_string(row));
        angles.SetCell(4, row, row == 1 ? "clRed" : "purple?");
        EXPECT_EQ(angles.AppendRow(), row + 1 < SweepTable::kMaxRows) << row;
    }
    EXPECT_EQ(angles.RowCount(), SweepTable::kMaxRows);
    EXPECT_EQ(angles.Cell(1, 9) + angles.Cell(3, 9), "°'");
    EXPECT_EQ(angles.Colours()[0], colours::Red);
    EXPECT_EQ(angles.Colours()[1], colours::Black); // not a colour name

    host.buttonAnswers = {ButtonCancel, ButtonYes};
    EXPECT_FALSE(angles.DeleteRow(2, host));
    EXPECT_TRUE(angles.DeleteRow(2, host));
    EXPECT_EQ(host.messages, std::vector<std::string>(2, "You delete this Angle ?"));
    EXPECT_EQ(angles.Angles(), (std::vector<double>{1, 3, 4, 5, 6, 7, 8, 9})); // the rows below moved up
}

TEST(SweepTable, GeneratesAnglesUpToTheMaximumWithoutDuplicates) {
    SweepTable table(SweepTableKind::GeneratedAngles);
    ASSERT_FALSE(table.GenerateAngles(10, 2.5));
    EXPECT_EQ(DegreesAndMinutesOf(table),
              (Rows{{"0", "0.0"}, {"2", "30.0"}, {"5", "0.0"}, {"7", "30.0"}, {"10", "0.0"}}));
    ASSERT_FALSE(table.GenerateAngles(7, 2)); // the maximum is not a multiple of the step
    EXPECT_EQ(table.Angles(), (std::vector<double>{0, 2, 4, 6, 7}));
    // Steps of 10 minutes: the sixth is a whole degree, not 0 degrees 60 minutes.
    ASSERT_FALSE(table.GenerateAngles(1, 10.0 / 60));
    EXPECT_EQ(DegreesAndMinutesOf(table), (Rows{{"0", "0.0"},
                                                {"0", "10.0"},
                                                {"0", "20.0"},
                                                {"0", "30.0"},
                                                {"0", "40.0"},
                                                {"0", "50.0"},
                                                {"1", "0.0"}}));

    const SweepTable before = table;
    for (const auto& [max, step] :
         std::vector<std::pair<double, double>>{{10, 0}, {10, -1}, {-5, 1}, {90, 0.01}}) {
        EXPECT_TRUE(table.GenerateAngles(max, step)) << max << " " << step; // 90 / 0.01: too many
        EXPECT_EQ(table, before);
    }
}

TEST(SweepTable, ReadsDegreesAndMinutesWithTheSignOfTheDegreesAndTidiesOnOk) {
    SweepTable table(SweepTableKind::Angles);
    const Rows rows{{"5", "30"}, {"-5", "30"}, {" -0", "30"}, {"2", ""}, {"x", "15"}, {"", "45"}, {"", ""}};
    for (int k = 0; k < static_cast<int>(rows.size()); ++k) {
        if (k > 0) {
            ASSERT_TRUE(table.AppendRow());
        }
        table.SetCell(0, k + 1, rows[k].first);
        table.SetCell(2, k + 1, rows[k].second);
    }
    const std::vector<double> angles{5.5, -5.5, -0.5, 2, 0.25, 0.75};
    EXPECT_EQ(table.Angles(), angles);
    table.Tidy(); // "OK": the empty row goes, the rest is completed
    EXPECT_EQ(table.RowCount(), 7);
    EXPECT_EQ(table.Cell(2, 4) + table.Cell(0, 6), "00");
    EXPECT_EQ(table.Angles(), angles);

    SweepTable emptied(SweepTableKind::SpatialFrequencies);
    emptied.SetCell(0, 1, " ");
    emptied.Tidy();
    EXPECT_EQ(emptied.Frequencies(), std::vector<double>{10});
    EXPECT_EQ(DegreesAndMinutes(-1.25), (std::pair<std::string, std::string>{"-1", "15.0"}));
}

} // namespace
} // namespace vitrimo
