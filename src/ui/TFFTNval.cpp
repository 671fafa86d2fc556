#include "ui/TFFTNval.h"

#include "evaluation/PointSpread.h"
#include "model/NumberFormat.h"
#include "model/Texts.h"
#include "ui/AberrationTexts.h"
#include "ui/Locale.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vitrimo {

using namespace aberrationTexts;

TFFTNval::TFFTNval(UiHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("TFFTNval");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    sizeLabel_ = new QLabel(this);
    sizeValue_ = new QLabel(this);
    sizeValue_->setObjectName("sizeValue");
    sizeValue_->setFrameShape(QFrame::StyledPanel);
    sizeValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sizeValue_->setMinimumWidth(sizeValue_->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    sizeUp_ = new QToolButton(this);
    sizeUp_->setObjectName("sizeUp");
    sizeUp_->setArrowType(Qt::UpArrow);
    sizeDown_ = new QToolButton(this);
    sizeDown_->setObjectName("sizeDown");
    sizeDown_->setArrowType(Qt::DownArrow);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(sizeUp_);
    arrows->addWidget(sizeDown_);
    divisionLabel_ = new QLabel(this);
    divisionBox_ = new QLineEdit(this);
    divisionBox_->setObjectName("divisionBox");
    divisionBox_->setAlignment(Qt::AlignRight);
    sizeValue_->setFixedHeight(divisionBox_->sizeHint().height());
    grid->addWidget(sizeLabel_, 0, 0);
    grid->addWidget(sizeValue_, 0, 1, Qt::AlignVCenter);
    grid->addLayout(arrows, 0, 2);
    grid->addWidget(divisionLabel_, 1, 0);
    grid->addWidget(divisionBox_, 1, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    execute_ = new QPushButton(this);
    execute_->setObjectName("Execute");
    ok_ = new QPushButton(this);
    ok_->setObjectName("OK");
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("Cancel");
    help_ = new QPushButton(this);
    help_->setObjectName("Help");
    for (QPushButton* button : {execute_, ok_, cancel_, help_}) {
        // Enter in the division box applies the box, it does not close the dialog.
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    connect(sizeUp_, &QToolButton::clicked, this, [this] { StepSize(1); });
    connect(sizeDown_, &QToolButton::clicked, this, [this] { StepSize(-1); });
    connect(divisionBox_, &QLineEdit::editingFinished, this, &TFFTNval::DivisionEdited);
    connect(execute_, &QPushButton::clicked, this, [this] { Finish(Choice::Execute); });
    connect(ok_, &QPushButton::clicked, this, [this] { Finish(Choice::Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Finish(Choice::Cancel); });
    connect(help_, &QPushButton::clicked, this, [this] { host_.ShowHelp(kFftHelpTopic); });
    ApplyWording();
    ShowValues();
}

QPushButton* TFFTNval::Button(Choice choice) const {
    switch (choice) {
    case Choice::Execute:
        return execute_;
    case Choice::Ok:
        return ok_;
    default:
        return cancel_;
    }
}

void TFFTNval::ApplyWording() {
    setWindowTitle(Tr(FftCaption));
    sizeLabel_->setText(Tr(FftSizeLabel));
    divisionLabel_->setText(Tr(DivisionLabel));
    execute_->setText(Tr(FftExecute));
    ok_->setText(Tr(FftOk));
    cancel_->setText(Tr(FftCancel));
    help_->setText(Tr(FftHelp));
}

void TFFTNval::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) ApplyWording();
}

TFFTNval::Choice TFFTNval::Ask(int fftSize, int division) {
    givenSize_ = ValidFftSize(fftSize) ? fftSize : 256;
    givenDivision_ = NormalisedPupilDivision(division, givenSize_);
    fftSize_ = givenSize_;
    division_ = givenDivision_;
    choice_ = Choice::Cancel;
    ApplyWording();
    ShowValues();
    exec();
    if (choice_ == Choice::Cancel) {
        fftSize_ = givenSize_;
        division_ = givenDivision_;
    }
    return choice_;
}

void TFFTNval::ShowValues() {
    sizeValue_->setText(QString::number(fftSize_));
    divisionBox_->setText(QString::number(division_));
    sizeUp_->setEnabled(fftSize_ < kMaxFftSize);
    sizeDown_->setEnabled(fftSize_ > kMinFftSize);
}

void TFFTNval::StepSize(int direction) {
    DivisionEdited(); // a value still being typed counts first
    if (direction > 0 && fftSize_ < kMaxFftSize) {
        fftSize_ *= 2;
        division_ *= 2;
    } else if (direction < 0 && fftSize_ > kMinFftSize) {
        fftSize_ /= 2;
        division_ = NormalisedPupilDivision(division_ / 2, fftSize_);
    } else {
        return;
    }
    ShowValues();
    CheckMemory();
}

void TFFTNval::DivisionEdited() {
    const auto value = ParseNumber(divisionBox_->text().toStdString());
    if (value && *value >= 0)
        division_ = NormalisedPupilDivision(static_cast<int>(std::min(*value, 1e6)), fftSize_);
    ShowValues();
}

void TFFTNval::CheckMemory() {
    const auto status = memoryStatus ? memoryStatus() : std::nullopt;
    if (!status) return;
    switch (JudgeFftMemory(fftSize_, *status)) {
    case FftMemoryVerdict::Impossible:
        host_.Ask(MessageKind::Warning, NoTotalMemory, ButtonOk | ButtonHelp, kNoMemoryHelpTopic);
        // Back to the size below, as the down arrow would go.
        if (fftSize_ > kMinFftSize) {
            fftSize_ /= 2;
            division_ = NormalisedPupilDivision(division_ / 2, fftSize_);
        }
        ShowValues();
        break;
    case FftMemoryVerdict::Slow:
        host_.Ask(MessageKind::Warning, texts::NotEnoughMemory, ButtonOk | ButtonHelp, kSlowMemoryHelpTopic);
        break;
    case FftMemoryVerdict::Enough:
        break;
    }
}

void TFFTNval::Finish(Choice choice) {
    if (choice != Choice::Cancel) DivisionEdited();
    choice_ = choice;
    if (choice == Choice::Cancel)
        reject();
    else
        accept();
}

} // namespace vitrimo
