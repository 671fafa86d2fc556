#include "ui/TGlassDataFig.h"

#include "model/ColumnMap.h"
#include "model/NumberFormat.h"
#include "ui/CatalogueGrid.h"
#include "ui/GlassFigureTexts.h"
#include "ui/Locale.h"
#include "ui/TFGlasdata.h"
#include "ui/TFLensdata.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace vitrimo {

// The paint box: the figure at the view's size; a click goes to the window.
class GlassFigureView : public QWidget {
public:
    explicit GlassFigureView(TGlassDataFig& window) : QWidget(&window), window_(window) {
        setObjectName("figureView");
        setMinimumSize(480, 320);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setCursor(Qt::CrossCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintGlassFigure(painter, QRectF(rect()), window_.Figure());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) window_.ClickAt(event->position());
    }

private:
    TGlassDataFig& window_;
};

TGlassDataFig::TGlassDataFig(TFGlasdata& data, TFLensdata& main)
    : QDialog(&data, Qt::Window), data_(data), main_(main) {
    setObjectName("TGlassDataFig");
    view_ = new GlassFigureView(*this);
    label_ = new QLabel(this);
    label_->setObjectName("glassLabel");
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    upDown_ = new QSpinBox(this);
    upDown_->setObjectName("UpDown");
    upDown_->setMinimum(1);
    printButton_ = new QPushButton(this);
    printButton_->setObjectName("Print");
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName("Close");
    for (QPushButton* button : {printButton_, closeButton_}) button->setAutoDefault(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(label_, 1);
    controls->addWidget(upDown_);
    controls->addSpacing(12);
    controls->addWidget(printButton_);
    controls->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(controls);
    resize(900, 560);

    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(upDown_, &QSpinBox::valueChanged, this, [this](int position) {
        if (refreshing_) return;
        const std::vector<int>& order = data_.Grid()->Order();
        if (position >= 1 && position <= static_cast<int>(order.size())) data_.Grid()->SelectRow(order[position - 1]);
    });
    ApplyWording();
}

void TGlassDataFig::ApplyWording() {
    using namespace glassFigureTexts;
    setWindowTitle(Tr(Caption));
    printButton_->setText(Tr(Print));
    closeButton_->setText(Tr(Close));
    upDown_->setPrefix(Tr(GlassNumber));
    view_->setToolTip(Tr(MapHint));
}

QWidget* TGlassDataFig::View() const {
    return view_;
}

QString TGlassDataFig::LabelText() const {
    return label_->text();
}

void TGlassDataFig::ShowFigure() {
    ApplyWording();
    Refresh();
    show();
    raise();
    activateWindow();
}

void TGlassDataFig::Refresh() {
    refreshing_ = true;
    const auto done = qScopeGuard([this] { refreshing_ = false; });
    const Lens& lens = main_.LensData();
    std::vector<std::string> lensGlasses;
    for (int row = 1; row < lens.RowCount(); ++row) lensGlasses.push_back(lens.Text(col::GlassName, row));
    figure_ = MakeGlassFigure(data_.Catalogue(), data_.NameColumn(), data_.Grid()->SelectedRow(), lensGlasses,
                              JapaneseWording());

    QString text;
    if (figure_.selected >= 0) {
        const GlassMapPoint& g = figure_.glasses[figure_.selected];
        text = QString::fromStdString(g.name) + "    nd " + QString::fromStdString(FormatFixed(g.nd, 5)) +
               QString::fromUtf8("    νd ") + QString::fromStdString(FormatFixed(g.abbe, 2));
    } else if (!figure_.glass.empty()) {
        text = QString::fromStdString(figure_.glass);
    }
    if (!figure_.formulaName.empty())
        text += "    " + QString::fromStdString(figure_.formulaName) + "  " +
                QString::fromStdString(FormatFixed(figure_.lowNm, 0)) + QString::fromUtf8(" – ") +
                QString::fromStdString(FormatFixed(figure_.highNm, 0)) + " nm";
    else if (!figure_.error.empty())
        text += "    " + QString::fromStdString(figure_.error);
    label_->setText(text);

    const std::vector<int>& order = data_.Grid()->Order();
    upDown_->setMaximum(std::max(1, static_cast<int>(order.size())));
    const auto at = std::find(order.begin(), order.end(), data_.Grid()->SelectedRow());
    upDown_->setValue(at == order.end() ? 1 : static_cast<int>(at - order.begin()) + 1);
    upDown_->setEnabled(!order.empty());
    view_->update();
}

void TGlassDataFig::ClickAt(const QPointF& point) {
    const int glass = GlassAt(figure_, QRectF(view_->rect()), point);
    if (glass < 0) return;
    // The glass data window selects it and tells this window, which then draws it.
    data_.Grid()->SelectRow(figure_.glasses[glass].row);
}

void TGlassDataFig::DrawForPrint(QPainter& painter, const QRectF& area) {
    PaintGlassFigure(painter, area, figure_);
}

} // namespace vitrimo
