// Printing from the windows: the third-order table, every tab of the aberration figure window and the
// MTF window open the one preview, and its "Print" writes their content to a PDF file.
#include "engine/Workbench.h"
#include "model/FileIo.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowSupport.h"
#include "ui/PrintSupport.h"
#include "ui/ProgramWindows.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TF3rdAber.h"
#include "ui/TFCrossSection.h"
#include "ui/TFFTNval.h"
#include "ui/TFLensdata.h"
#include "ui/TFMTF.h"
#include "ui/TFSphAber.h"
#include "ui/TPreviewDlg.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

constexpr double kMmPerInch = 25.4;
// Half-inch margins (Qt keeps page layouts in whole points; 36 points are 12.7 mm): the printable
// landscape A4 page is 271.6 x 184.6 mm.
constexpr double kMargin = 12.7;
constexpr double kAcross = 297 - 2 * kMargin, kDown = 210 - 2 * kMargin;

int PdfPages(const QString& pdf) {
    QProcess process;
    process.start("pdfinfo", {pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return -1;
    const QRegularExpressionMatch match =
        QRegularExpression("Pages:\\s+(\\d+)").match(QString::fromUtf8(process.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool StartsLikePdf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

} // namespace

class PrintFromWindowsTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;
    std::unique_ptr<QTemporaryDir>& dir_ = program_.dir;
    std::unique_ptr<TFLensdata>& main_ = program_.main;
    std::unique_ptr<ProgramWindows>& windows_ = program_.windows;

    TPreviewDlg& Preview() { return windows_->Preview(); }
    TFSphAber& Figure() { return windows_->AberrationFigure(); }

    void Open(const QString& lensFile) {
        // The field tabs draw up to a maximum angle.
        QVERIFY(program_.Start(host_, lensFile, "[Aberration Fig]\nMax Angle for AS & DS=20\n"));
        QPrinter& printer = Preview().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Millimeter);
    }

    bool Settled() { return WaitUntilIdle(main_->Runner()); }

    static QString Sample(const char* name) { return kSourceData + "Lens/" + name; }

    // Once the preview is open: `inPreview` on it, then its "Print" (answered with `pdf`). Returns what
    // opened the preview saw: the window it was opened for.
    void PrintFromPreview(const QString& pdf, std::function<void()> inPreview = {}) {
        host_.printFiles.push_back(pdf);
        QTimer::singleShot(0, this, [this, inPreview] {
            QVERIFY(Preview().isVisible());
            QVERIFY(Preview().isModal());
            if (inPreview) inPreview();
            QTest::mouseClick(Preview().findChild<QPushButton*>("Print"), Qt::LeftButton);
        });
    }

    // The ink of the first page lies within the frame and reaches across most of it (down at least
    // `heightShare` of it).
    void CheckFigureFillsTheFrame(const QString& pdf, double heightShare = 0.6) {
        const std::vector<QImage> pages = RasterisePdf(pdf, 50);
        QVERIFY(!pages.empty());
        const double mm = 50 / kMmPerInch;
        const FigureFrame f = Preview().Frame();
        const PageArea area = Preview().Area();
        const double left = kMargin + kAcross * f.left / area.width,
                     right = left + kAcross * f.width / area.width;
        const double top = kMargin + kDown * f.top / area.height,
                     bottom = top + kDown * f.height / area.height;
        const QRect ink = InkBox(pages.front());
        const QString got =
            QString("%1 %2 %3 %4").arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom());
        QVERIFY2(!ink.isEmpty(), "a blank page");
        QVERIFY2(ink.left() >= left * mm - 1.5 && ink.right() <= right * mm + 1.5, qPrintable(got));
        QVERIFY2(ink.top() >= top * mm - 1.5 && ink.bottom() <= bottom * mm + 1.5, qPrintable(got));
        QVERIFY2(ink.width() >= 0.6 * (right - left) * mm, qPrintable(got));
        QVERIFY2(ink.height() >= heightShare * (bottom - top) * mm, qPrintable(got));
    }

private slots:
    void init() {
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
    }
    void cleanup() {
        windows_.reset();
        main_.reset();
        program_.benches.Clear();
    }

    // The third-order window's "Print": every cell of its grid on paper.
    void thirdOrderTablePrintsItsGrid() {
        Open(Sample("double-gauss.ldt"));
        TF3rdAber& window = windows_->ThirdOrder();
        QVERIFY(window.ShowTable());
        const QString pdf = dir_->filePath("third-order.pdf");
        PrintFromPreview(pdf);
        QTest::mouseClick(window.PrintButton(), Qt::LeftButton);
        QCOMPARE(Preview().CurrentForm(), static_cast<TPVForm*>(&window));
        QCOMPARE(Preview().result(), int(QDialog::Accepted));
        QVERIFY(StartsLikePdf(pdf));
        QCOMPARE(PdfPages(pdf), 1);
        const QString text = PdfPageText(pdf, 1);
        const QAbstractItemModel* model = window.Grid()->model();
        for (int c = 0; c < model->columnCount(); ++c)
            QVERIFY2(text.contains(model->headerData(c, Qt::Horizontal).toString().trimmed()),
                     qPrintable(model->headerData(c, Qt::Horizontal).toString()));
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < model->columnCount(); ++c) {
                const QString cell = model->data(model->index(r, c)).toString();
                QVERIFY2(text.contains(cell),
                         qPrintable(QString("row %1 column %2: %3").arg(r).arg(c).arg(cell)));
            }
        // A short table: across the page, as high as its rows.
        CheckFigureFillsTheFrame(pdf, 0.2);
    }

    // A frame too low for the table: the rows go on to further pages, each under the title row.
    void thirdOrderTableGoesOnToFurtherPages() {
        Open(Sample("double-gauss.ldt"));
        TF3rdAber& window = windows_->ThirdOrder();
        QVERIFY(window.ShowTable());
        const QAbstractItemModel* model = window.Grid()->model();
        const int rows = model->rowCount();
        const QString pdf = dir_->filePath("third-order-pages.pdf");
        // Size: the frame 60 mm high at the top of the page.
        PrintFromPreview(pdf, [this] {
            host_.textAnswers = {"12.7", "271.6", "12.7", "60"};
            QTest::mouseClick(Preview().findChild<QPushButton*>("Size"), Qt::LeftButton);
        });
        QTest::mouseClick(window.PrintButton(), Qt::LeftButton);
        const int pages = PdfPages(pdf);
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        // Each body row exactly once, in order; the title row on every page.
        const QString firstHeader = model->headerData(1, Qt::Horizontal).toString();
        int seen = 0;
        for (int p = 1; p <= pages; ++p) {
            const QString text = PdfPageText(pdf, p);
            QVERIFY2(text.contains(firstHeader), qPrintable(text));
            const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
            for (const QString& line : lines) {
                const QString first = line.simplified().section(' ', 0, 0);
                if (seen < rows && first == model->data(model->index(seen, 0)).toString()) ++seen;
            }
        }
        QCOMPARE(seen, rows);
        // Each page stays inside the 60 mm frame less the table's 10 mm bottom margin.
        const std::vector<QImage> images = RasterisePdf(pdf, 50);
        QCOMPARE(int(images.size()), pages);
        const double mm = 50 / kMmPerInch;
        for (const QImage& image : images) QVERIFY(InkBox(image).bottom() <= (kMargin + 60 - 10) * mm + 1.5);
    }

    // Every tab of the aberration window through Form > "Preview" and the toolbar's button.
    void aberrationTabsPrint_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("command");
        QTest::newRow("longitudinal") << int(TFSphAber::Longitudinal) << "actPreview";
        QTest::newRow("transverse") << int(TFSphAber::Transverse) << "tbPreview";
        QTest::newRow("field") << int(TFSphAber::Astigmatism) << "actPreview";
        QTest::newRow("distortion") << int(TFSphAber::Distortion) << "tbPreview";
        QTest::newRow("spot") << int(TFSphAber::Spot) << "actPreview";
        QTest::newRow("wavefront line") << int(TFSphAber::WavefrontLine) << "actPreview";
        QTest::newRow("wavefront face") << int(TFSphAber::WavefrontFace) << "tbPreview";
        QTest::newRow("FFT image") << int(TFSphAber::FftImage) << "actPreview";
    }
    void aberrationTabsPrint() {
        QFETCH(int, tab);
        QFETCH(QString, command);
        Open(Sample("cooke-triplet.ldt"));
        if (tab == TFSphAber::FftImage)
            QTimer::singleShot(0, this,
                               [this] { Figure().FftDialog().Button(TFFTNval::Choice::Execute)->click(); });
        Figure().ShowTab(static_cast<TFSphAber::Tab>(tab));
        QVERIFY(Settled());
        QVERIFY2(Figure().HasPlot(), qPrintable(Figure().Hint() + " | " + host_.messages.join(" | ") + " | " +
                                                host_.prompts.join(" | ")));
        QVERIFY(Figure().Action(command)->isEnabled());
        const QString pdf = dir_->filePath("aberration.pdf");
        // A frame in the middle of the page, set with the Size prompts.
        PrintFromPreview(pdf, [this] {
            host_.textAnswers = {"60", "180", "40", "130"};
            QTest::mouseClick(Preview().findChild<QPushButton*>("Size"), Qt::LeftButton);
        });
        Figure().Action(command)->trigger();
        QCOMPARE(Preview().CurrentForm(), static_cast<TPVForm*>(&Figure()));
        QVERIFY(StartsLikePdf(pdf));
        QCOMPARE(PdfPages(pdf), 1);
        // The figure's texts: its degree marks (field angle) and the wavelengths' nm.
        const QString text = PdfPageText(pdf, 1);
        QVERIFY2(text.contains(QChar(0x00B0)) || text.contains("nm"), qPrintable(text));
        CheckFigureFillsTheFrame(pdf);
        // The frame the prompts set: 60 mm from the sheet's edge.
        const FigureFrame f = Preview().Frame();
        QVERIFY(std::abs(f.left - (60 - kMargin) / kAcross * Preview().Area().width) <= 1);
    }

    void mtfWindowPrints() {
        Open(Sample("cooke-triplet.ldt"));
        TFMTF& mtf = windows_->Mtf();
        mtf.ShowFromSpotDiagram(5, 0, 10);
        QVERIFY(!mtf.Button("previewButton")->isEnabled()); // not while it calculates
        QVERIFY(Settled());
        QVERIFY(mtf.HasResult());
        QPushButton* preview = mtf.Button("previewButton");
        QVERIFY(preview->isVisible() && preview->isEnabled());
        const QString pdf = dir_->filePath("mtf.pdf");
        PrintFromPreview(pdf);
        QTest::mouseClick(preview, Qt::LeftButton);
        QCOMPARE(Preview().CurrentForm(), static_cast<TPVForm*>(&mtf));
        QVERIFY(StartsLikePdf(pdf));
        QCOMPARE(PdfPages(pdf), 1);
        const QString text = PdfPageText(pdf, 1);
        QVERIFY2(text.contains("lines / mm"), qPrintable(text));
        CheckFigureFillsTheFrame(pdf);
    }

    void crossSectionPrints() {
        Open(Sample("cooke-triplet.ldt"));
        main_->Action("actCrossSection")->trigger();
        QVERIFY(Settled());
        TFCrossSection& window = windows_->CrossSection();
        QVERIFY(window.isVisible() && window.HasResult());
        QAction* preview = window.Action("actPreview");
        QVERIFY(preview->isEnabled());
        const QString pdf = dir_->filePath("cross-section.pdf");
        PrintFromPreview(pdf);
        preview->trigger();
        QCOMPARE(Preview().CurrentForm(), static_cast<TPVForm*>(&window));
        QVERIFY(StartsLikePdf(pdf));
        QCOMPARE(PdfPages(pdf), 1);
        QVERIFY2(PdfPageText(pdf, 1).contains(" mm"), qPrintable(PdfPageText(pdf, 1))); // the scale bar
        CheckFigureFillsTheFrame(pdf, 0.3); // a lens is wider than it is high
    }

    // The aberration window's hidden Form > "&Print": the print dialog, then the whole page.
    void hiddenPrintPrintsTheWholePage() {
        Open(Sample("cooke-triplet.ldt"));
        Figure().ShowTab(TFSphAber::Longitudinal);
        QVERIFY(Settled());
        const QString pdf = dir_->filePath("direct.pdf");
        host_.printFiles.push_back(pdf);
        Figure().Action("actPrint")->trigger();
        QVERIFY(!Preview().isVisible());
        QCOMPARE(host_.printDialogs, 1);
        QCOMPARE(PdfPages(pdf), 1);
        const std::vector<QImage> pages = RasterisePdf(pdf, 50);
        QVERIFY(!pages.empty());
        const double mm = 50 / kMmPerInch;
        const QRect ink = InkBox(pages.front());
        // Inside the printable page, across most of it.
        QVERIFY(ink.left() >= kMargin * mm - 1.5 && ink.right() <= (297 - kMargin) * mm + 1.5);
        QVERIFY(ink.top() >= kMargin * mm - 1.5 && ink.bottom() <= (210 - kMargin) * mm + 1.5);
        QVERIFY(ink.width() >= 0.6 * kAcross * mm && ink.height() >= 0.6 * kDown * mm);
    }

    // Cancel in the preview prints nothing.
    void cancelledPreviewPrintsNothing() {
        Open(Sample("cooke-triplet.ldt"));
        TF3rdAber& window = windows_->ThirdOrder();
        QVERIFY(window.ShowTable());
        QTimer::singleShot(0, this, [this] {
            QTest::mouseClick(Preview().findChild<QPushButton*>("Cancel"), Qt::LeftButton);
        });
        QTest::mouseClick(window.PrintButton(), Qt::LeftButton);
        QCOMPARE(Preview().result(), int(QDialog::Rejected));
        QCOMPARE(host_.printDialogs, 0);
        QVERIFY(QDir(dir_->path()).entryList({"*.pdf"}).isEmpty());
    }
};

QTEST_MAIN(PrintFromWindowsTest)
#include "PrintFromWindowsTest.moc"
