#include "ui/TF3rdAber.h"

#include "figures/GridPrintDraw.h"
#include "model/FileIo.h"
#include "ui/Locale.h"
#include "ui/TFLensdata.h"
#include "ui/ThirdOrderTexts.h"
#include "ui/WindowPlacement.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace vitrimo {

// The computed table as a Qt model: row 0 of the table is the header, the rest are the model's rows.
class ThirdOrderModel : public QAbstractTableModel {
public:
    ThirdOrderModel(const ThirdOrderTable& table, QObject* parent)
        : QAbstractTableModel(parent), table_(table) {}

    // Shows the table's cells, or nothing (no image, or a failed computation).
    void Show(bool filled) {
        beginResetModel();
        filled_ = filled;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !filled_ ? 0 : static_cast<int>(table_.Cells().size()) - 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ThirdOrderTable::kColumns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const auto& row = table_.Cells()[index.row() + 1];
        switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(row[index.column()]);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignTop));
        case Qt::BackgroundRole:
            // Subtotal and sum rows stand out from the surface rows.
            if (row[0] == "-" || row[0] == "SUM") return QColor(0xEE, 0xEE, 0xDD);
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || table_.Cells().empty()) return {};
        return QString::fromStdString(table_.Cells().front()[section]);
    }

private:
    const ThirdOrderTable& table_;
    bool filled_ = false;
};

namespace {

// Cells drawn as the model aligns them, 2 pixels from the right edge and 2 from the top.
class MarginDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        painter->save();
        painter->setPen(item.palette.color(item.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                               : QPalette::Text));
        painter->setFont(item.font);
        painter->drawText(item.rect.adjusted(2, 2, -2, 0), static_cast<int>(item.displayAlignment), text);
        painter->restore();
    }
};

// The subtotal buttons: a sum sign with a plus or a minus.
QIcon SubtotalIcon(bool insert) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(17);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0x20, 0x30, 0x80));
    painter.drawText(QRect(0, 0, 16, 24), Qt::AlignCenter, QString::fromUtf8("\xCE\xA3"));
    painter.setPen(QPen(insert ? QColor(0x10, 0x80, 0x10) : QColor(0xC0, 0x20, 0x20), 2.5));
    painter.drawLine(QPointF(15, 17), QPointF(23, 17));
    if (insert) painter.drawLine(QPointF(19, 13), QPointF(19, 21));
    return QIcon(pixmap);
}

} // namespace

TF3rdAber::TF3rdAber(TFLensdata& main) : QDialog(&main), main_(main) {
    setObjectName("TF3rdAber");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    model_ = new ThirdOrderModel(table_, this);
    grid_ = new QTableView(this);
    grid_->setObjectName("StringGridAberCoef");
    grid_->setModel(model_);
    grid_->setItemDelegate(new MarginDelegate(grid_));
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    status_ = new QLabel(this);
    status_->setObjectName("status");
    insertButton_ = new QToolButton(this);
    insertButton_->setObjectName("InsertSubtotal");
    insertButton_->setIcon(SubtotalIcon(true));
    deleteButton_ = new QToolButton(this);
    deleteButton_->setObjectName("DeleteSubtotal");
    deleteButton_->setIcon(SubtotalIcon(false));
    for (QToolButton* button : {insertButton_, deleteButton_}) button->setIconSize(QSize(24, 24));
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName("Close");
    printButton_ = new QPushButton(this);
    printButton_->setObjectName("Print");
    saveButton_ = new QPushButton(this);
    saveButton_->setObjectName("DataSave");
    helpButton_ = new QPushButton(this);
    helpButton_->setObjectName("Help");
    for (QPushButton* button : {closeButton_, printButton_, saveButton_, helpButton_})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(insertButton_);
    buttons->addWidget(deleteButton_);
    buttons->addSpacing(16);
    buttons->addWidget(status_, 1);
    buttons->addWidget(closeButton_);
    buttons->addWidget(printButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(helpButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid()) selectedRow_ = index.row() + 1;
            });
    connect(insertButton_, &QToolButton::clicked, this, &TF3rdAber::InsertSubtotal);
    connect(deleteButton_, &QToolButton::clicked, this, &TF3rdAber::DeleteSubtotal);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(saveButton_, &QPushButton::clicked, this, &TF3rdAber::SaveTable);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { main_.HostOf().ShowHelp(thirdOrderTexts::kHelpTopic); });

    setGeometry(kWrittenDefaults);
    ReadWindowGeometry(*this, main_.Settings().Load(main_.HostOf()), kSection);
    ApplyWording();
    ShowResult();
}

// The view and the model read the table, a member: they go first.
TF3rdAber::~TF3rdAber() {
    delete grid_;
    delete model_;
}

void TF3rdAber::ApplyWording() {
    using namespace thirdOrderTexts;
    setWindowTitle(Tr(Caption));
    insertButton_->setToolTip(Tr(thirdOrderTexts::InsertSubtotal));
    deleteButton_->setToolTip(Tr(thirdOrderTexts::DeleteSubtotal));
    closeButton_->setText(Tr(Close));
    printButton_->setText(Tr(Print));
    saveButton_->setText(Tr(DataSave));
    helpButton_->setText(Tr(Help));
}

// Sizes follow the main window's font height fh: rows 7/5 fh, columns 9/2 fh, "No." 7/3 fh and the
// colour columns 5 fh (they carry one more decimal).
void TF3rdAber::ApplyLayout() {
    const int fh = main_.FontHeight();
    grid_->setFont(main_.font());
    grid_->horizontalHeader()->setFont(main_.font());
    grid_->verticalHeader()->setDefaultSectionSize(RoundDiv(7 * fh, 5));
    grid_->horizontalHeader()->setDefaultSectionSize(RoundDiv(9 * fh, 2));
    for (int column = 0; column < ThirdOrderTable::kColumns; ++column)
        grid_->setColumnWidth(column, RoundDiv(9 * fh, 2));
    grid_->setColumnWidth(0, RoundDiv(7 * fh, 3));
    grid_->setColumnWidth(6, 5 * fh);
    grid_->setColumnWidth(7, 5 * fh);
}

bool TF3rdAber::Update(bool command) {
    if (updating_) return filled_;
    updating_ = true;
    const auto done = qScopeGuard([this] { updating_ = false; });
    Lens& lens = main_.LensData();

    Readiness readiness;
    if (lens.ArraysCurrent()) {
        readiness = main_.Paraxial().ImageValid() ? Readiness::Ready : Readiness::NoImage;
    } else {
        // Activating the window must not ask the same declined question again and again.
        if (!command && lens.Revision() == declinedRevision_) return filled_;
        readiness = main_.PrepareForCalculation();
        if (readiness == Readiness::Cancelled) declinedRevision_ = lens.Revision();
        ApplyLayout();
    }

    filled_ = readiness == Readiness::Ready && table_.Compute(lens);
    if (readiness == Readiness::Ready && !filled_)
        status_->setText(Tr(thirdOrderTexts::CannotCompute(table_.Error())));
    else if (readiness == Readiness::NoImage)
        status_->setText(Tr(thirdOrderTexts::NoFocus));
    else if (filled_ && !table_.Warning().empty())
        status_->setText(Tr(thirdOrderTexts::Overflow(table_.Warning())));
    else
        status_->clear();
    ShowResult();

    if (command) {
        if (readiness == Readiness::NoImage) main_.CheckImage(readiness);
        if (readiness == Readiness::Ready && !filled_)
            main_.HostOf().Tell(MessageKind::Error, thirdOrderTexts::CannotCompute(table_.Error()));
    }
    return filled_;
}

void TF3rdAber::ShowResult() {
    const int row = selectedRow_;
    model_->Show(filled_);
    insertButton_->setEnabled(filled_);
    deleteButton_->setEnabled(filled_);
    saveButton_->setEnabled(filled_);
    printButton_->setEnabled(filled_);
    if (filled_ && row >= 1) SelectRow(row);
}

bool TF3rdAber::ShowTable() {
    if (!Update(true)) return false;
    ApplyLayout();
    show();
    raise();
    activateWindow();
    return true;
}

void TF3rdAber::Recompute() {
    Update(false);
}

void TF3rdAber::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) Update(false);
}

void TF3rdAber::SelectRow(int gridRow) {
    const int rows = model_->rowCount();
    if (rows == 0) return;
    selectedRow_ = std::clamp(gridRow, 1, rows);
    grid_->setCurrentIndex(model_->index(selectedRow_ - 1, 0));
}

QString TF3rdAber::StatusText() const {
    return status_->text();
}

void TF3rdAber::InsertSubtotal() {
    if (!filled_) return;
    const int row = selectedRow_;
    if (table_.InsertSubtotal(row)) {
        Update(false);
        SelectRow(row);
    }
}

void TF3rdAber::DeleteSubtotal() {
    if (!filled_) return;
    const int row = selectedRow_;
    if (table_.DeleteSubtotal(row, main_.HostOf())) {
        Update(false);
        SelectRow(row);
    }
}

void TF3rdAber::SaveTable() {
    if (!filled_) return;
    UiHost& host = main_.HostOf();
    const QString folder = QString::fromStdString(main_.Directories().startDir + "/Lens");
    const QString path =
        host.SaveFileName(thirdOrderTexts::SaveTitle, folder,
                          {QString::fromUtf8(thirdOrderTexts::SaveFilter.data())}, QString());
    if (path.isEmpty()) return;
    if (const auto error = WriteFileAtomically(path.toStdString(), table_.Text()))
        host.Tell(MessageKind::Error, thirdOrderTexts::CannotWrite(*error));
}

PrintGrid TF3rdAber::GridForPrint() const {
    PrintGrid print;
    if (filled_)
        for (const auto& row : table_.Cells()) print.cells.emplace_back(row.begin(), row.end());
    print.titleRows = 1;
    for (int column = 0; column < ThirdOrderTable::kColumns; ++column)
        print.columnWidths.push_back(grid_->columnWidth(column));
    print.rowHeight = grid_->verticalHeader()->defaultSectionSize();
    print.screenDpi = grid_->logicalDpiY();
    print.font = grid_->font();
    print.fontPixels = QFontInfo(grid_->font()).pixelSize();
    return print;
}

void TF3rdAber::DrawForPrint(QPainter& painter, const QRectF& area) {
    DrawPrintPage(painter, area, 0);
}

int TF3rdAber::PrintPageCount(const QRectF& area) {
    return TSGridPrintDraw(GridForPrint(), area, kPaperUnitsPerInch).PageCount();
}

void TF3rdAber::DrawPrintPage(QPainter& painter, const QRectF& area, int page) {
    TSGridPrintDraw(GridForPrint(), area, kPaperUnitsPerInch).DrawPage(painter, page);
}

void TF3rdAber::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection, &kWrittenDefaults);
}

} // namespace vitrimo
