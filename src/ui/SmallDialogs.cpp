#include "ui/SmallDialogs.h"

#include "ui/Locale.h"
#include "ui/SmallDialogTexts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vitrimo {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName("buttons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// The button words follow the locale each time a dialog is shown.
void ApplyButtonWording(QDialog* dialog) {
    auto* buttons = dialog->findChild<QDialogButtonBox*>("buttons");
    if (!buttons) return;
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(smallDialogTexts::Ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tr(smallDialogTexts::Cancel));
}

} // namespace

TOKRightDlg::TOKRightDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr(smallDialogTexts::ChoiceCaption));
    prompt_ = new QLabel(this);
    first_ = new QRadioButton(this);
    second_ = new QRadioButton(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(first_);
    layout->addWidget(second_);
    layout->addWidget(OkCancel(this));
}

int TOKRightDlg::Choose(const QString& caption, const QString& prompt, const QString& first,
                        const QString& second, int current) {
    setWindowTitle(caption);
    prompt_->setText(prompt);
    first_->setText(first);
    second_->setText(second);
    (current == 2 ? second_ : first_)->setChecked(true);
    ApplyButtonWording(this);
    if (exec() != QDialog::Accepted) return current;
    return second_->isChecked() ? 2 : 1;
}

TFNumInput::TFNumInput(QWidget* parent) : QDialog(parent) {
    prompt_ = new QLabel(this);
    value_ = new QLineEdit(this);
    unit_ = new QLabel(QStringLiteral("mm"), this);
    minutes_ = new QLineEdit(this);
    minutes_->setMaximumWidth(60);
    minutesMark_ = new QLabel(QStringLiteral("'"), this);
    auto* layout = new QGridLayout(this);
    layout->addWidget(prompt_, 0, 0, 1, 4);
    layout->addWidget(value_, 1, 0);
    layout->addWidget(unit_, 1, 1);
    layout->addWidget(minutes_, 1, 2);
    layout->addWidget(minutesMark_, 1, 3);
    layout->addWidget(OkCancel(this), 2, 0, 1, 4);
}

std::optional<TFNumInput::Answer> TFNumInput::Ask(const QString& caption, const QString& prompt,
                                                  const QString& value, const QString& unit, bool withMinutes,
                                                  const QString& minutes) {
    setWindowTitle(caption);
    prompt_->setText(prompt);
    value_->setText(value);
    unit_->setText(unit);
    minutes_->setText(minutes);
    minutes_->setVisible(withMinutes);
    minutesMark_->setVisible(withMinutes);
    value_->selectAll();
    value_->setFocus();
    ApplyButtonWording(this);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return Answer{value_->text(), withMinutes ? minutes_->text() : QStringLiteral("0")};
}

TFSpinEdit::TFSpinEdit(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr(smallDialogTexts::PenWidth));
    prompt_ = new QLabel(this);
    spin_ = new QSpinBox(this);
    spin_->setRange(1, 5);
    spin_->setValue(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(spin_);
    layout->addWidget(OkCancel(this));
}

std::optional<int> TFSpinEdit::Ask(const QString& caption, const QString& prompt, int value, int minimum,
                                   int maximum) {
    setWindowTitle(caption);
    prompt_->setText(prompt);
    prompt_->setVisible(!prompt.isEmpty());
    spin_->setRange(minimum, maximum);
    spin_->setValue(value);
    ApplyButtonWording(this);
    if (exec() != QDialog::Accepted) {
        spin_->setValue(value); // Cancel leaves the field as it was shown
        return std::nullopt;
    }
    return spin_->value();
}

} // namespace vitrimo
