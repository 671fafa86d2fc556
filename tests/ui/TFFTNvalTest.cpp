// The FFT size dialog: the size steps and the pupil division rules, the memory warnings against the
// machine's free memory (here figures the test gives), and how it is left.
#include "ui/TFFTNval.h"

#include "ui/MainWindowSupport.h"
#include "ui/ScriptedUiHost.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace vitrimo;
using namespace vitrimo::test;

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

// Plenty of memory: no warning.
std::optional<MemoryStatus> Plenty() {
    return MemoryStatus{64 * kGiB, 128 * kGiB};
}

} // namespace

class TFFTNvalTest : public QObject {
    Q_OBJECT

    ScriptedUiHost host_;

private slots:
    void init() {
        host_ = ScriptedUiHost{};
        UseLocale(QLocale::English);
    }

    // Starting from (M, N): up or down steps, or a text typed into the division box and left.
    void sizesAndDivisions_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("division");
        QTest::addColumn<QString>("action"); // "up", "down" or the text typed
        QTest::addColumn<int>("expectedSize");
        QTest::addColumn<int>("expectedDivision");
        QTest::newRow("up doubles M and N") << 256 << 32 << "up" << 512 << 64;
        QTest::newRow("down halves M and N") << 256 << 32 << "down" << 128 << 16;
        QTest::newRow("down keeps N even") << 256 << 6 << "down" << 128 << 4;
        QTest::newRow("no size above 8192") << 8192 << 100 << "up" << 8192 << 100;
        QTest::newRow("no size below 64") << 64 << 8 << "down" << 64 << 8;
        QTest::newRow("an even N stays") << 256 << 32 << "40" << 256 << 40;
        QTest::newRow("an odd N goes up to the next even") << 256 << 32 << "33" << 256 << 34;
        QTest::newRow("7 becomes 8") << 256 << 32 << "7" << 256 << 8;
        QTest::newRow("1 becomes 2") << 256 << 32 << "1" << 256 << 2;
        QTest::newRow("N at most M/2") << 128 << 32 << "100" << 128 << 64;
        QTest::newRow("an odd N above M/2") << 64 << 8 << "41" << 64 << 32;
        QTest::newRow("a negative N restores the previous") << 256 << 48 << "-6" << 256 << 48;
        QTest::newRow("not a number restores the previous") << 256 << 48 << "many" << 256 << 48;
    }
    void sizesAndDivisions() {
        QFETCH(int, size);
        QFETCH(int, division);
        QFETCH(QString, action);
        QFETCH(int, expectedSize);
        QFETCH(int, expectedDivision);
        TFFTNval dialog(host_);
        dialog.memoryStatus = Plenty;
        QTimer::singleShot(0, &dialog, [&] {
            if (action == "up" || action == "down") {
                dialog.SizeButton(action == "up" ? 1 : -1)->click();
            } else {
                dialog.DivisionBox()->setText(action);
                dialog.DivisionEdited(); // as leaving the box does
            }
            QCOMPARE(dialog.SizeValue()->text(), QString::number(expectedSize));
            QCOMPARE(dialog.DivisionBox()->text(), QString::number(expectedDivision));
            QCOMPARE(dialog.SizeButton(1)->isEnabled(), expectedSize < 8192);
            QCOMPARE(dialog.SizeButton(-1)->isEnabled(), expectedSize > 64);
            dialog.Button(TFFTNval::Choice::Ok)->click();
        });
        QCOMPARE(dialog.Ask(size, division), TFFTNval::Choice::Ok);
        QCOMPARE(dialog.FftSize(), expectedSize);
        QCOMPARE(dialog.Division(), expectedDivision);
        QVERIFY(host_.messages.isEmpty());
    }

    // M^2 x 24 bytes against the free memory: M = 4096 needs 384 MiB, 8192 needs 1.5 GiB.
    void memoryWarnings_data() {
        QTest::addColumn<double>("physicalGiB");
        QTest::addColumn<double>("totalGiB");
        QTest::addColumn<int>("size"); // stepped up from half of it
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("topic");
        QTest::addColumn<int>("expectedSize");
        QTest::newRow("enough") << 2.0 << 4.0 << 8192 << QString() << 0 << 8192;
        QTest::newRow("exactly enough") << 1.5 << 1.5 << 8192 << QString() << 0 << 8192;
        QTest::newRow("short of physical memory")
            << 1.0 << 4.0 << 8192 << "Not enough physical memory. It takes much time for calculation." << 277
            << 8192;
        QTest::newRow("short of all memory")
            << 1.0 << 1.2 << 8192 << "Not enough total memory. Impossible to calculate." << 278 << 4096;
        QTest::newRow("short at 4096")
            << 0.3 << 0.35 << 4096 << "Not enough total memory. Impossible to calculate." << 278 << 2048;
        QTest::newRow("4096 in 0.4 GiB") << 0.4 << 0.4 << 4096 << QString() << 0 << 4096;
    }
    void memoryWarnings() {
        QFETCH(double, physicalGiB);
        QFETCH(double, totalGiB);
        QFETCH(int, size);
        QFETCH(QString, message);
        QFETCH(int, topic);
        QFETCH(int, expectedSize);
        // The rule written out: M^2 x 24 bytes.
        const double needed = static_cast<double>(size) * size * 24;
        QCOMPARE(needed > totalGiB * kGiB, topic == 278);
        TFFTNval dialog(host_);
        dialog.memoryStatus = [=]() -> std::optional<MemoryStatus> {
            return MemoryStatus{static_cast<std::uint64_t>(physicalGiB * kGiB),
                                static_cast<std::uint64_t>(totalGiB * kGiB)};
        };
        QTimer::singleShot(0, &dialog, [&] {
            dialog.StepSize(1);
            dialog.Button(TFFTNval::Choice::Ok)->click();
        });
        QCOMPARE(dialog.Ask(size / 2, 16), TFFTNval::Choice::Ok);
        QCOMPARE(dialog.FftSize(), expectedSize);
        if (message.isEmpty()) {
            QVERIFY(host_.messages.isEmpty());
        } else {
            QCOMPARE(host_.messages, QStringList{message});
            QCOMPARE(host_.helpTopics, std::vector<int>{-topic}); // offered with a Help button
        }
        QVERIFY(dialog.Division() <= dialog.FftSize() / 2);
    }

    void theWarningsHaveAJapaneseWording() {
        UseLocale(QLocale::Japanese);
        TFFTNval dialog(host_);
        dialog.memoryStatus = [] { return std::optional<MemoryStatus>(MemoryStatus{kGiB, kGiB}); };
        dialog.StepSize(1); // 512: plenty
        QVERIFY(host_.messages.isEmpty());
        QTimer::singleShot(0, &dialog, [&] {
            for (int k = 0; k < 4; ++k) dialog.StepSize(1); // 8192 does not fit in 1 GiB
            dialog.Button(TFFTNval::Choice::Execute)->click();
        });
        QCOMPARE(dialog.Ask(512, 64), TFFTNval::Choice::Execute);
        QCOMPARE(host_.messages.size(), 1);
        QVERIFY(host_.messages.first().contains(QString::fromUtf8("メモリ")));
        QVERIFY(!host_.messages.first().contains("memory"));
        QCOMPARE(dialog.FftSize(), 4096);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("入射瞳分割数"));
        UseLocale(QLocale::English);
    }

    void withoutMemoryFiguresNothingIsChecked() {
        TFFTNval dialog(host_);
        dialog.memoryStatus = [] { return std::optional<MemoryStatus>(); };
        QTimer::singleShot(0, &dialog, [&] {
            for (int k = 0; k < 6; ++k) dialog.StepSize(1);
            dialog.Button(TFFTNval::Choice::Ok)->click();
        });
        QCOMPARE(dialog.Ask(256, 32), TFFTNval::Choice::Ok);
        QCOMPARE(dialog.FftSize(), 8192);
        QVERIFY(host_.messages.isEmpty());
    }

    void cancelGivesBackWhatItWasGiven() {
        TFFTNval dialog(host_);
        dialog.memoryStatus = Plenty;
        QTimer::singleShot(0, &dialog, [&] {
            QCOMPARE(dialog.windowTitle(), QString("Ent. pupil dev. No"));
            QCOMPARE(dialog.SizeValue()->text(), QString("1024"));
            QCOMPARE(dialog.DivisionBox()->text(), QString("100"));
            dialog.StepSize(1);
            dialog.DivisionBox()->setText("30");
            dialog.Button(TFFTNval::Choice::Cancel)->click();
        });
        QCOMPARE(dialog.Ask(1024, 100), TFFTNval::Choice::Cancel);
        QCOMPARE(dialog.FftSize(), 1024);
        QCOMPARE(dialog.Division(), 100);
        // A typed value still in the box counts for OK, as if the box had been left.
        QTimer::singleShot(0, &dialog, [&] {
            dialog.DivisionBox()->setText("25");
            dialog.Button(TFFTNval::Choice::Ok)->click();
        });
        QCOMPARE(dialog.Ask(1024, 100), TFFTNval::Choice::Ok);
        QCOMPARE(dialog.Division(), 26);
        // Help opens its page.
        dialog.findChild<QPushButton*>("Help")->click();
        QCOMPARE(host_.helpTopics, std::vector<int>{276});
    }
};

QTEST_MAIN(TFFTNvalTest)
#include "TFFTNvalTest.moc"
