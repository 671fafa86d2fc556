// The third-order window on the sample lenses.
#include "ui/TF3rdAber.h"

#include "model/FileIo.h"
#include "model/IniFile.h"
#include "model/NumberFormat.h"
#include "ui/LensTableModel.h"
#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFLensdata.h"

#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

const QString kSamples = QStringLiteral(VITRIMO_SOURCE_DIR "/data/Lens/");

} // namespace

class TF3rdAberTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    Benches benches_;
    std::unique_ptr<TFLensdata> main_;
    TF3rdAber* window_ = nullptr;

    void Open(const QString& sample = "cooke-triplet.ldt") {
        window_ = nullptr;
        main_.reset();
        QVERIFY(PlaceLastData(*dir_, kSamples + sample));
        main_ = std::make_unique<TFLensdata>(benches_.Fresh(), host_, SetupIn(*dir_));
        main_->show();
        window_ = new TF3rdAber(*main_);
    }

    QString Text(int gridRow, int column) {
        const QAbstractItemModel* model = window_->Grid()->model();
        return model->data(model->index(gridRow - 1, column)).toString();
    }
    double Value(int gridRow, int column) {
        return ParseNumber(Text(gridRow, column).toStdString()).value_or(1e300);
    }
    int GridRows() { return window_->Grid()->model()->rowCount() + 1; } // with the header

    void Edit(std::string_view column, int row, const QString& text) {
        QVERIFY(SetCell(*main_, column, row, text));
    }

    // The window becomes the active one, as when the user clicks it.
    void Activate(QWidget* widget) {
        widget->activateWindow();
        QTRY_VERIFY(widget->isActiveWindow());
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

    void showsTheCoefficientsSurfaceBySurface() {
        Open();
        QVERIFY(window_->ShowTable());
        QVERIFY(window_->isVisible());
        QCOMPARE(window_->windowTitle(), QString("3rd Order Aberration Coefficient"));
        QVERIFY(host_.messages.isEmpty());
        QCOMPARE(GridRows(), 7 + 2);
        const QStringList headers{" No.",  "   SA", "   CM", "   AS", "   DS", "   PT", "    L",
                                  "    T", "   A",  "   H",  "   AP", "   HP", "   P",  "   e"};
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(window_->Grid()->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
        QCOMPARE(Text(1, 0), QString("1"));
        QCOMPARE(Text(7, 0), QString("7"));
        QCOMPARE(Text(8, 0), QString("SUM"));
        QVERIFY(Text(8, 8).isEmpty());
        const QRegularExpression four("^-?\\d+\\.\\d{4}$"), five("^-?\\d+\\.\\d{5}$");
        QVERIFY(four.match(Text(2, 1)).hasMatch());
        QVERIFY(five.match(Text(2, 6)).hasMatch());
        QVERIFY(five.match(Text(8, 7)).hasMatch());
        // The marginal ray enters parallel at height 1.
        QCOMPARE(Text(1, 8), QString("0.0000"));
        QCOMPARE(Text(1, 9), QString("1.0000"));
        // The stop plane bends no ray.
        QCOMPARE(Value(5, 1), 0.0);
        QCOMPARE(Value(5, 12), 0.0);
        QVERIFY(window_->PrintButton()->isEnabled()); // a filled table can be printed
        QTest::mouseClick(window_->findChild<QPushButton*>("Help"), Qt::LeftButton);
        QCOMPARE(host_.helpTopics, std::vector<int>{42});
    }

    void numbersStandAtTheRightOfTheirCells() {
        Open();
        QVERIFY(window_->ShowTable());
        window_->SelectRow(8);
        QTableView* grid = window_->Grid();
        const QRect cell = grid->visualRect(grid->model()->index(1, 1));
        const QImage image = grid->viewport()->grab().toImage();
        int first = cell.right(), last = cell.left();
        for (int x = cell.left(); x <= cell.right() - 1; ++x)
            for (int y = cell.top(); y < cell.bottom(); ++y)
                if (qGray(image.pixel(x, y)) < 100) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        QVERIFY(last > first);
        QVERIFY(first > cell.left() + cell.width() / 4);
        QVERIFY(last >= cell.right() - 6);
    }

    void subtotalsSumTheirGroup() {
        Open();
        QVERIFY(window_->ShowTable());
        window_->SelectRow(4);
        QTest::mouseClick(window_->findChild<QToolButton*>("InsertSubtotal"), Qt::LeftButton);
        QCOMPARE(GridRows(), 7 + 2 + 1);
        QCOMPARE(Text(4, 0), QString("-"));
        QCOMPARE(Text(5, 0), QString("4"));
        QVERIFY(Text(4, 9).isEmpty());
        for (int c = 1; c <= 7; ++c)
            QVERIFY(std::fabs(Value(4, c) - (Value(1, c) + Value(2, c) + Value(3, c))) < 2e-4);

        // Not at row 2, nor next to a subtotal.
        for (int row : {2, 5}) {
            window_->SelectRow(row);
            window_->InsertSubtotal();
            QCOMPARE(GridRows(), 10);
        }
        // A second group: surfaces 4 to 6.
        window_->SelectRow(8);
        window_->InsertSubtotal();
        QCOMPARE(GridRows(), 11);
        QCOMPARE(Text(8, 0), QString("-"));
        QCOMPARE(Text(10, 0), QString("SUM"));
        for (int c = 1; c <= 7; ++c) {
            QVERIFY(std::fabs(Value(8, c) - (Value(5, c) + Value(6, c) + Value(7, c))) < 2e-4);
            QVERIFY(std::fabs(Value(10, c) - (Value(4, c) + Value(8, c) + Value(9, c))) < 3e-4);
        }

        // Deleting asks first, in English whatever the locale.
        UseLocale(QLocale::Japanese);
        window_->SelectRow(4);
        host_.buttonAnswers = {ButtonNo, ButtonYes};
        QTest::mouseClick(window_->findChild<QToolButton*>("DeleteSubtotal"), Qt::LeftButton);
        QCOMPARE(GridRows(), 11);
        QTest::mouseClick(window_->findChild<QToolButton*>("DeleteSubtotal"), Qt::LeftButton);
        QCOMPARE(GridRows(), 10);
        QCOMPARE(host_.messages, QStringList(2, "Delete OK ?"));
        QCOMPARE(Text(4, 0), QString("4"));
        QCOMPARE(Text(7, 0), QString("-")); // the later subtotal moved up with its rows
        window_->SelectRow(3);
        window_->DeleteSubtotal(); // a surface row: nothing asked
        QCOMPARE(host_.messages.size(), 2);
    }

    void dataSaveWritesTabSeparatedLines() {
        Open();
        QVERIFY(window_->ShowTable());
        window_->SelectRow(4);
        window_->InsertSubtotal();
        const QString path = dir_->filePath("coefficients.txt");
        host_.saveFiles = {path};
        QTest::mouseClick(window_->SaveButton(), Qt::LeftButton);
        QCOMPARE(host_.dialogTitles, QStringList{"Save the coefficient table"});
        // The table's text with the subtotal (its layout:
        // ThirdOrder.SavedTextHasAHeaderALinePerRowAndTheSum).
        std::string text;
        QVERIFY(!ReadWholeFile(path.toStdString(), text));
        QCOMPARE(text, window_->Table().Text());
        QCOMPARE(QString::fromStdString(text).split("\r\n")[4].split('\t')[1], Text(4, 1));

        host_.saveFiles = {dir_->filePath("no/such/folder/x.txt")};
        window_->SaveTable();
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages[0].contains("x.txt"));
        window_->SaveTable(); // cancelled: nothing written, nothing said
        QCOMPARE(host_.messages.size(), 1);
    }

    void activationFollowsTheEditedLens() {
        Open();
        QVERIFY(window_->ShowTable());
        Activate(window_);
        const double before = Value(1, 1);
        Activate(main_.get());
        Edit(col::R, 2, "45");
        QVERIFY(!main_->LensData().ArraysCurrent());
        Activate(window_);
        QVERIFY(main_->LensData().ArraysCurrent());
        QVERIFY(Value(1, 1) != before);
        QVERIFY(main_->FocalLengthShown());
    }

    void aDeclinedQuestionIsNotAskedOnEveryActivation() {
        Open();
        QVERIFY(window_->ShowTable());
        Activate(main_.get());
        Edit(col::EffectiveDiameter, 1, "");
        Edit(col::EffectiveDiameter, 2, "");
        Activate(window_);
        QCOMPARE(host_.prompts.size(), 1);
        Activate(main_.get());
        Activate(window_);
        QCOMPARE(host_.prompts.size(), 1);
        // The command asks again; so does the next activation after an edit.
        QVERIFY(!window_->ShowTable());
        QCOMPARE(host_.prompts.size(), 2);
        Activate(main_.get());
        Edit(col::R, 2, "45");
        host_.textAnswers = {std::string("20")};
        Activate(window_);
        QCOMPARE(host_.prompts.size(), 3);
        QVERIFY(main_->LensData().ArraysCurrent());
        QCOMPARE(Text(8, 0), QString("SUM"));
    }

    void withoutAnImageTheWindowIsNotFilled() {
        Open("singlet.ldt");
        Edit(col::GlassName, 3, "Ideal Lens");
        Edit(col::R, 3, "-50");
        QVERIFY(!window_->ShowTable());
        QVERIFY(!window_->isVisible());
        QCOMPARE(host_.messages, QStringList{"No fucus point exist!"});

        // Open on a good lens, then the image goes away: the window empties without a message box.
        Open("singlet.ldt");
        QVERIFY(window_->ShowTable());
        Activate(main_.get());
        Edit(col::GlassName, 3, "Ideal Lens");
        Edit(col::R, 3, "-50");
        Activate(window_);
        QCOMPARE(window_->Grid()->model()->rowCount(), 0);
        QCOMPARE(window_->StatusText(), QString("No fucus point exist!"));
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(!window_->SaveButton()->isEnabled());
        window_->SaveTable();
        QVERIFY(host_.dialogTitles.isEmpty());
    }

    void geometryComesFromTheSettings() {
        IniFile ini;
        ini.WriteInteger(TF3rdAber::kSection, "Left", 50);
        ini.WriteInteger(TF3rdAber::kSection, "Top", 60);
        ini.WriteInteger(TF3rdAber::kSection, "Width", 600);
        ini.WriteInteger(TF3rdAber::kSection, "Height", 300);
        QVERIFY(!ini.Save(dir_->filePath("vitrimo.ini").toStdString()));
        Open();
        QCOMPARE(window_->geometry(), QRect(50, 60, 600, 300));

        IniFile written;
        window_->WriteSettings(written);
        QCOMPARE(written.ReadInteger(TF3rdAber::kSection, "Width", 0), 600);
        window_->setGeometry(TF3rdAber::kWrittenDefaults);
        window_->WriteSettings(written);
        QVERIFY(written.Keys(TF3rdAber::kSection).empty());

        // A window that would reach below the screen is moved up.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        ini.WriteInteger(TF3rdAber::kSection, "Top", screen.bottom() - 100);
        QVERIFY(!ini.Save(dir_->filePath("vitrimo.ini").toStdString()));
        Open();
        QCOMPARE(window_->geometry().bottom(), screen.bottom());
        QCOMPARE(window_->height(), 300);

        // Damaged values: a width that is not a number keeps the default, a tiny height is enlarged.
        ini.WriteString(TF3rdAber::kSection, "Width", "wide");
        ini.WriteInteger(TF3rdAber::kSection, "Top", 60);
        ini.WriteInteger(TF3rdAber::kSection, "Height", 3);
        QVERIFY(!ini.Save(dir_->filePath("vitrimo.ini").toStdString()));
        Open();
        QCOMPARE(window_->width(), TF3rdAber::kWrittenDefaults.width());
        QCOMPARE(window_->height(), 100);
    }
};

QTEST_MAIN(TF3rdAberTest)
#include "TF3rdAberTest.moc"
