#include "ui/TFValClc.h"

#include "model/NumberFormat.h"
#include "ui/CalculationRunner.h"
#include "ui/Locale.h"
#include "ui/OptimizationTexts.h"
#include "ui/TCorrFactor.h"
#include "ui/TFLensdata.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace vitrimo {
namespace {

QColor ColourOf(Colour c) {
    return QColor(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff),
                  static_cast<int>((c >> 16) & 0xff));
}

} // namespace

void SpotBox::SetDots(std::vector<MeritSpotDot> dots) {
    dots_ = std::move(dots);
    update();
}

void SpotBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::lightGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const double w = width(), h = height();
    // The box spans 0.4 mm across, centred on the weighted centroid of the spot.
    for (const MeritSpotDot& dot : dots_) {
        const double x = (dot.z + 0.2) * w / 0.4, y = h / 2 - w * dot.dy / 0.4;
        if (x < 0 || x >= w || y < 0 || y >= h) continue;
        painter.setPen(ColourOf(dot.colour));
        painter.drawPoint(QPointF(x, y));
    }
}

TFValClc::TFValClc(TFLensdata& main, TCorrFactor& conditions)
    : QWidget(&main, Qt::Window), main_(main), conditions_(conditions) {
    setObjectName("TFValClc");
    setWindowTitle(QStringLiteral("FValClc"));
    auto* layout = new QVBoxLayout(this);
    auto* boxes = new QGridLayout;
    for (int k = 0; k < LensMerit::kSpotBoxes; ++k) {
        boxes_[k] = new SpotBox;
        boxes_[k]->setMinimumSize(160, 160);
        boxes->addWidget(boxes_[k], k / 3, k % 3);
    }
    layout->addLayout(boxes);
    auto* bottom = new QHBoxLayout;
    focalPoint_ = new QLabel(QStringLiteral("FocalPoint="));
    f_ = new QLabel(QStringLiteral("F ="));
    fmin_ = new QLabel(QStringLiteral("Fmin =100000"));
    graphics_ = new QPushButton(QStringLiteral("Graphics ON"));
    stop_ = new QPushButton(QStringLiteral("Stop"));
    for (QWidget* w : std::initializer_list<QWidget*>{focalPoint_, f_, fmin_}) bottom->addWidget(w, 1);
    bottom->addWidget(graphics_);
    bottom->addWidget(stop_);
    layout->addLayout(bottom);
    connect(graphics_, &QPushButton::clicked, this, &TFValClc::ToggleGraphics);
    connect(stop_, &QPushButton::clicked, this, &TFValClc::StopRun);
    ReadWindowGeometry(*this, main_.Settings().Load(main_.HostOf()), "FValClc");
}

bool TFValClc::Execute() {
    if (running_ || main_.Runner().Busy()) return false;
    if (!main_.CheckImage(main_.PrepareForCalculation())) return false;
    const Lens& lens = main_.LensData();
    if (CountFreeValues(lens) == 0) {
        main_.HostOf().Tell(MessageKind::Warning, optimizationTexts::NoFreeValue);
        return false;
    }
    // Each run starts with the least value "100000" and the graphics off.
    shownFmin_ = 100000;
    fmin_->setText(QStringLiteral("Fmin =100000"));
    f_->setText(QStringLiteral("F ="));
    focalPoint_->setText(QStringLiteral("FocalPoint="));
    graphicsOn_->store(false);
    graphics_->setText(QStringLiteral("Graphics ON"));
    for (SpotBox* box : boxes_) box->SetDots({});

    OptimisationJob job;
    job.conditions = conditions_.Conditions();
    job.graphics = graphicsOn_;
    job.threads = main_.Bench().Threads();
    // Every valid evaluation reports to the window from the worker thread; the read-outs change here.
    QPointer<TFValClc> self(this);
    job.observer = [self](const MeritReport& report) {
        if (self)
            QMetaObject::invokeMethod(
                self,
                [self, report] {
                    if (self) self->ShowReport(report);
                },
                Qt::QueuedConnection);
    };
    // The run works on its own copy of the lens: the table stays as it is until the result is written.
    auto snapshot = std::make_shared<const Lens>(lens);
    running_ = main_.Runner().Start<OptimisationResult>(
        this, [snapshot, job](Host& host) { return Optimise(*snapshot, job, host); },
        [this](OptimisationResult result) { Finish(std::move(result)); });
    if (!running_) return false;
    stop_->setEnabled(true);
    show();
    raise();
    return true;
}

void TFValClc::ShowReport(const MeritReport& report) {
    const double f = report.parts.merit;
    f_->setText(QStringLiteral("F =") + QString::fromStdString(FormatGeneral(f, 6)));
    if (f < shownFmin_) {
        shownFmin_ = f;
        fmin_->setText(QStringLiteral("Fmin =") + QString::fromStdString(FormatGeneral(f, 6)));
    }
    focalPoint_->setText(QStringLiteral("FocalPoint=") +
                         QString::fromStdString(FormatGeneral(report.parts.focus, 3)));
    if (!report.spots.empty() && graphicsOn_->load())
        for (int k = 0; k < LensMerit::kSpotBoxes; ++k)
            boxes_[k]->SetDots(k < static_cast<int>(report.spots.size()) ? report.spots[k]
                                                                         : std::vector<MeritSpotDot>{});
}

void TFValClc::Finish(OptimisationResult result) {
    running_ = false;
    last_ = std::move(result);
    if (!last_.Ok()) {
        main_.HostOf().Tell(MessageKind::Warning, Wording{last_.error, last_.error});
    } else {
        // The best vector goes into the table as one change that Undo takes back.
        const std::vector<double> x = last_.run.x;
        main_.ChangeAsOneUndoStep([&x](Lens& lens) { WriteOptimisedValues(lens, x); });
    }
    hide();
    emit RunFinished();
}

void TFValClc::ToggleGraphics() {
    const bool on = !graphicsOn_->load();
    graphicsOn_->store(on);
    graphics_->setText(on ? QStringLiteral("Graphics OFF") : QStringLiteral("Graphics ON"));
    if (!on)
        for (SpotBox* box : boxes_) box->SetDots({});
}

void TFValClc::StopRun() {
    if (running_) main_.Runner().Stop();
}

void TFValClc::closeEvent(QCloseEvent* event) {
    // Closing asks the run to end; the window goes once the best point is written.
    if (running_) {
        StopRun();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace vitrimo
