// The glass chooser and the glass data window on a sample lens.
#include "ui/TFGlsSelect.h"

#include "model/FileIo.h"
#include "model/NumberFormat.h"
#include "ui/CatalogueGrid.h"
#include "ui/LensTableModel.h"
#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFGlasdata.h"
#include "ui/TFLensdata.h"

#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

// N-BK7 by the Sellmeier formula with the maker's published coefficients.
double NBk7Index(double nanometres) {
    const double l = std::pow(nanometres / 1000, 2);
    return std::sqrt(1 + 1.03961212 * l / (l - 0.00600069867) + 0.231792344 * l / (l - 0.0200179144) +
                     1.01046945 * l / (l - 103.560653));
}

} // namespace

class TFGlsSelectTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;
    // The main window owns the chooser and the data window (their parent).
    std::unique_ptr<TFLensdata> main_;
    TFGlasdata* data_ = nullptr;
    TFGlsSelect* chooser_ = nullptr;

    // The main window on the Cooke triplet; catalogues from `dataDir` (the program's data folder when
    // empty) and whatever the test puts into the start folder.
    void Open(const QString& dataDir = kSourceData) {
        QVERIFY(PlaceLastData(*dir_, kSourceData + "Lens/cooke-triplet.ldt"));
        main_ = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_, dataDir));
        main_->show();
        QCOMPARE(main_->LensData().RowCount(), 9);
        data_ = new TFGlasdata(*main_);
        chooser_ = new TFGlsSelect(*main_, *data_);
    }

    Lens& LensOf() { return main_->LensData(); }
    std::string Cell(std::string_view column, int row) { return LensOf().Text(column, row); }

    void OnRow(int row) { main_->SetCurrentCell(LensOf().Column(col::GlassName), row); }

    // The shown text of a table cell, as the main window's model has it.
    QString Shown(std::string_view column, int row) {
        LensTableModel* model = main_->TableModel();
        return model->data(model->IndexOf(LensOf().Column(column), row), Qt::EditRole).toString();
    }

    int CatalogueRowOf(const std::string& glass, int column = 0) {
        for (int row : data_->Grid()->Order())
            if (data_->Catalogue().Cell(column, row) == glass) return row;
        return -1;
    }

    void Write(const QString& name, const std::string& text) {
        QVERIFY(!WriteFileAtomically(dir_->filePath(name).toStdString(), text));
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

    void makersAreOfferedWhenTheirCatalogueIsFound() {
        QTemporaryDir noData;
        QVERIFY(QFile::copy(kSourceData + "Schott.txt", dir_->filePath("Schott.txt")));
        Open(noData.path());
        QVERIFY(chooser_->MakerAvailable(GlassMaker::Schott));
        QVERIFY(chooser_->MakerButton(GlassMaker::Schott)->isEnabled());
        QVERIFY(!chooser_->MakerAvailable(GlassMaker::Ohara));
        QVERIFY(!chooser_->MakerButton(GlassMaker::Ohara)->isEnabled());
        QVERIFY(!chooser_->MakerButton(GlassMaker::Hoya)->isEnabled());
        // Sumita is always offered; without its file the button says why.
        QVERIFY(!chooser_->MakerAvailable(GlassMaker::Sumita));
        QVERIFY(chooser_->MakerButton(GlassMaker::Sumita)->isEnabled());
        OnRow(4);
        chooser_->ShowFor(4);
        QTest::mouseClick(chooser_->MakerButton(GlassMaker::Sumita), Qt::LeftButton);
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("Sumita.txt"));
        QVERIFY(chooser_->isVisible()); // the user can choose another maker
        QVERIFY(!data_->isVisible());

        // A catalogue that turns up is found the next time the chooser opens.
        QVERIFY(QFile::copy(kSourceData + "Ohara.txt", dir_->filePath("Ohara.txt")));
        chooser_->ShowFor(4);
        QVERIFY(chooser_->MakerButton(GlassMaker::Ohara)->isEnabled());
        QVERIFY(chooser_->MakerAvailable(GlassMaker::Ohara));
    }

    // The face buttons write the row (the rules themselves: FaceCommands.*), close the chooser and mark
    // the lens changed; in the Japanese locale the marks are Japanese and "GlassName" keeps "Screen".
    void airStopFocalPlaneAndScreenMarkTheRow() {
        Open();
        OnRow(4); // F2
        chooser_->ShowFor(4);
        QVERIFY(chooser_->isVisible());
        QTest::mouseClick(chooser_->FaceButton(SpecialFace::Air), Qt::LeftButton);
        QVERIFY(!chooser_->isVisible());
        QCOMPARE(Cell(col::Nd, 4), std::string("1"));
        QCOMPARE(Shown(col::GlassName, 4), QString("Air"));
        QVERIFY(LensOf().DataModified());
        QVERIFY(!main_->FocalLengthShown());

        UseLocale(QLocale::Japanese);
        chooser_->ShowFor(4);
        QCOMPARE(chooser_->FaceButton(SpecialFace::StopPlane)->text(), QString::fromUtf8("絞り面"));
        QTest::mouseClick(chooser_->FaceButton(SpecialFace::Screen), Qt::LeftButton);
        QCOMPARE(Cell(col::GlassName, 4), std::string("Screen"));
        QCOMPARE(QString::fromStdString(Cell(col::Remarks, 4)), QString::fromUtf8("スクリーン"));
    }

    // After glass the mirror button asks whether the mirror is the glass's silvered back; Yes adds the
    // way back as a row of the table (the rows themselves: FaceCommands.SecondSurfaceMirror...).
    void mirrorBehindGlassAsksWhetherItIsTheSilveredBack() {
        Open();
        OnRow(3); // after the N-SK16 of row 2
        host_.buttonAnswers = {ButtonNo};
        chooser_->ShowFor(3);
        QTest::mouseClick(chooser_->FaceButton(SpecialFace::Mirror), Qt::LeftButton);
        QCOMPARE(host_.messages, QStringList{"2nd surface mirror?"});
        QCOMPARE(LensOf().RowCount(), 9);
        QCOMPARE(Cell(col::GlassName, 3), std::string("Mirror"));

        Open();
        OnRow(3);
        host_.buttonAnswers = {ButtonYes};
        chooser_->ChooseSpecialFace(SpecialFace::Mirror);
        QCOMPARE(LensOf().RowCount(), 10);
        QCOMPARE(Cell(col::Nd, 3), std::string("-1.62041")); // the sample's N-SK16, negated
        QCOMPARE(Cell(col::GlassName, 4), std::string("Air"));
        QCOMPARE(Cell(col::GlassName, 5), std::string("F2")); // the rest moved down
        QCOMPARE(main_->TableModel()->rowCount(), 9);

        // Behind the object row (air) nothing is asked.
        Open();
        OnRow(2);
        chooser_->ChooseSpecialFace(SpecialFace::Mirror);
        QVERIFY(host_.messages.size() == 2);
        QCOMPARE(Cell(col::GlassName, 2), std::string("Mirror"));
    }

    void theObjectRowTakesNoGlass() {
        Open();
        OnRow(1);
        chooser_->ShowFor(1);
        QVERIFY(!chooser_->isVisible());
        chooser_->ChooseSpecialFace(SpecialFace::Mirror);
        chooser_->ChooseMaker(GlassMaker::Schott);
        QVERIFY(!data_->isVisible());
        QCOMPARE(Cell(col::GlassName, 1), std::string("Air"));
        QVERIFY(!LensOf().DataModified());
        // The object plane of an object at a limited distance neither.
        LensOf().SetText(col::GlassName, 1, "Object");
        OnRow(2);
        chooser_->ChooseSpecialFace(SpecialFace::Air);
        QCOMPARE(Cell(col::GlassName, 2), std::string("N-SK16"));
        // ShowFor moves the cursor to the row it is asked for.
        chooser_->ShowFor(5);
        QCOMPARE(main_->CurrentCell().second, 5);
        QVERIFY(chooser_->isVisible());
    }

    void selectingNBk7WritesItsIndicesAndComputesAnAddedWavelength() {
        Open();
        QVERIFY(LensOf().InsertWavelengthColumn("532nm"));
        main_->TableChanged();
        OnRow(4);
        chooser_->ShowFor(4);
        QTest::mouseClick(chooser_->MakerButton(GlassMaker::Schott), Qt::LeftButton);
        QVERIFY(!chooser_->isVisible());
        QVERIFY(data_->isVisible());
        QCOMPARE(data_->LoadedMaker(), std::optional(GlassMaker::Schott));
        QCOMPARE(data_->windowTitle(), QString("Glass Data"));

        const int glass = CatalogueRowOf("N-BK7");
        QVERIFY(glass > 0);
        data_->Grid()->SelectRow(glass);
        QCOMPARE(data_->GlassNameText(), QString("N-BK7"));
        QCOMPARE(data_->IndexText(), QString("d:1.51680"));
        QCOMPARE(data_->AbbeText(), QString("d:64.17"));

        QTest::mouseClick(data_->findChild<QPushButton*>("Select"), Qt::LeftButton);
        QVERIFY(!data_->isVisible());
        // The catalogue's indices, as SCHOTT lists them for N-BK7.
        for (const auto& [line, index] : {std::pair(col::Nt, "1.50731"), std::pair(col::Nd, "1.51680"),
                                          std::pair(col::Ni, "1.53627"), std::pair(col::Remarks, "Schott")})
            QCOMPARE(Cell(line, 4), std::string(index));
        const auto added = ParseNumber(Cell("532nm", 4));
        QVERIFY(added);
        QVERIFY(std::fabs(*added - NBk7Index(532)) < 6e-6);
        QVERIFY(host_.messages.isEmpty());
        QVERIFY(LensOf().DataModified());
        QCOMPARE(Shown(col::GlassName, 4), QString("N-BK7"));

        // Sumita names its glasses in the second column.
        OnRow(6);
        chooser_->ChooseMaker(GlassMaker::Sumita);
        const int sumita = CatalogueRowOf("K-BK7", 1);
        QVERIFY(sumita > 0);
        data_->Grid()->SelectRow(sumita);
        QVERIFY(data_->CopyGlassIndices());
        QCOMPARE(Cell(col::GlassName, 6), std::string("K-BK7"));
        QCOMPARE(Cell(col::Remarks, 6), std::string("Sumita"));
        QCOMPARE(Cell(col::Nd, 6), std::string("1.51633"));
    }

    void sortingByATitleKeepsTheSelectedGlass() {
        Open();
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        CatalogueGrid* grid = data_->Grid();
        const int glass = CatalogueRowOf("N-BK7");
        grid->SelectRow(glass);
        const std::vector<int> fileOrder = grid->Order();
        const int titleRow = data_->Catalogue().TitleRow();

        const auto sortedBy = [&](int column) {
            const auto& order = grid->Order();
            for (std::size_t k = 1; k < order.size(); ++k)
                if (QString::fromStdString(data_->Catalogue().Cell(column, order[k - 1]))
                        .compare(QString::fromStdString(data_->Catalogue().Cell(column, order[k])),
                                 Qt::CaseInsensitive) > 0)
                    return false;
            return true;
        };

        // Sort by nd: a click on the title cell of column 1.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, titleRow).center());
        QVERIFY(grid->Order() != fileOrder);
        QVERIFY(sortedBy(1));
        QCOMPARE(grid->SelectedRow(), glass);
        QVERIFY(!grid->CellRect(2, glass).isEmpty()); // scrolled into view
        QCOMPARE(data_->GlassNameText(), QString("N-BK7"));
    }

    void sortingIgnoresCaseAndKeepsTheVeryGlassSelected() {
        QTemporaryDir noData;
        // Sumita names its glasses in the second column; the first may hold the same text twice.
        Write("Sumita.txt", "No.\tGNAME\tnd\n7\tb2\t1.5\n7\tB1\t1.6\n8\ta3\t1.5\n9\tA4\t1.7\n");
        Open(noData.path());
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Sumita);
        CatalogueGrid* grid = data_->Grid();
        grid->SelectRow(2);
        grid->SortByColumn(1);
        QCOMPARE(grid->Order(), (std::vector<int>{3, 4, 2, 1}));
        QCOMPARE(grid->SelectedRow(), 2);
        grid->SortByColumn(2); // 1.5 twice: a3 stays before b2
        QCOMPARE(grid->Order(), (std::vector<int>{3, 1, 2, 4}));
        grid->SortByColumn(0);
        QCOMPARE(grid->SelectedRow(), 2); // not the first "7"
        QVERIFY(data_->CopyGlassIndices());
        QCOMPARE(Cell(col::GlassName, 4), std::string("B1"));
        QCOMPARE(Cell(col::Remarks, 4), std::string("Sumita"));
    }

    void clicksSelectRowsAndDragsMoveThem() {
        Open();
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        CatalogueGrid* grid = data_->Grid();
        const std::vector<int> before = grid->Order();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(5, before[2]).center());
        QCOMPARE(grid->SelectedRow(), before[2]);
        QCOMPARE(data_->GlassNameText(), QString::fromStdString(data_->Catalogue().Cell(0, before[2])));

        // Dragging row 1 by its fixed cell to the place of row 4.
        const QPoint from = grid->CellRect(0, before[1]).center();
        const QPoint to = grid->CellRect(0, before[4]).center();
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, grid->viewport()->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->viewport(), &move);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
        const std::vector<int> after = grid->Order();
        QCOMPARE(after[4], before[1]);
        QCOMPARE(after[1], before[2]);
        QCOMPARE(after[3], before[4]);
        QCOMPARE(grid->SelectedRow(), before[1]);

        // The keyboard moves the selection.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->SelectedRow(), after[5]);
        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(grid->SelectedRow(), after[0]);
    }

    void theGridShowsTitlesAndTheCellUnderTheMouse() {
        Open();
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        CatalogueGrid* grid = data_->Grid();
        const int titleRow = data_->Catalogue().TitleRow();
        QCOMPARE(titleRow, 2);
        const QImage image = grid->viewport()->grab().toImage();
        const QRect title = grid->CellRect(4, titleRow);
        QCOMPARE(image.pixelColor(title.left() + 1, title.top() + 1), CatalogueGrid::kTitleColour);
        const QRect heading = grid->CellRect(4, 0);
        QVERIFY(image.pixelColor(heading.left() + 1, heading.top() + 1) != CatalogueGrid::kTitleColour);

        const int glass = grid->Order()[3];
        QTest::mouseMove(grid->viewport(), grid->CellRect(7, glass).center());
        QCOMPARE(data_->ValueText(), QString::fromStdString(data_->Catalogue().Cell(7, glass)));
        QVERIFY(!data_->ValueText().isEmpty());

        QTest::mouseClick(data_->findChild<QPushButton*>("Help"), Qt::LeftButton);
        QCOMPARE(host_.helpTopics, std::vector<int>{37});
        QTest::mouseClick(data_->findChild<QPushButton*>("Cancel"), Qt::LeftButton);
        QVERIFY(!data_->isVisible());
        QVERIFY(!LensOf().DataModified());

        UseLocale(QLocale::Japanese);
        chooser_->ChooseMaker(GlassMaker::Schott);
        QCOMPARE(data_->windowTitle(), QString::fromUtf8("硝材データ Schott"));
        QCOMPARE(data_->findChild<QPushButton*>("Select")->text(), QString::fromUtf8("選択"));
    }

    void theCatalogueShownIsNotReadAgain() {
        QTemporaryDir noData;
        QVERIFY(QFile::copy(kSourceData + "Schott.txt", dir_->filePath("Schott.txt")));
        QVERIFY(QFile::copy(kSourceData + "Sumita.txt", dir_->filePath("Sumita.txt")));
        Open(noData.path());
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        data_->reject();
        Write("Schott.txt", "Glass,nd,vd\r\nZZ-1,1.5,60\r\n");
        chooser_->ChooseMaker(GlassMaker::Schott);
        QVERIFY(CatalogueRowOf("N-BK7") > 0);
        QVERIFY(host_.messages.isEmpty());

        // Another maker in between: the file is read again.
        chooser_->ChooseMaker(GlassMaker::Sumita);
        chooser_->ChooseMaker(GlassMaker::Schott);
        QCOMPARE(CatalogueRowOf("N-BK7"), -1);
        QCOMPARE(CatalogueRowOf("ZZ-1"), 1);
    }

    void aBrokenCatalogueIsReportedAndTheShownOneKept() {
        QTemporaryDir noData;
        QVERIFY(QFile::copy(kSourceData + "Schott.txt", dir_->filePath("Schott.txt")));
        Write("Ohara.txt", "This is not a catalogue\r\nGlass\tn\r\n");
        Open(noData.path());
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        data_->reject();
        chooser_->ShowFor(4);
        chooser_->ChooseMaker(GlassMaker::Ohara);
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("Ohara.txt"));
        QVERIFY(!data_->isVisible());
        QVERIFY(chooser_->isVisible());
        QCOMPARE(data_->LoadedMaker(), std::optional(GlassMaker::Schott));
        QVERIFY(CatalogueRowOf("N-BK7") > 0);
        QVERIFY(!LensOf().DataModified());
    }

    void aLineWithoutAGlassIsNotCopiedAndMissingColumnsStayEmpty() {
        QTemporaryDir noData;
        // No nF column; a blank line and a stray note among the glasses.
        Write("Schott.txt", "Test catalogue\r\n"
                            "Glass,nd,vd,nC,ng\r\n"
                            "GLASS-A,1.60000,40.0,1.59500,1.62000\r\n"
                            "\r\n"
                            "note,,,,\r\n");
        Open(noData.path());
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        const std::string before = Cell(col::GlassName, 4);
        for (int row : {3, 4}) {
            data_->Grid()->SelectRow(row);
            QVERIFY(!data_->CopyGlassIndices());
            QCOMPARE(Cell(col::GlassName, 4), before);
            QVERIFY(data_->isVisible());
        }
        QCOMPARE(host_.messages.size(), 2);
        QVERIFY(host_.messages[0].contains("Line 4"));

        data_->Grid()->SelectRow(2);
        QVERIFY(data_->CopyGlassIndices());
        QCOMPARE(Cell(col::GlassName, 4), std::string("GLASS-A"));
        QCOMPARE(Cell(col::Nd, 4), std::string("1.60000"));
        QCOMPARE(Cell(col::Ng, 4), std::string("1.62000"));
        QCOMPARE(Cell("nF", 4), std::string());
        QCOMPARE(Cell(col::Nt, 4), std::string());
    }

    // An AGF catalogue added through the glass data window: a broken file is explained and changes
    // nothing; a good one (UTF-16, as the makers publish them) is shown, its glass goes into the table
    // with indices by its formula, it is remembered and read again at the next start, offered by the
    // chooser, and can be removed. A remembered file that has gone bad is told and forgotten.
    void addedAgfCatalogueGivesItsGlassesLikeTheBuiltInOnes() {
        const QString source = QStringLiteral(VITRIMO_SOURCE_DIR "/tests/glass/data/MAKERS.AGF");
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(file.readAll());
        std::string utf16 = "\xFF\xFE";
        for (QChar c : text) {
            utf16.push_back(static_cast<char>(c.unicode() & 0xFF));
            utf16.push_back(static_cast<char>(c.unicode() >> 8));
        }
        Write("MAKERS.AGF", utf16);
        Write("BROKEN.AGF", "NM N-BK7 2 517642 1.5168 64.17\nCD 1.03961212 0.006 0.23\n");
        const QString settings = dir_->filePath("vitrimo.ini");
        const auto settingsText = [&] {
            QFile ini(settings);
            return ini.open(QIODevice::ReadOnly) ? QString::fromUtf8(ini.readAll()) : QString();
        };

        Open();
        QVERIFY(LensOf().InsertWavelengthColumn("532nm"));
        main_->TableChanged();
        OnRow(4);
        chooser_->ChooseMaker(GlassMaker::Schott);
        QVERIFY(data_->isVisible());
        auto* add = data_->findChild<QPushButton*>("AddCatalogue");
        auto* remove = data_->findChild<QPushButton*>("RemoveCatalogue");
        QVERIFY(add && remove);
        QVERIFY(!remove->isEnabled());

        host_.openFiles = {dir_->filePath("BROKEN.AGF")};
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(
            host_.messages[0].contains("line 2: the Sellmeier 1 formula of \"N-BK7\" needs 6 coefficients"));
        QCOMPARE(main_->Bench().AddedGlass().Count(), std::size_t{0});
        QCOMPARE(data_->LoadedMaker(), std::optional(GlassMaker::Schott));
        QVERIFY(!settingsText().contains("AddedCatalogues"));

        host_.openFiles = {dir_->filePath("MAKERS.AGF")};
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(host_.messages.size(), 1);
        QCOMPARE(data_->ShownAdded(), std::string("MAKERS.AGF"));
        QVERIFY(remove->isEnabled());
        QVERIFY(settingsText().contains("File1=" + dir_->filePath("MAKERS.AGF")));
        const int bsc7 = CatalogueRowOf("BSC7");
        QVERIFY(bsc7 > 0);
        data_->Grid()->SelectRow(bsc7);
        QCOMPARE(data_->GlassNameText(), QString("BSC7"));
        QCOMPARE(data_->AbbeText(), QString("d:64.2"));
        QTest::mouseClick(data_->findChild<QPushButton*>("Select"), Qt::LeftButton);
        QVERIFY(!data_->isVisible());
        QCOMPARE(Cell(col::Remarks, 4), std::string("MAKERS.AGF"));
        QCOMPARE(Cell(col::GlassName, 4), std::string("BSC7"));
        // HOYA's catalogue lists BSC7 with nt 1.50733, nd 1.51680, ni 1.53622.
        QCOMPARE(Cell(col::Nt, 4), std::string("1.50733"));
        QCOMPARE(Cell(col::Nd, 4), std::string("1.51680"));
        QCOMPARE(Cell(col::Ni, 4), std::string("1.53622"));
        // At 532 nm by HOYA's Laurent coefficients.
        const double L = 0.532 * 0.532;
        const double expected =
            std::sqrt(2.2702566 - 9.1988101e-3 * L + 1.1609706e-2 / L - 7.6123911e-5 / (L * L) +
                      2.8558727e-5 / (L * L * L) - 1.2566486e-6 / (L * L * L * L));
        QCOMPARE(Cell("532nm", 4), FormatFixed(expected, 5));
        QCOMPARE(host_.messages.size(), 1);

        // The chooser offers it.
        chooser_->ShowFor(6);
        QCOMPARE(chooser_->AddedButtons().size(), std::size_t{1});
        QCOMPARE(chooser_->AddedButtons()[0]->text(), QString("MAKERS"));
        QTest::mouseClick(chooser_->AddedButtons()[0], Qt::LeftButton);
        QVERIFY(!chooser_->isVisible());
        QCOMPARE(data_->ShownAdded(), std::string("MAKERS.AGF"));
        data_->reject();

        // The next start reads it again.
        Open();
        QCOMPARE(main_->Bench().AddedGlass().Count(), std::size_t{1});
        QCOMPARE(host_.messages.size(), 1);

        // Removing it: asked, then forgotten (the file stays).
        QVERIFY(data_->ShowAdded(0));
        host_.buttonAnswers = {ButtonYes};
        QTest::mouseClick(data_->findChild<QPushButton*>("RemoveCatalogue"), Qt::LeftButton);
        QCOMPARE(main_->Bench().AddedGlass().Count(), std::size_t{0});
        QVERIFY(!data_->isVisible());
        QVERIFY(!settingsText().contains("File1="));
        QVERIFY(QFile::exists(dir_->filePath("MAKERS.AGF")));

        // A remembered file that has become unreadable is told at the start and left out.
        host_.openFiles = {dir_->filePath("MAKERS.AGF")};
        QVERIFY(data_->AddCatalogue());
        Write("MAKERS.AGF", "NM X 99 - 1.5 60\nCD 1\n");
        const int told = host_.messages.size();
        Open();
        QCOMPARE(host_.messages.size(), told + 1);
        QVERIFY(host_.messages.last().contains("left out"));
        QVERIFY(host_.messages.last().contains("line 1: the glass \"X\" has the unknown formula \"99\""));
        QCOMPARE(main_->Bench().AddedGlass().Count(), std::size_t{0});
        QVERIFY(!settingsText().contains("File1="));
    }
};

QTEST_MAIN(TFGlsSelectTest)
#include "TFGlsSelectTest.moc"
