// File > Report: the report window on the sample double Gauss, saving and printing it.
#include "ui/ReportWindow.h"

#include "model/NumberFormat.h"
#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"
#include "ui/TFSphAber.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>
#include <cmath>
#include <numbers>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

// The number after `label` in the shown report (the browser's plain text puts each cell on a line).
double ValueAfter(const QString& text, const QString& label) {
    const auto match = QRegularExpression(QRegularExpression::escape(label) + "\\s+(-?[0-9.]+)").match(text);
    return match.hasMatch() ? ParseNumber(match.captured(1).toStdString()).value_or(-1e300) : -1e300;
}

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class ReportWindowTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;
    ProgramUnderTest program_;

    ReportWindow& Open() {
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
        if (!program_.Start(host_, kSourceData + "Lens/double-gauss.ldt")) qFatal("cannot start");
        program_.main->Action("actReport")->trigger();
        return program_.windows->Report();
    }

private slots:
    void cleanup() {
        program_.windows.reset();
        program_.main.reset();
    }

    // The double Gauss of the samples: f = 99.97325 mm (vitrimo-cli info, shown rounded to 1e-6 mm).
    void fileReportShowsTheLens() {
        ReportWindow& window = Open();
        QVERIFY(window.isVisible());
        const QString shown = window.Browser()->toPlainText();
        QVERIFY2(std::fabs(ValueAfter(shown, "Effective focal length (EFL)") - 99.97324) < 1e-5,
                 qPrintable(shown));
        QVERIFY(shown.contains("N-LAK9"));
        QVERIFY(shown.contains("Schott"));
        QCOMPARE(window.Report().surfaces.size(), std::size_t{11});

        // The lens changes: coming back to the report (Refresh) shows the new focal length.
        QVERIFY(SetCell(*program_.main, "r", 2, "60"));
        window.Button("refreshButton")->click();
        const double changed = ValueAfter(window.Browser()->toPlainText(), "Effective focal length (EFL)");
        QVERIFY(changed > 0 && std::fabs(changed - 99.97325) > 0.01);
        QCOMPARE(window.Browser()->toPlainText().count("60.0000"), 1);
    }

    // The image height is given for the largest angle of the aberration window's angle table.
    void imageHeightFollowsTheAngleTable() {
        ReportWindow& window = Open();
        SweepTable& angles = program_.windows->AberrationFigure().AngleTable();
        angles.SetCell(angles.ValueColumn(), 1, "10");
        QVERIFY(angles.AppendRow());
        angles.SetCell(angles.ValueColumn(), 2, "-18");
        window.Refresh();
        const QString shown = window.Browser()->toPlainText();
        QCOMPARE(ValueAfter(shown, "Largest field angle"), 18.0);
        // The paraxial image height is f tan(18 degrees).
        QVERIFY(std::fabs(ValueAfter(shown, "Image height (paraxial)") -
                          99.97325 * std::tan(18 * std::numbers::pi / 180)) < 1e-3);
    }

    void savingWritesTheFileOrTellsWhy() {
        ReportWindow& window = Open();
        const QString html = program_.dir->filePath("report.html"),
                      text = program_.dir->filePath("report.txt");
        host_.saveFiles = {html, text, program_.dir->filePath("missing/report.txt")};
        window.Button("saveHtmlButton")->click();
        window.Button("saveTextButton")->click();
        QVERIFY(Read(html).startsWith("<!DOCTYPE html>"));
        QVERIFY(Read(html).contains("Effective focal length (EFL)"));
        QVERIFY(Read(text).startsWith("Prescription report: "));
        QVERIFY(Read(text).contains("\nThird-order sums\n"));
        QVERIFY(host_.messages.isEmpty());
        QVERIFY(!window.SaveText());
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY2(host_.messages.front().contains("missing/report.txt"), qPrintable(host_.messages.front()));
        QCOMPARE(host_.dialogTitles.count("Save the report as HTML"), 1);
    }

    // On paper the report fills the frame's width and continues on further pages.
    void printsOnPages() {
        ReportWindow& window = Open();
        const QRectF area(20, 20, 500, 300);
        QVERIFY(window.PrintPageCount(area) >= 2);
        QImage page(540, 340, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        window.DrawPrintPage(painter, area, 1);
        painter.end();
        int dark = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) dark += qGray(page.pixel(x, y)) < 128;
        QVERIFY(dark > 100);
    }
};

QTEST_MAIN(ReportWindowTest)
#include "ReportWindowTest.moc"
