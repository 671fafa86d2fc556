#include "ui/TFSGList.h"

#include "figures/FigureColour.h"
#include "model/Angles.h"
#include "model/NumberFormat.h"
#include "ui/Locale.h"
#include "ui/SweepTableTexts.h"
#include "ui/TFLensdata.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vitrimo {
namespace {

// An angle typed as degrees and minutes. nullopt when either field holds something other than a number.
std::optional<double> AngleOf(const UiHost::NumberAnswer& answer) {
    return AngleFromDegreesAndMinutes(answer.value, answer.minutes);
}

} // namespace

TFSGList::TFSGList(TFLensdata& main) : QDialog(&main), main_(main) {
    setObjectName("TFSGList");
    grid_ = new QTableWidget(this);
    grid_->setObjectName("StringGridAngle");
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->installEventFilter(this);

    deleteButton_ = new QPushButton(this);
    deleteButton_->setObjectName("Delete");
    deleteButton_->setAutoDefault(false);
    okButton_ = new QPushButton(this);
    okButton_->setObjectName("OK");
    okButton_->setAutoDefault(false);
    cancelButton_ = new QPushButton(this);
    cancelButton_->setObjectName("Cancel");
    cancelButton_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(deleteButton_);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    resize(300, 330);

    connect(grid_, &QTableWidget::cellChanged, this, &TFSGList::OnCellChanged);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &TFSGList::OnDoubleClick);
    connect(deleteButton_, &QPushButton::clicked, this, &TFSGList::DeleteSelectedRow);
    connect(okButton_, &QPushButton::clicked, this, [this] { AcceptTable(); });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    ApplyWording(sweepTexts::Caption);
}

void TFSGList::ApplyWording(const Wording& caption) {
    setWindowTitle(Tr(caption));
    deleteButton_->setText(Tr(sweepTexts::Delete));
    okButton_->setText(Tr(sweepTexts::Ok));
    cancelButton_->setText(Tr(sweepTexts::Cancel));
    grid_->setToolTip(working_.Kind() == SweepTableKind::GeneratedAngles ? Tr(sweepTexts::GenerateHint)
                                                                         : QString());
}

bool TFSGList::Edit(SweepTable& table, const std::optional<Wording>& caption) {
    working_ = table;
    ApplyWording(caption.value_or(sweepTexts::Caption));
    // On the generated angle table a double-click generates; typing still edits a cell.
    QAbstractItemView::EditTriggers triggers = QAbstractItemView::EditKeyPressed |
                                               QAbstractItemView::AnyKeyPressed |
                                               QAbstractItemView::SelectedClicked;
    if (working_.Kind() != SweepTableKind::GeneratedAngles) triggers |= QAbstractItemView::DoubleClicked;
    grid_->setEditTriggers(triggers);
    setFont(main_.font());
    LoadGrid(0, 0);
    grid_->setFocus();
    const bool accepted = exec() == QDialog::Accepted;
    if (accepted) table = working_;
    return accepted;
}

std::vector<int> TFSGList::ValueColumns() const {
    std::vector<int> columns{working_.ValueColumn()};
    if (working_.MinutesColumn() >= 0) columns.push_back(working_.MinutesColumn());
    if (working_.ColourColumn() >= 0) columns.push_back(working_.ColourColumn());
    return columns;
}

void TFSGList::LoadGrid(int currentRow, int currentColumn) {
    loading_ = true;
    grid_->clear();
    grid_->setColumnCount(working_.ColumnCount());
    grid_->setRowCount(working_.DataRowCount());
    const std::vector<int> values = ValueColumns();
    const int h = std::max(main_.FontHeight(), 1);
    for (int column = 0; column < working_.ColumnCount(); ++column) {
        grid_->setHorizontalHeaderItem(
            column, new QTableWidgetItem(QString::fromStdString(working_.Cell(column, 0))));
        const bool value = std::find(values.begin(), values.end(), column) != values.end();
        // Degrees and minutes 4 font heights, their marks 3/2, a frequency (with its long title) 6.
        const bool frequency = working_.Kind() == SweepTableKind::SpatialFrequencies && column == 0;
        grid_->setColumnWidth(column, frequency ? 6 * h : value ? 4 * h : (3 * h + 1) / 2);
        for (int row = 1; row < working_.RowCount(); ++row) {
            const std::string& text = working_.Cell(column, row);
            auto* item = new QTableWidgetItem;
            if (column == working_.ColourColumn()) {
                // A colour cell shows its colour; its name is the hint.
                item->setData(Qt::BackgroundRole, ToQColor(ParseColour(text).value_or(colours::Black)));
                item->setToolTip(QString::fromStdString(text) + " - " + Tr(sweepTexts::ColourHint));
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            } else if (value) {
                item->setText(QString::fromStdString(text));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            } else {
                // The degree and minute marks.
                item->setText(QString::fromStdString(text));
                item->setTextAlignment(Qt::AlignCenter);
                item->setFlags(Qt::ItemIsEnabled);
            }
            grid_->setItem(row - 1, column, item);
        }
    }
    grid_->horizontalHeader()->setStretchLastSection(true);
    if (working_.DataRowCount() > 0)
        grid_->setCurrentCell(std::clamp(currentRow, 0, working_.DataRowCount() - 1), currentColumn);
    loading_ = false;
}

void TFSGList::OnCellChanged(int gridRow, int column) {
    if (loading_) return;
    if (const QTableWidgetItem* item = grid_->item(gridRow, column))
        working_.SetCell(column, gridRow + 1, item->text().toStdString());
}

void TFSGList::OnDoubleClick(int gridRow, int column) {
    if (working_.Kind() == SweepTableKind::GeneratedAngles)
        GenerateAngles();
    else if (column == working_.ColourColumn())
        ChooseColour(gridRow + 1);
}

bool TFSGList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != grid_ || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const int row = grid_->currentRow(), column = grid_->currentColumn();
    const std::vector<int> values = ValueColumns();
    switch (key->key()) {
    case Qt::Key_Right: {
        const auto next = std::upper_bound(values.begin(), values.end(), column);
        if (next != values.end()) grid_->setCurrentCell(row, *next);
        return true;
    }
    case Qt::Key_Left: {
        const auto next = std::lower_bound(values.begin(), values.end(), column);
        if (next != values.begin()) grid_->setCurrentCell(row, *(next - 1));
        return true;
    }
    case Qt::Key_Down:
        if (row != grid_->rowCount() - 1) return false;
        if (working_.AppendRow()) LoadGrid(row + 1, column);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (column >= 0 && column == working_.ColourColumn()) {
            ChooseColour(row + 1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TFSGList::GenerateAngles() {
    if (working_.Kind() != SweepTableKind::GeneratedAngles) return;
    UiHost& host = main_.HostOf();
    const auto maximum = host.AskNumber(sweepTexts::MaxAngleCaption, sweepTexts::MaxAnglePrompt, "0",
                                        sweepTexts::DegreeUnit, true, "0");
    if (!maximum) return;
    const auto maxAngle = AngleOf(*maximum);
    if (!maxAngle) {
        host.Tell(MessageKind::Warning,
                  sweepTexts::NotANumber(maximum->value + "° " + maximum->minutes + "'"));
        return;
    }
    const auto interval = host.AskNumber(sweepTexts::IntervalCaption, sweepTexts::IntervalPrompt, "0",
                                         sweepTexts::DegreeUnit, true, "0");
    if (!interval) return;
    const auto step = AngleOf(*interval);
    if (!step) {
        host.Tell(MessageKind::Warning,
                  sweepTexts::NotANumber(interval->value + "° " + interval->minutes + "'"));
        return;
    }
    if (const auto error = working_.GenerateAngles(*maxAngle, *step)) {
        host.Tell(MessageKind::Warning, *error);
        return;
    }
    LoadGrid(0, 0);
}

void TFSGList::DeleteSelectedRow() {
    const int row = grid_->currentRow(), column = std::max(grid_->currentColumn(), 0);
    if (row < 0) return;
    if (working_.DeleteRow(row + 1, main_.HostOf()))
        LoadGrid(std::min(row, working_.DataRowCount() - 1), column);
}

void TFSGList::ChooseColour(int row) {
    const int column = working_.ColourColumn();
    if (column < 0 || row < 1 || row >= working_.RowCount()) return;
    const Colour current = ParseColour(working_.Cell(column, row)).value_or(colours::Black);
    const auto chosen = main_.HostOf().ChooseColour(current);
    if (!chosen) return;
    working_.SetCell(column, row, ColourToText(*chosen));
    LoadGrid(row - 1, column);
}

bool TFSGList::AcceptTable() {
    for (int row = 1; row < working_.RowCount(); ++row) {
        if (working_.RowIsEmpty(row)) continue;
        for (int column : {working_.ValueColumn(), working_.MinutesColumn()}) {
            if (column < 0) continue;
            const std::string& text = working_.Cell(column, row);
            if (IsBlank(text) || ParseNumber(text)) continue;
            grid_->setCurrentCell(row - 1, column);
            main_.HostOf().Tell(MessageKind::Warning, sweepTexts::NotANumber(text));
            return false;
        }
    }
    working_.Tidy();
    accept();
    return true;
}

} // namespace vitrimo
