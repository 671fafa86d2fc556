// The wavelength window on the sample Cooke triplet.
#include "ui/TFWaveLgthSlct.h"

#include "model/FileIo.h"
#include "model/IniFile.h"
#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

// List positions of the lines.
constexpr int kT = 0, kA = 2, kR = 3, kD = 5, kF = 7, kH = 9, kI = 10;

} // namespace

class TFWaveLgthSlctTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;
    std::unique_ptr<TFLensdata> main_;
    TFWaveLgthSlct* window_ = nullptr;

    void Open() {
        window_ = nullptr;
        main_.reset();
        QVERIFY(PlaceLastData(*dir_, kSourceData + "Lens/cooke-triplet.ldt"));
        main_ = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_, kSourceData));
        main_->show();
        window_ = new TFWaveLgthSlct(*main_);
    }

    Lens& LensOf() { return main_->LensData(); }
    WavelengthList& List() { return main_->LensData().Wavelengths(); }

    std::vector<int> Checked() {
        std::vector<int> checked;
        for (int w = 0; w < window_->RowCount(); ++w)
            if (window_->CheckBox(w)->isChecked()) checked.push_back(w);
        return checked;
    }

private slots:
    void init() {
        benches_.Clear();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
    }

    void cleanup() {
        main_.reset();
        UseLocale(QLocale::English);
    }

    void sevenWavelengthsAreTracedWithTheDLineAsReference() {
        Open();
        window_->ShowWindow();
        QVERIFY(window_->isVisible());
        QCOMPARE(window_->windowTitle(), QString("Wavelength Select"));
        QCOMPARE(window_->RowCount(), 11);
        QCOMPARE(Checked(), (std::vector<int>{3, 4, 5, 6, 7, 8, 9}));
        QVERIFY(window_->RadioButton(kD)->isChecked());
        QCOMPARE(window_->RadioButton(kD)->text(), QString("d (587.6nm)"));
        QCOMPARE(window_->RadioButton(kA)->text(), QString("A (768.2nm)"));
        for (int w = 0; w < 11; ++w) QVERIFY(window_->CheckBox(w)->isEnabled());
        QCOMPARE(window_->SwatchColour(kR), colours::Maroon);
        QCOMPARE(window_->SwatchColour(kD), Colour(0x00BFFF));
        QCOMPARE(window_->height(), std::max(20 * 11 + 180, window_->minimumSizeHint().height()));

        QTest::mouseClick(window_->findChild<QPushButton*>("Help"), Qt::LeftButton);
        QCOMPARE(host_.helpTopics, std::vector<int>{119});
        QTest::mouseClick(window_->findChild<QPushButton*>("OK"), Qt::LeftButton);
        QVERIFY(!window_->isVisible());
    }

    void aWavelengthWithoutIndicesCannotBeChosen() {
        Open();
        LensOf().SetText(col::Ni, 4, "0");
        LensOf().SetText(col::Nt, 6, "");
        window_->ShowWindow();
        for (int w : {kT, kI}) {
            QVERIFY(!window_->CheckBox(w)->isEnabled());
            QVERIFY(!window_->RadioButton(w)->isEnabled());
            QVERIFY(!window_->CheckBox(w)->isChecked());
        }
        QVERIFY(window_->CheckBox(kH)->isEnabled());

        // A flag set while there was data goes off when the data goes.
        LensOf().SetText(col::Ni, 4, "1.66623");
        window_->Refresh();
        QTest::mouseClick(window_->CheckBox(kI), Qt::LeftButton);
        QVERIFY(List().At(kI).calculate);
        LensOf().SetText(col::Ni, 8, "0");
        window_->Refresh();
        QVERIFY(!List().At(kI).calculate);
        QVERIFY(!window_->CheckBox(kI)->isChecked());

        // An empty new face (the next calculation drops it) does not take every wavelength away.
        main_->AddFace();
        window_->Refresh();
        QVERIFY(window_->CheckBox(kD)->isEnabled());
        QVERIFY(window_->CheckBox(kH)->isEnabled());
    }

    void theReferenceIsAlwaysTracedAndLeavesAWavelengthWithoutData() {
        Open();
        window_->ShowWindow();
        QTest::mouseClick(window_->CheckBox(kD), Qt::LeftButton);
        QVERIFY(!List().At(kD).calculate);
        const std::vector<int> traced = List().CalculatedWavelengths();
        QVERIFY(std::find(traced.begin(), traced.end(), kD) != traced.end());
        QCOMPARE(List().CalculatedCount(), 7);

        QTest::mouseClick(window_->RadioButton(kF), Qt::LeftButton);
        QCOMPARE(List().Reference(), kF);
        QVERIFY(!window_->RadioButton(kD)->isChecked());

        // Without data at F the reference goes back to the d line.
        LensOf().SetText("nF", 2, "0");
        window_->Refresh();
        QCOMPARE(List().Reference(), kD);
        QVERIFY(window_->RadioButton(kD)->isChecked());
        QVERIFY(!window_->RadioButton(kF)->isEnabled());
    }

    void aSwatchOpensTheColourDialog() {
        Open();
        window_->ShowWindow();
        host_.colours = {Colour(0x123456), std::nullopt};
        QTest::mouseClick(window_->Swatch(kR), Qt::LeftButton);
        QCOMPARE(List().At(kR).colour, Colour(0x123456));
        QCOMPARE(window_->SwatchColour(kR), Colour(0x123456));
        QVERIFY(List().NonDefaultColours());
        QVERIFY(LensOf().DataModified());
        QTest::mouseClick(window_->Swatch(kD), Qt::LeftButton); // cancelled
        QCOMPARE(List().At(kD).colour, Colour(0x00BFFF));
    }

    void realColoursComeFromTheRgbTableAndDefaultRestores() {
        Open();
        window_->ShowWindow();
        QTest::mouseClick(window_->CheckBox(kH), Qt::LeftButton);
        QTest::mouseClick(window_->ColourButton(), Qt::LeftButton);
        QVERIFY(host_.messages.isEmpty());
        QVERIFY(window_->RealColoursInUse());
        QCOMPARE(window_->ColourButton()->text(), QString("Default"));
        // 365 nm is a line of the table: blue 19, green 0, red 6. 1014 nm is far beyond its end, where the
        // colour fades to nearly black.
        QCOMPARE(List().At(kI).colour, RgbColour(6, 0, 19));
        const Colour infrared = List().At(kT).colour;
        QVERIFY(RedOf(infrared) < 8 && GreenOf(infrared) < 8 && BlueOf(infrared) < 8);
        QCOMPARE(window_->SwatchColour(kI), RgbColour(6, 0, 19));
        QVERIFY(List().NonDefaultColours());

        QTest::mouseClick(window_->ColourButton(), Qt::LeftButton);
        QCOMPARE(window_->ColourButton()->text(), QString("RealColor"));
        QCOMPARE(List().At(kI).colour, Colour(0x600030));
        QVERIFY(List().At(kH).calculate); // the default flags are back too
        QVERIFY(!List().NonDefaultColours());

        // ... but not for a wavelength without data.
        LensOf().SetText("nh", 6, "0");
        QTest::mouseClick(window_->ColourButton(), Qt::LeftButton);
        QTest::mouseClick(window_->ColourButton(), Qt::LeftButton);
        QVERIFY(!List().At(kH).calculate);
        QVERIFY(!window_->CheckBox(kH)->isChecked());
    }

    void aBrokenRgbTableLeavesTheColoursAlone() {
        Open();
        // The start folder is looked at first.
        QVERIFY(!WriteFileAtomically(dir_->filePath("RGBtable.txt").toStdString(),
                                     "nm\tblue\tgreen\tred\n400\t1\t2\t3\n500\tx\t2\t3\n"));
        window_->ShowWindow();
        QTest::mouseClick(window_->ColourButton(), Qt::LeftButton);
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("RGBtable.txt"));
        QVERIFY(host_.messages[0].contains("line 3"));
        QVERIFY(!window_->RealColoursInUse());
        QCOMPARE(window_->ColourButton()->text(), QString("RealColor"));
        QCOMPARE(List().At(kI).colour, Colour(0x600030));
        QVERIFY(!LensOf().DataModified());
    }

    void settingsKeepTheGeometryAndTheAddedWavelengths() {
        Open();
        QVERIFY(LensOf().InsertWavelengthColumn("532nm"));
        for (int row = 1; row < LensOf().RowCount(); ++row) LensOf().SetText("532nm", row, "1.5");
        window_->ShowWindow();
        QCOMPARE(window_->RowCount(), 12);
        const int added = List().Find("532nm");
        QCOMPARE(added, 7);
        QCOMPARE(window_->RadioButton(added)->text(), QString(" (532nm)"));
        QVERIFY(window_->CheckBox(added)->isChecked());
        QTest::mouseClick(window_->CheckBox(added), Qt::LeftButton);
        host_.colours = {Colour(0x00FF00)};
        QTest::mouseClick(window_->Swatch(added), Qt::LeftButton);
        window_->setGeometry(40, 50, 300, 420);

        IniFile ini;
        ini.WriteString(TFWaveLgthSlct::kSection, "WL12", "700nm"); // from an earlier lens
        window_->WriteSettings(ini);
        const char* section = TFWaveLgthSlct::kSection;
        QCOMPARE(ini.ReadInteger(section, "Left", 0), 40);
        QCOMPARE(ini.ReadInteger(section, "Height", 0), 420);
        QCOMPARE(ini.ReadString(section, "WL11", ""), std::string("532nm"));
        QCOMPARE(ini.ReadString(section, "WLCaption11", ""), std::string(" (532nm)"));
        QCOMPARE(ini.ReadString(section, "Wavelength11(nm)", ""), std::string("532.0"));
        QCOMPARE(ini.ReadString(section, "Calc11", ""), std::string("0"));
        QCOMPARE(ParseColour(ini.ReadString(section, "Color11", "")), std::optional(Colour(0x00FF00)));
        QVERIFY(!ini.HasKey(section, "WL12"));
        QVERIFY(!ini.HasKey(section, "Color10"));
        QVERIFY(!ini.Save(dir_->filePath("vitrimo.ini").toStdString()));

        // The next run: the window is where it was, and the added wavelength comes back as it was left.
        Open();
        QCOMPARE(window_->geometry().topLeft(), QPoint(40, 50));
        QVERIFY(LensOf().InsertWavelengthColumn("532nm"));
        for (int row = 1; row < LensOf().RowCount(); ++row) LensOf().SetText("532nm", row, "1.5");
        window_->ShowWindow();
        QVERIFY(!List().At(added).calculate);
        QVERIFY(!window_->CheckBox(added)->isChecked());
        QCOMPARE(List().At(added).colour, Colour(0x00FF00));
        QCOMPARE(window_->height(), std::max(20 * 12 + 180, window_->minimumSizeHint().height()));
    }

    void japaneseWording() {
        UseLocale(QLocale::Japanese);
        Open();
        window_->ShowWindow();
        QCOMPARE(window_->windowTitle(), QString::fromUtf8("波長選択"));
        QCOMPARE(window_->ColourButton()->text(), QString::fromUtf8("実際の色"));
        QCOMPARE(window_->RadioButton(kD)->text(), QString("d (587.6nm)"));
    }
};

QTEST_MAIN(TFWaveLgthSlctTest)
#include "TFWaveLgthSlctTest.moc"
