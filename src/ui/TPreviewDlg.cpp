#include "ui/TPreviewDlg.h"

#include "model/NumberFormat.h"
#include "ui/Locale.h"
#include "ui/PreviewTexts.h"
#include "ui/TPVForm.h"
#include "ui/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPicture>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace vitrimo {

// The page image: paints the page through the dialog and hands the mouse to it. While an edge is
// dragged only the frame moves over the page as it was last drawn; the figure follows on release.
class PreviewImage : public QWidget {
public:
    explicit PreviewImage(TPreviewDlg& dialog) : QWidget(&dialog), dialog_(dialog) {
        setObjectName("Image");
        setMouseTracking(true);
        setMinimumSize(240, 170);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!dialog_.Dragging() || cache_.size() != size() * devicePixelRatioF()) {
            cache_ = QPixmap(size() * devicePixelRatioF());
            cache_.setDevicePixelRatio(devicePixelRatioF());
            QPainter painter(&cache_);
            dialog_.PaintImage(painter);
        }
        QPainter painter(this);
        painter.drawPixmap(0, 0, cache_);
        if (dialog_.FrameMode()) {
            // The frame as a focus rectangle: dots that show on white, yellow and on the figure alike.
            const FigureFrame& f = dialog_.Frame();
            const QRect frame(f.left, f.top, f.width, f.height);
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(frame);
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.drawRect(frame);
        }
    }
    void resizeEvent(QResizeEvent*) override { dialog_.Refit(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) dialog_.MouseDoubleClick();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        dialog_.MouseMove(at.x(), at.y());
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) dialog_.MousePress();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) dialog_.MouseRelease();
    }

private:
    TPreviewDlg& dialog_;
    QPixmap cache_;
};

PrinterPage PageOf(const QPrinter& printer) {
    const int resolution = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QRect paint = layout.paintRectPixels(resolution);
    const QRect full = layout.fullRectPixels(resolution);
    PrinterPage page;
    page.printableWidth = paint.width();
    page.printableHeight = paint.height();
    page.physicalWidth = full.width();
    page.physicalHeight = full.height();
    page.offsetX = paint.left() - full.left();
    page.offsetY = paint.top() - full.top();
    page.dpiX = printer.logicalDpiX();
    page.dpiY = printer.logicalDpiY();
    page.scalePercent = 100; // Qt's printers have no scale setting
    return page;
}

// Paper units of a rectangle in device pixels of a resolution.
static QRectF PaperUnits(const DeviceRect& rect, double dpiX, double dpiY) {
    const double sx = kPaperUnitsPerInch / dpiX, sy = kPaperUnitsPerInch / dpiY;
    return QRectF(rect.left * sx, rect.top * sy, rect.width * sx, rect.height * sy);
}

// Each page is recorded in a picture in paper units. Playing a picture scales it by the device's
// resolution over the picture's own (Qt's default resolution); the paper units are turned into
// picture units first, so a page lands at its size in inches.
std::optional<QString> PrintForm(QPrinter& printer, TPVForm& form, const DeviceRect& rect) {
    const double dpiX = printer.logicalDpiX(), dpiY = printer.logicalDpiY();
    if (dpiX <= 0 || dpiY <= 0) return QStringLiteral("the printer reports no resolution");
    const QRectF paper = PaperUnits(rect, dpiX, dpiY);
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFileName();
        return file.isEmpty() ? QStringLiteral("the printer cannot be started")
                              : QStringLiteral("\"%1\" cannot be written").arg(file);
    }
    const int pages = std::max(form.PrintPageCount(paper), 1);
    for (int page = 0; page < pages; ++page) {
        QPicture picture;
        {
            QPainter recorder(&picture);
            recorder.setClipRect(paper);
            form.DrawPrintPage(recorder, paper, page);
        }
        painter.save();
        painter.scale(picture.logicalDpiX() / kPaperUnitsPerInch, picture.logicalDpiY() / kPaperUnitsPerInch);
        painter.drawPicture(QPointF(0, 0), picture);
        painter.restore();
        if (page + 1 < pages) printer.newPage();
    }
    painter.end();
    return std::nullopt;
}

TPreviewDlg::TPreviewDlg(UiHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("TPreviewDlg");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    image_ = new PreviewImage(*this);
    hint_ = new QLabel(this);
    hint_->setObjectName("hint");
    printButton_ = new QPushButton(this);
    printButton_->setObjectName("Print");
    sizeButton_ = new QPushButton(this);
    sizeButton_->setObjectName("Size");
    cancelButton_ = new QPushButton(this);
    cancelButton_->setObjectName("Cancel");
    for (QPushButton* button : {printButton_, sizeButton_, cancelButton_}) button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(hint_, 1);
    buttons->addWidget(printButton_);
    buttons->addWidget(sizeButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(image_, 1);
    layout->addLayout(buttons);

    connect(printButton_, &QPushButton::clicked, this, [this] { PrintClick(); });
    connect(sizeButton_, &QPushButton::clicked, this, &TPreviewDlg::SizeClick);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    setGeometry(kDesignGeometry);
    ApplyWording();
}

TPreviewDlg::~TPreviewDlg() = default;

void TPreviewDlg::ApplyWording() {
    using namespace previewTexts;
    setWindowTitle(Tr(Caption));
    printButton_->setText(Tr(Print));
    sizeButton_->setText(Tr(Size));
    cancelButton_->setText(Tr(Cancel));
    hint_->setText(Tr(FrameHint));
}

void TPreviewDlg::ReadSettings(const IniFile& ini) {
    ReadWindowGeometry(*this, ini, kSection);
}

void TPreviewDlg::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection, &kDesignGeometry);
}

QWidget* TPreviewDlg::Image() const {
    return image_;
}

void TPreviewDlg::Begin(TPVForm& form) {
    form_ = &form;
    ApplyWording();
    frame_.left = frame_.top = 0;
    frameMode_ = dragging_ = edited_ = false;
    hot_ = FrameEdge::None;
    printer_.setPageOrientation(QPageLayout::Landscape);
    // The image takes its size from the dialog's layout, also before the dialog is first shown.
    if (layout()) layout()->activate();
    area_ = FitPageArea(image_->width(), image_->height(), PageOf(printer_));
    frame_ = FigureFrame{0, 0, area_.width, area_.height};
    image_->unsetCursor();
    image_->update();
}

int TPreviewDlg::ShowFor(TPVForm& form) {
    Begin(form);
    return exec();
}

// A resized dialog keeps the figure's share of the page.
void TPreviewDlg::Refit() {
    if (!form_) return;
    const PageArea fitted = FitPageArea(image_->width(), image_->height(), PageOf(printer_));
    if (fitted.width == area_.width && fitted.height == area_.height) return;
    if (area_.width > 0 && area_.height > 0) {
        const double sx = static_cast<double>(fitted.width) / area_.width;
        const double sy = static_cast<double>(fitted.height) / area_.height;
        const auto scaled = [](int value, double s) { return static_cast<int>(std::lround(value * s)); };
        FigureFrame f{scaled(frame_.left, sx), scaled(frame_.top, sy), scaled(frame_.width, sx),
                      scaled(frame_.height, sy)};
        area_ = fitted;
        f = ApplyLeft(f, f.left, area_);
        frame_ = ApplyTop(f, f.top, area_);
    } else {
        area_ = fitted;
        frame_ = FigureFrame{0, 0, area_.width, area_.height};
    }
    dragging_ = false;
    image_->update();
}

QSizeF TPreviewDlg::PaperPage() const {
    const PrinterPage page = PageOf(printer_);
    if (page.dpiX <= 0 || page.dpiY <= 0) return {};
    return {page.printableWidth * kPaperUnitsPerInch / page.dpiX,
            page.printableHeight * kPaperUnitsPerInch / page.dpiY};
}

QRectF TPreviewDlg::PaperFrame() const {
    const PrinterPage page = PageOf(printer_);
    if (page.dpiX <= 0 || page.dpiY <= 0) return {};
    return PaperUnits(PrintedRect(page, area_, frame_), page.dpiX, page.dpiY);
}

// The page as the printer will have it, scaled to the page area: the same paper units and the same
// rounding of the frame to printer pixels as printing.
void TPreviewDlg::PaintImage(QPainter& painter) {
    painter.fillRect(QRect(QPoint(0, 0), image_->size()), palette().window());
    const QRect page(0, 0, area_.width, area_.height);
    painter.fillRect(page, edited_ ? QColor(238, 238, 238) : QColor(Qt::white));
    if (edited_)
        painter.fillRect(QRect(frame_.left, frame_.top, frame_.width, frame_.height), QColor(255, 255, 221));
    // The sheet's edges (right and bottom just outside the page), where it meets the window's colour:
    // after an edit the light grey page would otherwise melt into it. The figure covers the others.
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(page);
    const QSizeF paper = PaperPage();
    if (!form_ || paper.isEmpty() || area_.width <= 0 || area_.height <= 0) return;
    painter.save();
    painter.setClipRect(page);
    painter.scale(area_.width / paper.width(), area_.height / paper.height());
    const QRectF figure = PaperFrame();
    painter.setClipRect(figure, Qt::IntersectClip);
    form_->DrawForPrint(painter, figure);
    painter.restore();
}

void TPreviewDlg::MouseDoubleClick() {
    frameMode_ = !frameMode_;
    if (!frameMode_) {
        hot_ = FrameEdge::None;
        dragging_ = false;
        image_->unsetCursor();
    }
    image_->update();
}

void TPreviewDlg::MouseMove(int x, int y) {
    if (!frameMode_) return;
    if (!dragging_) {
        hot_ = EdgeAt(frame_, x, y);
        switch (hot_) {
        case FrameEdge::Left:
        case FrameEdge::Right:
            image_->setCursor(Qt::SizeHorCursor);
            break;
        case FrameEdge::Top:
        case FrameEdge::Bottom:
            image_->setCursor(Qt::SizeVerCursor);
            break;
        case FrameEdge::None:
            image_->unsetCursor();
            break;
        }
        return;
    }
    frame_ = DragEdge(frame_, hot_, x, y, area_);
    image_->update();
}

void TPreviewDlg::MousePress() {
    if (frameMode_ && hot_ != FrameEdge::None) dragging_ = true;
}

void TPreviewDlg::MouseRelease() {
    if (hot_ == FrameEdge::None) return;
    dragging_ = false;
    Edited();
}

void TPreviewDlg::Edited() {
    edited_ = true;
    image_->update();
}

void TPreviewDlg::SetFrame(const FigureFrame& frame) {
    FigureFrame f = ApplyLeft(frame_, frame.left, area_);
    f = ApplyTop(f, frame.top, area_);
    f = ApplyWidth(f, frame.width, area_);
    frame_ = ApplyHeight(f, frame.height, area_);
    Edited();
}

void TPreviewDlg::SizeClick() {
    using namespace previewTexts;
    if (!form_) return;
    const PrinterPage page = PageOf(printer_);
    FigureFrame f = frame_;
    struct Step {
        const Wording& prompt;
        PageAxis axis;
        bool position;
        int FigureFrame::*value;
        FigureFrame (*apply)(FigureFrame, int, const PageArea&);
    };
    const Step steps[] = {{LeftPrompt, PageAxis::Across, true, &FigureFrame::left, &ApplyLeft},
                          {WidthPrompt, PageAxis::Across, false, &FigureFrame::width, &ApplyWidth},
                          {TopPrompt, PageAxis::Down, true, &FigureFrame::top, &ApplyTop},
                          {HeightPrompt, PageAxis::Down, false, &FigureFrame::height, &ApplyHeight}};
    for (const Step& step : steps) {
        const int tenths = PreviewToTenths(page, area_, step.axis, f.*step.value, step.position);
        const auto answer = host_.AskText(SizeCaption, step.prompt, FormatFixed(tenths / 10.0, 1));
        if (!answer) return;
        const auto millimetres = ParseNumber(*answer);
        if (!millimetres || !std::isfinite(*millimetres)) {
            host_.Tell(MessageKind::Error, NotANumber(*answer));
            return;
        }
        const auto preview = TenthsToPreview(page, area_, step.axis, *millimetres * 10, step.position);
        if (preview) f = step.apply(f, *preview, area_);
    }
    frame_ = f;
    Edited();
}

bool TPreviewDlg::PrintClick() {
    if (!form_ || !host_.ChoosePrinter(printer_)) return false;
    hide();
    // The frame's share of the page area, on the page the dialog chose.
    const auto error = PrintForm(printer_, *form_, PrintedRect(PageOf(printer_), area_, frame_));
    if (error) {
        host_.Tell(MessageKind::Error, previewTexts::CannotPrint(error->toStdString()));
        reject();
        return false;
    }
    accept();
    return true;
}

bool TPreviewDlg::PrintDirect(TPVForm& form) {
    form_ = &form;
    printer_.setPageOrientation(QPageLayout::Landscape);
    if (!host_.ChoosePrinter(printer_)) return false;
    const PrinterPage page = PageOf(printer_);
    const auto error = PrintForm(printer_, form, DeviceRect{0, 0, page.printableWidth, page.printableHeight});
    if (error) host_.Tell(MessageKind::Error, previewTexts::CannotPrint(error->toStdString()));
    return !error;
}

} // namespace vitrimo
