#include "ui/TFMTF.h"

#include "engine/RayTracer.h"
#include "model/FileIo.h"
#include "model/IniFile.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"
#include "ui/TFSGList.h"
#include "ui/TFSphAber.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

class TFMTFTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;
    std::unique_ptr<QTemporaryDir>& dir_ = program_.dir;
    std::unique_ptr<TFLensdata>& main_ = program_.main;
    std::unique_ptr<ProgramWindows>& windows_ = program_.windows;

    TFMTF& Mtf() { return windows_->Mtf(); }

    void Open(const QString& lensFile, const QString& settings = QString()) {
        QVERIFY(program_.Start(host_, lensFile, settings.toStdString()));
    }

    // Waits until the calculation the last command started on the runner's thread has come back.
    bool Settled() { return WaitUntilIdle(main_->Runner()); }

    // Presses OK in the angle and frequency table dialog once it is open.
    void AcceptTableDialog() {
        QTimer::singleShot(0, [this] {
            QTest::mouseClick(windows_->AngleTable().findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
    }

    static QString Sample(const char* name) {
        return QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/") + name;
    }

    static SweepTable Angles(std::initializer_list<const char*> degrees) {
        SweepTable table(SweepTableKind::GeneratedAngles);
        int row = 1;
        for (const char* value : degrees) {
            if (row > 1) table.AppendRow();
            table.SetCell(table.ValueColumn(), row, value);
            table.SetCell(table.MinutesColumn(), row, "0");
            ++row;
        }
        return table;
    }

    static QStringList FileLines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = file.readAll();
        QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
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

    void theMainWindowCommandAsksAndSweepsTheAngles() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(main_->Action("actMtfAngle")->isEnabled());
        Mtf().AngleTable() = Angles({"0", "10", "20"});
        main_->Bench().Tracer().Context().fieldAngle = 2.5; // the aberration window's angle
        host_.textAnswers = {"150"};
        AcceptTableDialog();
        main_->Action("actMtfAngle")->trigger();
        QVERIFY(Settled());
        QVERIFY(Mtf().isVisible());
        QCOMPARE(host_.prompts.last(), QString("Max. Spatial Freq.(Line/mm) = "));
        QCOMPARE(windows_->AngleTable().windowTitle(), QString("MTF Calc. Angle"));
        QCOMPARE(Mtf().CurrentTab(), TFMTF::AngleTab);
        QCOMPARE(Mtf().Tabs()->currentIndex(), int(TFMTF::AngleTab));
        QVERIFY(Mtf().HasResult());
        const MtfResult& result = Mtf().Result();
        QVERIFY(result.valid);
        QCOMPARE(result.kind, MtfSweepKind::Angle);
        QCOMPARE(result.settings.maxFrequency, 150.0);
        QCOMPARE(result.points.size(), std::size_t(3));
        QCOMPARE(result.points[2].fieldAngle, 20.0);
        QVERIFY(std::fabs(result.points[0].modulus[0].front() - 1) < 1e-9);
        QCOMPARE(main_->Bench().Tracer().Context().fieldAngle, 2.5);
        QVERIFY(Mtf().findChild<QPushButton*>("recalcButton")->isVisible());

        // Save: the angles in the header, 100 rows of five columns.
        host_.saveFiles = {dir_->filePath("angles.txt")};
        Mtf().SaveResult();
        const QStringList lines = FileLines(dir_->filePath("angles.txt"));
        QCOMPARE(lines.size(), 101);
        QCOMPARE(lines[0],
                 QString::fromLatin1("line/mm\tMTF(Mer)0.00\xDF\tMTF(Sag)0.00\xDF\tMTF(Mer)10.00\xDF\t"
                                     "MTF(Sag)10.00\xDF\tMTF(Mer)20.00\xDF\tMTF(Sag)20.00\xDF"));
        for (int r = 1; r <= 100; ++r) QCOMPARE(lines[r].split('\t').size(), 7);
        QCOMPARE(lines[100].split('\t').front(), QString("150"));
    }

    void theFrequencyTabComesFromEitherSourceAndSaves() {
        Open(Sample("cooke-triplet.ldt"));
        Mtf().ShowFromSpotDiagram(5, 0.01, 10);
        // The calculation runs on the runner's thread: meanwhile the window waits.
        QVERIFY(main_->Runner().Busy());
        QVERIFY(!Mtf().Button("saveButton")->isEnabled());
        QVERIFY(!Mtf().Tabs()->isEnabled());
        QVERIFY(Mtf().Button("stopButton")->isEnabled());
        QVERIFY(Settled());
        QCOMPARE(Mtf().Source(), OtfSource::Geometric);
        QVERIFY(Mtf().Result().valid);
        QCOMPARE(Mtf().Result().kind, MtfSweepKind::Frequency);
        QCOMPARE(Mtf().Result().points[0].fieldAngle, 5.0);
        QCOMPARE(Mtf().Result().points[0].defocus, 0.01);
        QCOMPARE(Mtf().Result().settings.spotSteps, 10);
        QVERIFY(Mtf().Button("saveButton")->isEnabled());
        QVERIFY(!Mtf().findChild<QPushButton*>("recalcButton")->isVisible());

        host_.saveFiles = {dir_->filePath("frequency.txt")};
        Mtf().SaveResult();
        const QStringList lines = FileLines(dir_->filePath("frequency.txt"));
        QCOMPARE(lines.size(), 101);
        QCOMPARE(lines[0], QString("line/mm\tMTF(Mer)\tMTF(Sag)"));
        QCOMPARE(lines[1].split('\t').front(), QString("2"));

        Mtf().ShowFromPsf(0, 0, 128, 32);
        QVERIFY(Settled());
        QCOMPARE(Mtf().Source(), OtfSource::Diffraction);
        QCOMPARE(Mtf().Result().settings.fftSize, 128);
        QCOMPARE(Mtf().Result().points[0].wavelengths.size(), std::size_t(7));

        // OTF' shows the real part, and its axis reaches below zero.
        Mtf().SetPart(OtfPart::Real);
        QCOMPARE(Mtf().Plot().part, OtfPart::Real);
        QCOMPARE(Mtf().AxisMinimum(), -100.0);
        Mtf().SetPart(OtfPart::Modulus);
        QCOMPARE(Mtf().AxisMinimum(), 0.0);
    }

    void theFocusTabAsksItsSweep() {
        Open(Sample("double-gauss.ldt"));
        Mtf().ShowFromSpotDiagram(0, 0, 8);
        QVERIFY(Settled());
        // Cancel keeps the tab and the result.
        Mtf().Tabs()->setCurrentIndex(TFMTF::FocusTab);
        QCOMPARE(Mtf().CurrentTab(), TFMTF::FrequencyTab);
        QCOMPARE(Mtf().Tabs()->currentIndex(), int(TFMTF::FrequencyTab));
        // A word that is not a number is told, nothing changes.
        host_.textAnswers = {"abc"};
        Mtf().Tabs()->setCurrentIndex(TFMTF::FocusTab);
        QVERIFY(host_.messages.last().contains("abc"));
        QCOMPARE(Mtf().CurrentTab(), TFMTF::FrequencyTab);

        host_.textAnswers = {"-0.05", "0.025", "5"};
        Mtf().Tabs()->setCurrentIndex(TFMTF::FocusTab);
        QVERIFY(Settled());
        QCOMPARE(host_.prompts.mid(host_.prompts.size() - 3),
                 QStringList({"Focus Calc. from(mm) = ", "Focus Calc. interval(mm) = ",
                              "The No. of Focus Calc. = "}));
        QCOMPARE(Mtf().CurrentTab(), TFMTF::FocusTab);
        const MtfResult& result = Mtf().Result();
        QCOMPARE(result.kind, MtfSweepKind::Focus);
        QCOMPARE(result.points.size(), std::size_t(5));
        for (int i = 0; i < 5; ++i)
            QVERIFY(std::fabs(result.points[i].defocus - (-0.05 + 0.025 * i)) < 1e-12);

        // A double-click on the graph reads the MTF out at a focus position.
        host_.textAnswers = {"0.02"};
        Mtf().ReadOutAt(0.03);
        QVERIFY(Settled());
        QCOMPARE(host_.prompts.last(), QString("(mm) = "));
        QCOMPARE(Mtf().CurrentTab(), TFMTF::FrequencyTab);
        QCOMPARE(Mtf().Result().points[0].defocus, 0.02);

        // 'Reset': one focus position and one angle.
        Mtf().AngleTable() = Angles({"3", "6"});
        Mtf().ResetSweeps();
        QVERIFY(Settled());
        QCOMPARE(Mtf().Focus().count, 1);
        QCOMPARE(Mtf().AngleTable().Angles(), std::vector<double>{3});
    }

    // The aberration window's buttons open the MTF of what it shows, at its angle, defocus and grid.
    void theAberrationWindowsButtonsOpenTheMtfOfItsPicture() {
        Open(Sample("cooke-triplet.ldt"));
        TFSphAber& figure = windows_->AberrationFigure();
        figure.ShowTab(TFSphAber::WavefrontFace);
        QVERIFY(Settled());
        figure.findChild<QPushButton*>("rmsCal")->click();
        QVERIFY(Settled());
        QVERIFY(Mtf().isVisible());
        QVERIFY(Mtf().StrehlMode());
        QCOMPARE(Mtf().Result().settings.fieldAngle, figure.FieldAngle());
        QCOMPARE(Mtf().Result().settings.defocus, figure.Defocus());
        QCOMPARE(Mtf().Result().settings.spotSteps, figure.SpotSteps());

        figure.ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        figure.Action("actMtfCalc")->trigger();
        QPushButton* show = figure.findChild<QPushButton*>("mtfShow");
        QVERIFY(show->isVisibleTo(&figure) && show->isEnabled());
        show->click();
        QVERIFY(Settled());
        QVERIFY(!Mtf().StrehlMode());
        QCOMPARE(Mtf().Result().settings.source, OtfSource::Geometric);
        QCOMPARE(Mtf().Tabs()->tabText(0), QString("Spatial Frequency"));
        QCOMPARE(Mtf().Result().settings.spotSteps, figure.SpotSteps());
    }
    void theStrehlModeShowsTheWeightedStrehlRatio() {
        Open(Sample("cooke-triplet.ldt"));
        Mtf().ShowStrehlMode(0, 0);
        QVERIFY(Settled());
        QVERIFY(Mtf().StrehlMode());
        QCOMPARE(Mtf().Tabs()->tabText(0), QString("Strehl Ratio"));
        QCOMPARE(Mtf().windowTitle(), QString("MTF - Strehl Ratio"));
        const MtfResult& result = Mtf().Result();
        QVERIFY(result.valid);
        QVERIFY(result.settings.strehl);
        double sum = 0, weighted = 0;
        for (const OtfWavelength& w : result.points[0].wavelengths) {
            QVERIFY(w.strehl > 0 && w.strehl <= 1);
            QVERIFY(std::fabs(w.strehl - std::exp(-std::pow(2 * M_PI * w.rms, 2))) < 1e-12);
            sum += w.weight;
            weighted += w.weight * w.strehl;
        }
        QVERIFY(std::fabs(result.points[0].strehl - weighted / sum) < 1e-12);
        QVERIFY(!Mtf().Button("saveButton")->isEnabled()); // Save writes MTF curves only

        // The angle tab asks only the angles.
        Mtf().AngleTable() = Angles({"0", "14"});
        AcceptTableDialog();
        Mtf().Tabs()->setCurrentIndex(TFMTF::AngleTab);
        QVERIFY(Settled());
        QCOMPARE(windows_->AngleTable().windowTitle(), QString("S Ratio Calc. Angle"));
        QCOMPARE(Mtf().Result().points.size(), std::size_t(2));
        // The MTF opens in its own mode again.
        Mtf().ShowFromSpotDiagram(0, 0);
        QVERIFY(Settled());
        QCOMPARE(Mtf().Tabs()->tabText(0), QString("Spatial Frequency"));
    }

    void theWeightEditorTakesAWeightFromTheMouse() {
        Open(Sample("cooke-triplet.ldt"));
        Mtf().ShowFromSpotDiagram(0, 0, 8);
        QVERIFY(Settled());
        Mtf().resize(900, 640);
        const std::vector<double> before = Mtf().Weights();
        const int d = main_->LensData().Wavelengths().Find("d");
        QCOMPARE(before[d], 0.95);

        Mtf().Button("spectrumButton")->click();
        QVERIFY(Mtf().EditingSpectrum());
        QVERIFY(Mtf().Button("okButton")->isVisible());
        QVERIFY(!Mtf().Button("modulusButton")->isVisible());
        QVERIFY(!Mtf().Button("spectrumButton")->isVisible());
        QWidget* view = Mtf().FigureWidget();
        const auto drag = [&](double to) {
            const PlotMapping m = SpectralWeightMapping(QRectF(view->rect()), Mtf().SpectrumPlot());
            const auto& entry = Mtf().SpectrumPlot().entries[d];
            const QPoint from(qRound(m.X(entry.nanometres)), qRound(m.Y(entry.weight)));
            const QPoint target(qRound(m.X(entry.nanometres)) + 3, qRound(m.Y(to)));
            QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
            QTest::mouseMove(view, (from + target) / 2);
            QTest::mouseMove(view, target);
            QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, target);
            return m.y.high / m.plot.height(); // one pixel of weight
        };
        const double pixel = drag(0.3);
        QVERIFY(std::fabs(Mtf().SpectrumPlot().entries[d].weight - 0.3) <= pixel);
        Mtf().Button("cancelButton")->click(); // Cancel: the weights stay
        QVERIFY(!Mtf().EditingSpectrum());
        QCOMPARE(Mtf().Weights(), before);

        Mtf().BeginSpectrumEditing();
        drag(0.3);
        const double edited = Mtf().SpectrumPlot().entries[d].weight;
        Mtf().Button("okButton")->click();
        QCOMPARE(Mtf().Weights()[d], edited);
        QVERIFY(Mtf().Button("modulusButton")->isVisible());
        // The result in hand is weighed again at once.
        QCOMPARE(Mtf().Result().points[0].wavelengths[2].weight, edited); // r C d: the third traced
        QCOMPARE(Mtf().Result().settings.weights[d], edited);
    }

    void settingsComeBackAsTheyWereSaved() {
        Open(Sample("cooke-triplet.ldt"),
             "[MTF]\nndFactor=0.5\nniFactor=0.25\nSpectrumRight=900\nMTFgraphMax=300\n");
        const WavelengthList& list = main_->LensData().Wavelengths();
        QCOMPARE(Mtf().Weights()[list.Find("d")], 0.5);
        QCOMPARE(Mtf().Weights()[list.Find("i")], 0.25);
        QCOMPARE(Mtf().Weights()[list.Find("F")], 1.0);
        QCOMPARE(Mtf().AxisFrequency(), 300.0);
        Mtf().BeginSpectrumEditing();
        QCOMPARE(Mtf().SpectrumPlot().longest, 900.0);
        QCOMPARE(Mtf().SpectrumPlot().shortest, 350.0);
        Mtf().SetEditedWeight(list.Find("e"), 0.125);
        Mtf().SetEditedWeight(list.Find("i"), 0);
        Mtf().EndSpectrumEditing(true);

        main_->Inifile1Click();
        const IniFile ini = IniFile::Load(dir_->filePath("vitrimo.ini").toStdString());
        QCOMPARE(ini.ReadFloat("MTF", "neFactor", -1), 0.125);
        QCOMPARE(ini.ReadFloat("MTF", "ndFactor", -1), 0.5);
        QCOMPARE(ini.ReadFloat("MTF", "SpectrumRight", -1), 900.0);
        QCOMPARE(ini.ReadFloat("MTF", "MTFgraphMax", -1), 300.0);
        // Values equal to their defaults are not written.
        for (const char* key : {"niFactor", "nFFactor", "ntFactor", "SpectrumLeft"})
            QVERIFY2(!ini.HasKey("MTF", key), key);
        QVERIFY(ini.HasKey("MTF", "Width"));

        Open(Sample("cooke-triplet.ldt"), QString::fromStdString(ini.Text()));
        const WavelengthList& again = main_->LensData().Wavelengths();
        QCOMPARE(Mtf().Weights()[again.Find("e")], 0.125);
        QCOMPARE(Mtf().Weights()[again.Find("i")], 0.0);
    }

    void axesAndLabelsAskTheirValues() {
        Open(Sample("cooke-triplet.ldt"));
        Mtf().ShowFromSpotDiagram(0, 0, 8);
        QVERIFY(Settled());
        host_.numbers = {UiHost::NumberAnswer{"120", "0"}, UiHost::NumberAnswer{"20", "0"}};
        Mtf().AskAxisEnd();
        Mtf().AskAxisStart();
        QCOMPARE(host_.dialogTitles.mid(host_.dialogTitles.size() - 2),
                 QStringList({"Max. Spatial Frequency", "Min. OTF Value"}));
        QCOMPARE(Mtf().AxisFrequency(), 120.0);
        QCOMPARE(Mtf().AxisMinimum(), 20.0);
        QCOMPARE(Mtf().Plot().axisFrequency, 120.0);

        host_.numbers = {UiHost::NumberAnswer{"7", "30"}};
        Mtf().AskAngle();
        QVERIFY(Settled());
        QCOMPARE(Mtf().FieldAngle(), 7.5);
        QCOMPARE(Mtf().Result().points[0].fieldAngle, 7.5);
        host_.numbers = {UiHost::NumberAnswer{"x", "0"}};
        Mtf().AskDefocus();
        QVERIFY(host_.messages.last().contains("\"x\""));
        QCOMPARE(Mtf().Defocus(), 0.0);
    }

    void aResetTableClosesTheWindow() {
        Open(Sample("cooke-triplet.ldt"));
        Mtf().ShowFromSpotDiagram(0, 0, 8);
        QVERIFY(Settled());
        QVERIFY(Mtf().isVisible());
        main_->FileNew();
        QVERIFY(!Mtf().isVisible());
        QVERIFY(!main_->Action("actMtfAngle")->isEnabled());
    }
};

QTEST_MAIN(TFMTFTest)
#include "TFMTFTest.moc"
