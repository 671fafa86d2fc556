#include "ui/HelpWindow.h"

#include "ui/QtHost.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

using namespace vitrimo;

namespace {

const QString kHelp = QStringLiteral(VITRIMO_SOURCE_DIR "/data/help");

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The anchors the browser knows in its current document.
QStringList AnchorNames(const QTextDocument& document) {
    QStringList names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        names << block.blockFormat().property(QTextFormat::AnchorName).toStringList();
        for (auto it = block.begin(); !it.atEnd(); ++it) names << it.fragment().charFormat().anchorNames();
    }
    return names;
}

} // namespace

// The program's help: every topic a window opens lands on its own page, every link between pages
// resolves, and the help window shows the page at the topic.
class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void topicsOpenTheirPages_data() {
        QTest::addColumn<int>("topic");
        QTest::addColumn<QString>("page");
        QTest::newRow("glass data window") << 37 << "glass.html";
        QTest::newRow("third-order coefficients") << 42 << "third-order.html";
        QTest::newRow("wavelength window") << 119 << "wavelengths.html";
        QTest::newRow("bending window") << 124 << "bending.html";
        QTest::newRow("save changes question") << 156 << "files.html";
        QTest::newRow("shift and tilt question") << 157 << "files.html";
        QTest::newRow("aberration figure") << 1001 << "aberration.html";
        QTest::newRow("FFT size dialog") << 276 << "aberration.html";
        QTest::newRow("not enough physical memory") << 277 << "aberration.html";
        QTest::newRow("not enough total memory") << 278 << "aberration.html";
        QTest::newRow("MTF window") << 1045 << "mtf.html";
        QTest::newRow("cross-section window") << 127 << "cross-section.html";
        QTest::newRow("prescription report") << 2001 << "report.html";
        QTest::newRow("contents") << 0 << "index.html";
    }
    void topicsOpenTheirPages() {
        QFETCH(int, topic);
        QFETCH(QString, page);
        HelpWindow help(kHelp);
        const QUrl url = help.TopicUrl(topic);
        QCOMPARE(QFileInfo(url.toLocalFile()).fileName(), page);
        help.ShowTopic(topic);
        QVERIFY(help.isVisible());
        QCOMPARE(QFileInfo(help.Browser()->source().toLocalFile()).fileName(), page);
        QVERIFY(help.Browser()->document()->characterCount() > 200);
        if (topic > 0) {
            QCOMPARE(url.fragment(), QStringLiteral("topic-%1").arg(topic));
            QVERIFY2(AnchorNames(*help.Browser()->document()).contains(url.fragment()),
                     qPrintable(url.toString()));
            // Each topic stands once in the whole help.
            int count = 0;
            for (const QString& name : QDir(kHelp).entryList({"*.html"}))
                count += Read(kHelp + "/" + name).count(QStringLiteral("id=\"topic-%1\"").arg(topic));
            QCOMPARE(count, 1);
        }
    }

    void everyLinkResolves() {
        const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        const QStringList pages = QDir(kHelp).entryList({"*.html"});
        QVERIFY(pages.size() >= 8);
        for (const QString& page : pages) {
            const QString text = Read(kHelp + "/" + page);
            for (auto it = href.globalMatch(text); it.hasNext();) {
                const QString link = it.next().captured(1);
                QVERIFY2(!link.contains("://"), qPrintable(page + ": " + link)); // nothing outside
                const QString file = link.section('#', 0, 0).isEmpty() ? page : link.section('#', 0, 0);
                const QString anchor = link.section('#', 1);
                QVERIFY2(QFile::exists(kHelp + "/" + file), qPrintable(page + ": " + link));
                if (!anchor.isEmpty())
                    QVERIFY2(Read(kHelp + "/" + file).contains("id=\"" + anchor + "\""),
                             qPrintable(page + ": " + link));
            }
        }
    }

    // Every page takes its look from the one stylesheet: the headings come out in its colour.
    void everyPageUsesTheSharedStyleSheet() {
        for (const QString& page : QDir(kHelp).entryList({"*.html"})) {
            HelpWindow help(kHelp);
            help.Browser()->setSource(QUrl::fromLocalFile(kHelp + "/" + page));
            QTextBlock block = help.Browser()->document()->begin();
            while (block.isValid() && block.blockFormat().headingLevel() != 1) block = block.next();
            QVERIFY2(block.isValid(), qPrintable(page));
            QCOMPARE(block.charFormat().foreground().color(), QColor(0x1e, 0x46, 0x8c));
        }
    }

    // The Help button of a window, through the program's host: the help window opens at its topic.
    void theHostShowsHelpInItsOwnWindow() {
        QtHost host(kHelp);
        QVERIFY(!host.Help());
        host.ShowHelp(42);
        QVERIFY(host.Help() && host.Help()->isVisible());
        QCOMPARE(QFileInfo(host.Help()->Browser()->source().toLocalFile()).fileName(),
                 QString("third-order.html"));
        host.ShowHelp(0);
        QCOMPARE(QFileInfo(host.Help()->Browser()->source().toLocalFile()).fileName(), QString("index.html"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
