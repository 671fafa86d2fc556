// The prescription report window (File > Report...): the report of the main window's lens as a page in a
// text browser, saved as HTML or plain text, printed through the print preview.
//
// The report is made on the user-interface thread (it takes milliseconds: a paraxial trace, the third-order
// sums and one chief ray). When the window becomes active after the lens changed, the report is made
// again; while a calculation runs it is not, and Refresh waits for the calculation to end.
#pragma once

#include "exchange/PrescriptionReport.h"
#include "ui/TPVForm.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QTextBrowser;
class QTextDocument;

namespace vitrimo {

class TFLensdata;

class ReportWindow : public QWidget, public TPVForm {
    Q_OBJECT
public:
    // `fieldAngles` gives the angle table whose largest angle the report's image height is for (degrees).
    ReportWindow(TFLensdata& main, std::function<std::vector<double>()> fieldAngles);

    // File > Report...: the lens prepared as for a calculation, the report made and the window shown.
    void ShowReport();
    // Makes the report again from the lens as it stands (not while a calculation runs).
    void Refresh();
    // "Save as HTML..." and "Save as Text...": the file dialog, then the file written whole or not at
    // all; a failure is told. True when the file was written.
    bool SaveHtml();
    bool SaveText();
    // "Print...": set by the program to open the print preview for this window.
    void SetPreview(std::function<void(ReportWindow&)> preview) { preview_ = std::move(preview); }

    // The report on paper: the page laid out to the rectangle's width, on as many pages as it needs.
    void DrawForPrint(QPainter& painter, const QRectF& area) override;
    int PrintPageCount(const QRectF& area) override;
    void DrawPrintPage(QPainter& painter, const QRectF& area, int page) override;

    // ---- For tests ----
    const PrescriptionReport& Report() const { return report_; }
    QTextBrowser* Browser() const { return browser_; }
    QPushButton* Button(const char* name) const;
    QString StatusText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    bool Save(bool html);
    void SetBusy(bool busy);
    void ApplyWording();
    std::unique_ptr<QTextDocument> PrintDocument(const QRectF& area) const;

    TFLensdata& main_;
    std::function<std::vector<double>()> fieldAngles_;
    std::function<void(ReportWindow&)> preview_;
    PrescriptionReport report_;
    std::string html_;
    unsigned long revision_ = ~0ul; // the lens revision the report was made from
    bool made_ = false;
    QTextBrowser* browser_;
    QLabel* status_;
    QPushButton* refreshButton_;
    QPushButton* saveHtmlButton_;
    QPushButton* saveTextButton_;
    QPushButton* printButton_;
    QPushButton* closeButton_;
    QPushButton* helpButton_;
};

} // namespace vitrimo
