#include "ui/TFSphAber.h"

#include "evaluation/SweepTable.h"
#include "model/FileIo.h"
#include "model/IniFile.h"
#include "model/LensFile.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

class TFSphAberTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;
    std::unique_ptr<QTemporaryDir>& dir_ = program_.dir;
    std::unique_ptr<TFLensdata>& main_ = program_.main;
    std::unique_ptr<ProgramWindows>& windows_ = program_.windows;

    TFSphAber& Figure() { return windows_->AberrationFigure(); }

    void Open(const QString& lensFile, const QString& settings = QString()) {
        QVERIFY(program_.Start(host_, lensFile, settings.toStdString()));
    }

    // Waits until the calculation the last command started on the runner's thread has come back.
    bool Settled() { return WaitUntilIdle(main_->Runner(), 30000); }

    static QString Sample(const char* name) {
        return QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/") + name;
    }

private slots:
    void init() { host_ = ScriptedUiHost{}; }
    void cleanup() {
        windows_.reset();
        main_.reset();
    }

    void theMainWindowOpensItOnTheRightTabAndTabsRecalculate() {
        Open(Sample("cooke-triplet.ldt"), "[Aberration Fig]\nMax Angle for AS & DS=20\n");
        main_->Action("tbSphericalCurve")->trigger();
        QVERIFY(Settled());
        QVERIFY(Figure().isVisible());
        QCOMPARE(Figure().CurrentTab(), TFSphAber::Longitudinal);
        QVERIFY(Figure().HasPlot());
        QCOMPARE(Figure().Plot().kind, CurveKind::Longitudinal);
        QCOMPARE(Figure().windowTitle(), QString("Spherical Aberration Fig"));
        Figure().findChild<QTabBar*>()->setCurrentIndex(TFSphAber::Astigmatism);
        QVERIFY(Settled());
        QCOMPARE(Figure().Plot().kind, CurveKind::Astigmatism);
        QCOMPARE(Figure().AngleTexts().first, QString("20")); // the field tabs show the maximum angle
        main_->Action("actDistortion")->trigger();
        QVERIFY(Settled());
        QCOMPARE(Figure().Plot().kind, CurveKind::Distortion);
        QVERIFY(Figure().findChild<QTabBar*>()->isTabEnabled(TFSphAber::Spot));
        QCOMPARE(Figure().Action("actSteps")->text(), QString("Step/Angle"));
    }

    void aParaboloidDrawsAVerticalLineAtZero() {
        QTemporaryDir folder;
        Lens lens;
        QVERIFY(ReadLensFile(lens, Sample("cassegrain.ldt").toStdString()).Ok());
        // Only the paraboloid, at its focus.
        lens.DeleteFace(3);
        lens.SetText(col::Distance, 2, "400");
        lens.SetText(col::HideDiameter, 2, "0");
        QVERIFY(!WriteLensFile(lens, folder.filePath("paraboloid.ldt").toStdString()));
        Open(folder.filePath("paraboloid.ldt"));
        Figure().ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        QVERIFY(Figure().HasPlot());
        for (const auto& values : Figure().Plot().curve.values)
            for (const auto& value : values) {
                QVERIFY(value);
                QVERIFY(std::fabs(*value) < 1e-9);
            }
        // Drawn: at the height of the middle ray the curve covers the zero line.
        QImage image(600, 400, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintAberrationPlot(painter, QRectF(0, 0, 600, 400), Figure().Plot());
        painter.end();
        int coloured = 0;
        for (int x = 0; x < 600; ++x) {
            const QColor c = image.pixelColor(x, 200);
            if (c.saturation() > 80) ++coloured;
        }
        QVERIFY2(coloured >= 1 && coloured <= 6,
                 qPrintable(QString::number(coloured))); // one thin line, not a spread
    }

    void scaleDoublesAndHalvesWithinItsLimits() {
        Open(Sample("cooke-triplet.ldt"));
        Figure().ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        for (int k = 0; k < 20; ++k) Figure().StepScale(1);
        // Doubling stops once the scale reaches the focal length (about 100 mm): 0.5 * 2^8 = 128.
        QCOMPARE(Figure().CurveScale(), 128.0);
        QCOMPARE(Figure().Plot().scale, 128.0);
        for (int k = 0; k < 40; ++k) Figure().StepScale(-1);
        QVERIFY(Figure().CurveScale() <= 1e-5 && Figure().CurveScale() > 0.5e-5);
        Figure().ShowTab(TFSphAber::Distortion);
        QVERIFY(Settled());
        for (int k = 0; k < 20; ++k) Figure().StepScale(1);
        QCOMPARE(Figure().DistortionScale(), 512.0); // doubled while below 500 %
    }

    void defocusMovesTheFansWithoutTracingAgain() {
        Open(Sample("cooke-triplet.ldt"));
        Figure().ShowTab(TFSphAber::Transverse);
        QVERIFY(Settled());
        const auto before = Figure().Plot().curve.values;
        const RayRecord ray = Figure().Tracer().Bundle().Record(3, 0, 0);
        Figure().StepDefocus(1);
        QCOMPARE(Figure().DefocusText(), QString("0.020"));
        QCOMPARE(Figure().Tracer().Bundle().Record(3, 0, 0).y, ray.y); // the same rays
        // A ray crossing the image plane at slope M/L moves by 0.02 M/L against the chief ray.
        const auto& after = Figure().Plot().curve.values;
        const RayRecord chief = Figure().Tracer().Bundle().Record(0, 0, 0);
        const double expected = *before[0][2] + 0.02 * (ray.M / ray.L - chief.M / chief.L);
        QVERIFY(after[0][2]);
        QVERIFY(std::fabs(*after[0][2] - expected) < 1e-12);
        Figure().StepDefocus(-1);
        QCOMPARE(Figure().DefocusText(), QString("0.000"));
    }

    void angleSteppingAndTheAngleTable() {
        Open(Sample("cooke-triplet.ldt"),
             "[Aberration Fig]\nAngle Interval=0.5\nAngle No.=3\nAngleNo.1=0\nAngleNo.2=5\n"
             "AngleNo.3=10.25\n");
        Figure().ShowTab(TFSphAber::Transverse);
        QVERIFY(Settled());
        Figure().StepAngle(1);
        QVERIFY(Settled());
        QCOMPARE(Figure().AngleTexts(), std::make_pair(QString("0"), QString("30.0")));
        QCOMPARE(Figure().Plot().fieldAngle, 0.5);
        QCOMPARE(Figure().AngleTable().Angles(), (std::vector<double>{0, 5, 10.25}));
        QPushButton* next = Figure().findChild<QPushButton*>();
        QVERIFY(next->isEnabled());
        Figure().NextAngle();
        QVERIFY(Settled());
        QCOMPARE(Figure().FieldAngle(), 5.0);
        Figure().NextAngle();
        QVERIFY(Settled());
        QCOMPARE(Figure().AngleTexts(), std::make_pair(QString("10"), QString("15.0")));
        QCOMPARE(next->text(), QString("Start"));
        Figure().NextAngle();
        QVERIFY(Settled());
        QCOMPARE(Figure().FieldAngle(), 0.0);
        QCOMPARE(next->text(), QString("Next"));
    }

    void settingsComeBackAsTheyWereSaved() {
        Open(Sample("singlet.ldt"));
        IniFile empty;
        Figure().WriteSettings(empty);
        for (const auto& key : empty.Keys(TFSphAber::kSection))
            QVERIFY2(key == "Left" || key == "Top" || key == "Width" || key == "Height", key.c_str());

        host_.integers = {3, 12};
        Figure().ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        Figure().Action("actPenWidth")->trigger();
        Figure().Action("actSteps")->trigger();
        QVERIFY(Settled());
        host_.colours = {0x202020u};
        Figure().Action("actBackground")->trigger();
        host_.numbers = {UiHost::NumberAnswer{"2", "30"}, UiHost::NumberAnswer{"0.05", "0"}};
        Figure().Action("actAngleInterval")->trigger();
        Figure().Action("actDefocusInterval")->trigger();
        main_->LensData().Wavelengths().SetCalculate(main_->LensData().Wavelengths().Find("i"), true);
        IniFile ini;
        Figure().WriteSettings(ini);
        QCOMPARE(ini.ReadInteger(TFSphAber::kSection, "PenWidth", 0), 3);
        QCOMPARE(ini.ReadInteger(TFSphAber::kSection, "Step/radius", 0), 12);
        QCOMPARE(ini.ReadString(TFSphAber::kSection, "Background Color", ""), std::string("$00202020"));
        QCOMPARE(ini.ReadFloat(TFSphAber::kSection, "Angle Interval", 0), 2.5);
        QCOMPARE(ini.ReadFloat(TFSphAber::kSection, "Defocus Interval", 0), 0.05);
        QCOMPARE(ini.ReadString(TFSphAber::kSection, "WaveLength Checked 11", ""), std::string("1"));
        QVERIFY(!ini.HasKey(TFSphAber::kSection, "Draw Circle"));

        Open(Sample("singlet.ldt"), QString::fromStdString(ini.Text()));
        QCOMPARE(Figure().CurveSteps(), 12);
        IniFile again;
        Figure().WriteSettings(again);
        for (const char* key : {"PenWidth", "Step/radius", "Background Color", "Angle Interval",
                                "Defocus Interval", "WaveLength Checked 11"})
            QCOMPARE(again.ReadString(TFSphAber::kSection, key, "-"),
                     ini.ReadString(TFSphAber::kSection, key, "+"));
    }

    void withoutAnImageNothingIsDrawn() {
        QTemporaryDir folder;
        Lens lens;
        QVERIFY(ReadLensFile(lens, Sample("singlet.ldt").toStdString()).Ok());
        lens.SetText(col::GlassName, 2, "Ideal Lens");
        lens.SetText(col::R, 2, "-40");
        QVERIFY(!WriteLensFile(lens, folder.filePath("negative.ldt").toStdString()));
        Open(folder.filePath("negative.ldt"));
        Figure().ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        QCOMPARE(host_.messages.last(), QString("No fucus point exist!"));
        QVERIFY(!Figure().HasPlot());
    }

    void theFigureCanBeSaved() {
        Open(Sample("achromat.ldt"));
        Figure().ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        host_.saveFiles = {dir_->filePath("figure.png")};
        Figure().SaveFigure();
        QImage saved(dir_->filePath("figure.png"));
        QVERIFY(!saved.isNull());
        QVERIFY(saved.width() >= 200 && saved.height() >= 150);
        host_.saveFiles = {dir_->filePath("figure.svg")};
        Figure().SaveFigure();
        QFile svg(dir_->filePath("figure.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
    }
};

QTEST_MAIN(TFSphAberTest)
#include "TFSphAberTest.moc"
