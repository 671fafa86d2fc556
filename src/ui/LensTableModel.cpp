#include "ui/LensTableModel.h"

#include "model/TableRules.h"
#include "ui/Locale.h"
#include "ui/MainWindowTexts.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

namespace vitrimo {
namespace {

const mainTexts::ColumnWording* JapaneseColumn(const std::string& name) {
    for (const auto& column : mainTexts::JapaneseColumns)
        if (column.name == name) return &column;
    return nullptr;
}

} // namespace

LensTableModel::LensTableModel(Lens& lens, QObject* parent) : QAbstractTableModel(parent), lens_(lens) {}

int LensTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(lens_.RowCount() - 1, 0);
}

int LensTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : lens_.Table().ColumnCount();
}

QVariant LensTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int column = index.column(), row = TableRow(index);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(DisplayCell(lens_, column, row).text);
    case Qt::EditRole:
        return QString::fromStdString(lens_.Text(column, row));
    case Qt::TextAlignmentRole: {
        switch (DisplayCell(lens_, column, row).alignment) {
        case CellAlignment::Left:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case CellAlignment::Centre:
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        case CellAlignment::Right:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    }
    case MarginRole:
        return DisplayCell(lens_, column, row).margin;
    case FixedRole:
        return column == 0;
    case Qt::ToolTipRole:
        return headerData(column, Qt::Horizontal, Qt::ToolTipRole);
    case Qt::BackgroundRole:
        // The rows of a shift/tilt group being defined.
        if (row >= highlightFirst_ && row <= highlightLast_) return QBrush(QColor(0x99, 0xAA, 0x00));
        return {};
    default:
        return {};
    }
}

QVariant LensTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= lens_.Table().ColumnCount()) return {};
    const bool japanese = JapaneseWording();
    const std::string& title = lens_.Text(section, 0);
    const std::string name = section < lens_.Columns().Count() ? lens_.Columns().Name(section) : title;
    if (role == Qt::DisplayRole) {
        if (japanese) {
            if (lens_.RadiusMode()) {
                for (std::size_t k = 0; k < col::Diameters.size(); ++k)
                    if (name == col::Diameters[k])
                        return QString::fromUtf8(mainTexts::JapaneseRadiusTitles[k].data());
            }
            if (const auto* column = JapaneseColumn(name); column && !column->title.empty())
                return QString::fromUtf8(column->title.data(), int(column->title.size()));
        }
        return QString::fromStdString(title);
    }
    if (role == Qt::ToolTipRole) {
        // Column hints exist in the Japanese wording only.
        if (!japanese || !hints_) return {};
        if (const auto* column = JapaneseColumn(name))
            return QString::fromUtf8(column->hint.data(), int(column->hint.size()));
        if (section >= lens_.FirstIndexColumn() && section < lens_.Column(col::Remarks))
            return QString::fromStdString(name) + " " +
                   QString::fromUtf8(mainTexts::JapaneseIndexHint.data());
        return {};
    }
    if (role == Qt::FontRole && japanese) return QFont(QStringLiteral("IPAGothic"));
    return {};
}

Qt::ItemFlags LensTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const int column = index.column(), row = TableRow(index);
    if (!CellSelectable(lens_, column, row)) return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editing_ && !CellChosenByDialog(lens_, column, row)) flags |= Qt::ItemIsEditable;
    return flags;
}

bool LensTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const int column = index.column(), row = TableRow(index);
    std::string text = value.toString().toStdString();
    if (text == lens_.Text(column, row)) return false;
    // Text that is not a number never enters a numeric cell: the cell keeps its value and the window
    // says why.
    if (!CellTextAcceptable(lens_, column, text)) {
        emit EditRefused(column, row, QString::fromStdString(text));
        return false;
    }
    lens_.SetText(column, row, std::move(text));
    emit dataChanged(index, index);
    emit CellEdited(column, row);
    return true;
}

void LensTableModel::SetHighlightRows(int first, int last) {
    highlightFirst_ = first;
    highlightLast_ = last;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void LensTableModel::Reload() {
    beginResetModel();
    endResetModel();
}

} // namespace vitrimo
