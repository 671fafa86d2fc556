#include "ui/TFCrossSection.h"

#include "model/FileIo.h"
#include "model/IniFile.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

class TFCrossSectionTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;
    std::unique_ptr<QTemporaryDir>& dir_ = program_.dir;
    std::unique_ptr<TFLensdata>& main_ = program_.main;
    std::unique_ptr<ProgramWindows>& windows_ = program_.windows;

    TFCrossSection& Window() { return windows_->CrossSection(); }

    void Open(const QString& lensFile, const QString& settings = QString()) {
        QVERIFY(program_.Start(host_, lensFile, settings.toStdString()));
    }

    bool Settled() { return WaitUntilIdle(main_->Runner()); }

    // Opens the window from the main window's command and waits for the drawing.
    bool OpenWindow() {
        main_->Action("actCrossSection")->trigger();
        return Settled() && Window().isVisible();
    }

    static QString Sample(const char* name) {
        return QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/") + name;
    }

    // Pixels of the figure that are neither white nor grey.
    static int ColouredPixels(const QImage& image, QColor colour) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
                    std::abs(c.blue() - colour.blue()) < 40)
                    ++count;
            }
        return count;
    }

    static SweepTable Angles(std::initializer_list<std::pair<const char*, const char*>> rows) {
        SweepTable table(SweepTableKind::ColouredAngles);
        int row = 1;
        for (const auto& [degrees, colour] : rows) {
            if (row > 1) table.AppendRow();
            table.SetCell(table.ValueColumn(), row, degrees);
            table.SetCell(table.MinutesColumn(), row, "30");
            table.SetCell(table.ColourColumn(), row, colour);
            ++row;
        }
        return table;
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

    void theMainWindowCommandOpensTheDrawing() {
        Open(Sample("cooke-triplet.ldt"));
        QAction* command = main_->Action("actCrossSection");
        QVERIFY(command->isEnabled());
        QVERIFY(OpenWindow());
        QCOMPARE(Window().windowTitle(), QString("Cross Section"));
        QVERIFY(Window().HasResult());
        const CrossSectionResult& result = Window().Result();
        QVERIFY(result.valid);
        QVERIFY(result.error.empty());
        QVERIFY(!result.cannotDraw);
        QCOMPARE(result.rays.size(), std::size_t(8)); // the chief ray and 7 across the pupil, one angle
        QCOMPARE(result.faces.size(), std::size_t(7));
        QCOMPARE(result.stopSurface, 5);
        // The axial bundle reaches the image plane whole: the chief ray on the axis, the others in pairs
        // mirrored about it.
        for (const DrawnRay& ray : result.rays) {
            QVERIFY(!ray.lost);
            QVERIFY(ray.reachedImage);
            QCOMPARE(ray.points.size(), std::size_t(9)); // the start, seven faces, the image
        }
        QVERIFY(std::fabs(result.rays[0].points.back().y) < 1e-9);
        for (int r = 1; r <= 7; ++r) {
            const DrawPoint a = result.rays[r].points.back(), b = result.rays[8 - r].points.back();
            QVERIFY(std::fabs(a.y + b.y) < 1e-9);
            QVERIFY(std::fabs(a.z - b.z) < 1e-9);
        }
        // The window shows it: black outlines and rays on white.
        Window().resize(800, 560);
        QCoreApplication::processEvents();
        const QImage image = Window().FigureWidget()->grab().toImage();
        QVERIFY(ColouredPixels(image, Qt::black) > 1000);
        QVERIFY(ColouredPixels(image, Qt::white) > image.width() * image.height() / 2);
        QVERIFY(host_.messages.isEmpty());
    }

    void anglesAndColoursFromTheTable() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(OpenWindow());
        Window().AngleTable() = Angles({{"0", "clRed"}, {"14", "clBlue"}});
        Window().Calculate();
        QVERIFY(Settled());
        const CrossSectionResult& result = Window().Result();
        QCOMPARE(result.settings.angles.size(), std::size_t(2));
        QCOMPARE(result.settings.angles[1].degrees, 14.5);
        QCOMPARE(result.rays.size(), std::size_t(16));
        for (const DrawnRay& ray : result.rays)
            QCOMPARE(ray.colour, ray.angle == 0 ? colours::Red : colours::Blue);
        Window().resize(800, 560);
        QCoreApplication::processEvents();
        const QImage image = Window().FigureWidget()->grab().toImage();
        QVERIFY(ColouredPixels(image, Qt::red) > 300);
        QVERIFY(ColouredPixels(image, Qt::blue) > 300);

        // By wavelength: the caption turns round and the rays take the wavelengths' colours.
        Window().ToggleMultiColour();
        QVERIFY(Settled());
        QCOMPARE(Window().Action("actMultiColour")->text(), QString("->SingleColor"));
        QVERIFY(Window().Action("tbMultiColour")->isChecked());
        const WavelengthList& list = main_->LensData().Wavelengths();
        for (const DrawnRay& ray : Window().Result().rays)
            QCOMPARE(ray.colour, list.At(ray.wavelength).colour);
        QVERIFY(Window().Result().wavelengths.size() >= 2);
        Window().ToggleMultiColour();
        QVERIFY(Settled());
        QCOMPARE(Window().Action("actMultiColour")->text(), QString("->&MultiColor"));
    }

    void theRayCountThePenAndClear() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(OpenWindow());
        QVERIFY(!Window().Action("actClear")->isEnabled());
        host_.integers = {12};
        Window().AskRayCount();
        QVERIFY(Settled());
        QCOMPARE(Window().RayCount(), 12);
        QCOMPARE(Window().Result().rays.size(), std::size_t(13));
        QVERIFY(Window().Action("actClear")->isEnabled());
        host_.integers = {3};
        Window().AskPenWidth();
        QCOMPARE(Window().PenWidth(), 3);
        QCOMPARE(Window().Plot().penWidth, 3);
        // Cancel leaves them.
        Window().AskRayCount();
        Window().AskPenWidth();
        QCOMPARE(Window().RayCount(), 12);
        QCOMPARE(Window().PenWidth(), 3);

        Window().AngleTable() = Angles({{"5", "clRed"}, {"10", "clBlue"}});
        Window().Clear();
        QVERIFY(Settled());
        QCOMPARE(Window().RayCount(), 7);
        QCOMPARE(Window().AngleTable().Angles(), std::vector<double>{0});
        QCOMPARE(Window().Result().rays.size(), std::size_t(8));
        QVERIFY(!Window().Action("actClear")->isEnabled());
    }

    void enlargeAndWhole() {
        Open(Sample("double-gauss.ldt"));
        QVERIFY(OpenWindow());
        Window().resize(800, 560);
        QCoreApplication::processEvents();
        QWidget* figure = Window().FigureWidget();
        const CanvasMapping fitted = CrossSectionMappingFor(Window().Plot(), QRectF(figure->rect()));
        // Without "Enlarge" a drag does nothing.
        QTest::mousePress(figure, Qt::LeftButton, {}, QPoint(200, 150));
        QTest::mouseRelease(figure, Qt::LeftButton, {}, QPoint(400, 300));
        QVERIFY(!Window().ZoomedView());

        Window().Action("tbEnlarge")->trigger();
        QVERIFY(Window().ZoomArmed());
        QTest::mousePress(figure, Qt::LeftButton, {}, QPoint(400, 300));
        QTest::mouseMove(figure, QPoint(300, 250));
        QTest::mouseRelease(figure, Qt::LeftButton, {}, QPoint(200, 150));
        QVERIFY(!Window().ZoomArmed());
        const auto view = Window().ZoomedView();
        QVERIFY(view.has_value());
        // The rectangle's 200 pixels across become the whole width, in the fitted view's millimetres.
        const double mm = 200 / fitted.Scale();
        QVERIFY(std::fabs((view->right - view->left) - mm) < 1e-9 * mm);
        QVERIFY(std::fabs(view->halfWidth - mm / 2) < 1e-9 * mm);
        QVERIFY(std::fabs(view->left - fitted.ModelZ(200)) < 1e-9 * mm);
        QVERIFY(std::fabs(view->centre - fitted.ModelY(225)) < 1e-9 * mm);

        Window().Action("actWhole")->trigger();
        QVERIFY(!Window().ZoomedView());
    }

    void allRayModeAndTheDisplayShift() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(OpenWindow());
        QCOMPARE(Window().Action("actAllRay")->text(), QString("All ray"));
        Window().ToggleAllRays();
        QVERIFY(Settled());
        QVERIFY(Window().Result().settings.allRays);
        QCOMPARE(Window().Action("actAllRay")->text(), QString("Real ray"));
        Window().ToggleAllRays();
        QVERIFY(Settled());

        const double f = main_->LensData().FocalLength();
        const double end = Window().Result().rays.front().points.back().z;
        // Near the image: no question.
        host_.textAnswers = {"2"};
        Window().AskDisplayShift();
        QVERIFY(Settled());
        QCOMPARE(Window().DisplayShift(), 2.0);
        QVERIFY(std::fabs(Window().Result().rays.front().points.back().z - (end + 2)) < 1e-9);
        QCOMPARE(host_.prompts.last(), QString("Ray display position"));
        // Far from it: No abandons, Yes takes it.
        host_.textAnswers = {std::to_string(0.3 * f)};
        host_.buttonAnswers = {ButtonNo};
        Window().AskDisplayShift();
        QCOMPARE(Window().DisplayShift(), 2.0);
        QCOMPARE(host_.messages.last(), QString("Ray display distance is too long. OK?"));
        host_.textAnswers = {"-" + std::to_string(0.3 * f)};
        host_.buttonAnswers = {ButtonCancel, ButtonYes};
        const int asked = host_.messages.size();
        Window().AskDisplayShift();
        QVERIFY(Settled());
        QCOMPARE(host_.messages.size(), asked + 2); // asked again after the dialog was closed
        QVERIFY(std::fabs(Window().DisplayShift() + 0.3 * f) < 1e-6);
        // Not a number: told, nothing changed.
        host_.textAnswers = {"far"};
        Window().AskDisplayShift();
        QVERIFY(host_.messages.last().contains("far"));
        QVERIFY(std::fabs(Window().DisplayShift() + 0.3 * f) < 1e-6);
    }

    void cannotDrawAFaceWiderThanItsSphere() {
        Open(Sample("cooke-triplet.ldt"));
        // Face 4 (r = 38.44) made 90 mm across: its rim lies beyond the sphere.
        QVERIFY(SetCell(*main_, "Diameter", 5, "90"));
        QVERIFY(OpenWindow());
        QVERIFY(Window().HasResult());
        QVERIFY(Window().Result().cannotDraw);
        QVERIFY(host_.messages.contains("Cannot draw the figure!"));
        // The drawing stands all the same.
        QVERIFY(!Window().Result().rays.empty());
    }

    void aLensWithoutAFocusIsDrawnAtTheSizeTyped() {
        Open(Sample("singlet.ldt"));
        // A flat plate: no focus.
        QVERIFY(SetCell(*main_, "r", 2, "0"));
        QVERIFY(SetCell(*main_, "r", 3, "0"));
        host_.buttonAnswers = {ButtonYes};
        host_.textAnswers = {"50"};
        QVERIFY(OpenWindow());
        QVERIFY(host_.messages.first().startsWith("No fucus point exist!"));
        QVERIFY(Window().HasResult());
        QVERIFY(Window().Result().valid);
        QCOMPARE(Window().Result().focalLength, 50.0);
    }

    void helpAndSettingsRoundTrip() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(OpenWindow());
        Window().Action("actHelp")->trigger();
        QCOMPARE(host_.helpTopics, std::vector<int>{127});

        IniFile defaults;
        Window().WriteSettings(defaults);
        // Defaults are not written.
        for (const char* key : {"Ray No.", "PenWidth", "Angle No.", "AngleNo1", "AngleColor1"})
            QVERIFY2(!defaults.HasKey(TFCrossSection::kSection, key), key);

        Window().AngleTable() = Angles({{"0", "clBlack"}, {"12", "clRed"}, {"-3", "$00FF8000"}});
        host_.integers = {25, 4};
        Window().AskRayCount();
        QVERIFY(Settled());
        Window().AskPenWidth();
        IniFile ini;
        Window().WriteSettings(ini);
        const char* section = TFCrossSection::kSection;
        QCOMPARE(ini.ReadInteger(section, "Ray No.", 0), 25);
        QCOMPARE(ini.ReadInteger(section, "PenWidth", 0), 4);
        QCOMPARE(ini.ReadInteger(section, "Angle No.", 0), 3);
        QCOMPARE(ini.ReadFloat(section, "AngleNo2", 0), 12.5);
        QCOMPARE(ini.ReadFloat(section, "AngleNo3", 0), -3.5);
        QCOMPARE(QString::fromStdString(ini.ReadString(section, "AngleColor2", "")), QString("clRed"));
        QVERIFY(ini.HasKey(section, "AngleColor3"));
        QVERIFY(!ini.HasKey(section, "AngleColor1"));
        QVERIFY(ini.HasKey(section, "Width"));

        // Save Inifile writes it into the program's settings file; a program started with that file
        // reads the same state back.
        Window().SaveIniFile();
        std::string saved;
        QVERIFY(!ReadWholeFile(dir_->filePath("vitrimo.ini").toStdString(), saved));
        QVERIFY(saved.find("Ray No.=25") != std::string::npos);
        const std::vector<double> angles = Window().AngleTable().Angles();
        const std::vector<Colour> colours = Window().AngleTable().Colours();
        Open(Sample("cooke-triplet.ldt"), QString::fromStdString(saved));
        QCOMPARE(Window().RayCount(), 25);
        QCOMPARE(Window().PenWidth(), 4);
        QCOMPARE(Window().AngleTable().Angles(), angles);
        QCOMPARE(Window().AngleTable().Colours(), colours);
        QCOMPARE(colours[2], RgbColour(0x00, 0x80, 0xFF));
    }

    void settingsAreReadAtStart() {
        Open(Sample("cooke-triplet.ldt"), "[CrossSection]\r\nRay No.=150\r\nPenWidth=9\r\nAngle No.=2\r\n"
                                          "AngleNo1=0\r\nAngleNo2=7.25\r\nAngleColor2=clGreen\r\n"
                                          "[CrossSectionAngleTable]\r\nLeft=20\r\nTop=30\r\nWidth=300\r\n"
                                          "Height=240\r\n");
        QCOMPARE(Window().RayCount(), 100); // above 100 becomes 100
        QCOMPARE(Window().PenWidth(), 5);
        QCOMPARE(Window().AngleTable().Angles(), (std::vector<double>{0, 7.25}));
        QCOMPARE(Window().AngleTable().Colours(), (std::vector<Colour>{colours::Black, colours::Green}));
        QCOMPARE(Window().AngleTablePlacement(), std::optional<QRect>(QRect(20, 30, 300, 240)));
        IniFile ini;
        Window().WriteSettings(ini);
        QCOMPARE(ini.ReadInteger(TFCrossSection::kAngleTableSection, "Width", 0), 300);
        QCOMPARE(ini.ReadFloat(TFCrossSection::kSection, "AngleNo2", 0), 7.25);
        QCOMPARE(QString::fromStdString(ini.ReadString(TFCrossSection::kSection, "AngleColor2", "")),
                 QString("clGreen"));
    }

    void aNewTableIsDrawnAfreshOrClosesTheWindow() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(OpenWindow());
        Window().ArmZoom();
        QTest::mousePress(Window().FigureWidget(), Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseRelease(Window().FigureWidget(), Qt::LeftButton, {}, QPoint(200, 200));
        QVERIFY(Window().ZoomedView());
        // A lens opened: drawn again, fitted.
        Window().TableWasReset();
        QVERIFY(!Window().HasResult());
        QCoreApplication::processEvents();
        QVERIFY(Settled());
        QVERIFY(Window().isVisible());
        QVERIFY(Window().HasResult());
        QVERIFY(!Window().ZoomedView());
        // A table without faces: nothing to draw, the window goes.
        main_->Action("actCrossSection")->setEnabled(false);
        Window().TableWasReset();
        QCoreApplication::processEvents();
        QVERIFY(!Window().isVisible());
        QVERIFY(host_.messages.isEmpty());
    }

    void paintsIntoAnyRectangle() {
        Open(Sample("cooke-triplet.ldt"));
        QVERIFY(OpenWindow());
        // The print preview's draw operation: the figure scaled into a rectangle of another canvas.
        QImage page(1200, 900, QImage::Format_RGB32);
        page.fill(Qt::yellow);
        QPainter painter(&page);
        Window().Paint(painter, QRectF(100, 100, 600, 400));
        painter.end();
        QCOMPARE(page.pixelColor(50, 50), QColor(Qt::yellow));
        QCOMPARE(page.pixelColor(800, 700), QColor(Qt::yellow));
        int black = 0;
        for (int y = 100; y < 500; ++y)
            for (int x = 100; x < 700; ++x) black += page.pixelColor(x, y).lightness() < 80 ? 1 : 0;
        QVERIFY(black > 500);
    }
};

QTEST_MAIN(TFCrossSectionTest)
#include "TFCrossSectionTest.moc"
