#include "ui/TFLensdata.h"

#include "engine/Parallel.h"
#include "exchange/ZmxImport.h"
#include "model/FileIo.h"
#include "model/IniFile.h"
#include "model/LensFile.h"
#include "support/TestUtil.h"
#include "ui/LensTableModel.h"
#include "ui/MainWindowSupport.h"
#include "ui/MainWindowTexts.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TAboutBox.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

const QString kSamples = QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/");

std::string ReadText(const QString& path) {
    std::string text;
    if (ReadWholeFile(path.toStdString(), text)) return {};
    return text;
}

} // namespace

class TFLensdataTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;

    QString StartDir() const { return dir_->path(); }
    QString Settings() const { return dir_->filePath("vitrimo.ini"); }
    QString LastData() const { return dir_->filePath("lensdata.ldt"); }

    std::unique_ptr<TFLensdata> MakeWindow(bool show = true) {
        auto window = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_, kSourceData));
        if (show) window->show();
        return window;
    }

    void UseSampleAsLastData(const QString& sample) {
        QFile::remove(LastData());
        QVERIFY(QFile::copy(kSamples + sample, LastData()));
    }

    void Edit(TFLensdata& window, std::string_view column, int row, const QString& text) {
        QVERIFY(SetCell(window, column, row, text));
    }

private slots:
    void init() {
        benches_.Clear();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
    }

    void cleanup() { UseLocale(QLocale::English); }

    void startsSilentlyWithAnEmptyTableOnANewMachine() {
        auto window = MakeWindow();
        QVERIFY(host_.messages.isEmpty());
        QCOMPARE(window->LensData().RowCount(), 2);
        QCOMPARE(window->TableModel()->rowCount(), 1);
        QCOMPARE(window->windowTitle(), QString("Vitrimo--"));
        QVERIFY(!window->FocalLengthShown());
        QVERIFY(!window->AnalysisEnabled());
    }

    void loadsTheLastDataAtFirstShow() {
        UseSampleAsLastData("double-gauss.ldt");
        auto window = MakeWindow(false);
        QCOMPARE(window->LensData().RowCount(), 2); // read when shown, not when created
        window->show();
        QCOMPARE(window->LensData().RowCount(), 13);
        QVERIFY(host_.messages.isEmpty());
        QVERIFY(window->FocalLengthShown());
        QCOMPARE(window->FocalLengthText(), QString("99.97325"));
        QVERIFY(!window->LensData().DataModified());
        QVERIFY(window->AnalysisEnabled());
        QCOMPARE(window->TableModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("GlassName"));
        QCOMPARE(window->CurrentCell(), std::make_pair(window->LensData().Column(col::GlassName), 2));
        QCOMPARE(window->ValueText(), QString("N-LAK9"));
    }

    // A lens without a focal length shows words next to "Focal Length =", never 0; opening another file
    // clears the previous lens's value.
    void focalLengthStatesAreWords() {
        struct Case {
            Lens lens;
            QString shown;
        };
        Lens kepler = MakeLens({{"Ideal Lens", "100", "150", "1"}, {"Ideal Lens", "50", "10", "1"}});
        Lens negative = MakeLens({{"Ideal Lens", "-50", "10", "1"}});
        Lens noIndex = MakeLens({{"N-BK7", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
        for (int w = 0; w < noIndex.Wavelengths().Count(); ++w)
            noIndex.SetText(noIndex.IndexColumn(w), 1, "0");
        const Case cases[] = {
            {kepler, "none (afocal: parallel light leaves parallel)"},
            {negative, "-50  (no real image)"},
            {noIndex, "cannot be computed (a face has no index)"},
        };
        for (const Case& c : cases) {
            QVERIFY(!WriteLensFile(const_cast<Lens&>(c.lens), LastData().toStdString()));
            host_ = ScriptedUiHost{};
            auto window = MakeWindow();
            QVERIFY(window->FocalLengthShown());
            QCOMPARE(window->FocalLengthText(), c.shown);
            // Open another lens: the old value does not stay on screen.
            host_.openFiles = {kSamples + "singlet.ldt"};
            window->FileOpen();
            QCOMPARE(window->FocalLengthText(), QString("99.998966"));
        }
    }

    void standardShortcuts() {
        auto window = MakeWindow();
        const std::pair<const char*, QKeySequence> keys[] = {
            {"actNew", QKeySequence(Qt::CTRL | Qt::Key_N)},
            {"actOpen", QKeySequence(Qt::CTRL | Qt::Key_O)},
            {"actSave", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {"actSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
            {"actExit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
            {"actContents", QKeySequence(Qt::Key_F1)},
            {"actUndo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        };
        for (const auto& [name, key] : keys) QCOMPARE(window->Action(name)->shortcut(), key);
    }

    // Files opened and saved go to the top of the File menu's list (at most eight), which the settings
    // keep as "Recent1" ... "Recent8" of section "Main"; a file that has gone leaves the list.
    void recentFilesAreListedKeptAndReopened() {
        QTemporaryDir files;
        std::vector<QString> paths;
        for (int k = 0; k < 10; ++k) {
            paths.push_back(files.filePath(QStringLiteral("lens%1.ldt").arg(k)));
            QVERIFY(QFile::copy(kSamples + "singlet.ldt", paths.back()));
        }
        {
            auto window = MakeWindow();
            for (const QString& path : paths) {
                host_.openFiles = {path};
                window->FileOpen();
            }
            host_.openFiles = {paths[3]}; // again: moves to the top, not listed twice
            window->FileOpen();
            const std::vector<QString> expected = {paths[3], paths[9], paths[8], paths[7],
                                                   paths[6], paths[5], paths[4], paths[2]};
            QCOMPARE(window->RecentFiles(), expected);
            QCOMPARE(window->Action("actRecent1")->text(), QString("&1 lens3.ldt"));
            QVERIFY(window->Action("actRecent8")->isVisible());
        }
        const IniFile ini = IniFile::Load(Settings().toStdString());
        QCOMPARE(QString::fromStdString(ini.ReadString("Main", "Recent2", "")), paths[9]);
        QVERIFY(!ini.HasKey("Main", "Recent9"));

        auto window = MakeWindow();
        QCOMPARE(window->RecentFiles().size(), std::size_t(8));
        QFile::remove(paths[9]);
        host_.messages.clear();
        window->Action("actRecent2")->trigger(); // the file has gone
        QCOMPARE(host_.messages.size(), 1);
        QCOMPARE(window->RecentFiles().size(), std::size_t(7));
        window->Action("actRecent3")->trigger(); // lens7.ldt, now third
        QCOMPARE(QString::fromStdString(window->LensData().FileName()), paths[7]);
        QCOMPARE(window->RecentFiles().front(), paths[7]);
    }

    void aMalformedLastDataFileIsReportedAndTheTableStaysEmpty() {
        QVERIFY(!WriteFileAtomically(LastData().toStdString(), "garbage"));
        auto window = MakeWindow();
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("lensdata.ldt"));
        QCOMPARE(window->LensData().RowCount(), 2);
    }

    void closingAsksAboutChangesAndWritesTheLastData() {
        UseSampleAsLastData("singlet.ldt");
        auto window = MakeWindow();
        Edit(*window, col::R, 2, "110");
        QVERIFY(window->LensData().DataModified());
        QVERIFY(!window->FocalLengthShown());

        host_.buttonAnswers = {ButtonCancel};
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QCOMPARE(host_.messages.last(), QString("Lens data is changed.\r\n\r\n   Save?"));
        QVERIFY(ReadText(LastData()).find("\t110\t") == std::string::npos);

        host_.buttonAnswers = {ButtonNo};
        QVERIFY(window->close());
        QVERIFY(ReadText(LastData()).find("\t110\t") != std::string::npos);

        // The next start shows the same table.
        auto again = MakeWindow();
        QCOMPARE(again->LensData().Text(col::R, 2), std::string("110"));
        QCOMPARE(again->LensData().Table(), window->LensData().Table());
    }

    void settingsKeepOnlyWhatDiffersFromTheDefaults() {
        {
            auto window = MakeWindow();
            window->setGeometry(101, 110, 738, 433);
            QFont font(QStringLiteral("Arial"));
            font.setPointSize(9);
            window->setFont(font);
            window->AddFace(); // a face: NewData stays off
            window->Inifile1Click();
        }
        IniFile ini = IniFile::Load(Settings().toStdString());
        QVERIFY(ini.Keys("Main").empty());

        {
            auto window = MakeWindow();
            window->setGeometry(120, 130, 500, 400);
            window->SetMemoVisible(true);
            window->SetRadiusDisplay(true);
            window->Action("actShowHint")->trigger();
            window->Inifile1Click();
        }
        ini = IniFile::Load(Settings().toStdString());
        QCOMPARE(ini.ReadInteger("Main", "Width", 0), 500);
        QCOMPARE(ini.ReadString("Main", "MemoTxt.Visible", ""), std::string("1"));
        QCOMPARE(ini.ReadString("Main", "Radius", ""), std::string("1"));
        QCOMPARE(ini.ReadString("Main", "Hint1.Checked", ""), std::string("0"));
        QCOMPARE(ini.ReadString("Main", "NewData", ""), std::string("1")); // only the object row
        QVERIFY(!ini.HasKey("Main", "SumitaFileName"));

        auto window = MakeWindow();
        QCOMPARE(window->width(), 500);
        QVERIFY(window->MemoBox()->isVisible());
        QVERIFY(window->LensData().RadiusMode());
        QVERIFY(!window->Action("actShowHint")->isChecked());
    }

    void aWindowBelowTheScreenIsMovedUp() {
        IniFile ini;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        ini.WriteInteger("Main", "Top", screen.bottom() - 100);
        ini.WriteInteger("Main", "Height", 300);
        ini.WriteInteger("Main", "Width", 300);
        QVERIFY(!ini.Save(Settings().toStdString()));
        auto window = MakeWindow(false);
        QCOMPARE(window->geometry().bottom(), screen.bottom());
        QCOMPARE(window->height(), 300);
    }

    // File > Threads...: the count goes to the workbench and its tracer at once, Save Inifile keeps it
    // (only when it differs from every core), and the next start reads it back.
    void threadsAreChosenAppliedSavedAndReadBack() {
        const int chosen = DefaultThreadCount() == 1 ? 2 : 1;
        {
            auto window = MakeWindow();
            QCOMPARE(window->Bench().Threads(), DefaultThreadCount());
            host_.integers = {std::nullopt}; // Cancel: nothing changes
            window->Action("actThreads")->trigger();
            QCOMPARE(host_.dialogTitles.last(), QString("Threads"));
            QCOMPARE(window->Bench().Threads(), DefaultThreadCount());

            host_.integers = {chosen};
            window->Action("actThreads")->trigger();
            QCOMPARE(window->Bench().Threads(), chosen);
            QCOMPARE(window->Bench().Tracer().Threads(), chosen);
            window->Inifile1Click();
        }
        QCOMPARE(IniFile::Load(Settings().toStdString()).ReadInteger("Main", "Threads", 0), chosen);
        {
            auto window = MakeWindow();
            QCOMPARE(window->Bench().Threads(), chosen);
            // Back to every core: the key is deleted rather than written.
            host_.integers = {DefaultThreadCount()};
            window->Action("actThreads")->trigger();
            window->Inifile1Click();
        }
        QVERIFY(!IniFile::Load(Settings().toStdString()).HasKey("Main", "Threads"));
        QCOMPARE(MakeWindow()->Bench().Threads(), DefaultThreadCount());
    }

    void threadsFromTheSettingsFile_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 0: every core
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("the most") << "256" << 256;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("one too many") << "257" << 0;
        QTest::newRow("far too many") << "9999" << 0;
        QTest::newRow("beyond 64 bits") << "99999999999999999999999" << 0;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void threadsFromTheSettingsFile() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        IniFile ini;
        ini.WriteString("Main", "Threads", text.toStdString());
        QVERIFY(!ini.Save(Settings().toStdString()));
        auto window = MakeWindow();
        QCOMPARE(window->Bench().Threads(), expected == 0 ? DefaultThreadCount() : expected);
        QCOMPARE(window->Bench().Tracer().Threads(), window->Bench().Threads());
    }

    void newDataStartsWithAnEmptyTable() {
        IniFile ini;
        ini.WriteBool("Main", "NewData", true);
        QVERIFY(!ini.Save(Settings().toStdString()));
        UseSampleAsLastData("singlet.ldt");
        auto window = MakeWindow();
        QCOMPARE(window->LensData().RowCount(), 2);
    }

    void settingsGoToTheConfigurationFolderWhenTheirPlaceCannotBeWritten() {
        QVERIFY(!WriteFileAtomically(dir_->filePath("blocker").toStdString(), "a file, not a folder"));
        MainWindowSetup setup{Workspace::At(StartDir().toStdString()), dir_->filePath("blocker/vitrimo.ini"),
                              dir_->filePath("config/vitrimo.ini"), QString()};
        TFLensdata window(benches_.Fresh(), host_, std::move(setup));
        window.SetMemoVisible(true);
        window.Inifile1Click();
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("config/vitrimo.ini"));
        QVERIFY(IniFile::Load(dir_->filePath("config/vitrimo.ini").toStdString())
                    .ReadBool("Main", "MemoTxt.Visible", false));
        window.Inifile1Click();
        QCOMPARE(host_.messages.size(), 1); // said once
    }

    void newAsksBeforeForgettingChanges() {
        UseSampleAsLastData("singlet.ldt");
        auto window = MakeWindow();
        Edit(*window, col::R, 2, "120");

        host_.buttonAnswers = {ButtonCancel};
        window->FileNew();
        QCOMPARE(window->LensData().RowCount(), 4);

        // Yes, then the save dialog is cancelled: nothing is lost.
        host_.buttonAnswers = {ButtonYes};
        window->FileNew();
        QCOMPARE(window->LensData().RowCount(), 4);

        host_.buttonAnswers = {ButtonYes};
        host_.saveFiles = {dir_->filePath("mine.ldt")};
        window->FileNew();
        QCOMPARE(window->LensData().RowCount(), 2);
        QVERIFY(ReadText(dir_->filePath("mine.ldt")).find("\t120\t") != std::string::npos);
        QVERIFY(ReadText(LastData()).find("\t120\t") != std::string::npos);
        QCOMPARE(window->windowTitle(), QString("Vitrimo--"));

        Edit(*window, col::EffectiveDiameter, 1, "12");
        host_.buttonAnswers = {ButtonNo};
        window->FileNew();
        QCOMPARE(window->LensData().Text(col::EffectiveDiameter, 1), std::string());
        QVERIFY(!window->LensData().DataModified());

        // Unchanged data: no question.
        const int asked = host_.messages.size();
        window->FileNew();
        QCOMPARE(host_.messages.size(), asked);
    }

    void openReadsTheFileAndKeepsTheTableWhenItCannot() {
        auto window = MakeWindow();
        Edit(*window, col::EffectiveDiameter, 1, "12");
        host_.buttonAnswers = {ButtonCancel};
        window->FileOpen();
        QVERIFY(host_.dialogTitles.isEmpty()); // cancelled before the dialog
        host_.buttonAnswers = {ButtonNo};
        host_.openFiles = {QString()};
        window->FileOpen();
        QCOMPARE(window->LensData().RowCount(), 2);

        host_.buttonAnswers = {ButtonNo};
        host_.openFiles = {kSamples + "cooke-triplet.ldt"};
        window->FileOpen();
        QCOMPARE(host_.dialogTitles.last(), QString("Lens Data File"));
        QCOMPARE(window->LensData().RowCount(), 9);
        QCOMPARE(window->windowTitle(), "Vitrimo--" + kSamples + "cooke-triplet.ldt");
        QCOMPARE(window->Directories().dataDir, QFileInfo(kSamples).absolutePath().toStdString());
        QCOMPARE(ReadText(dir_->filePath("oldData.ldt")), ReadText(kSamples + "cooke-triplet.ldt"));
        QCOMPARE(window->FocalLengthText(), QString("100.065321"));

        QVERIFY(!WriteFileAtomically(dir_->filePath("bad.ldt").toStdString(), "No\tr\r\n"));
        host_.openFiles = {dir_->filePath("bad.ldt")};
        window->FileOpen();
        QVERIFY(host_.messages.last().contains("bad.ldt"));
        QCOMPARE(window->LensData().RowCount(), 9);
        QCOMPARE(window->windowTitle(), "Vitrimo--" + kSamples + "cooke-triplet.ldt");
    }

    void importMakesALensFileOfAnotherProgramTheNewUnsavedLens() {
        auto window = MakeWindow();
        const QString zmx = QString(VITRIMO_SOURCE_DIR) + "/tests/exchange/data/cooke-triplet.zmx";
        host_.openFiles = {zmx};
        window->FileImport();
        QCOMPARE(host_.dialogTitles.last(), QString("Import Lens File"));
        QCOMPARE(window->LensData().RowCount(), 9);
        QVERIFY(window->LensData().DataModified());
        QCOMPARE(window->windowTitle(), QString("Vitrimo--"));
        // The same focal length as the lens typed in (opened from its lens data file above).
        QCOMPARE(window->FocalLengthText(), QString("100.065321"));
        QVERIFY(window->AnalysisEnabled());

        // A broken file: its message, and the lens stays.
        QVERIFY(!WriteFileAtomically(dir_->filePath("bad.zmx").toStdString(), "SURF 0\nSURF 2\n"));
        host_.buttonAnswers = {ButtonNo}; // do not save the imported lens
        host_.openFiles = {dir_->filePath("bad.zmx")};
        window->FileImport();
        QVERIFY(host_.messages.last().contains("out of order"));
        QCOMPARE(window->LensData().RowCount(), 9);

        // What the table cannot hold is asked about; No keeps the lens as it was.
        QVERIFY(!WriteFileAtomically(dir_->filePath("torus.zmx").toStdString(),
                                     "SURF 0\n DISZ INFINITY\nSURF 1\n TYPE TOROIDAL\n CURV 0.02\n DISZ 5\n"
                                     " GLAS N-BK7\nSURF 2\n DISZ 40\nSURF 3\n"));
        host_.buttonAnswers = {ButtonNo, ButtonNo};
        host_.openFiles = {dir_->filePath("torus.zmx")};
        window->FileImport();
        QVERIFY(host_.messages.last().contains("TOROIDAL"));
        QCOMPARE(window->LensData().RowCount(), 9);
        host_.buttonAnswers = {ButtonNo, ButtonYes};
        host_.openFiles = {dir_->filePath("torus.zmx")};
        window->FileImport();
        QCOMPARE(window->LensData().RowCount(), 4);

        // Export writes the lens as such a file, its glass with the model glass a program without the
        // catalogue falls back on; exporting changes nothing.
        const std::string table = LensFileText(window->LensData());
        host_.saveFiles = {dir_->filePath("out.zmx")};
        window->FileExport();
        QCOMPARE(host_.dialogTitles.last(), QString("Export Lens File"));
        const ZmxImport back = ImportZmxFile(dir_->filePath("out.zmx").toStdString(),
                                             [](std::string_view) { return std::optional<ResolvedGlass>(); });
        QVERIFY(back.Ok());
        QCOMPARE(back.lens.RowCount(), 4);
        QCOMPARE(back.lens.Text(col::GlassName, 2), std::string("N-BK7"));
        QCOMPARE(back.lens.Text(col::Nd, 2), window->LensData().Text(col::Nd, 2));
        QCOMPARE(LensFileText(window->LensData()), table);
    }

    void saveAsksToResetShiftsAndTilts() {
        UseSampleAsLastData("singlet.ldt");
        auto window = MakeWindow();
        const QString path = dir_->filePath("saved.ldt");

        // Unchanged data: Save does nothing; Save As always writes.
        window->FileSave();
        QVERIFY(!QFile::exists(path));
        host_.saveFiles = {path};
        QVERIFY(window->FileSaveAs());
        QVERIFY(window->SavedShown());
        QCOMPARE(window->windowTitle(), "Vitrimo--" + path);

        Edit(*window, col::Dx, 2, "0.5");
        QVERIFY(!window->SavedShown());
        host_.buttonAnswers = {ButtonCancel};
        window->FileSave();
        QCOMPARE(
            host_.messages.last(),
            QString("There is a non 0 datum on dx, dy, dz, dTheta or dPhi.\r\n\r\n   Change back to 0?"));
        QVERIFY(window->LensData().DataModified());
        QVERIFY(ReadText(path).find("\t0.5\t") == std::string::npos);

        host_.buttonAnswers = {ButtonNo};
        window->FileSave(); // the same name: written without a dialog
        QVERIFY(!window->LensData().DataModified());
        QVERIFY(ReadText(path).find("\t0.5\t") != std::string::npos);

        host_.buttonAnswers = {ButtonYes};
        host_.saveFiles = {path};
        QVERIFY(window->FileSaveAs());
        QCOMPARE(window->LensData().Text(col::Dx, 2), std::string("0"));
        QVERIFY(ReadText(path).find("\t0.5\t") == std::string::npos);

        // A folder that does not exist: the error is shown and the data stays unsaved.
        Edit(*window, col::R, 2, "99");
        host_.saveFiles = {dir_->filePath("no/such/folder/x.ldt")};
        QVERIFY(!window->FileSaveAs());
        QVERIFY(host_.messages.last().contains("Cannot write"));
        QVERIFY(window->LensData().DataModified());
    }

    // The command switches the table between diameters and radii (the rule itself: Lens.RadiusMode...).
    void radiusDisplayShowsRadiiAndComesBack() {
        UseSampleAsLastData("singlet.ldt");
        auto window = MakeWindow();
        LensTableModel* model = window->TableModel();
        const int effective = window->LensData().Column(col::EffectiveDiameter);
        for (const auto& [shown, title, command] :
             {std::tuple("11.0000", "effectvRadius", "Radius->Diameter"),
              std::tuple("22.0000", "effectvDiam.", "Diameter->Radius")}) {
            window->Action("actRadius")->trigger();
            QCOMPARE(model->data(model->IndexOf(effective, 2), Qt::EditRole).toString(), QString(shown));
            QCOMPARE(model->headerData(effective, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QString(title));
            QCOMPARE(window->Action("actRadius")->text(), QString(command));
        }
    }

    // The table's rules (TableRules.*) reach the view: what cannot be chosen cannot be selected, what a
    // dialog chooses is not typed, and numbers are shown reformatted but edited as they stand.
    void cellsShowNumbersReformattedAndOnlyAllowedCellsCanBeSelected() {
        UseSampleAsLastData("achromat-finite.ldt");
        auto window = MakeWindow();
        const Lens& lens = window->LensData();
        LensTableModel* model = window->TableModel();
        const auto flags = [&](std::string_view column, int row) {
            return model->flags(model->IndexOf(lens.Column(column), row));
        };
        QVERIFY(flags(col::R, 3) & Qt::ItemIsEditable);
        QVERIFY(!(flags(col::Nd, 3) & Qt::ItemIsSelectable));
        QVERIFY(flags(col::GlassName, 1) & Qt::ItemIsSelectable);
        QVERIFY(!(flags(col::GlassName, 1) & Qt::ItemIsEditable)); // the light source dialog chooses it
        const QModelIndex radius = model->IndexOf(lens.Column(col::R), 3);
        QCOMPARE(model->data(radius, Qt::DisplayRole).toString(), QString("62.0100"));
        QCOMPARE(model->data(radius, Qt::EditRole).toString(), QString("62.01"));
    }

    // Delete is offered below the object row and asks first (adding and inserting, and a delete that goes
    // ahead: TFLensdataEditingTest).
    void facesAreAddedInsertedAndDeletedAfterConfirmation() {
        UseSampleAsLastData("singlet.ldt");
        auto window = MakeWindow();
        window->SetCurrentCell(window->LensData().Column(col::R), 1);
        QVERIFY(!window->Action("actDeleteFace")->isEnabled());
        window->SetCurrentCell(window->LensData().Column(col::R), 3);
        QVERIFY(window->Action("actDeleteFace")->isEnabled());
        host_.buttonAnswers = {ButtonCancel};
        window->DeleteFace();
        QCOMPARE(host_.messages.last(), QString("Delete OK ?"));
        QCOMPARE(window->LensData().RowCount(), 4);
        QVERIFY(!window->LensData().DataModified());
    }

    void theMemoTravelsWithTheLens() {
        auto window = MakeWindow();
        window->SetMemoVisible(true);
        window->MemoBox()->setPlainText("first line\nsecond line");
        QVERIFY(window->LensData().DataModified());
        host_.saveFiles = {dir_->filePath("memo.ldt")};
        QVERIFY(window->FileSaveAs());
        window->MemoBox()->clear();
        host_.buttonAnswers = {ButtonNo};
        host_.openFiles = {dir_->filePath("memo.ldt")};
        window->FileOpen();
        QCOMPARE(window->MemoBox()->toPlainText(), QString("first line\nsecond line"));
    }

    void japaneseLocaleShowsJapaneseWordingButKeepsTheFileFormat() {
        UseSampleAsLastData("singlet.ldt");
        UseLocale(QLocale::Japanese);
        auto window = MakeWindow();
        QCOMPARE(window->menuBar()->actions().first()->text(), QString::fromUtf8("ファイル(&F)"));
        QCOMPARE(window->TableModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString::fromUtf8("硝材名"));
        QCOMPARE(window->TableModel()->headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString::fromUtf8("面間隔"));
        QVERIFY(!window->TableModel()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());

        Edit(*window, col::R, 2, "120");
        host_.buttonAnswers = {ButtonCancel};
        window->FileNew();
        QCOMPARE(host_.messages.last(),
                 QString::fromUtf8("レンズデータが変更されています\r\n\r\n   Saveしますか ?"));

        window->SetCurrentCell(window->LensData().Column(col::R), 3);
        host_.buttonAnswers = {ButtonCancel};
        window->DeleteFace();
        QCOMPARE(host_.messages.last(), QString("Delete OK ?"));

        // Questions from inside a calculation come in Japanese too.
        Edit(*window, col::EffectiveDiameter, 1, "");
        Edit(*window, col::EffectiveDiameter, 2, "");
        QCOMPARE(window->PrepareForCalculation(), Readiness::Cancelled);
        QCOMPARE(host_.prompts.last(), QString::fromUtf8("No.1 の有効径を入力してください"));

        // The file is the same whatever the wording on screen.
        host_.saveFiles = {dir_->filePath("jp.ldt")};
        QVERIFY(window->FileSaveAs());
        const std::string japaneseFile = ReadText(dir_->filePath("jp.ldt"));
        UseLocale(QLocale::English);
        QCOMPARE(window->TableModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("GlassName"));
        QCOMPARE(japaneseFile, LensFileText(window->LensData()));
        QVERIFY(japaneseFile.rfind("No\tGlassName\tr\t", 0) == 0);
    }

    void helpAboutAndHints() {
        auto window = MakeWindow();
        window->Action("actContents")->trigger();
        window->Action("tbHelp")->trigger();
        QCOMPARE(host_.helpTopics, (std::vector<int>{0, 0}));
        window->Action("actAbout")->trigger();
        QCOMPARE(host_.aboutShown, 1);
        TAboutBox about;
        QCOMPARE(about.ProductName(), QString("Vitrimo"));
        QCOMPARE(about.Version(), QString::fromUtf8("Version β0.69"));
        QCOMPARE(about.Comments(), QString("Comment: Many bug may be included "));
        // The bundled data are credited with their sources and licences.
        for (const char* credit : {"refractiveindex.info", "Polyanskiy", "CC0 1.0", "CIE 1931",
                                   "colour-science", "BSD-3-Clause", "GNU General Public License"})
            QVERIFY2(about.Credits().contains(QString::fromUtf8(credit)), credit);

        UseLocale(QLocale::Japanese);
        LensTableModel* model = window->TableModel();
        QVERIFY(!model->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
        window->Action("actShowHint")->trigger();
        QVERIFY(model->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
        UseLocale(QLocale::English);
        window->Action("actShowHint")->trigger();
        QVERIFY(
            model->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty()); // no English hints

        QVERIFY(!window->Action("actPrint")->isEnabled());
        QVERIFY(!window->Action("tbOptimization")->isEnabled());
        QVERIFY(!window->Action("tbBending")->isVisible());
        QCOMPARE(window->Action("tbSphericalCurve")->toolTip(), QString("Spherical Aber. Curve"));
    }

    // A larger font makes the rows and the columns larger.
    void fontChangesTheLayout() {
        auto window = MakeWindow();
        QTableView* table = window->TableView();
        const int remarks = window->LensData().Column(col::Remarks);
        const int rowHeight = table->verticalHeader()->defaultSectionSize(),
                  width = table->columnWidth(remarks);
        QFont big = window->font();
        big.setPointSize(20);
        host_.fonts = {big};
        window->ChooseFont();
        QCOMPARE(window->font().pointSize(), 20);
        QVERIFY(table->verticalHeader()->defaultSectionSize() > rowHeight);
        QVERIFY(table->columnWidth(remarks) > width);
    }
};

QTEST_MAIN(TFLensdataTest)
#include "TFLensdataTest.moc"
