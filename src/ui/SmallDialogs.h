// The small dialogs shared by many windows: the two-choice dialog (light source), the number input with
// a unit and an optional minutes field (degrees and minutes), and the integer spin dialog (pen width,
// steps). Windows reach them through the UiHost, so tests can answer them.
#pragma once

#include <QDialog>
#include <optional>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vitrimo {

// Two radio buttons under a prompt, OK and Cancel. The result is 1 or 2, the chosen button.
class TOKRightDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKRightDlg(QWidget* parent = nullptr);
    // Shows the dialog; returns the checked choice after OK, `current` after Cancel.
    int Choose(const QString& caption, const QString& prompt, const QString& first, const QString& second,
               int current);

    QLabel* Prompt() const { return prompt_; }
    QRadioButton* First() const { return first_; }
    QRadioButton* Second() const { return second_; }

private:
    QLabel* prompt_;
    QRadioButton* first_;
    QRadioButton* second_;
};

// A value field with its unit, and for angles a minutes field with the label "'".
class TFNumInput : public QDialog {
    Q_OBJECT
public:
    struct Answer {
        QString value;
        QString minutes; // "0" when the minutes field is hidden
    };

    explicit TFNumInput(QWidget* parent = nullptr);
    // Shows the dialog; nullopt after Cancel.
    std::optional<Answer> Ask(const QString& caption, const QString& prompt, const QString& value,
                              const QString& unit, bool withMinutes,
                              const QString& minutes = QStringLiteral("0"));

    QLineEdit* Value() const { return value_; }
    QLineEdit* Minutes() const { return minutes_; }
    QLabel* Unit() const { return unit_; }

private:
    QLabel* prompt_;
    QLineEdit* value_;
    QLabel* unit_;
    QLineEdit* minutes_;
    QLabel* minutesMark_;
};

// An integer spin field between limits, OK and Cancel (Cancel keeps the value it had).
class TFSpinEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFSpinEdit(QWidget* parent = nullptr);
    std::optional<int> Ask(const QString& caption, const QString& prompt, int value, int minimum,
                           int maximum);

    QSpinBox* Spin() const { return spin_; }

private:
    QLabel* prompt_;
    QSpinBox* spin_;
};

} // namespace vitrimo
