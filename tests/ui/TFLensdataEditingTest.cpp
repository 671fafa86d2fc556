#include "engine/Calculation.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/CliRunner.h"
#include "ui/LensTableModel.h"
#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

const QString kSamples = QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/");

// A lens of seven air faces and an ideal lens, for picks and groups.
const char* const kPlanes = "No\tGlassName\tr\trFix\teffectvDiam.\tDiameter\tHideDiam."
                            "\tDistance\tlFix\tmaxDis.\tminDis.\tdx\tY\tdy\tZ\tdz\tTheta\t"
                            "dTheta\tPhi\tdPhi\tk\tA4\tA6\tA8\tA10\tA12\tA14\tnt\tns\tnA\tnr\tnC\tnd\tne\tnF"
                            "\tng\tnh\tni\tRemarks\r\n";

std::string PlaneRow(int face, const std::string& glass, const std::string& r, const std::string& distance) {
    std::string row =
        std::to_string(face) + "\t" + glass + "\t" + r + "\t\t20\t20\t0\t" + distance + "\t\t0\t0";
    for (int k = 0; k < 16; ++k) row += "\t0"; // dx ... A14
    for (int k = 0; k < 11; ++k) row += "\t1";
    return row + "\t\r\n";
}

} // namespace

class TFLensdataEditingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;

    std::unique_ptr<TFLensdata> Window(const QString& lastData = QString()) {
        if (!lastData.isEmpty() && !PlaceLastData(*dir_, lastData))
            qWarning("cannot copy %s", qPrintable(lastData));
        auto window = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_, kSourceData));
        window->show();
        return window;
    }

    // The planes lens as the last data.
    QString Planes() {
        std::string text = kPlanes + PlaneRow(0, "Air", "0", "0");
        for (int face = 1; face <= 7; ++face) text += PlaneRow(face, "Air", "0", std::to_string(5 + face));
        text += PlaneRow(8, "Ideal Lens", "50", "0");
        const QString path = dir_->filePath("planes.ldt");
        WriteFileAtomically(path.toStdString(), text);
        return path;
    }

    static std::string Text(TFLensdata& w, std::string_view column, int row) {
        return w.LensData().Text(column, row);
    }
    static void Select(TFLensdata& w, std::string_view column, int row) {
        w.SetCurrentCell(w.LensData().Column(column), row);
    }
    static void DoubleClick(TFLensdata& w, std::string_view column, int row) {
        w.CellDoubleClicked(w.LensData().Column(column), row);
    }
    static void Edit(TFLensdata& w, std::string_view column, int row, const QString& text) {
        Select(w, column, row);
        QVERIFY(w.TableModel()->setData(w.TableModel()->IndexOf(w.LensData().Column(column), row), text,
                                        Qt::EditRole));
    }

private slots:
    void init() {
        benches_.Clear();
        dir_ = std::make_unique<QTemporaryDir>();
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
    }

    void insertAndDeleteKeepTheGroupsInStep() {
        auto w = Window(Planes());
        Lens& lens = w->LensData();
        lens.ShiftTiltGroups() = {{2, 3}, {5, 5}};
        Select(*w, col::R, 4); // face 3
        w->InsertFace();
        QCOMPARE(lens.ShiftTiltGroups(), (std::vector<ShiftTiltGroup>{{2, 4}, {6, 6}}));
        QCOMPARE(Text(*w, col::Distance, 4), std::string());
        host_.buttonAnswers = {ButtonOk};
        Select(*w, col::R, 7); // face 6: the second group's only face
        w->DeleteFace();
        QCOMPARE(host_.messages.last(), QString("Delete OK ?"));
        QCOMPARE(lens.ShiftTiltGroups(), (std::vector<ShiftTiltGroup>{{2, 4}}));
        QVERIFY(lens.DataModified());
    }

    void reenterAndSameCurvatureCopyFromAFaceAbove() {
        auto w = Window(kSamples + "cooke-triplet.ldt");
        Lens& lens = w->LensData();
        Edit(*w, col::K, 3, "-0.3");
        Select(*w, col::R, 7); // face 6
        w->ReenterCommand(false);
        QCOMPARE(w->PickHint(), QString("DoubleClick the face of re-entering the ray"));
        QVERIFY(w->TableView()->selectionBehavior() == QAbstractItemView::SelectRows);
        DoubleClick(*w, col::R, 8); // below: nothing
        QCOMPARE(w->PendingPick(), TFLensdata::Pick::None);
        QCOMPARE(Text(*w, col::RFix, 7), std::string());
        QCOMPARE(w->CurrentCell().second, 7);

        w->ReenterCommand(true);
        QCOMPARE(w->PickHint(), QString("DoubleClick the face of the same curvature"));
        DoubleClick(*w, col::GlassName, 3); // face 2
        QCOMPARE(Text(*w, col::R, 7), lens.Text(col::R, 3));
        QCOMPARE(Text(*w, col::K, 7), std::string("-0.3"));
        QCOMPARE(Text(*w, col::RFix, 7), std::string("2"));
        QVERIFY(QString::fromStdString(Text(*w, col::Remarks, 7)).endsWith(" The same as No2 plane"));
        QCOMPARE(w->PickHint(), QString());

        // Same distance: a distance whose next face is linked picks the face to copy from.
        DoubleClick(*w, col::Distance, 6);
        QCOMPARE(w->PendingPick(), TFLensdata::Pick::SameDistance);
        DoubleClick(*w, col::Distance, 3);
        QCOMPARE(Text(*w, col::LFix, 6), std::string("2"));
        QCOMPARE(Text(*w, col::Distance, 6), lens.Text(col::Distance, 3));
    }

    void doubleClicksToggleFixesAndOpenTheLightSource() {
        auto w = Window(kSamples + "singlet.ldt");
        DoubleClick(*w, col::RFix, 2);
        QCOMPARE(Text(*w, col::RFix, 2), std::string("x"));
        DoubleClick(*w, col::RFix, 2);
        QCOMPARE(Text(*w, col::RFix, 2), std::string());
        Edit(*w, col::LFix, 2, "1");
        DoubleClick(*w, col::LFix, 2);
        QCOMPARE(Text(*w, col::LFix, 2), std::string("x"));

        // Infinite -> limited: a new object row; the former one is the object plane.
        host_.choices = {2};
        DoubleClick(*w, col::GlassName, 1);
        QCOMPARE(host_.dialogTitles.last(), QString("Light Source"));
        Lens& lens = w->LensData();
        QCOMPARE(lens.RowCount(), 5);
        QCOMPARE(Text(*w, col::GlassName, 1), std::string("Object"));
        QCOMPARE(Text(*w, col::Remarks, 1), std::string("Limited distance"));
        QCOMPARE(Text(*w, col::RFix, 1), std::string("x"));
        QCOMPARE(Text(*w, col::GlassName, 2), std::string("Air"));
        QCOMPARE(Text(*w, col::GlassName, 3), std::string("N-BK7"));
        QCOMPARE(w->CurrentCell(), std::make_pair(lens.Column(col::Distance), 2));
        // ... and back.
        host_.choices = {1};
        host_.buttonAnswers = {ButtonOk};
        w->LightSourceCommand();
        QCOMPARE(lens.RowCount(), 4);
        QCOMPARE(Text(*w, col::GlassName, 1), std::string("Air"));
        QCOMPARE(Text(*w, col::GlassName, 2), std::string("N-BK7"));
        QCOMPARE(Text(*w, col::No, 3), std::string("2"));
    }

    void shiftTiltOnFacesThreeToFiveWritesRowsFourAndSeven() {
        auto w = Window(Planes());
        Lens& lens = w->LensData();
        w->ShiftTiltCommand();
        QCOMPARE(w->PickHint(), QString("DoubleClick the face of Shift or Tilt"));
        DoubleClick(*w, col::R, 1); // the object row is not a first face
        QCOMPARE(w->PendingPick(), TFLensdata::Pick::ShiftTiltFirst);
        DoubleClick(*w, col::R, 4);
        QCOMPARE(w->PickHint(), QString("DoubleClick the last face of Shift or Tilt"));
        host_.textAnswers = {"0.1", "0.2", std::nullopt, "1.5", "0"}; // Cancel keeps dz
        DoubleClick(*w, col::R, 6);
        QCOMPARE(host_.prompts.mid(host_.prompts.size() - 5),
                 (QStringList{"Input dx", "Input dy", "Input dz", "Input dTheta", "Input dPhi"}));
        QCOMPARE(Text(*w, col::Dx, 4), std::string("0.1"));
        QCOMPARE(Text(*w, col::DTheta, 4), std::string("1.5"));
        QCOMPARE(lens.ShiftTiltGroups(), (std::vector<ShiftTiltGroup>{{3, 5}}));
        // The return values sit in row 7 (face 6), in 9 significant digits; an axial ray is back on axis.
        QVERIFY(ParseNumber(Text(*w, col::DTheta, 7)).value_or(0) != 0);
        QVERIFY(Text(*w, col::Dx, 7).size() <= 16);
        QCOMPARE(w->PendingPick(), TFLensdata::Pick::None);

        // The same group again asks its values again and keeps one group.
        w->ShiftTiltCommand();
        DoubleClick(*w, col::R, 4);
        host_.textAnswers = {"0", "0.3", "0", "1.5", "0"};
        DoubleClick(*w, col::R, 6);
        QCOMPARE(lens.ShiftTiltGroups().size(), std::size_t(1));
        QCOMPARE(Text(*w, col::Dy, 4), std::string("0.3"));

        // Overlapping without nesting: refused. While the group is picked, its rows are painted in the
        // group colour.
        w->ShiftTiltCommand();
        DoubleClick(*w, col::R, 5);
        Select(*w, col::R, 7);
        const auto background = [&](int row) {
            return w->TableModel()->data(w->TableModel()->IndexOf(0, row), Qt::BackgroundRole);
        };
        QCOMPARE(background(5).value<QBrush>().color(), QColor(0x99, 0xAA, 0x00));
        QCOMPARE(background(7).value<QBrush>().color(), QColor(0x99, 0xAA, 0x00));
        QVERIFY(!background(4).isValid());
        QVERIFY(!background(8).isValid());
        DoubleClick(*w, col::R, 8);
        QVERIFY(!background(5).isValid());
        QCOMPARE(host_.messages.last(), QString("Invalid combination"));
        QCOMPARE(lens.ShiftTiltGroups().size(), std::size_t(1));

        // A word where a number belongs: nothing is written.
        w->ShiftTiltCommand();
        DoubleClick(*w, col::R, 7);
        host_.textAnswers = {"0.5", "abc"};
        DoubleClick(*w, col::R, 7);
        QVERIFY(host_.messages.last().contains("abc"));
        QCOMPARE(Text(*w, col::Dx, 7).empty() || ParseNumber(Text(*w, col::Dx, 7)).value_or(1) != 0.5, true);
        QCOMPARE(lens.ShiftTiltGroups().size(), std::size_t(1));

        // Zero values drop the group again.
        w->ShiftTiltCommand();
        DoubleClick(*w, col::R, 3);
        host_.textAnswers = {"0", "0", "0", "0", "0"};
        DoubleClick(*w, col::R, 3);
        QCOMPARE(lens.ShiftTiltGroups().size(), std::size_t(1));
    }

    void aTenthGroupIsRefused() {
        auto w = Window(Planes());
        w->LensData().ShiftTiltGroups().assign(9, ShiftTiltGroup{1, 1});
        w->ShiftTiltCommand();
        QVERIFY(host_.messages.last().contains("9 groups"));
        QCOMPARE(w->PendingPick(), TFLensdata::Pick::None);
    }

    void pasteThenUndoTwice() {
        auto w = Window(kSamples + "singlet.ldt");
        w->SetSelectMode(true);
        Select(*w, col::R, 2);
        const std::string before = Text(*w, col::R, 2);
        QGuiApplication::clipboard()->setText("77\tx\n-77\t\n");
        w->PasteCommand();
        QCOMPARE(Text(*w, col::R, 2), std::string("77"));
        QCOMPARE(Text(*w, col::RFix, 2), std::string("x"));
        QCOMPARE(Text(*w, col::R, 3), std::string("-77"));
        QVERIFY(w->Action("actUndo")->isEnabled());
        w->UndoCommand();
        QCOMPARE(Text(*w, col::R, 2), before);
        QCOMPARE(Text(*w, col::R, 3), std::string("-102.5"));
        QCOMPARE(Text(*w, col::RFix, 2), std::string());
        QVERIFY(w->Action("actUndo")->isEnabled());
        w->UndoCommand();
        QCOMPARE(Text(*w, col::R, 2), before);
        QVERIFY(!w->Action("actUndo")->isEnabled());

        // Copy and Cut of a range in Select Cells mode.
        w->TableView()->selectionModel()->select(
            QItemSelection(w->TableModel()->IndexOf(w->LensData().Column(col::R), 2),
                           w->TableModel()->IndexOf(w->LensData().Column(col::EffectiveDiameter), 3)),
            QItemSelectionModel::ClearAndSelect);
        w->CopyCommand();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("102.5\t\t22\n-102.5\t\t22\n"));
        w->CutCommand();
        QCOMPARE(Text(*w, col::R, 3), std::string());
        w->UndoCommand();
        QCOMPARE(Text(*w, col::R, 3), std::string("-102.5"));
    }

    // The cell editor refuses text that is not a number in a numeric cell, says so, and keeps the old
    // value; text columns take any text, numeric ones a blank.
    void numericCellsRefuseText() {
        auto w = Window(kSamples + "singlet.ldt");
        Lens& lens = w->LensData();
        struct Case {
            std::string_view column;
            QString typed;
            bool taken;
        };
        const Case cases[] = {
            {col::R, "abc", false},        {col::R, "1,5", false},        {col::Distance, "nan", false},
            {col::Nd, "1.5.1", false},     {col::K, "-1e999", false},     {col::R, "-80.5", true},
            {col::Distance, " 6 ", true},  {col::HideDiameter, "", true}, {col::GlassName, "N-SF5", true},
            {col::Remarks, "front", true}, {col::RFix, "x", true},
        };
        for (const Case& c : cases) {
            host_.messages.clear();
            const std::string before = Text(*w, c.column, 2);
            const bool modified = lens.DataModified();
            Select(*w, c.column, 2);
            const bool set = w->TableModel()->setData(w->TableModel()->IndexOf(lens.Column(c.column), 2),
                                                      c.typed, Qt::EditRole);
            QCOMPARE(set, c.taken);
            if (c.taken) {
                QCOMPARE(Text(*w, c.column, 2), c.typed.toStdString());
                QVERIFY(host_.messages.isEmpty());
            } else {
                QCOMPARE(Text(*w, c.column, 2), before);
                QCOMPARE(lens.DataModified(), modified);
                QCOMPARE(host_.messages.size(), 1);
                QVERIFY(host_.messages[0].contains("is not a number"));
            }
        }
    }

    // A file or a pasted block may hold text where numbers belong: it is read as it stands (a calculation
    // reads it as 0, as always) and the user is told which cells those are.
    void nonNumericCellsOfAFileOrAPasteAreNamed() {
        std::string text = kPlanes + PlaneRow(0, "Air", "0", "0") + PlaneRow(1, "N-BK7", "5O.0", "6") +
                           PlaneRow(2, "Air", "-50", "four");
        const QString path = dir_->filePath("typos.ldt");
        QVERIFY(!WriteFileAtomically(path.toStdString(), text));
        auto w = Window();
        host_.openFiles = {path};
        host_.messages.clear();
        w->FileOpen();
        QCOMPARE(Text(*w, col::R, 2), std::string("0")); // repaired by the focal length's calculation
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("No.1 r: \"5O.0\""));
        QVERIFY(host_.messages[0].contains("No.2 Distance: \"four\""));

        host_.messages.clear();
        QGuiApplication::clipboard()->setText("12\tx\n1,5\t\n");
        Select(*w, col::R, 2);
        w->PasteCommand();
        QCOMPARE(Text(*w, col::R, 3), std::string("1,5"));
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("No.2 r: \"1,5\""));
        QVERIFY(!host_.messages[0].contains("four")); // only the cells the paste filled
    }

    void anEditCanBeUndone() {
        auto w = Window(kSamples + "singlet.ldt");
        QVERIFY(!w->Action("actUndo")->isEnabled());
        Edit(*w, col::R, 2, "90");
        QVERIFY(w->Action("actUndo")->isEnabled());
        w->UndoCommand();
        QCOMPARE(Text(*w, col::R, 2), std::string("102.5"));
        QVERIFY(!w->Action("actUndo")->isEnabled());
    }

    // The calculation deletes faces without a d-line index; the status bar names them and one Undo brings
    // them all back.
    void facesWithoutIndicesAreDeletedAsOneUndoStep() {
        auto w = Window(kSamples + "cooke-triplet.ldt");
        Lens& lens = w->LensData();
        const LensTable before = lens.Table();
        Edit(*w, col::Nd, 3, "");
        Edit(*w, col::Nd, 6, "0");
        const LensTable edited = lens.Table();
        QCOMPARE(w->PrepareForCalculation(), Readiness::Ready);
        QCOMPARE(lens.RowCount(), before.RowCount() - 2);
        QCOMPARE(w->statusBar()->currentMessage(),
                 QString("Faces without a d-line index were deleted: 2, 5. Undo brings them back."));
        QVERIFY(w->Action("actUndo")->isEnabled());
        w->UndoCommand();
        QCOMPARE(lens.RowCount(), before.RowCount());
        for (int row = 1; row < edited.RowCount(); ++row)
            for (int column = 0; column < edited.ColumnCount(); ++column)
                QCOMPARE(lens.Table().Cell(column, row), edited.Cell(column, row));
        QCOMPARE(w->TableModel()->rowCount(), before.RowCount() - 1);
    }

    void rescalingGivesTheFocalLengthAndUndoRestoresTheLens() {
        auto w = Window(kSamples + "double-gauss.ldt");
        Lens& lens = w->LensData();
        Edit(*w, col::RFix, 4, "x"); // face 3's radius fixed
        const std::string fixedRadius = Text(*w, col::R, 4);
        const LensTable before = lens.Table();
        host_.numbers = {UiHost::NumberAnswer{"80", "0"}};
        w->FocalLengthCommand();
        QCOMPARE(host_.dialogTitles.last(), QString("Focal Length"));
        QCOMPARE(host_.numberDefaults.last(), QString("99.973"));
        QVERIFY(std::fabs(lens.FocalLength() - 80) <= 80e-9);
        QCOMPARE(Text(*w, col::R, 4), fixedRadius);
        QVERIFY(Text(*w, col::R, 2) != "54.46");
        // The image plane is at the new focus, as vitrimo-cli scale leaves it.
        QCOMPARE(Text(*w, col::Distance, 12), FormatFixed(lens.BackFocalDistance(), 6));
        QVERIFY(lens.DataModified());
        QVERIFY(w->Action("actUndo")->isEnabled());
        // The next calculation changes nothing, and the new focal length holds in the table text.
        const LensTable scaled = lens.Table();
        QCOMPARE(w->PrepareForCalculation(), Readiness::Ready);
        QVERIFY(lens.Table() == scaled);
        QVERIFY(std::fabs(lens.FocalLength() - 80) <= 80e-9);

        // Saved, the file is byte for byte the one vitrimo-cli scale writes from the same lens.
        const QString desktopFile = dir_->filePath("desktop.ldt"), cliFile = dir_->filePath("cli.ldt");
        host_.buttonAnswers = {};
        host_.saveFiles = {desktopFile};
        QVERIFY(w->FileSaveAs());
        Lens original;
        QVERIFY(ReadLensFile(original, (kSamples + "double-gauss.ldt").toStdString()).Ok());
        original.SetText(col::RFix, 4, "x");
        QVERIFY(!WriteLensFile(original, dir_->filePath("fixed.ldt").toStdString()));
        QCOMPARE(test::Cli({"scale", dir_->filePath("fixed.ldt").toStdString(), "--focal-length", "80", "-o",
                            cliFile.toStdString()})
                     .code,
                 0);
        std::string desktopText, cliText;
        QVERIFY(!ReadWholeFile(desktopFile.toStdString(), desktopText));
        QVERIFY(!ReadWholeFile(cliFile.toStdString(), cliText));
        QCOMPARE(desktopText, cliText);
        // Undo gives the lens before the rescaling back.
        w->UndoCommand();
        for (int row = 1; row < before.RowCount(); ++row)
            QCOMPARE(lens.Text(col::R, row), before.Cell(lens.Column(col::R), row));

        // What is not a positive number changes nothing.
        host_.numbers = {UiHost::NumberAnswer{"eighty", "0"}};
        w->FocalLengthCommand();
        QVERIFY(host_.messages.last().contains("eighty"));
    }

    void specialFacesFromTheDataMenu() {
        auto w = Window(kSamples + "singlet.ldt");
        w->AddFace();
        Select(*w, col::GlassName, 3);
        host_.buttonAnswers = {ButtonNo};
        w->Action("actMirror")->trigger();
        QCOMPARE(host_.messages.last(), QString("2nd surface mirror?"));
        QCOMPARE(Text(*w, col::Nd, 3), std::string("-1"));
        Select(*w, col::GlassName, 4);
        w->Action("actStopPlane")->trigger();
        QCOMPARE(Text(*w, col::Remarks, 4), std::string("Stop Plane"));
        UseLocale(QLocale::Japanese);
        w->Action("actFocalPlane")->trigger();
        QCOMPARE(QString::fromStdString(Text(*w, col::Remarks, 4)), QString::fromUtf8("焦点面"));
    }

    void crossSectionPromptsWithoutAnImage() {
        auto w = Window(kSamples + "singlet.ldt");
        QVERIFY(w->CrossSectionCommand());
        Edit(*w, col::GlassName, 2, "Ideal Lens");
        Edit(*w, col::R, 2, "-40");
        host_.buttonAnswers = {ButtonNo};
        QVERIFY(!w->CrossSectionCommand());
        QCOMPARE(host_.messages.last(), QString("No fucus point exist!\r\n\r\n   Show figure ?"));
        host_.buttonAnswers = {ButtonYes};
        host_.textAnswers = {"30"};
        QVERIFY(w->CrossSectionCommand());
        QCOMPARE(host_.prompts.last(), QString("Input the size of the Lens"));
        QCOMPARE(w->LensData().FocalLength(), 30.0);
    }

    // A Cooke triplet typed into an empty table: clicks, arrows, typing, and the Data menu for air rows.
    void buildACookeTripletWithKeysAndClicks() {
        auto w = Window();
        Lens& lens = w->LensData();
        QTableView* table = w->TableView();
        table->setFocus();
        const auto click = [&](std::string_view column, int row) {
            const QModelIndex index = w->TableModel()->IndexOf(lens.Column(column), row);
            table->scrollTo(index);
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
        };
        const auto type = [&](const QString& text) {
            QTest::keyClicks(table, text.left(1)); // the first key opens the cell's editor
            QWidget* editor = nullptr;
            for (QLineEdit* candidate : table->viewport()->findChildren<QLineEdit*>())
                if (candidate->isVisible()) editor = candidate;
            QVERIFY2(editor, qPrintable("no editor for " + text));
            QTest::keyClicks(editor, text.mid(1));
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents(); // the editor hands its text over once events run
        };
        const auto right = [&](int times) {
            for (int k = 0; k < times; ++k) QTest::keyClick(table, Qt::Key_Right);
        };
        const auto shoot = [&](const char* name) {
            const QString folder = qEnvironmentVariable("VITRIMO_SCREENSHOTS");
            if (!folder.isEmpty()) w->grab().save(folder + "/" + name + ".png");
        };

        click(col::EffectiveDiameter, 1);
        type("22.2");
        QTest::keyClick(table, Qt::Key_Down); // a first face
        QCOMPARE(lens.RowCount(), 3);
        struct Face {
            const char* glass;
            const char* r;
            const char* diameter;
            const char* distance;
            const char* nd; // empty for air
        };
        const Face faces[] = {
            {"N-SK16", "39.31", "32", "6", "1.62041"}, {"Air", "-1790.2", "30", "10.28", ""},
            {"F2", "-57.05", "18.2", "2", "1.62004"},  {"Air", "38.44", "17.4", "1.5", ""},
            {"Stop", "0", "17.174", "9.93", ""},       {"N-SK16", "157.74", "23.6", "5.5", "1.62041"},
            {"Air", "-44.68", "25.4", "0", ""}};
        for (int k = 0; k < 7; ++k) {
            const Face& face = faces[k];
            const int row = k + 2;
            QCOMPARE(w->CurrentCell().second, row);
            QTest::keyClick(table, Qt::Key_Home);
            if (w->CurrentCell().first == 0) right(1);
            QCOMPARE(w->CurrentCell().first, lens.Column(col::GlassName));
            if (std::string(face.glass) == "Air")
                w->Action("actAir")->trigger();
            else if (std::string(face.glass) == "Stop")
                w->Action("actStopPlane")->trigger();
            else
                type(face.glass);
            right(1);
            type(face.r);
            right(2);
            type(face.diameter);
            right(3);
            type(face.distance);
            if (*face.nd) {
                click(col::Nd, row);
                type(face.nd);
            }
            if (k < 6) QTest::keyClick(table, Qt::Key_Down);
            if (k == 2) shoot("cooke-typing");
        }
        QCOMPARE(lens.RowCount(), 9);
        const Readiness ready = w->PrepareForCalculation();
        QVERIFY2(ready == Readiness::Ready, LensFileText(lens).c_str());
        shoot("cooke-typed");
        // The same lens as the sample triplet at the d line.
        QVERIFY2(std::fabs(lens.FocalLength() - 100.065321203) < 1e-6,
                 qPrintable(QString::number(lens.FocalLength(), 'g', 12)));
        QCOMPARE(lens.StopSurfaceIndex(), 5);
        QCOMPARE(w->FocalLengthText(), QString("100.065321"));
    }

    void keysAndClicksAddFaces() {
        auto w = Window(kSamples + "singlet.ldt");
        Lens& lens = w->LensData();
        QTableView* table = w->TableView();
        Select(*w, col::R, 3);
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(lens.RowCount(), 5);
        QCOMPARE(Text(*w, col::No, 4), std::string("3"));
        QTest::keyClick(table, Qt::Key_Down); // the new row is still empty: no further face
        QCOMPARE(lens.RowCount(), 5);
        // A click below the last row.
        const int y = table->rowViewportPosition(3) + table->rowHeight(3) + 5;
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          QPoint(table->columnViewportPosition(1) + 5, y));
        QCOMPARE(lens.RowCount(), 6);
        // Enter acts as a double-click: on rFix it toggles the fix.
        Select(*w, col::RFix, 2);
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(Text(*w, col::RFix, 2), std::string("x"));
        QCOMPARE(w->FreeVariableCount(), 1 + 1 + 2 + 2 + 1 - 1);
    }
};

QTEST_MAIN(TFLensdataEditingTest)
#include "TFLensdataEditingTest.moc"
