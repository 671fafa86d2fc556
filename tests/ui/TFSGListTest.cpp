// The angle and frequency table dialog.
#include "ui/TFSGList.h"

#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"

#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

class TFSGListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;
    std::unique_ptr<TFLensdata> main_;
    TFSGList* dialog_ = nullptr;

    // Runs `act` once the dialog's own event loop is running; a failed check in it still ends the dialog.
    void Then(std::function<void()> act) {
        QTimer::singleShot(0, this, [this, act = std::move(act)] {
            act();
            if (dialog_->isVisible()) dialog_->reject();
        });
    }

    QTableWidget* Grid() { return dialog_->Grid(); }
    std::string Cell(int column, int row) { return dialog_->Working().Cell(column, row); }
    void Type(int row, int column, const QString& text) { Grid()->item(row - 1, column)->setText(text); }
    void Key(Qt::Key key) { QTest::keyClick(Grid(), key); }
    // QTest's double-click sends no second press; a real one has it.
    void DoubleClick(int gridRow, int column) {
        const QPoint point = Grid()->visualItemRect(Grid()->item(gridRow, column)).center();
        QTest::mousePress(Grid()->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, point);
    }
    UiHost::NumberAnswer Angle(const char* degrees, const char* minutes) { return {degrees, minutes}; }

private slots:
    void init() {
        benches_.Clear();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
        main_ = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_));
        dialog_ = new TFSGList(*main_);
    }

    void cleanup() {
        main_.reset();
        UseLocale(QLocale::English);
    }

    // The maximum and the interval are asked (the angles themselves: SweepTable.GeneratesAngles...).
    void generatedAnglesEndOnTheMaximumWithoutARepeat() {
        SweepTable table(SweepTableKind::GeneratedAngles);
        host_.numbers = {Angle("10", "0"), Angle("2", "0"), Angle("10", "0"), Angle("2", "30")};
        Then([&] {
            // A double-click anywhere on the table generates it.
            DoubleClick(0, 0);
            QCOMPARE(Grid()->rowCount(), 6);
            QCOMPARE(Grid()->item(5, 0)->text(), QString("10"));
            QCOMPARE(Grid()->item(5, 1)->text(), QString::fromUtf8("°"));
            dialog_->GenerateAngles();
            QCOMPARE(Grid()->rowCount(), 5);
            QTest::mouseClick(dialog_->findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        QVERIFY(dialog_->Edit(table));
        QCOMPARE(table.Angles(), (std::vector<double>{0, 2.5, 5, 7.5, 10}));
        QCOMPARE(host_.prompts, (QStringList{"Max. Insident Angle =", "Interval of Angle Calc. =",
                                             "Max. Insident Angle =", "Interval of Angle Calc. ="}));
        QCOMPARE(host_.dialogTitles.first(), QString("Max. Insident Angle"));
        QCOMPARE(host_.numberDefaults.first(), QString("0"));
    }

    void aWrongIntervalOrAngleChangesNothing() {
        SweepTable table(SweepTableKind::GeneratedAngles);
        host_.numbers = {Angle("10", "0"), Angle("0", "0"), Angle("ten", "0"), Angle("5", "0"), std::nullopt};
        Then([&] {
            dialog_->GenerateAngles(); // interval 0
            dialog_->GenerateAngles(); // not a number: the interval is not asked
            dialog_->GenerateAngles(); // cancelled at the interval
            QCOMPARE(dialog_->Working().DataRowCount(), 1);
            dialog_->reject();
        });
        QVERIFY(!dialog_->Edit(table));
        QCOMPARE(host_.messages.size(), 2);
        QCOMPARE(host_.messages[0], QString("The interval of the angles must be greater than 0"));
        QVERIFY(host_.messages[1].contains("ten"));
        QCOMPARE(host_.prompts.size(), 5);
    }

    void keysMoveBetweenValuesAndAddRowsUpToTen() {
        SweepTable table(SweepTableKind::ColouredAngles);
        Then([&] {
            Grid()->setCurrentCell(0, 0);
            Key(Qt::Key_Right);
            QCOMPARE(Grid()->currentColumn(), 2);
            Key(Qt::Key_Right);
            QCOMPARE(Grid()->currentColumn(), 4);
            Key(Qt::Key_Right);
            QCOMPARE(Grid()->currentColumn(), 4);
            Key(Qt::Key_Left);
            Key(Qt::Key_Left);
            QCOMPARE(Grid()->currentColumn(), 0);

            // An empty last row gets no row after it.
            Key(Qt::Key_Down);
            QCOMPARE(Grid()->rowCount(), 1);
            for (int row = 1; row <= 9; ++row) {
                Type(row, 0, QString::number(row));
                Key(Qt::Key_Down);
            }
            QCOMPARE(Grid()->rowCount(), SweepTable::kMaxRows - 1);
            QCOMPARE(Grid()->currentRow(), 8);
            QTest::mouseClick(dialog_->findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        QVERIFY(dialog_->Edit(table, Wording{"Angle Table", ""}));
        QCOMPARE(dialog_->windowTitle(), QString("Angle Table"));
        QCOMPARE(table.Angles(), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }

    // The button deletes the selected row after a question (the rule: SweepTable.GrowsToTenRows...).
    void deleteAsksAndKeepsTheLastRow() {
        SweepTable table(SweepTableKind::Angles);
        table.SetCell(0, 1, "5");
        table.AppendRow();
        table.SetCell(0, 2, "10");
        host_.buttonAnswers = {ButtonCancel, ButtonYes};
        Then([&] {
            Grid()->setCurrentCell(1, 0);
            QTest::mouseClick(dialog_->DeleteButton(), Qt::LeftButton);
            QCOMPARE(Grid()->rowCount(), 2);
            QTest::mouseClick(dialog_->DeleteButton(), Qt::LeftButton);
            QCOMPARE(Grid()->rowCount(), 1);
            QCOMPARE(Grid()->item(0, 0)->text(), QString("5"));
            dialog_->reject();
        });
        QVERIFY(!dialog_->Edit(table));
        QCOMPARE(host_.messages, QStringList(2, "You delete this Angle ?"));
        QCOMPARE(table.DataRowCount(), 2); // Cancel: as it was
    }

    void okDropsEmptyRowsAndCancelRestoresEverything() {
        SweepTable table(SweepTableKind::SpatialFrequencies);
        const SweepTable original = table;
        Then([&] {
            Type(1, 0, "20");
            Grid()->setCurrentCell(0, 0);
            Key(Qt::Key_Down);
            Key(Qt::Key_Down); // the new row is empty: nothing more
            QCOMPARE(Grid()->rowCount(), 2);
            dialog_->reject();
        });
        QVERIFY(!dialog_->Edit(table));
        QVERIFY(table == original);

        Then([&] {
            Type(1, 0, "20");
            Grid()->setCurrentCell(0, 0);
            Key(Qt::Key_Down);
            Type(2, 0, "");
            Key(Qt::Key_Down);
            QCOMPARE(Grid()->rowCount(), 2);
            Type(1, 0, "");
            Type(2, 0, "40");
            QVERIFY(dialog_->AcceptTable());
        });
        QVERIFY(dialog_->Edit(table));
        QCOMPARE(table.DataRowCount(), 1);
        QCOMPARE(table.Frequencies(), std::vector<double>{40});
        QCOMPARE(table.Cell(1, 1), std::string("clBlack"));
    }

    void aValueThatIsNotANumberKeepsTheDialogOpen() {
        SweepTable table(SweepTableKind::Angles);
        Then([&] {
            Type(1, 0, "5");
            Type(1, 2, "half");
            QVERIFY(!dialog_->AcceptTable());
            QVERIFY(dialog_->isVisible());
            QCOMPARE(Grid()->currentColumn(), 2);
            Type(1, 2, "30");
            QVERIFY(dialog_->AcceptTable());
        });
        QVERIFY(dialog_->Edit(table));
        QCOMPARE(host_.messages, QStringList{"\"half\" is not a number."});
        QCOMPARE(table.Angles(), std::vector<double>{5.5});
    }

    void colourCellsOpenTheColourDialog() {
        SweepTable table(SweepTableKind::SpatialFrequencies);
        host_.colours = {Colour(0x0000FF), Colour(0x00FF00), std::nullopt};
        Then([&] {
            Grid()->setCurrentCell(0, 1);
            Key(Qt::Key_Return);
            QCOMPARE(Cell(1, 1), std::string("clRed"));
            QCOMPARE(Grid()->item(0, 1)->background().color(), QColor(255, 0, 0));
            DoubleClick(0, 1);
            QCOMPARE(Cell(1, 1), std::string("clLime"));
            dialog_->ChooseColour(1); // cancelled
            QCOMPARE(Cell(1, 1), std::string("clLime"));
            QTest::mouseClick(dialog_->findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        QVERIFY(dialog_->Edit(table));
        QCOMPARE(table.Colours(), std::vector<Colour>{colours::Lime});
    }

    void japaneseWording() {
        UseLocale(QLocale::Japanese);
        SweepTable table(SweepTableKind::Angles);
        Then([&] {
            QCOMPARE(dialog_->windowTitle(), QString::fromUtf8("角度"));
            QCOMPARE(dialog_->findChild<QPushButton*>("Cancel")->text(), QString::fromUtf8("キャンセル"));
            dialog_->reject();
        });
        QVERIFY(!dialog_->Edit(table));
    }
};

QTEST_MAIN(TFSGListTest)
#include "TFSGListTest.moc"
