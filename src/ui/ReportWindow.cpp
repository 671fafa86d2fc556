#include "ui/ReportWindow.h"

#include "model/FileIo.h"
#include "ui/CalculationRunner.h"
#include "ui/Locale.h"
#include "ui/ReportTexts.h"
#include "ui/TFLensdata.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cmath>

namespace vitrimo {

ReportWindow::ReportWindow(TFLensdata& main, std::function<std::vector<double>()> fieldAngles)
    : QWidget(&main, Qt::Window), main_(main), fieldAngles_(std::move(fieldAngles)) {
    setObjectName("ReportWindow");
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("reportBrowser");
    browser_->setOpenLinks(false);
    status_ = new QLabel(this);
    status_->setObjectName("reportStatus");
    status_->setWordWrap(true);
    const auto button = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    refreshButton_ = button("refreshButton");
    saveHtmlButton_ = button("saveHtmlButton");
    saveTextButton_ = button("saveTextButton");
    printButton_ = button("printButton");
    closeButton_ = button("closeButton");
    helpButton_ = button("helpButton");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {refreshButton_, saveHtmlButton_, saveTextButton_, printButton_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(helpButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(refreshButton_, &QPushButton::clicked, this, &ReportWindow::Refresh);
    connect(saveHtmlButton_, &QPushButton::clicked, this, &ReportWindow::SaveHtml);
    connect(saveTextButton_, &QPushButton::clicked, this, &ReportWindow::SaveText);
    connect(printButton_, &QPushButton::clicked, this, [this] {
        if (made_ && preview_) preview_(*this);
    });
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { main_.HostOf().ShowHelp(reportTexts::kHelpTopic); });
    connect(&main_.Runner(), &CalculationRunner::BusyChanged, this, &ReportWindow::SetBusy);

    resize(820, 640);
    ApplyWording();
    SetBusy(main_.Runner().Busy());
}

void ReportWindow::ApplyWording() {
    setWindowTitle(Tr(reportTexts::Caption));
    refreshButton_->setText(Tr(reportTexts::Refresh));
    saveHtmlButton_->setText(Tr(reportTexts::SaveHtml));
    saveTextButton_->setText(Tr(reportTexts::SaveText));
    printButton_->setText(Tr(reportTexts::Print));
    closeButton_->setText(Tr(reportTexts::Close));
    helpButton_->setText(Tr(reportTexts::Help));
}

QPushButton* ReportWindow::Button(const char* name) const {
    return findChild<QPushButton*>(name);
}

QString ReportWindow::StatusText() const {
    return status_->text();
}

void ReportWindow::ShowReport() {
    show();
    raise();
    activateWindow();
    Refresh();
}

void ReportWindow::Refresh() {
    if (main_.Runner().Busy()) {
        status_->setText(Tr(reportTexts::Busy));
        return;
    }
    // The lens is prepared as for any calculation: the arrays and the paraxial data follow the table,
    // questions about missing values are asked here.
    const Readiness readiness = main_.PrepareForCalculation();
    report_ = BuildPrescriptionReport(main_.Bench(), readiness,
                                      fieldAngles_ ? fieldAngles_() : std::vector<double>{}, main_.HostOf());
    html_ = ReportHtml(report_);
    revision_ = main_.LensData().Revision();
    made_ = true;
    // A refresh keeps the place the user was reading.
    const int scroll = browser_->verticalScrollBar()->value();
    browser_->setHtml(QString::fromStdString(html_));
    browser_->verticalScrollBar()->setValue(scroll);
    status_->clear();
    SetBusy(main_.Runner().Busy());
}

void ReportWindow::SetBusy(bool busy) {
    // The report binds and traces with the program's tracer: not while a calculation uses it.
    refreshButton_->setEnabled(!busy);
    for (QPushButton* b : {saveHtmlButton_, saveTextButton_, printButton_}) b->setEnabled(made_);
}

void ReportWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) ApplyWording();
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !made_) return;
    if (main_.LensData().Revision() == revision_) return;
    if (main_.Runner().Busy())
        status_->setText(Tr(reportTexts::Stale));
    else
        Refresh();
}

bool ReportWindow::SaveHtml() {
    return Save(true);
}

bool ReportWindow::SaveText() {
    return Save(false);
}

bool ReportWindow::Save(bool html) {
    if (!made_) return false;
    using namespace reportTexts;
    UiHost& host = main_.HostOf();
    const QString folder = QString::fromStdString(main_.Directories().startDir + "/Lens");
    const QString lensName =
        QFileInfo(QString::fromStdString(main_.LensData().FileName())).completeBaseName();
    const QString suggested = lensName.isEmpty() ? QString() : lensName + (html ? ".html" : ".txt");
    const QString path =
        host.SaveFileName(html ? SaveHtmlTitle : SaveTextTitle, folder,
                          {QString::fromUtf8((html ? HtmlFilter : TextFilter).data())}, suggested);
    if (path.isEmpty()) return false;
    const std::string contents = html ? html_ : ReportText(report_);
    if (const auto error = WriteFileAtomically(path.toStdString(), contents)) {
        host.Tell(MessageKind::Error, CannotWrite(*error));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Printing

std::unique_ptr<QTextDocument> ReportWindow::PrintDocument(const QRectF& area) const {
    auto document = std::make_unique<QTextDocument>();
    // Paper units are 96 to the inch: a font sized in pixels is the same on every printer.
    QFont font = this->font();
    font.setPixelSize(12);
    document->setDefaultFont(font);
    document->setHtml(QString::fromStdString(html_));
    document->setPageSize(area.size());
    return document;
}

int ReportWindow::PrintPageCount(const QRectF& area) {
    if (!made_ || area.isEmpty()) return 1;
    return std::max(1, PrintDocument(area)->pageCount());
}

void ReportWindow::DrawPrintPage(QPainter& painter, const QRectF& area, int page) {
    if (!made_ || area.isEmpty()) return;
    const auto document = PrintDocument(area);
    painter.save();
    painter.translate(area.left(), area.top() - page * area.height());
    document->drawContents(&painter, QRectF(0, page * area.height(), area.width(), area.height()));
    painter.restore();
}

void ReportWindow::DrawForPrint(QPainter& painter, const QRectF& area) {
    DrawPrintPage(painter, area, 0);
}

} // namespace vitrimo
