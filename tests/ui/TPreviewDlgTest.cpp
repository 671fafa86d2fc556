// The print preview: the page fitted to the paper, the frame edited with the mouse and in millimetres,
// the grid printed page by page, and printing to a PDF file.
#include "ui/TPreviewDlg.h"

#include "figures/GridPrintDraw.h"
#include "model/NumberFormat.h"
#include "ui/MainWindowSupport.h"
#include "ui/PrintSupport.h"
#include "ui/ScriptedUiHost.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

constexpr double kMmPerInch = 25.4;
// Page margins of half an inch: Qt keeps a page's layout in whole points, and 36 points are 12.7 mm
// exactly. The landscape A4 page inside them is 271.6 x 184.6 mm.
constexpr double kMargin = 12.7;
constexpr double kAcross = 297 - 2 * kMargin, kDown = 210 - 2 * kMargin;

// Sheets in millimetres, as the paper standards give them.
struct Sheet {
    const char* name;
    QPageSize::PageSizeId id;
    double widthMm, heightMm; // portrait
};
const Sheet kA4{"A4", QPageSize::A4, 210, 297};
const Sheet kLetter{"Letter", QPageSize::Letter, 215.9, 279.4};

// A page of `widthMm` x `heightMm` at `dpi` without margins, in whole device pixels.
PrinterPage PageOfSheet(double widthMm, double heightMm, int dpi, double marginMm = 0) {
    const auto pixels = [dpi](double mm) { return static_cast<int>(std::lround(mm / kMmPerInch * dpi)); };
    PrinterPage page;
    page.physicalWidth = pixels(widthMm);
    page.physicalHeight = pixels(heightMm);
    page.printableWidth = pixels(widthMm - 2 * marginMm);
    page.printableHeight = pixels(heightMm - 2 * marginMm);
    page.offsetX = page.offsetY = pixels(marginMm);
    page.dpiX = page.dpiY = dpi;
    return page;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || button == Qt::NoButton
                                      ? Qt::MouseButtons(Qt::NoButton)
                                      : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Grabs an edge at `from` and drags it to `to`.
void Drag(QWidget* image, QPoint from, QPoint to) {
    SendMouse(image, QEvent::MouseMove, from, Qt::NoButton);
    SendMouse(image, QEvent::MouseButtonPress, from);
    SendMouse(image, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    SendMouse(image, QEvent::MouseMove, to, Qt::LeftButton);
    SendMouse(image, QEvent::MouseButtonRelease, to);
}

int PdfPages(const QString& pdf) {
    QProcess process;
    process.start("pdfinfo", {pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return -1;
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch match = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool StartsLikePdf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

// A table of `bodyRows` rows under one title row, printed through the grid printer.
class GridForm : public TPVForm {
public:
    PrintGrid grid;
    bool fit = true;

    explicit GridForm(int bodyRows) {
        grid.cells.push_back({"Title", "Alpha", "Beta"});
        for (int r = 1; r <= bodyRows; ++r)
            grid.cells.push_back({"r" + std::to_string(r), "a" + std::to_string(r), "b" + std::to_string(r)});
        grid.titleRows = 1;
        grid.columnWidths = {80, 120, 120};
        grid.rowHeight = 20;
        grid.screenDpi = 96;
        grid.fontPixels = 12;
    }
    TSGridPrintDraw Draw(const QRectF& area) const {
        return TSGridPrintDraw(grid, area, kPaperUnitsPerInch, fit);
    }
    void DrawForPrint(QPainter& painter, const QRectF& area) override { Draw(area).DrawPage(painter, 0); }
    int PrintPageCount(const QRectF& area) override { return Draw(area).PageCount(); }
    void DrawPrintPage(QPainter& painter, const QRectF& area, int page) override {
        Draw(area).DrawPage(painter, page);
    }
};

} // namespace

class TPreviewDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedUiHost host_;
    std::unique_ptr<TPreviewDlg> dialog_;
    SolidForm form_;

    // A preview on an A4 sheet (landscape, as the preview turns it) with `marginMm` all round.
    void OpenOn(const Sheet& sheet, double marginMm, QSize size = QSize(780, 600)) {
        dialog_ = std::make_unique<TPreviewDlg>(host_, nullptr);
        QPrinter& printer = dialog_->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(sheet.id));
        printer.setPageMargins(QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
        dialog_->resize(size);
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
        dialog_->Begin(form_);
    }

    QString Pdf(const QString& name) const { return dir_->filePath(name); }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        host_ = ScriptedUiHost{};
        form_ = SolidForm{};
        UseLocale(QLocale::English);
    }
    void cleanup() { dialog_.reset(); }

    // ---- The page area fitted to the paper ----

    void pageAreaFollowsThePaper_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("sheetWidthMm");
        QTest::addColumn<double>("sheetHeightMm");
        QTest::addColumn<int>("expectedWidth");
        QTest::addColumn<int>("expectedHeight");
        // Expected: the ratio of the sheet in millimetres applied by hand.
        // A4 landscape 297 x 210: 500 * 297 / 210 = 707.14; 700 * 210 / 297 = 494.95.
        QTest::newRow("A4 landscape, wide area") << 800 << 500 << 297.0 << 210.0 << 707 << 500;
        QTest::newRow("A4 landscape, tall area") << 700 << 600 << 297.0 << 210.0 << 700 << 495;
        // A4 portrait 210 x 297: 600 * 210 / 297 = 424.24; 400 * 297 / 210 = 565.71.
        QTest::newRow("A4 portrait, wide area") << 700 << 600 << 210.0 << 297.0 << 424 << 600;
        QTest::newRow("A4 portrait, tall area") << 400 << 700 << 210.0 << 297.0 << 400 << 566;
        // Letter landscape 279.4 x 215.9: 500 * 279.4 / 215.9 = 647.06; 600 * 215.9 / 279.4 = 463.64.
        QTest::newRow("Letter landscape, wide area") << 800 << 500 << 279.4 << 215.9 << 647 << 500;
        QTest::newRow("Letter landscape, tall area") << 600 << 600 << 279.4 << 215.9 << 600 << 464;
        // An area of exactly the paper's aspect is kept.
        QTest::newRow("exact aspect") << 594 << 420 << 297.0 << 210.0 << 594 << 420;
    }
    void pageAreaFollowsThePaper() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, sheetWidthMm);
        QFETCH(double, sheetHeightMm);
        QFETCH(int, expectedWidth);
        QFETCH(int, expectedHeight);
        const PageArea area = FitPageArea(width, height, PageOfSheet(sheetWidthMm, sheetHeightMm, 600));
        QCOMPARE(area.width, expectedWidth);
        QCOMPARE(area.height, expectedHeight);
    }

    void dialogFitsThePageToTheLandscapeSheet_data() {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<double>("marginMm");
        QTest::newRow("A4") << 0 << 0.0;
        QTest::newRow("A4, half-inch margins") << 0 << kMargin;
        QTest::newRow("Letter") << 1 << 0.0;
        QTest::newRow("Letter, quarter-inch margins") << 1 << kMargin / 2;
    }
    void dialogFitsThePageToTheLandscapeSheet() {
        QFETCH(int, sheet);
        QFETCH(double, marginMm);
        const Sheet& paper = sheet == 0 ? kA4 : kLetter;
        OpenOn(paper, marginMm);
        QCOMPARE(dialog_->Printer().pageLayout().orientation(), QPageLayout::Landscape);
        // The printable sheet, landscape: the long side across.
        const double across = paper.heightMm - 2 * marginMm, down = paper.widthMm - 2 * marginMm;
        const QSize image = dialog_->Image()->size();
        const PageArea area = dialog_->Area();
        if (double(image.width()) / image.height() >= across / down) {
            QCOMPARE(area.height, image.height());
            QVERIFY(std::abs(area.width - image.height() * across / down) <= 1);
        } else {
            QCOMPARE(area.width, image.width());
            QVERIFY(std::abs(area.height - image.width() * down / across) <= 1);
        }
        // The figure fills the page, frame mode off.
        QCOMPARE(dialog_->Frame(), (FigureFrame{0, 0, area.width, area.height}));
        QVERIFY(!dialog_->FrameMode());
        // The figure is drawn on the printable page in paper units (96 to the inch).
        dialog_->Image()->grab();
        QVERIFY(form_.draws > 0);
        QVERIFY2(std::abs(form_.lastArea.width() - across / kMmPerInch * 96) < 0.5,
                 qPrintable(QString("%1 %2 %3")
                                .arg(form_.lastArea.width())
                                .arg(form_.lastArea.height())
                                .arg(across / kMmPerInch * 96)));
        QVERIFY(std::abs(form_.lastArea.height() - down / kMmPerInch * 96) < 0.5);
        QCOMPARE(form_.lastArea.topLeft(), QPointF(0, 0));
    }

    // What the preview paints: the page white, the figure in its frame, the rest the window's colour;
    // after an edit the page light grey around the figure.
    void previewPaintsThePageAndTheFigure() {
        OpenOn(kA4, kMargin, QSize(600, 560));
        const PageArea area = dialog_->Area();
        QImage image = dialog_->Image()->grab().toImage();
        QVERIFY(form_.draws > 0);
        QCOMPARE(qGray(image.pixel(area.width / 2, area.height / 2)), 0); // the figure's ink everywhere
        const int right = area.width - 1, below = area.height + 2;
        QCOMPARE(qGray(image.pixel(right - 1, area.height / 2)), 0);
        if (below < image.height())
            QCOMPARE(image.pixelColor(area.width / 2, below), dialog_->palette().window().color());
        // The sheet's edge is drawn just outside the page.
        if (area.width < image.width()) QVERIFY(qGray(image.pixel(area.width, area.height / 2)) < 200);
        if (area.height < image.height()) QVERIFY(qGray(image.pixel(area.width / 2, area.height)) < 200);
        QVERIFY(area.width < image.width() || area.height < image.height());

        dialog_->SetFrame(FigureFrame{100, 80, 200, 150});
        image = dialog_->Image()->grab().toImage();
        QCOMPARE(image.pixelColor(50, 40), QColor(238, 238, 238));
        QCOMPARE(qGray(image.pixel(200, 150)), 0);
        QCOMPARE(image.pixelColor(320, 150), QColor(238, 238, 238));
        QCOMPARE(image.pixelColor(200, 250), QColor(238, 238, 238));
    }

    // A resized dialog fits the page again and keeps the figure's share of it.
    void resizedDialogKeepsTheFramesShare() {
        OpenOn(kA4, 0, QSize(780, 600));
        const PageArea before = dialog_->Area();
        dialog_->SetFrame(
            FigureFrame{before.width / 4, before.height / 4, before.width / 2, before.height / 2});
        dialog_->resize(QSize(500, 420));
        QTRY_VERIFY(dialog_->Area().width != before.width);
        const PageArea area = dialog_->Area();
        const QSize image = dialog_->Image()->size();
        QVERIFY(area.width <= image.width() && area.height <= image.height());
        QVERIFY(area.width == image.width() || area.height == image.height());
        QVERIFY(std::abs(double(area.width) / area.height - 297.0 / 210) < 0.01);
        const FigureFrame f = dialog_->Frame();
        QVERIFY(std::abs(f.left - area.width / 4.0) <= 1 && std::abs(f.width - area.width / 2.0) <= 1);
        QVERIFY(std::abs(f.top - area.height / 4.0) <= 1 && std::abs(f.height - area.height / 2.0) <= 1);
    }

    // ---- The frame edited with the mouse ----

    void mouseDragsTheFrameEdges_data() {
        QTest::addColumn<QString>("edge");
        QTest::addColumn<QPoint>("fromShare"); // grab point: 0 = left/top, 1 = right/bottom, 2 = middle
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<int>("cursor");
        // Offsets of the pointer from the grabbed edge; the expected frame follows from them below.
        QTest::newRow("left in") << "left" << QPoint(0, 2) << 60 << 0 << int(Qt::SizeHorCursor);
        QTest::newRow("right in") << "right" << QPoint(1, 2) << -100 << 0 << int(Qt::SizeHorCursor);
        QTest::newRow("top in") << "top" << QPoint(2, 0) << 0 << 40 << int(Qt::SizeVerCursor);
        QTest::newRow("bottom in") << "bottom" << QPoint(2, 1) << 0 << -70 << int(Qt::SizeVerCursor);
        QTest::newRow("left past the right edge")
            << "left" << QPoint(0, 2) << 2000 << 0 << int(Qt::SizeHorCursor);
        QTest::newRow("top past the bottom edge")
            << "top" << QPoint(2, 0) << 0 << 2000 << int(Qt::SizeVerCursor);
        QTest::newRow("right off the page") << "right" << QPoint(1, 2) << 500 << 0 << int(Qt::SizeHorCursor);
        QTest::newRow("top off the page") << "top" << QPoint(2, 0) << 0 << -50 << int(Qt::SizeVerCursor);
    }
    void mouseDragsTheFrameEdges() {
        QFETCH(QString, edge);
        QFETCH(QPoint, fromShare);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(int, cursor);
        OpenOn(kA4, 0);
        QWidget* image = dialog_->Image();
        // A frame inside the page, so every edge can move both ways.
        dialog_->SetFrame(FigureFrame{100, 60, 300, 200});
        const FigureFrame f = dialog_->Frame();
        const PageArea area = dialog_->Area();
        const auto at = [&](int share, int low, int length) {
            return share == 0 ? low : share == 1 ? low + length : low + length / 2;
        };
        const QPoint from(at(fromShare.x(), f.left, f.width), at(fromShare.y(), f.top, f.height));
        const QPoint to = from + QPoint(dx, dy);

        // Without frame mode the mouse does nothing.
        Drag(image, from, to);
        QCOMPARE(dialog_->Frame(), f);

        SendMouse(image, QEvent::MouseButtonDblClick, QPoint(5, 5));
        QVERIFY(dialog_->FrameMode());
        SendMouse(image, QEvent::MouseMove, from, Qt::NoButton);
        QCOMPARE(int(image->cursor().shape()), cursor);
        Drag(image, from, to);
        QVERIFY(!dialog_->Dragging());

        FigureFrame expected = f;
        const int right = f.left + f.width, bottom = f.top + f.height;
        if (edge == "left" && to.x() < right)
            expected = {std::max(to.x(), 0), f.top, right - std::max(to.x(), 0), f.height};
        if (edge == "right" && to.x() > f.left) expected.width = std::min(to.x(), area.width) - f.left;
        if (edge == "top" && to.y() < bottom)
            expected = {f.left, std::max(to.y(), 0), f.width, bottom - std::max(to.y(), 0)};
        if (edge == "bottom" && to.y() > f.top) expected.height = std::min(to.y(), area.height) - f.top;
        QCOMPARE(dialog_->Frame(), expected);
        QVERIFY(dialog_->Frame().width > 0 && dialog_->Frame().height > 0);

        // Away from the edges the cursor is the normal one and nothing is grabbed.
        SendMouse(image, QEvent::MouseMove, QPoint(f.left + f.width / 3, f.top + f.height / 3), Qt::NoButton);
        QCOMPARE(dialog_->HotEdge(), FrameEdge::None);
        QCOMPARE(image->cursor().shape(), Qt::ArrowCursor);

        // A second double-click leaves frame mode.
        SendMouse(image, QEvent::MouseButtonDblClick, QPoint(5, 5));
        QVERIFY(!dialog_->FrameMode());
    }

    // ---- "Size": four prompts in millimetres ----

    void sizePromptsSetTheFrameInMillimetres_data() {
        QTest::addColumn<QStringList>("answers"); // "<cancel>" cancels that box
        QTest::addColumn<QList<double>>(
            "expectedMm"); // left, width, top, height on the sheet; empty: unchanged
        QTest::addColumn<bool>("complains");
        // The sheet: A4 landscape with 12.7 mm margins; the printable page starts 12.7 mm from the sheet's
        // edges and ends at 284.3 mm across, 197.3 mm down.
        QTest::newRow("all four") << QStringList{"30", "100", "40", "80"} << QList<double>{30, 100, 40, 80}
                                  << false;
        QTest::newRow("decimals") << QStringList{"22.5", "200.5", "12.7", "150.5"}
                                  << QList<double>{22.5, 200.5, 12.7, 150.5} << false;
        // A left edge past the page leaves it; the other values apply.
        QTest::newRow("left past the page")
            << QStringList{"400", "100", "40", "80"} << QList<double>{kMargin, 100, 40, 80} << false;
        // Left of the printable area: at its edge.
        QTest::newRow("left in the margin")
            << QStringList{"4", "100", "40", "80"} << QList<double>{kMargin, 100, 40, 80} << false;
        // Too wide: up to the page's right edge.
        QTest::newRow("too wide") << QStringList{"150", "300", "40", "80"}
                                  << QList<double>{150, 284.3 - 150, 40, 80} << false;
        // Zero or negative lengths are not applied; the left and top edges already shortened the frame.
        QTest::newRow("zero width") << QStringList{"50", "0", "40", "-5"}
                                    << QList<double>{50, 284.3 - 50, 40, 197.3 - 40} << false;
        QTest::newRow("not a number") << QStringList{"30", "abc"} << QList<double>{} << true;
        QTest::newRow("not finite") << QStringList{"inf"} << QList<double>{} << true;
        QTest::newRow("nan") << QStringList{"30", "100", "nan"} << QList<double>{} << true;
        QTest::newRow("cancel the third") << QStringList{"30", "100", "<cancel>"} << QList<double>{} << false;
        QTest::newRow("cancel the first") << QStringList{"<cancel>"} << QList<double>{} << false;
    }
    void sizePromptsSetTheFrameInMillimetres() {
        QFETCH(QStringList, answers);
        QFETCH(QList<double>, expectedMm);
        QFETCH(bool, complains);
        OpenOn(kA4, kMargin);
        const FigureFrame before = dialog_->Frame();
        const PageArea area = dialog_->Area();
        for (const QString& answer : answers)
            host_.textAnswers.push_back(
                answer == "<cancel>" ? std::nullopt : std::optional<std::string>(answer.toStdString()));
        dialog_->SizeClick();

        // The boxes: caption and prompts in their one wording, in order, each showing the current value.
        const QStringList prompts{"左端", "横幅", "上端", "高さ"};
        QVERIFY(host_.textCaptions.size() >= 1);
        for (int k = 0; k < host_.textCaptions.size(); ++k) {
            QCOMPARE(host_.textCaptions[k], QString("印刷範囲"));
            QCOMPARE(host_.prompts[k], prompts[k]);
        }
        const double shown0 = ParseNumber(host_.textDefaults[0].toStdString()).value_or(-1);
        QVERIFY2(std::abs(shown0 - kMargin) <= 0.05, qPrintable(host_.textDefaults[0])); // the margin
        if (host_.textDefaults.size() >= 2) {
            // The width as the typed left edge left it: up to the page's right edge at 284.3 mm (to a
            // preview pixel).
            const double typedLeft = ParseNumber(answers[0].toStdString()).value_or(0);
            const double left = typedLeft < 297 - kMargin ? std::max(typedLeft, kMargin) : kMargin;
            const double shown1 = ParseNumber(host_.textDefaults[1].toStdString()).value_or(-1);
            QVERIFY2(std::abs(shown1 - (297 - kMargin - left)) <= kAcross / area.width + 0.05,
                     qPrintable(host_.textDefaults[1]));
        }
        QVERIFY(host_.textDefaults[0].contains('.') && host_.textDefaults[0].section('.', 1).size() == 1);
        QCOMPARE(!host_.messages.isEmpty(), complains);

        if (expectedMm.isEmpty()) {
            QCOMPARE(dialog_->Frame(), before);
            return;
        }
        // Millimetres on the sheet to preview pixels: off the margin, over the printable page.
        const FigureFrame f = dialog_->Frame();
        const auto near = [](int actual, double expected) { return std::abs(actual - expected) <= 1; };
        QVERIFY2(near(f.left, (expectedMm[0] - kMargin) / kAcross * area.width),
                 qPrintable(QString::number(f.left)));
        QVERIFY2(near(f.width, expectedMm[1] / kAcross * area.width), qPrintable(QString::number(f.width)));
        QVERIFY2(near(f.top, (expectedMm[2] - kMargin) / kDown * area.height),
                 qPrintable(QString::number(f.top)));
        QVERIFY2(near(f.height, expectedMm[3] / kDown * area.height), qPrintable(QString::number(f.height)));
        QVERIFY(f.left + f.width <= area.width && f.top + f.height <= area.height);

        // Asked again, the boxes show what was typed (to the preview's pixel).
        host_ = ScriptedUiHost{};
        dialog_->SizeClick();
        QCOMPARE(host_.textDefaults.size(), 1);
        const double pixelMm = kAcross / area.width;
        const double shownLeft = ParseNumber(host_.textDefaults[0].toStdString()).value_or(-1);
        QVERIFY2(std::abs(shownLeft - expectedMm[0]) <= pixelMm, qPrintable(host_.textDefaults[0]));
    }

    // ---- The grid on paper ----

    void gridSplitsRowsIntoPagesUnderTheTitle_data() {
        QTest::addColumn<int>("bodyRows");
        QTest::addColumn<double>("areaHeight"); // paper units (1/96 in)
        QTest::addColumn<int>("rowsPerPage");
        // At fit factor 1 a row is 20 units; the margins take 10 + 10 mm = 75.59 units of the height.
        // 400 units: (400 - 75.59) / 20 = 16.2 -> 16 lines, one the title.
        QTest::newRow("one page") << 10 << 400.0 << 15;
        QTest::newRow("exactly one page") << 15 << 400.0 << 15;
        QTest::newRow("one row more") << 16 << 400.0 << 15;
        QTest::newRow("three pages") << 40 << 400.0 << 15;
        // 200 units: (200 - 75.59) / 20 = 6.2 -> 6 lines.
        QTest::newRow("short page") << 23 << 200.0 << 5;
    }
    void gridSplitsRowsIntoPagesUnderTheTitle() {
        QFETCH(int, bodyRows);
        QFETCH(double, areaHeight);
        QFETCH(int, rowsPerPage);
        GridForm form(bodyRows);
        form.fit = false;
        const QRectF area(0, 0, 600, areaHeight);
        const TSGridPrintDraw draw = form.Draw(area);
        QCOMPARE(draw.RowsPerPage(), rowsPerPage);
        const int pages = (bodyRows + rowsPerPage - 1) / rowsPerPage;
        QCOMPARE(draw.PageCount(), pages);
        // Every body row on exactly one page, in order.
        int next = 1;
        for (int page = 0; page < pages; ++page) {
            const auto [first, count] = draw.PageRows(page);
            QCOMPARE(first, next);
            next += count;
        }
        QCOMPARE(next, bodyRows + 1);
        // The margins: 10 mm left and top.
        QVERIFY(std::abs(draw.CellRect(0, 0).left() - 10 * 96 / 25.4) < 1e-6);
        QVERIFY(std::abs(draw.CellRect(0, 0).top() - 10 * 96 / 25.4) < 1e-6);
    }

    // Printed: the title on every page, each row once, the table inside the margins.
    void gridPrintsPagesWithTheTitleRepeated() {
        const QString pdf = Pdf("grid.pdf");
        GridForm form(70);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        const PrinterPage page = PageOf(printer);
        QVERIFY(!PrintForm(printer, form, DeviceRect{0, 0, page.printableWidth, page.printableHeight}));
        QVERIFY(StartsLikePdf(pdf));

        // The table fills the width within the margins: 297 - 15 mm = 282 mm over 320 screen pixels, so a
        // row is 20 * 282 / 320 mm = 17.625 mm high; (210 - 20) / 17.625 = 10.8 -> 10 lines, 9 rows a page.
        const int pages = (70 + 8) / 9;
        QCOMPARE(PdfPages(pdf), pages);
        for (int p = 1; p <= pages; ++p) {
            const QString text = PdfPageText(pdf, p);
            QVERIFY2(text.contains("Title") && text.contains("Alpha"), qPrintable(text));
            const int first = (p - 1) * 9 + 1, last = std::min(p * 9, 70);
            for (int r = 1; r <= 70; ++r) {
                const bool here = text.contains(QRegularExpression(QString("\\br%1\\b").arg(r)));
                QVERIFY2(here == (r >= first && r <= last),
                         qPrintable(QString("row %1 page %2").arg(r).arg(p)));
            }
        }
        const std::vector<QImage> images = RasterisePdf(pdf, 100);
        QCOMPARE(int(images.size()), pages);
        const double px = 100 / kMmPerInch; // pixels per millimetre
        for (const QImage& image : {images.front(), images.back()}) {
            const QRect ink = InkBox(image);
            QVERIFY(!ink.isEmpty());
            // The frame's pen straddles its line: half of 2 units (0.26 mm) outside, plus a pixel.
            QVERIFY2(std::abs(ink.left() - 10 * px) <= 2, qPrintable(QString::number(ink.left())));
            QVERIFY2(std::abs(ink.top() - 10 * px) <= 2, qPrintable(QString::number(ink.top())));
            QVERIFY2(std::abs(ink.right() - (297 - 5) * px) <= 2, qPrintable(QString::number(ink.right())));
            QVERIFY2(ink.bottom() <= (210 - 10) * px + 2, qPrintable(QString::number(ink.bottom())));
        }
        // A full page: its last row ends at 10 + 10 * 17.625 mm.
        QVERIFY(std::abs(InkBox(images.front()).bottom() - (10 + 10 * 17.625) * px) <= 2);
    }

    // ---- Printing ----

    void printedFigureLandsWhereTheFrameIs_data() {
        QTest::addColumn<double>("marginMm");
        QTest::addColumn<QList<double>>("shares"); // left, top, width, height of the page area
        QTest::newRow("whole page, no margins") << 0.0 << QList<double>{0, 0, 1, 1};
        QTest::newRow("whole page, half-inch margins") << kMargin << QList<double>{0, 0, 1, 1};
        QTest::newRow("a quarter in the middle") << kMargin << QList<double>{0.25, 0.25, 0.5, 0.5};
        QTest::newRow("bottom right corner") << kMargin / 2 << QList<double>{0.6, 0.7, 0.4, 0.3};
    }
    void printedFigureLandsWhereTheFrameIs() {
        QFETCH(double, marginMm);
        QFETCH(QList<double>, shares);
        OpenOn(kA4, marginMm);
        const PageArea area = dialog_->Area();
        const auto px = [](double share, int size) { return int(std::lround(share * size)); };
        dialog_->SetFrame(FigureFrame{px(shares[0], area.width), px(shares[1], area.height),
                                      px(shares[2], area.width), px(shares[3], area.height)});
        const FigureFrame f = dialog_->Frame();
        const QString pdf = Pdf("figure.pdf");
        host_.printFiles.push_back(pdf);
        QVERIFY(dialog_->PrintClick());
        QCOMPARE(host_.printDialogs, 1);
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QVERIFY(StartsLikePdf(pdf));
        QCOMPARE(PdfPages(pdf), 1);

        const std::vector<QImage> images = RasterisePdf(pdf, 50);
        QCOMPARE(int(images.size()), 1);
        const QImage& page = images.front();
        const double mm = 50 / kMmPerInch;
        // The sheet is A4 landscape.
        QVERIFY(std::abs(page.width() - 297 * mm) <= 1.5 && std::abs(page.height() - 210 * mm) <= 1.5);
        // The figure's share of the printable page, off the margins.
        const double across = 297 - 2 * marginMm, down = 210 - 2 * marginMm;
        const double left = marginMm + across * f.left / area.width;
        const double top = marginMm + down * f.top / area.height;
        const double right = left + across * f.width / area.width,
                     bottom = top + down * f.height / area.height;
        const QRect ink = InkBox(page);
        const QString got =
            QString("%1 %2 %3 %4").arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom());
        QVERIFY2(std::abs(ink.left() - left * mm) <= 1.5, qPrintable(got));
        QVERIFY2(std::abs(ink.top() - top * mm) <= 1.5, qPrintable(got));
        QVERIFY2(std::abs(ink.right() + 1 - right * mm) <= 1.5, qPrintable(got));
        QVERIFY2(std::abs(ink.bottom() + 1 - bottom * mm) <= 1.5, qPrintable(got));
    }

    void cancelledPrintDialogPrintsNothing() {
        OpenOn(kA4, kMargin);
        QVERIFY(!dialog_->PrintClick()); // the scripted dialog has no answer: Cancel
        QCOMPARE(host_.printDialogs, 1);
        QVERIFY(dialog_->isVisible());
        QVERIFY(QDir(dir_->path()).entryList({"*.pdf"}).isEmpty());
    }

    void unwritableFileIsReported() {
        OpenOn(kA4, kMargin);
        host_.printFiles.push_back(dir_->filePath("no-such-folder/figure.pdf"));
        QVERIFY(!dialog_->PrintClick());
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY2(host_.messages[0].contains("figure.pdf"), qPrintable(host_.messages[0]));
        QVERIFY(!QFile::exists(dir_->filePath("no-such-folder/figure.pdf")));
    }

    // The hidden direct Print: the whole printable page, no preview.
    void printDirectFillsThePage() {
        dialog_ = std::make_unique<TPreviewDlg>(host_, nullptr);
        QPrinter& printer = dialog_->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Millimeter);
        const QString pdf = Pdf("direct.pdf");
        host_.printFiles.push_back(pdf);
        QVERIFY(dialog_->PrintDirect(form_));
        QVERIFY(!dialog_->isVisible());
        const std::vector<QImage> images = RasterisePdf(pdf, 50);
        QCOMPARE(int(images.size()), 1);
        const double mm = 50 / kMmPerInch;
        const QRect ink = InkBox(images.front());
        QVERIFY(std::abs(ink.left() - kMargin * mm) <= 1.5 && std::abs(ink.top() - kMargin * mm) <= 1.5);
        QVERIFY(std::abs(ink.right() + 1 - (297 - kMargin) * mm) <= 1.5);
        QVERIFY(std::abs(ink.bottom() + 1 - (210 - kMargin) * mm) <= 1.5);
    }

    // Section "PreviewDlg": the dialog's place, keys at the design geometry not written.
    void settingsKeepTheDialogsPlace() {
        IniFile ini;
        ini.WriteInteger(TPreviewDlg::kSection, "Left", 40);
        ini.WriteInteger(TPreviewDlg::kSection, "Top", 30);
        ini.WriteInteger(TPreviewDlg::kSection, "Width", 640);
        ini.WriteInteger(TPreviewDlg::kSection, "Height", 480);
        TPreviewDlg dialog(host_, nullptr);
        dialog.ReadSettings(ini);
        QCOMPARE(dialog.geometry().size(), QSize(640, 480));
        IniFile written;
        dialog.WriteSettings(written);
        QCOMPARE(written.ReadInteger(TPreviewDlg::kSection, "Width", 0), 640LL);
        TPreviewDlg fresh(host_, nullptr);
        IniFile none;
        fresh.WriteSettings(none);
        QVERIFY(!none.HasKey(TPreviewDlg::kSection, "Width"));
    }
};

QTEST_MAIN(TPreviewDlgTest)
#include "TPreviewDlgTest.moc"
