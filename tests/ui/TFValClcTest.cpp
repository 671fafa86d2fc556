// The optimization windows: the conditions dialog, the command with its progress window, Stop, Undo of
// the written result, and the colour balance of the wavelength window.
#include "ui/TFValClc.h"

#include "design/ColourBalance.h"
#include "model/LensFile.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TCorrFactor.h"
#include "ui/TFLensdata.h"
#include "ui/TFWaveLgthSlct.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

class TFValClcTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;
    std::unique_ptr<QTemporaryDir>& dir_ = program_.dir;
    std::unique_ptr<TFLensdata>& main_ = program_.main;
    std::unique_ptr<ProgramWindows>& windows_ = program_.windows;

    void Open(const QString& lensFile) { QVERIFY(program_.Start(host_, lensFile)); }

    bool Settled() { return WaitUntilIdle(main_->Runner(), 120000); }

    static QString Triplet() { return QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/cooke-triplet.ldt"); }

    // Condition Setting, then OK with the boxes as they are.
    void ConfirmConditions() {
        main_->Action("actConditionSetting")->trigger();
        QVERIFY(windows_->Conditions().isVisible());
        QTest::mouseClick(windows_->Conditions().OkButton(), Qt::LeftButton);
        QVERIFY(!windows_->Conditions().isVisible());
    }

private slots:
    void init() {
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
    }
    void cleanup() {
        windows_.reset();
        main_.reset();
    }

    void executeWaitsForTheConditions() {
        Open(Triplet());
        QVERIFY(main_->Action("actConditionSetting")->isEnabled());
        QVERIFY(!main_->Action("actExecute")->isEnabled());
        QVERIFY(!main_->Action("tbOptimization")->isEnabled());
        main_->Action("actConditionSetting")->trigger();
        TCorrFactor& c = windows_->Conditions();
        QCOMPARE(c.windowTitle(), QStringLiteral("Factor"));
        QCOMPARE(c.FactorEdit(0)->text(), QStringLiteral("1")); // Angle
        QCOMPARE(c.FactorEdit(6)->text(), QStringLiteral("1")); // Lens Curvature
        QCOMPARE(c.WeightEdit(3)->text(), QStringLiteral("0.4"));
        QVERIFY(c.ConstFLBox()->isEnabled() && c.ConstFLBox()->isChecked());
        // A positive Angle factor clears Coma, Petzval Sum and Astigmat.
        c.FactorEdit(2)->setText("5");
        c.FactorEdit(0)->clear();
        QTest::keyClicks(c.FactorEdit(0), "2");
        QCOMPARE(c.FactorEdit(2)->text(), QStringLiteral("0"));
        // A box that is not a number keeps the dialog open and says so.
        c.FactorEdit(1)->setText("abc");
        QTest::mouseClick(c.OkButton(), Qt::LeftButton);
        QVERIFY(c.isVisible());
        QVERIFY(host_.messages.last().contains("abc"));
        c.FactorEdit(1)->setText("0.5");
        QTest::mouseClick(c.OkButton(), Qt::LeftButton);
        QVERIFY(!c.isVisible());
        QCOMPARE(c.Conditions().angleFactor, 2.0);
        QCOMPARE(c.Conditions().sphFactor, 0.5);
        QVERIFY(main_->Action("actExecute")->isEnabled());
        QVERIFY(main_->Action("tbOptimization")->isEnabled());
    }

    void theRunIsOneUndoStep() {
        Open(Triplet());
        const std::string before = LensFileText(main_->LensData());
        ConfirmConditions();
        TFValClc& progress = windows_->Progress();
        main_->Action("actExecute")->trigger();
        QVERIFY(progress.Running());
        QVERIFY(progress.isVisible());
        QVERIFY(!main_->Action("actFocalLength")->isEnabled()); // nothing changes the lens meanwhile
        QVERIFY(Settled());
        QVERIFY(!progress.Running());
        QVERIFY(!progress.isVisible());
        const OptimisationResult& result = progress.LastResult();
        QVERIFY(result.Ok());
        QVERIFY(result.run.value < result.meritStart);
        QVERIFY(progress.FminLabel()->text() != QStringLiteral("Fmin =100000"));
        QVERIFY(progress.FLabel()->text().startsWith("F ="));
        // Radii with 4 decimals, distances with 3.
        const Lens& lens = main_->LensData();
        QVERIFY(LensFileText(lens) != before);
        QCOMPARE(QString::fromStdString(lens.Text("r", 2)).section('.', 1).size(), 4);
        QCOMPARE(QString::fromStdString(lens.Text("Distance", 2)).section('.', 1).size(), 3);
        QVERIFY(main_->Action("actUndo")->isEnabled());
        main_->Action("actUndo")->trigger();
        QCOMPARE(LensFileText(main_->LensData()), before);
    }

    void stopKeepsTheBestPointSoFar() {
        Open(Triplet());
        const std::string before = LensFileText(main_->LensData());
        main_->Action("actConditionSetting")->trigger();
        TCorrFactor& c = windows_->Conditions();
        c.StrehlButton()->setChecked(true); // slow enough to stop in the middle
        QTest::mouseClick(c.OkButton(), Qt::LeftButton);
        TFValClc& progress = windows_->Progress();
        QVERIFY(progress.Execute());
        QElapsedTimer timer;
        timer.start();
        while (progress.FLabel()->text() == QStringLiteral("F =") && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::mouseClick(progress.StopButton(), Qt::LeftButton);
        QVERIFY(Settled());
        const OptimisationResult& result = progress.LastResult();
        QVERIFY(result.Ok());
        QVERIFY(result.run.stopped);
        QVERIFY(result.run.value <= result.meritStart);
        // The best point is written, and Undo takes it back.
        QVERIFY(main_->Action("actUndo")->isEnabled());
        main_->Action("actUndo")->trigger();
        QCOMPARE(LensFileText(main_->LensData()), before);
    }

    void aLensWithoutFreeValuesIsRefused() {
        Open(Triplet());
        Lens& lens = main_->LensData();
        for (int row = 2; row <= lens.RowCount() - 1; ++row) {
            lens.SetText("rFix", row, "x");
            lens.SetText("lFix", row, "x");
        }
        lens.MarkChanged();
        main_->Action("actConditionSetting")->trigger();
        QVERIFY(!windows_->Conditions().isVisible());
        QVERIFY(host_.messages.last().contains("Nothing to optimize"));
        QVERIFY(!windows_->Progress().Execute());
        QVERIFY(!main_->Runner().Busy());
    }

    void graphicsButtonOffersTheOtherState() {
        Open(Triplet());
        TFValClc& progress = windows_->Progress();
        QCOMPARE(progress.GraphicsButton()->text(), QStringLiteral("Graphics ON"));
        QTest::mouseClick(progress.GraphicsButton(), Qt::LeftButton);
        QCOMPARE(progress.GraphicsButton()->text(), QStringLiteral("Graphics OFF"));
        QTest::mouseClick(progress.GraphicsButton(), Qt::LeftButton);
        QCOMPARE(progress.GraphicsButton()->text(), QStringLiteral("Graphics ON"));
    }

    void whiteBalanceBringsTheColoursTowardsWhite() {
        Open(Triplet());
        TFWaveLgthSlct& window = windows_->Wavelengths();
        const WavelengthList& list = main_->LensData().Wavelengths();
        // The channel sums of the switched-on colours, over 256, as the balance measures them.
        const auto distance = [&list] {
            double r = 0, g = 0, b = 0;
            for (const Wavelength& w : list.Items()) {
                if (!w.calculate) continue;
                r += RedOf(w.colour) / 256.0;
                g += GreenOf(w.colour) / 256.0;
                b += BlueOf(w.colour) / 256.0;
            }
            const auto folded = [](double v) { return v > 1 ? 1 / v : v; };
            return std::pow(1 - folded(r), 2) + std::pow(1 - folded(g), 2) + std::pow(1 - folded(b), 2);
        };
        const double start = distance();
        QVERIFY(window.WhiteBalanceButton()->isHidden());
        window.WhiteBalanceClick();
        QVERIFY(distance() < start);
        QVERIFY(window.WhiteBalanceButton()->isHidden());
        QVERIFY(!window.ColourButton()->isHidden());
    }
};

QTEST_MAIN(TFValClcTest)
#include "TFValClcTest.moc"
