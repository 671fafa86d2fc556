#include "ui/ProgramWindows.h"

#include "model/IniFile.h"
#include "ui/MainWindowSupport.h"
#include "ui/QtHost.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TF3rdAber.h"
#include "ui/TFGlasdata.h"
#include "ui/TFGlsSelect.h"
#include "ui/TFLensdata.h"
#include "ui/TFSGList.h"
#include "ui/TFSphAber.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

// The windows wired into the main window: the commands that open them and what the main window tells them.
class ProgramWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;
    std::unique_ptr<TFLensdata> main_;
    std::unique_ptr<ProgramWindows> windows_;

private slots:
    void init() {
        benches_.Clear();
        dir_ = std::make_unique<QTemporaryDir>();
        host_ = ScriptedUiHost{};
        QVERIFY(PlaceLastData(*dir_, kSourceData + "Lens/cooke-triplet.ldt"));
        main_ = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_, kSourceData));
        windows_ = std::make_unique<ProgramWindows>(*main_);
        main_->show();
    }

    void cleanup() {
        windows_.reset();
        main_.reset();
    }

    // Windows that the settings do not place open cascaded from the main window, not on top of each
    // other; each lies on the screen.
    void windowsOpenCascaded() {
        main_->Action("actThirdOrder")->trigger();
        main_->Action("tbSphericalCurve")->trigger();
        std::vector<QPoint> corners;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || window == main_.get()) continue;
            for (const QPoint& other : corners)
                QVERIFY2(window->pos() != other, qPrintable(window->objectName()));
            corners.push_back(window->pos());
        }
        QVERIFY(corners.size() >= 2);
    }

    // The aberration window's boxes are wide enough for their longest values in a large font.
    void boxesDoNotClipTheirText() {
        TFSphAber& figure = windows_->AberrationFigure();
        QFont big = figure.font();
        big.setPointSize(20);
        figure.setFont(big);
        figure.resize(1600, 900);
        figure.show();
        const std::pair<const char*, QString> boxes[] = {{"defocusBox", "-12.345"},
                                                         {"degreeBox", "-45"},
                                                         {"minuteBox", "59.9"},
                                                         {"scaleBox", "0.00390625"}};
        for (const auto& [name, text] : boxes) {
            auto* box = figure.findChild<QLineEdit*>(name);
            QVERIFY(box);
            box->setText(text);
            QVERIFY2(box->width() >= box->fontMetrics().horizontalAdvance(text) + 4, name);
        }
    }

    // A message from a window is shown over that window, not over the main window behind it.
    void dialogsBelongToTheActiveWindow() {
        QtHost host(QString{});
        host.SetParent(main_.get());
        QCOMPARE(host.DialogParent(),
                 QApplication::activeWindow() ? QApplication::activeWindow() : main_.get());
        TFSphAber& figure = windows_->AberrationFigure();
        figure.show();
        QApplication::setActiveWindow(&figure);
        QCOMPARE(host.DialogParent(), static_cast<QWidget*>(&figure));
        figure.close();
        QApplication::setActiveWindow(main_.get());
        QCOMPARE(host.DialogParent(), static_cast<QWidget*>(main_.get()));
    }

    void aDoubleClickOnAGlassNameOpensTheChooser() {
        QVERIFY(!windows_->GlassChooser().isVisible());
        main_->CellDoubleClicked(main_->LensData().Column(col::GlassName), 3);
        QVERIFY(windows_->GlassChooser().isVisible());
        windows_->GlassChooser().close();
        // On the object row it is the light source instead.
        host_.choices = {1};
        main_->CellDoubleClicked(main_->LensData().Column(col::GlassName), 1);
        QVERIFY(!windows_->GlassChooser().isVisible());
        QCOMPARE(host_.dialogTitles.last(), QString("Light Source"));
    }

    void theDataMenuOpensAMakersCatalogue() {
        for (const char* name : {"actSumita", "actOhara", "actHoya", "actSchott"})
            QVERIFY2(main_->Action(name)->isEnabled(), name); // the shipped catalogues are found
        main_->SetCurrentCell(main_->LensData().Column(col::R), 4);
        main_->Action("actSchott")->trigger();
        QVERIFY(windows_->GlassData().isVisible());
        QCOMPARE(main_->CurrentCell().first, main_->LensData().Column(col::GlassName));
        windows_->GlassData().close();
    }

    void theThirdOrderTableOpensAndCloses() {
        QVERIFY(main_->Action("actThirdOrder")->isEnabled());
        main_->Action("actThirdOrder")->trigger();
        QVERIFY(windows_->ThirdOrder().isVisible());
        QCOMPARE(windows_->ThirdOrder().Table().Cells().back()[0], std::string("SUM"));
        main_->FileNew(); // a new table: the window of the old one goes
        QVERIFY(!windows_->ThirdOrder().isVisible());
        QVERIFY(!main_->Action("actThirdOrder")->isEnabled());
    }

    void mtfAngleAsksTheFrequencyAndTheAngles() {
        host_.textAnswers = {"many"};
        QVERIFY(!windows_->MtfAnglePrompts());
        QVERIFY(host_.messages.last().contains("many"));
        QCOMPARE(host_.prompts.last(), QString("Max. Spatial Freq.(Line/mm) = "));
        host_.textAnswers = {"150"};
        QTimer::singleShot(0, [this] {
            QTest::mouseClick(windows_->AngleTable().findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        const auto request = windows_->MtfAnglePrompts();
        QVERIFY(request);
        QCOMPARE(request->maxFrequency, 150.0);
        QCOMPARE(request->angles, std::vector<double>{0});
        QCOMPARE(windows_->AngleTable().windowTitle(), QString("MTF Calc. Angle"));
    }

    void saveInifileWritesTheWindowsSections() {
        windows_->ThirdOrder().setGeometry(40, 60, 500, 300);
        main_->Inifile1Click();
        const IniFile ini = IniFile::Load(dir_->filePath("vitrimo.ini").toStdString());
        QCOMPARE(ini.ReadInteger("ThAberCoef", "Width", 0), 500);
    }
};

QTEST_MAIN(ProgramWindowsTest)
#include "ProgramWindowsTest.moc"
