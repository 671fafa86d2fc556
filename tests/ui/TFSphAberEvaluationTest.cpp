// The evaluation tabs of the aberration figure window: the spot diagram, the two wavefront tabs and the
// FFT image are calculated on the runner's thread and show what a calculation without threads gives; a
// defocus step or a reference shift re-evaluates the kept rays; a perfect mirror gives the closed forms.
#include "evaluation/PointSpread.h"
#include "evaluation/SpotDiagram.h"
#include "evaluation/TracedRays.h"
#include "evaluation/Wavefront.h"
#include "model/FaceCommands.h"
#include "model/FileIo.h"
#include "model/IniFile.h"
#include "model/LensFile.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFFTNval.h"
#include "ui/TFLensdata.h"
#include "ui/TFSphAber.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

Q_DECLARE_METATYPE(TFSphAber::Tab)

namespace {

bool Near(double actual, double expected, double relative, double absolute) {
    return std::fabs(actual - expected) <= std::max(absolute, relative * std::fabs(expected));
}

// The number after the label of a read-out ("RMS: 0.1234 λ").
double ReadOutValue(const QString& text) {
    const QString number = text.section(':', 1).trimmed().section(' ', 0, 0);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : std::nan("");
}

// Weighted standard deviation: the smallest RMS about a constant.
double StandardDeviation(const std::vector<double>& values, const std::vector<double>& weights) {
    double sum = 0, weight = 0;
    for (std::size_t k = 0; k < values.size(); ++k) sum += weights[k] * values[k], weight += weights[k];
    const double mean = sum / weight;
    double square = 0;
    for (std::size_t k = 0; k < values.size(); ++k)
        square += weights[k] * (values[k] - mean) * (values[k] - mean);
    return std::sqrt(square / weight);
}

} // namespace

class TFSphAberEvaluationTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;
    std::unique_ptr<QTemporaryDir>& dir_ = program_.dir;
    std::unique_ptr<TFLensdata>& main_ = program_.main;
    std::unique_ptr<ProgramWindows>& windows_ = program_.windows;
    QString lensPath_;

    TFSphAber& Figure() { return windows_->AberrationFigure(); }

    void Open(const QString& lensFile, const QString& settings = QString()) {
        lensPath_ = lensFile;
        QVERIFY(program_.Start(host_, lensFile, settings.toStdString()));
    }

    bool Settled() { return WaitUntilIdle(main_->Runner()); }

    // The FFT size dialog, once it is open: `setUp` on it, then a button.
    void AnswerFftDialog(TFFTNval::Choice choice, std::function<void(TFFTNval&)> setUp = {}) {
        QTimer::singleShot(0, this, [this, choice, setUp] {
            TFFTNval& dialog = Figure().FftDialog();
            QVERIFY(dialog.isVisible());
            if (setUp) setUp(dialog);
            dialog.Button(choice)->click();
        });
    }

    // Types an angle into the degree box and recalculates.
    void CalculateAt(double degrees) {
        Figure().findChild<QLineEdit*>("degreeBox")->setText(QString::number(degrees));
        Figure().findChild<QLineEdit*>("minuteBox")->setText("0");
        Figure().Action("tbRecalculation")->trigger();
        QVERIFY(Settled());
    }

    static QString Sample(const char* name) { return kSourceData + "Lens/" + name; }

    // A fresh workbench on the same lens, prepared as the main window prepares it.
    std::unique_ptr<Workbench> Direct(const QString& lensFile) {
        auto bench = std::make_unique<Workbench>();
        if (!ReadLensFile(bench->LensData(), lensFile.toStdString()).Ok()) return nullptr;
        if (bench->Prepare(host_) != Readiness::Ready) return nullptr;
        bench->BindTracer(host_);
        return bench;
    }

    // The paraboloid of the Cassegrain sample alone, at its focus, without its obscuration: a perfect
    // image on axis, f = 400 mm, entrance pupil 200 mm.
    QString Paraboloid(const QTemporaryDir& folder) {
        Lens lens;
        if (!ReadLensFile(lens, Sample("cassegrain.ldt").toStdString()).Ok()) return QString();
        lens.DeleteFace(3);
        lens.SetText(col::Distance, 2, "400");
        lens.SetText(col::HideDiameter, 2, "0");
        const QString path = folder.filePath("paraboloid.ldt");
        return WriteLensFile(lens, path.toStdString()) ? QString() : path;
    }

private slots:
    void init() { host_ = ScriptedUiHost{}; }
    void cleanup() {
        windows_.reset();
        main_.reset();
    }

    // ---- Each tab on the runner shows the numbers of a calculation without threads ----

    void eachTabShowsTheCalculationWithoutThreads_data() {
        QTest::addColumn<TFSphAber::Tab>("tab");
        QTest::addColumn<QString>("lens");
        QTest::addColumn<double>("angle");
        QTest::newRow("spot, double Gauss, 10°") << TFSphAber::Spot << "double-gauss.ldt" << 10.0;
        QTest::newRow("spot, Cooke triplet, axis") << TFSphAber::Spot << "cooke-triplet.ldt" << 0.0;
        QTest::newRow("wavefront line, double Gauss, 10°")
            << TFSphAber::WavefrontLine << "double-gauss.ldt" << 10.0;
        QTest::newRow("wavefront face, double Gauss, 10°")
            << TFSphAber::WavefrontFace << "double-gauss.ldt" << 10.0;
        QTest::newRow("wavefront face, finite achromat, 2°")
            << TFSphAber::WavefrontFace << "achromat-finite.ldt" << 2.0;
        QTest::newRow("FFT image, double Gauss, axis") << TFSphAber::FftImage << "double-gauss.ldt" << 0.0;
        QTest::newRow("FFT image, Cooke triplet, 5°") << TFSphAber::FftImage << "cooke-triplet.ldt" << 5.0;
    }
    void eachTabShowsTheCalculationWithoutThreads() {
        QFETCH(TFSphAber::Tab, tab);
        QFETCH(QString, lens);
        QFETCH(double, angle);
        Open(Sample(lens.toUtf8().constData()));
        if (tab == TFSphAber::FftImage) AnswerFftDialog(TFFTNval::Choice::Ok);
        Figure().ShowTab(tab);
        QVERIFY(Settled());
        CalculateAt(angle);
        QVERIFY(Figure().HasPlot());
        QCOMPARE(Figure().FieldAngle(), angle);

        const auto bench = Direct(Sample(lens.toUtf8().constData()));
        QVERIFY(bench);
        RayTracer& tracer = bench->Tracer();
        const Lens& data = bench->LensData();
        if (tab == TFSphAber::Spot) {
            const SpotResult direct = ComputeSpot(tracer, data, SpotSettings{angle, 0, 15}, host_);
            const SpotResult& shown = Figure().SpotFigure().spot;
            QVERIFY(direct.valid && shown.valid);
            QCOMPARE(shown.wavelengths.size(), direct.wavelengths.size());
            for (std::size_t w = 0; w < direct.wavelengths.size(); ++w)
                QVERIFY(shown.wavelengths[w].points == direct.wavelengths[w].points);
            QCOMPARE(shown.rmsRadius, direct.rmsRadius);
            QCOMPARE(shown.centroidY, direct.centroidY);
        } else if (tab == TFSphAber::WavefrontLine || tab == TFSphAber::WavefrontFace) {
            WavefrontSettings settings;
            settings.fieldAngle = angle;
            const bool line = tab == TFSphAber::WavefrontLine;
            settings.steps = line ? 30 : 15;
            double lv = 0, rms = 0;
            if (line) {
                const WavefrontLine direct = ComputeWavefrontLine(tracer, data, settings, host_);
                QVERIFY(direct.valid);
                QVERIFY(Figure().WavefrontLineFigure().line.meridional == direct.meridional);
                QVERIFY(Figure().WavefrontLineFigure().line.sagittal == direct.sagittal);
                lv = direct.peakToValley;
                rms = direct.rms;
            } else {
                const WavefrontMap direct = ComputeWavefrontMap(tracer, data, settings, host_);
                QVERIFY(direct.valid);
                QVERIFY(Figure().WavefrontMapFigure().map.opd == direct.opd);
                rms = direct.rms;
                lv = direct.strehl; // the face shows RMS and the Strehl ratio
            }
            // The read-outs beside the figure give the same values.
            const auto [first, second] = Figure().ReadOuts();
            QVERIFY2(first.startsWith(line ? "L-V: " : "RMS: "), qPrintable(first));
            QVERIFY2(second.startsWith(line ? "RMS: " : "StRatio: "), qPrintable(second));
            QVERIFY2(Near(ReadOutValue(first), line ? lv : rms, 1e-3, 1e-4), qPrintable(first));
            QVERIFY2(Near(ReadOutValue(second), line ? rms : lv, 1e-3, 1e-3), qPrintable(second));
        } else {
            PsfSettings settings;
            settings.fieldAngle = angle;
            settings.halfWidth = Figure().SpotScale();
            const PsfResult direct = ComputePsf(tracer, data, settings, host_);
            const PsfResult& shown = Figure().PsfFigure().psf;
            QVERIFY(direct.valid && shown.valid);
            QCOMPARE(shown.settings.fftSize, 256);
            QCOMPARE(shown.settings.pupilDivision, 32);
            QCOMPARE(shown.wavelengths.size(), direct.wavelengths.size());
            QVERIFY(Near(shown.strehl, direct.strehl, 1e-12, 1e-15));
            for (std::size_t w = 0; w < direct.wavelengths.size(); ++w) {
                QCOMPARE(shown.wavelengths[w].image.size(), direct.wavelengths[w].image.size());
                int differing = 0;
                for (std::size_t k = 0; k < direct.wavelengths[w].image.size(); ++k)
                    if (std::abs(shown.wavelengths[w].image[k] - direct.wavelengths[w].image[k]) > 1)
                        ++differing;
                QCOMPARE(differing, 0);
            }
        }
    }

    // ---- The main window's Tool menu opens the tabs ----

    void toolMenuItemsOpenTheirTabs_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<TFSphAber::Tab>("tab");
        QTest::addColumn<QString>("caption");
        QTest::newRow("spot") << "actSpot" << TFSphAber::Spot << "Spot Diagram";
        QTest::newRow("wavefront line")
            << "actWaveLine" << TFSphAber::WavefrontLine << "Spherical Aberration Fig";
        QTest::newRow("wavefront face")
            << "actWaveFace" << TFSphAber::WavefrontFace << "Spherical Aberration Fig";
    }
    void toolMenuItemsOpenTheirTabs() {
        QFETCH(QString, action);
        QFETCH(TFSphAber::Tab, tab);
        QFETCH(QString, caption);
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(main_->Action(action)->isEnabled());
        main_->Action(action)->trigger();
        QVERIFY(Settled());
        QVERIFY(Figure().isVisible());
        QCOMPARE(Figure().CurrentTab(), tab);
        QVERIFY(Figure().HasPlot());
        QCOMPARE(Figure().windowTitle(), caption);
        QVERIFY(Figure().findChild<QTabBar*>()->isTabEnabled(TFSphAber::FftImage));
        // "RMS Cal" only on the face tab; the y and z reference bars on both wavefront tabs.
        QCOMPARE(Figure().findChild<QPushButton*>("rmsCal")->isVisibleTo(&Figure()),
                 tab == TFSphAber::WavefrontFace);
        QCOMPARE(Figure().findChild<QScrollBar*>("shiftYBar")->isVisibleTo(&Figure()),
                 tab != TFSphAber::Spot);
        QCOMPARE(Figure().Action("tbSteps")->toolTip(),
                 QString(tab == TFSphAber::WavefrontLine ? "Step/radius" : "The No. of ray for calc. "));
    }

    // ---- Defocus re-evaluates the kept rays ----

    void defocusMovesTheSpotWithoutTracingAgain() {
        Open(Sample("double-gauss.ldt"));
        Figure().ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        CalculateAt(10);
        const SpotResult before = Figure().SpotFigure().spot;
        const RayBundle& bundle = Figure().Tracer().Bundle();
        const int rays = before.rays->RayCount();
        std::vector<RayRecord> records;
        for (int r = 0; r < rays; ++r) records.push_back(bundle.Record(r, 0, 0));

        Figure().StepDefocus(1);
        Figure().StepDefocus(1);
        QVERIFY(!main_->Runner().Busy()); // nothing was started
        QCOMPARE(Figure().DefocusText(), QString("0.040"));
        for (int r = 0; r < rays; ++r) {
            const RayRecord now = bundle.Record(r, 0, 0);
            QVERIFY(now.x == records[r].x && now.y == records[r].y && now.M == records[r].M);
        }
        // Each point moves along its ray: by 0.04 M/L across in y and 0.04 N/L in z.
        const SpotResult& after = Figure().SpotFigure().spot;
        QCOMPARE(after.defocus, 0.04);
        const int w = before.reference;
        QCOMPARE(after.wavelengths[w].Count(), before.wavelengths[w].Count());
        for (int k = 0; k < before.wavelengths[w].Count(); ++k) {
            const RayRecord& ray = before.rays->wavelengths[w].rays[before.wavelengths[w].rays[k]];
            const auto& p = before.wavelengths[w].points[k];
            const auto& q = after.wavelengths[w].points[k];
            QVERIFY(Near(q[0], p[0] + 0.04 * ray.M / ray.L, 1e-9, 1e-12));
            QVERIFY(Near(q[1], p[1] + 0.04 * ray.N / ray.L, 1e-9, 1e-12));
        }
        // And the same as tracing at that defocus.
        const auto bench = Direct(Sample("double-gauss.ldt"));
        const SpotResult direct =
            ComputeSpot(bench->Tracer(), bench->LensData(), SpotSettings{10, 0.04, 15}, host_);
        QVERIFY(Near(after.rmsRadius, direct.rmsRadius, 1e-9, 1e-12));
    }

    void defocusComputesTheImageAgainFromTheSameRays() {
        Open(Sample("cooke-triplet.ldt"));
        AnswerFftDialog(TFFTNval::Choice::Execute);
        Figure().ShowTab(TFSphAber::FftImage);
        QVERIFY(Settled());
        QVERIFY(Figure().HasPlot());
        const auto trace = Figure().PsfFigure().psf.trace;
        const double strehl = Figure().PsfFigure().psf.strehl;
        QSignalSpy progress(&main_->Runner(), &CalculationRunner::ProgressChanged);
        Figure().StepDefocus(1);
        QVERIFY(main_->Runner().Busy()); // a transform on the runner's thread
        QVERIFY(Settled());
        const PsfResult& after = Figure().PsfFigure().psf;
        QCOMPARE(after.trace.get(), trace.get()); // the same rays
        QCOMPARE(after.settings.defocus, 0.02);
        QVERIFY(after.strehl < strehl); // away from the best focus of a corrected lens
        // The progress bar heard of every wavelength, up to 100 %.
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().at(0).toInt(), 100);
        const auto bench = Direct(Sample("cooke-triplet.ldt"));
        PsfSettings settings;
        settings.defocus = 0.02;
        const PsfResult direct = ComputePsf(bench->Tracer(), bench->LensData(), settings, host_);
        QVERIFY(Near(after.strehl, direct.strehl, 1e-9, 1e-12));
    }

    // ---- A perfect mirror: closed forms ----

    // On axis the paraboloid's wave is a perfect sphere about the focus: L-V, RMS 0, Strehl ratio 1, a
    // PSF whose centre is the diffraction-limited peak. Moving the reference point by dy across tilts the
    // wave: W = -dy y / (rho lambda) for the ray at pupil height (y, z), rho = f + h^2 / 4f its distance
    // from the focus.
    void theReferenceShiftTiltsAPerfectWavefront_data() {
        QTest::addColumn<TFSphAber::Tab>("tab");
        QTest::addColumn<int>("position");
        QTest::newRow("face, no shift") << TFSphAber::WavefrontFace << 0;
        QTest::newRow("face, +0.001 mm") << TFSphAber::WavefrontFace << 1;
        QTest::newRow("face, -0.003 mm") << TFSphAber::WavefrontFace << -3;
        QTest::newRow("line, +0.002 mm") << TFSphAber::WavefrontLine << 2;
        QTest::newRow("line, -0.010 mm") << TFSphAber::WavefrontLine << -10;
    }
    void theReferenceShiftTiltsAPerfectWavefront() {
        QFETCH(TFSphAber::Tab, tab);
        QFETCH(int, position);
        QTemporaryDir folder;
        const QString lens = Paraboloid(folder);
        QVERIFY(!lens.isEmpty());
        Open(lens);
        Figure().ShowTab(tab);
        QVERIFY(Settled());
        QScrollBar* bar = Figure().findChild<QScrollBar*>("shiftYBar");
        QCOMPARE(bar->minimum(), -100);
        QCOMPARE(bar->maximum(), 100);
        const RayRecord chief = Figure().Tracer().Bundle().Record(0, 0, 0);
        bar->setValue(position);
        QVERIFY(!main_->Runner().Busy()); // measured again, not traced
        QCOMPARE(Figure().Tracer().Bundle().Record(0, 0, 0).x, chief.x);
        const double dy = position / 1000.0;
        QCOMPARE(Figure().ReferenceShift().first, dy);
        QCOMPARE(Figure().findChild<QLabel*>("shiftYValue")->text(), QString::number(dy, 'f', 3));

        const double f = 400, lambda = main_->LensData()
                                           .Wavelengths()
                                           .At(main_->LensData().Wavelengths().Reference())
                                           .nanometres *
                                       1e-6;
        const auto opd = [&](double y, double z) {
            return -dy * y / ((f + (y * y + z * z) / (4 * f)) * lambda);
        };
        std::vector<double> values, weights;
        if (tab == TFSphAber::WavefrontFace) {
            // The spot grid: pitch 1.1 x 100 / 15, points within 110 mm; the mirror passes those within 100.
            const double p = 110.0 / 15;
            for (int i = -15; i <= 15; ++i)
                for (int j = -15; j <= 15; ++j)
                    if (std::hypot(i * p, j * p) < 100)
                        values.push_back(opd(i * p, j * p)), weights.push_back(1);
            const WavefrontMap& map = Figure().WavefrontMapFigure().map;
            QVERIFY(map.valid);
            QCOMPARE(map.samples, static_cast<int>(values.size()));
            const double rms = StandardDeviation(values, weights);
            QVERIFY2(Near(map.rms, rms, 0.01, 2e-3), qPrintable(QString("%1 %2").arg(map.rms).arg(rms)));
            const auto [first, second] = Figure().ReadOuts();
            QVERIFY(Near(ReadOutValue(first), rms, 0.01, 2e-3));
            const double strehl = std::exp(-std::pow(2 * M_PI * rms, 2));
            QVERIFY2(Near(ReadOutValue(second), strehl, 0.03, 2e-3), qPrintable(second));
        } else {
            // The upper half of the meridional fan, radius r of S = 30 weighted 1 (r = 0) and 8 r.
            const WavefrontLine& line = Figure().WavefrontLineFigure().line;
            QVERIFY(line.valid);
            for (int r = 0; r <= 30; ++r) {
                if (!line.meridional[30 + r]) continue;
                values.push_back(opd(line.pupilRadius * r / 30.0, 0));
                weights.push_back(r == 0 ? 1 : 8 * r);
            }
            QVERIFY(values.size() >= 30);
            const double lv = *std::max_element(values.begin(), values.end()) -
                              *std::min_element(values.begin(), values.end());
            QVERIFY2(Near(line.peakToValley, lv, 1e-4, 1e-6), qPrintable(QString::number(line.peakToValley)));
            QVERIFY(Near(line.rms, StandardDeviation(values, weights), 0.01, 2e-3));
            QVERIFY(Near(ReadOutValue(Figure().ReadOuts().first), lv, 1e-3, 1e-4));
        }
    }

    void aPerfectMirrorHasAPeakOfOne() {
        QTemporaryDir folder;
        const QString lens = Paraboloid(folder);
        QVERIFY(!lens.isEmpty());
        Open(lens);
        AnswerFftDialog(TFFTNval::Choice::Execute);
        Figure().ShowTab(TFSphAber::FftImage);
        QVERIFY(Settled());
        const PsfResult& psf = Figure().PsfFigure().psf;
        QVERIFY(psf.valid);
        QVERIFY(Near(psf.strehl, 1, 1e-9, 1e-9));
        QVERIFY(Near(MakeIntensityLine(psf, Figure().SpotScale()).peak, 1, 1e-6, 1e-6));
        // The intensity line and its "peak=" are drawn on request.
        QVERIFY(!Figure().PsfFigure().intensityLine);
        Figure().Action("tbIntensity")->trigger();
        QVERIFY(Figure().Action("actIntensity")->isChecked());
        QVERIFY(Figure().PsfFigure().intensityLine);
    }

    // ---- A screen face ----

    // A screen before a perfect (ideal) lens: the quadrant y > 0, z > 0 clear, the other three at level
    // 64 of 255. The peak is the square of the mean amplitude: ((1 + 3 sqrt(64/255)) / 4)^2 of a clear
    // pupil's, at every wavelength. Without its map the face becomes air and the image is perfect.
    void aScreenDimsTheImage_data() {
        QTest::addColumn<QString>("where"); // "folder": screen.txt of the lens folder, "picked", "none"
        QTest::addColumn<double>("strehl");
        const double dim = std::sqrt(64 / 255.0);
        QTest::newRow("screen.txt of the lens folder") << "folder" << std::pow((1 + 3 * dim) / 4, 2);
        QTest::newRow("a map the user picks") << "picked" << std::pow((1 + 3 * dim) / 4, 2);
        QTest::newRow("no map: the face becomes air") << "none" << 1.0;
    }
    void aScreenDimsTheImage() {
        QFETCH(QString, where);
        QFETCH(double, strehl);
        QTemporaryDir folder;
        Lens lens;
        QVERIFY(ReadLensFile(lens, Sample("singlet.ldt").toStdString()).Ok());
        MakeScreen(lens, 2, false);
        lens.SetText(col::R, 2, "0");
        MakeAir(lens, 3);
        lens.SetText(col::GlassName, 3, "Ideal Lens");
        lens.SetText(col::R, 3, "100");
        lens.SetText(col::Distance, 3, "100");
        const QString path = folder.filePath("screened.ldt");
        QVERIFY(!WriteLensFile(lens, path.toStdString()));
        Open(path);
        const QString map = QStringLiteral("1\t4\n1\t1\n");
        const QString dataDir = QString::fromStdString(main_->Directories().dataDir);
        QVERIFY(QDir().mkpath(dataDir));
        if (where == "folder")
            QVERIFY(!WriteFileAtomically((dataDir + "/screen.txt").toStdString(), map.toStdString()));
        if (where == "picked") {
            QVERIFY(!WriteFileAtomically(folder.filePath("mine.txt").toStdString(), map.toStdString()));
            host_.openFiles = {folder.filePath("mine.txt")};
        }
        AnswerFftDialog(TFFTNval::Choice::Execute);
        Figure().ShowTab(TFSphAber::FftImage);
        QVERIFY(Settled());
        QCOMPARE(host_.dialogTitles.contains("Screen File"), where != "folder");
        const PsfResult& psf = Figure().PsfFigure().psf;
        QVERIFY2(psf.valid, psf.status.c_str());
        for (const PsfWavelength& w : psf.wavelengths)
            QVERIFY2(Near(w.strehl, strehl, 1e-5, 1e-6), qPrintable(QString::number(w.strehl)));
        QCOMPARE(main_->LensData().Text(col::GlassName, 2), std::string(where == "none" ? "Air" : "Screen"));
        if (where == "none") QCOMPARE(main_->LensData().Text(col::Remarks, 2), std::string());
    }

    // ---- No ray reaches the image ----

    void noPointShowsTheMessageAndNoNumbers_data() {
        QTest::addColumn<TFSphAber::Tab>("tab");
        QTest::newRow("spot") << TFSphAber::Spot;
        QTest::newRow("wavefront line") << TFSphAber::WavefrontLine;
        QTest::newRow("wavefront face") << TFSphAber::WavefrontFace;
    }
    void noPointShowsTheMessageAndNoNumbers() {
        QFETCH(TFSphAber::Tab, tab);
        Open(Sample("cooke-triplet.ldt"));
        Figure().ShowTab(tab);
        QVERIFY(Settled());
        CalculateAt(75);
        QVERIFY(Figure().HasPlot()); // the figure, with its message
        QCOMPARE(Figure().statusBar()->currentMessage(), QString(kNoPointText));
        if (tab == TFSphAber::Spot) {
            QVERIFY(!Figure().SpotFigure().spot.valid);
            QCOMPARE(Figure().SpotFigure().spot.status, std::string(kNoPointText));
        } else {
            const auto [first, second] = Figure().ReadOuts();
            QCOMPARE(first, QString(tab == TFSphAber::WavefrontLine ? "L-V: " : "RMS: "));
            QCOMPARE(second, QString(tab == TFSphAber::WavefrontLine ? "RMS: " : "StRatio: "));
        }
        // The figure says so.
        QImage image(500, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        Figure().PaintFigure(painter, QRectF(0, 0, 500, 400));
        painter.end();
        QVERIFY(!image.isNull());
    }

    // ---- The FFT size dialog from the window ----

    void theFftDialogDecidesWhatHappens() {
        Open(Sample("cooke-triplet.ldt"));
        Figure().ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        // Cancel on entering: back to the tab before.
        AnswerFftDialog(TFFTNval::Choice::Cancel);
        Figure().findChild<QTabBar*>()->setCurrentIndex(TFSphAber::FftImage);
        QVERIFY(Settled());
        QCOMPARE(Figure().CurrentTab(), TFSphAber::Spot);
        QCOMPARE(Figure().findChild<QTabBar*>()->currentIndex(), static_cast<int>(TFSphAber::Spot));
        QVERIFY(Figure().HasPlot());
        // OK: the sizes kept, the image left to the recalculation button.
        AnswerFftDialog(TFFTNval::Choice::Ok, [](TFFTNval& dialog) {
            dialog.SizeButton(-1)->click();
            dialog.DivisionBox()->setText("11");
        });
        Figure().findChild<QTabBar*>()->setCurrentIndex(TFSphAber::FftImage);
        QVERIFY(!main_->Runner().Busy());
        QCOMPARE(Figure().CurrentTab(), TFSphAber::FftImage);
        QCOMPARE(Figure().FftSize(), 128);
        QCOMPARE(Figure().PupilDivision(), 12);
        QVERIFY(!Figure().HasPlot());
        QCOMPARE(Figure().Hint(), QString("Press calculator icon"));
        QCOMPARE(Figure().windowTitle(), QString("Spot Diagram"));
        Figure().Action("tbRecalculation")->trigger();
        QVERIFY(Settled());
        QVERIFY(Figure().HasPlot());
        QCOMPARE(Figure().PsfFigure().psf.settings.fftSize, 128);
        QCOMPARE(Figure().PsfFigure().psf.settings.pupilDivision, 12);
        // Step/radius on the tab opens it again; Cancel there keeps sizes and picture.
        AnswerFftDialog(TFFTNval::Choice::Cancel, [](TFFTNval& dialog) { dialog.SizeButton(1)->click(); });
        Figure().Action("actSteps")->trigger();
        QCOMPARE(Figure().FftSize(), 128);
        QVERIFY(Figure().HasPlot());
        QVERIFY(host_.integers.empty() && host_.prompts.isEmpty()); // no steps question on this tab
    }

    void brightnessAndItsScales() {
        Open(Sample("cooke-triplet.ldt"));
        AnswerFftDialog(TFFTNval::Choice::Execute);
        Figure().ShowTab(TFSphAber::FftImage);
        QVERIFY(Settled());
        QPushButton* standard = Figure().findChild<QPushButton*>("brightnessDefault");
        QVERIFY(!standard->isVisibleTo(&Figure()));
        Figure().StepBrightness(1);
        Figure().StepBrightness(1);
        QCOMPARE(Figure().Brightness(), 0.25);
        QCOMPARE(Figure().PsfFigure().brightness, 0.25);
        QVERIFY(standard->isVisibleTo(&Figure()));
        Figure().StepBrightness(-1);
        QCOMPARE(Figure().Brightness(), 0.5);
        standard->click();
        QCOMPARE(Figure().Brightness(), 1.0);
        QVERIFY(!standard->isVisibleTo(&Figure()));
        // Log and root exclude each other; the log scale steps by the square root of 2.
        QVERIFY(Figure().Action("actLinearRoot")->isChecked());
        Figure().Action("actLinearLog")->trigger();
        QVERIFY(!Figure().Action("actLinearRoot")->isChecked());
        QVERIFY(!Figure().Action("tbRoot")->isChecked()); // the toolbar twin follows
        QCOMPARE(Figure().statusBar()->currentMessage(), QString("Press calculator icon"));
        Figure().StepBrightness(-1);
        QVERIFY(Near(Figure().Brightness(), std::sqrt(2.0), 1e-15, 0));
        Figure().Action("tbRoot")->trigger(); // root on again: log off, B back to 1
        QVERIFY(Figure().Action("actLinearRoot")->isChecked());
        QVERIFY(!Figure().Action("actLinearLog")->isChecked());
        QCOMPARE(Figure().Brightness(), 1.0);
        // Many steps never reach 0.
        for (int k = 0; k < 2000; ++k) Figure().StepBrightness(1);
        QVERIFY(Figure().Brightness() > 0);
    }

    // ---- Hooks for the MTF window ----

    void theMtfButtonsCallTheirHooks() {
        Open(Sample("cooke-triplet.ldt"));
        const auto wiredRms = Figure().rmsCal, wiredShow = Figure().mtfShow; // the program's own
        QVERIFY(wiredRms && wiredShow);
        Figure().rmsCal = nullptr;
        Figure().mtfShow = nullptr;
        Figure().ShowTab(TFSphAber::WavefrontFace);
        QVERIFY(Settled());
        QPushButton* rms = Figure().findChild<QPushButton*>("rmsCal");
        QPushButton* show = Figure().findChild<QPushButton*>("mtfShow");
        QVERIFY(rms->isVisibleTo(&Figure()));
        QVERIFY(!rms->isEnabled()); // nothing to open yet
        int rmsCalls = 0, showCalls = 0;
        Figure().rmsCal = [&rmsCalls] { ++rmsCalls; };
        Figure().mtfShow = [&showCalls] { ++showCalls; };
        Figure().ShowTab(TFSphAber::WavefrontFace);
        QVERIFY(Settled());
        QVERIFY(rms->isEnabled());
        rms->click();
        QCOMPARE(rmsCalls, 1);
        QVERIFY(!Figure().Action("actMtfCalc")->isEnabled()); // a spot and FFT item
        Figure().ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        QVERIFY(!rms->isVisibleTo(&Figure()));
        QVERIFY(!show->isVisibleTo(&Figure()));
        Figure().Action("actMtfCalc")->trigger();
        QVERIFY(Figure().Action("tbMtfCalc")->isChecked());
        QVERIFY(show->isVisibleTo(&Figure()) && show->isEnabled());
        show->click();
        QCOMPARE(showCalls, 1);
        Figure().rmsCal = wiredRms;
        Figure().mtfShow = wiredShow;
    }

    // ---- Scale, circle, settings ----

    void spotScaleAndCircle() {
        Open(Sample("cooke-triplet.ldt"));
        Figure().ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        QCOMPARE(Figure().ScaleText(), QString("0.05"));
        for (int k = 0; k < 20; ++k) Figure().StepScale(1);
        // Doubled while the focal length (about 100 mm) is not below it: 0.05 x 2^11 = 102.4 when f is
        // below that, 204.8 when it is above.
        const double f = std::fabs(main_->LensData().FocalLength());
        QVERIFY(f > 51.2 && f < 204.8);
        const double largest = f >= 102.4 ? 204.8 : 102.4;
        QCOMPARE(Figure().SpotScale(), largest);
        QCOMPARE(Figure().SpotFigure().halfWidth, largest);
        for (int k = 0; k < 40; ++k) Figure().StepScale(-1);
        QVERIFY(Figure().SpotScale() <= 1e-6 && Figure().SpotScale() > 0.5e-6);
        // The wavefront tabs keep the curve scale.
        QCOMPARE(Figure().CurveScale(), 0.5);

        host_.numbers = {UiHost::NumberAnswer{"0.025", "0"}, UiHost::NumberAnswer{"-1", "0"}};
        Figure().Action("actCircleSize")->trigger();
        QCOMPARE(host_.dialogTitles.last(), QString("Circle radius"));
        QCOMPARE(host_.prompts.last(), QString("Circle radius size ="));
        QCOMPARE(Figure().CircleSize(), 0.025);
        QCOMPARE(Figure().SpotFigure().circleRadius, 0.025);
        Figure().Action("actCircleSize")->trigger();
        QCOMPARE(Figure().CircleSize(), 0.025); // not a positive number: unchanged
        QVERIFY(host_.messages.last().contains("-1"));
        Figure().Action("tbAiry")->trigger();
        QVERIFY(Figure().Action("actDrawAiry")->isChecked());
        QVERIFY(Figure().SpotFigure().drawAiryDisk);
    }

    void spotSettingsComeBack() {
        Open(Sample("singlet.ldt"));
        Figure().ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        host_.integers = {20};
        host_.numbers = {UiHost::NumberAnswer{"0.004", "0"}};
        Figure().Action("actSteps")->trigger();
        QVERIFY(Settled());
        QCOMPARE(host_.dialogTitles.last(), QString("Step/radius"));
        QCOMPARE(Figure().SpotSteps(), 20);
        QCOMPARE(Figure().CurveSteps(), 30);
        QCOMPARE(Figure().SpotFigure().spot.grid.steps, 20);
        Figure().Action("actCircleSize")->trigger();
        Figure().Action("actDrawCircle")->trigger();
        Figure().Action("actDrawAiry")->trigger();
        Figure().Action("tbCross")->trigger();
        IniFile ini;
        Figure().WriteSettings(ini);
        QCOMPARE(ini.ReadString(TFSphAber::kSection, "Draw Circle", ""), std::string("0"));
        QCOMPARE(ini.ReadString(TFSphAber::kSection, "Draw AiryDisk", ""), std::string("1"));
        QCOMPARE(ini.ReadString(TFSphAber::kSection, "Draw Cross Mark", ""), std::string("0"));
        QCOMPARE(ini.ReadFloat(TFSphAber::kSection, "Circle Size", 0), 0.004);
        QCOMPARE(ini.ReadInteger(TFSphAber::kSection, "Step/radius for SpotDiagram", 0), 20);

        Open(Sample("singlet.ldt"), QString::fromStdString(ini.Text()));
        QCOMPARE(Figure().SpotSteps(), 20);
        QCOMPARE(Figure().CircleSize(), 0.004);
        QVERIFY(!Figure().Action("actDrawCircle")->isChecked());
        QVERIFY(!Figure().Action("tbCircle")->isChecked());
        QVERIFY(Figure().Action("actDrawAiry")->isChecked());
        QVERIFY(!Figure().Action("actDrawCross")->isChecked());
        // Back to the defaults: the keys go.
        host_.integers = {15};
        host_.numbers = {UiHost::NumberAnswer{"0.01", "0"}};
        Figure().ShowTab(TFSphAber::Spot);
        QVERIFY(Settled());
        Figure().Action("actSteps")->trigger();
        QVERIFY(Settled());
        Figure().Action("actCircleSize")->trigger();
        for (const char* name : {"actDrawCircle", "actDrawAiry", "actDrawCross"})
            Figure().Action(name)->trigger();
        IniFile again = ini;
        Figure().WriteSettings(again);
        for (const char* key : {"Draw Circle", "Draw AiryDisk", "Draw Cross Mark", "Circle Size",
                                "Step/radius for SpotDiagram"})
            QVERIFY2(!again.HasKey(TFSphAber::kSection, key), key);
        // A circle size that is no length reads as the default.
        Open(Sample("singlet.ldt"), "[Aberration Fig]\nCircle Size=-3\n");
        QCOMPARE(Figure().CircleSize(), 0.01);
    }

    // ---- The view and the saved figure are the painters' pictures ----

    void theViewDrawsTheTabWithItsPainter_data() {
        QTest::addColumn<TFSphAber::Tab>("tab");
        QTest::newRow("spot") << TFSphAber::Spot;
        QTest::newRow("wavefront line") << TFSphAber::WavefrontLine;
        QTest::newRow("wavefront face") << TFSphAber::WavefrontFace;
        QTest::newRow("FFT image") << TFSphAber::FftImage;
    }
    void theViewDrawsTheTabWithItsPainter() {
        QFETCH(TFSphAber::Tab, tab);
        Open(Sample("double-gauss.ldt"));
        if (tab == TFSphAber::FftImage) AnswerFftDialog(TFFTNval::Choice::Execute);
        Figure().ShowTab(tab);
        QVERIFY(Settled());
        QVERIFY(Figure().HasPlot());
        QWidget* view = Figure().findChild<QWidget*>("figureView");
        QVERIFY(view);
        const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage drawn(shown.size(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        switch (tab) {
        case TFSphAber::Spot:
            PaintSpotPlot(painter, QRectF(drawn.rect()), Figure().SpotFigure());
            break;
        case TFSphAber::WavefrontLine:
            PaintWavefrontLinePlot(painter, QRectF(drawn.rect()), Figure().WavefrontLineFigure());
            break;
        case TFSphAber::WavefrontFace:
            PaintWavefrontMapPlot(painter, QRectF(drawn.rect()), Figure().WavefrontMapFigure());
            break;
        default:
            PaintPsfPlot(painter, QRectF(drawn.rect()), Figure().PsfFigure());
            break;
        }
        painter.end();
        QCOMPARE(shown, drawn);

        host_.saveFiles = {dir_->filePath("figure.png")};
        Figure().SaveFigure();
        const QImage saved(dir_->filePath("figure.png"));
        QCOMPARE(saved.size(), shown.size());
    }
};

QTEST_MAIN(TFSphAberEvaluationTest)
#include "TFSphAberEvaluationTest.moc"
