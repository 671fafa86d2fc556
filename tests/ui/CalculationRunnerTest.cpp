// Calculations off the window thread: the windows stay responsive, every command that could change the
// lens waits, Stop is felt at once, and the result is the one computed without threads.
#include "ui/CalculationRunner.h"

#include "engine/AberrationCurves.h"
#include "model/LensFile.h"
#include "ui/MainWindowSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFGlsSelect.h"
#include "ui/TFLensdata.h"
#include "ui/TFSphAber.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

using namespace vitrimo;
using namespace vitrimo::test;

class CalculationRunnerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;
    std::unique_ptr<TFLensdata> main_;
    std::unique_ptr<ProgramWindows> windows_;

    void Open(const char* sample) {
        QVERIFY(PlaceLastData(*dir_, kSourceData + "Lens/" + sample));
        main_ = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_, kSourceData));
        windows_ = std::make_unique<ProgramWindows>(*main_);
        main_->show();
    }

    bool Settled(int milliseconds = 30000) {
        QElapsedTimer timer;
        timer.start();
        while (main_->Runner().Busy() && timer.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        return !main_->Runner().Busy();
    }

    // What the worker's host saw: the thread's processor time between two questions whether to go on
    // (independent of how busy the machine is), and whether it went on once asked to stop.
    struct Watch {
        std::atomic<double> longestGap{0}; // seconds of the worker's processor time
        std::atomic<bool> stopAsked{false};
        std::atomic<int> goneOnAfterStop{0};
        std::atomic<int> questions{0};
    };

    // The worker's host, watched.
    class WatchingHost : public Host {
    public:
        WatchingHost(Host& inner, Watch& watch) : inner_(inner), watch_(watch) {}
        std::optional<std::string> AskText(const Wording& c, const Wording& p,
                                           const std::string& d) override {
            return inner_.AskText(c, p, d);
        }
        Button Ask(MessageKind kind, const Wording& text, Buttons buttons, int topic) override {
            return inner_.Ask(kind, text, buttons, topic);
        }
        bool KeepGoing() override {
            timespec now{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
            const double seconds = now.tv_sec + now.tv_nsec * 1e-9;
            // The work is shared by several threads: each gap is taken on one thread's own clock, from
            // that thread's previous question.
            {
                std::lock_guard lock(mutex_);
                double& last = last_[std::this_thread::get_id()];
                if (last > 0 && seconds - last > watch_.longestGap) watch_.longestGap = seconds - last;
                last = seconds;
            }
            ++watch_.questions;
            const bool stopAsked = watch_.stopAsked;
            const bool go = inner_.KeepGoing();
            if (go && stopAsked) ++watch_.goneOnAfterStop;
            return go;
        }

    private:
        Host& inner_;
        Watch& watch_;
        std::mutex mutex_;
        std::map<std::thread::id, double> last_;
    };

    // A trace of a million rays through the double Gauss on the program's tracer: long enough to be
    // stopped in the middle of a surface.
    void StartLongTrace(bool* finished, Watch* watch = nullptr) {
        main_->PrepareForCalculation();
        main_->Bench().BindTracer(host_);
        RayTracer* tracer = &main_->Bench().Tracer();
        const bool started = main_->Runner().Start<TraceOutcome>(
            main_.get(),
            [tracer, watch](Host& runnerHost) {
                std::optional<WatchingHost> watching;
                if (watch) watching.emplace(runnerHost, *watch);
                Host& host = watching ? static_cast<Host&>(*watching) : runnerHost;
                tracer->SetTracedWavelengths(tracer->Bound() ? std::vector<int>{5} : std::vector<int>{});
                tracer->AllocateBundle(1'000'000);
                for (int r = 0; r < 1'000'000; ++r)
                    tracer->SetStart(r, tracer->StartRay((r % 1000) * 0.01, 0));
                TraceOutcome outcome;
                for (int k = 0; k < 1000 && outcome.completed; ++k) outcome = tracer->TraceAll(host);
                return outcome;
            },
            [finished](TraceOutcome) { *finished = true; });
        QVERIFY(started);
    }

private slots:
    void init() {
        windows_.reset();
        main_.reset();
        benches_.Clear();
        dir_ = std::make_unique<QTemporaryDir>();
        host_ = ScriptedUiHost{};
    }
    void cleanup() {
        windows_.reset();
        main_.reset();
    }

    void whileItRunsTheWindowsRespondAndTheLensIsLockedStopIsPrompt() {
        Open("double-gauss.ldt");
        bool finished = false;
        Watch watch;
        StartLongTrace(&finished, &watch);
        QVERIFY(main_->Runner().Busy());

        // The window keeps processing events: a timer ticks while the trace runs.
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(5);
        QElapsedTimer clock;
        clock.start();
        // (and the trace is well under way: it has asked whether to go on a few dozen times).
        while ((ticks < 10 || watch.questions < 30) && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QVERIFY(ticks >= 10);
        QVERIFY(watch.questions >= 30);
        QVERIFY(main_->Runner().Busy());

        // Commands that change the lens or calculate wait; looking and copying do not.
        for (const char* name : {"actOpen", "actNew", "actSave", "actPaste", "actCut", "actInsertFace",
                                 "actDeleteFace", "actFocalLength", "actThirdOrder", "tbSphericalCurve"})
            QVERIFY2(!main_->Action(name)->isEnabled(), name);
        QVERIFY(main_->Action("actCopy")->isEnabled());
        const QModelIndex cell = main_->TableModel()->IndexOf(main_->LensData().Column(col::R), 2);
        QVERIFY(!(main_->TableModel()->flags(cell) & Qt::ItemIsEditable));
        QVERIFY(!windows_->GlassChooser().isEnabled());
        QVERIFY(!windows_->AberrationFigure().Action("tbRecalculation")->isEnabled());
        const std::string before = main_->LensData().Text(col::R, 2);
        main_->CellDoubleClicked(main_->LensData().Column(col::GlassName), 2); // no glass chooser
        QVERIFY(!windows_->GlassChooser().isVisible());

        // Stop ends it within 100 ms: the trace asks whether to go on at least every 100 ms of each
        // working thread's processor time (in fact every few hundred microseconds), and stops at the first
        // question after Stop. (Measured in processor time, so that a machine loaded by other work does
        // not make the test fail; the wall-clock time is bounded loosely as a guard against a hang.)
        clock.restart();
        watch.stopAsked = true;
        main_->Runner().Stop();
        QVERIFY(Settled(5000));
        qInfo(
            "Stop took %lld ms of wall-clock time; the longest work between two of %d questions was %.3f ms",
            static_cast<long long>(clock.elapsed()), watch.questions.load(), watch.longestGap * 1e3);
        QVERIFY2(watch.longestGap < 0.1, qPrintable(QString::number(watch.longestGap)));
        QCOMPARE(watch.goneOnAfterStop.load(), 0);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(finished); // the stopped result still comes back
        QCOMPARE(main_->LensData().Text(col::R, 2), before);
        QVERIFY(main_->Action("actOpen")->isEnabled());
        QVERIFY(main_->Action("actThirdOrder")->isEnabled());
        QVERIFY(main_->TableModel()->flags(cell) & Qt::ItemIsEditable);
        QVERIFY(windows_->GlassChooser().isEnabled());
    }

    // The curves the window shows, computed on the runner's thread, are those of a calculation without
    // threads, number for number.
    void theResultIsTheOneComputedWithoutThreads() {
        Open("cooke-triplet.ldt");
        TFSphAber& figure = windows_->AberrationFigure();
        for (TFSphAber::Tab tab : {TFSphAber::Longitudinal, TFSphAber::Transverse}) {
            figure.ShowTab(tab);
            QVERIFY(Settled());
            QVERIFY(figure.HasPlot());

            Workbench bench;
            QVERIFY(
                ReadLensFile(bench.LensData(), (kSourceData + "Lens/cooke-triplet.ldt").toStdString()).Ok());
            QCOMPARE(bench.Prepare(host_), Readiness::Ready);
            bench.BindTracer(host_);
            CurveSettings settings;
            settings.steps = figure.CurveSteps();
            const CurveResult direct =
                ComputeCurve(bench.Tracer(),
                             tab == TFSphAber::Longitudinal ? CurveKind::Longitudinal : CurveKind::Transverse,
                             settings, host_);
            QVERIFY(direct.Ok());
            QVERIFY(figure.Plot().curve.values == direct.values);
            QVERIFY(figure.Plot().curve.abscissa == direct.abscissa);
        }
    }

    // Closing the aberration window, or the program, during a calculation stops it; nothing is left
    // running and nothing crashes.
    void closingStopsTheCalculation() {
        Open("double-gauss.ldt");
        TFSphAber& figure = windows_->AberrationFigure();
        figure.ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        bool finished = false;
        StartLongTrace(&finished);
        figure.close(); // not its calculation: it goes on
        QVERIFY(main_->Runner().Busy());
        host_.buttonAnswers = {ButtonNo};
        QElapsedTimer clock;
        clock.start();
        main_->close();
        QVERIFY(!main_->Runner().Busy());
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(!finished); // dropped, not delivered to a closing window
        windows_.reset();
        main_.reset();

        // Destroying the windows in the middle of a calculation is safe too.
        init();
        Open("double-gauss.ldt");
        StartLongTrace(&finished);
        windows_.reset();
        main_.reset();
    }
};

QTEST_MAIN(CalculationRunnerTest)
#include "CalculationRunnerTest.moc"
