#include "ui/SmallDialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace vitrimo;

class SmallDialogsTest : public QObject {
    Q_OBJECT

    // Runs `act` once the dialog's own event loop is running.
    static void Then(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }

private slots:
    void choiceDialogReturnsTheCheckedButtonOrTheCurrentOne() {
        TOKRightDlg dialog;
        Then([&] {
            QVERIFY(dialog.First()->isChecked());
            dialog.Second()->setChecked(true);
            dialog.accept();
        });
        QCOMPARE(dialog.Choose("Light Source", "Light source position", "Infinite distance",
                               "Limited distance", 1),
                 2);
        QCOMPARE(dialog.windowTitle(), QString("Light Source"));
        QCOMPARE(dialog.Prompt()->text(), QString("Light source position"));
        Then([&] {
            dialog.First()->setChecked(true);
            dialog.reject();
        });
        QCOMPARE(dialog.Choose("Light Source", "p", "a", "b", 2), 2);
    }

    void numberInputShowsItsUnitAndMinutesOnlyForAngles() {
        TFNumInput dialog;
        Then([&] {
            QCOMPARE(dialog.Value()->text(), QString("100.000"));
            QCOMPARE(dialog.Unit()->text(), QString("mm"));
            QVERIFY(dialog.Minutes()->isHidden());
            dialog.Value()->setText("80");
            dialog.accept();
        });
        auto answer = dialog.Ask("Focal Length", "Focal Length =", "100.000", "mm", false);
        QVERIFY(answer);
        QCOMPARE(answer->value, QString("80"));
        QCOMPARE(answer->minutes, QString("0"));
        Then([&] {
            QVERIFY(!dialog.Minutes()->isHidden());
            dialog.Minutes()->setText("30");
            dialog.accept();
        });
        answer = dialog.Ask("Max Angle", "Maximum Angle =", "10", "o", true);
        QVERIFY(answer);
        QCOMPARE(answer->minutes, QString("30"));
        Then([&] { dialog.reject(); });
        QVERIFY(!dialog.Ask("x", "y", "1", "nm", false));
    }

    void spinDialogKeepsItsLimits() {
        TFSpinEdit dialog;
        Then([&] {
            QCOMPARE(dialog.Spin()->minimum(), 2);
            QCOMPARE(dialog.Spin()->maximum(), 40);
            dialog.Spin()->setValue(12);
            dialog.accept();
        });
        QCOMPARE(dialog.Ask("Step/radius", "", 30, 2, 40), std::optional<int>(12));
        Then([&] {
            dialog.Spin()->setValue(4);
            dialog.reject();
        });
        QCOMPARE(dialog.Ask("Pen Width", "", 2, 1, 5), std::optional<int>());
        QCOMPARE(dialog.Spin()->value(), 2); // Cancel leaves the field as it was shown
    }

    void captionsAndButtonsFollowTheLocale() {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        TFSpinEdit spin;
        TOKRightDlg choice;
        QCOMPARE(spin.windowTitle(), QString::fromUtf8("ペン太さ"));
        QCOMPARE(choice.windowTitle(), QString::fromUtf8("選択"));
        const auto cancelText = [](QDialog& dialog) {
            return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
        };
        QString shown;
        Then([&] {
            shown = cancelText(spin);
            spin.reject();
        });
        spin.Ask("x", "", 1, 1, 5);
        QCOMPARE(shown, QString::fromUtf8("キャンセル"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Then([&] {
            shown = cancelText(spin);
            spin.reject();
        });
        spin.Ask("x", "", 1, 1, 5);
        QCOMPARE(shown, QString("Cancel"));
        QCOMPARE(TFSpinEdit().windowTitle(), QString("Pen Width"));
        QCOMPARE(TOKRightDlg().windowTitle(), QString("Select"));
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
