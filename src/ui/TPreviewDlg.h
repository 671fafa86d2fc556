// The print preview: the printer's page, landscape, with the current printable window's content in a
// frame that the user places and sizes (by dragging its edges or by typing millimetres), then prints.
//
// There is one preview in the program; the window that opens it becomes the current printable window.
// The preview draws the content exactly as the printer will (TPVForm's paper units, scaled down to the
// page area), and prints it by recording each page in a picture that is played onto the printer page.
#pragma once

#include "model/IniFile.h"
#include "ui/PreviewGeometry.h"
#include "ui/UiHost.h"

#include <QDialog>
#include <QPrinter>
#include <optional>

class QLabel;
class QPushButton;

namespace vitrimo {

class PreviewImage;
class TPVForm;

// The page the printer offers, in its device pixels.
PrinterPage PageOf(const QPrinter& printer);

// Prints `form` on `printer`: each of its pages into `rect` (device pixels of the printable area), one
// sheet per page. Returns an error message when the printer cannot be started (an unwritable file).
std::optional<QString> PrintForm(QPrinter& printer, TPVForm& form, const DeviceRect& rect);

class TPreviewDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "PreviewDlg";
    // The dialog's design geometry: where it opens when the settings do not say otherwise. A key
    // equal to it is deleted when the settings are written.
    static inline const QRect kDesignGeometry{160, 120, 780, 600};

    TPreviewDlg(UiHost& host, QWidget* parent);
    ~TPreviewDlg() override;

    // Section "PreviewDlg": "Left", "Top", "Width", "Height" of the dialog.
    void ReadSettings(const IniFile& ini);
    void WriteSettings(IniFile& ini) const;

    // Makes `form` the current printable window and shows the preview modally. Returns the dialog's
    // result (accepted once printed).
    int ShowFor(TPVForm& form);
    // What showing does before the dialog opens: the page area fitted to the printer's landscape page,
    // the figure filling it, frame mode off.
    void Begin(TPVForm& form);
    // The hidden direct "Print" items: the print dialog, then `form` printed on the whole page.
    bool PrintDirect(TPVForm& form);

    // "Size": the frame's left edge, width, top edge and height typed in millimetres on the sheet, one
    // input box after the other. A cancelled box or a typed word that is not a number leaves the frame
    // as it was.
    void SizeClick();
    // "Print": the print dialog; when confirmed, the preview hides, the figure is printed where the
    // frame places it, and the preview closes. False when cancelled or the printer failed.
    bool PrintClick();

    // ---- State, for tests ----
    TPVForm* CurrentForm() const { return form_; }
    const PageArea& Area() const { return area_; }
    const FigureFrame& Frame() const { return frame_; }
    // Places the frame (kept on the page area) and redraws as after an edit.
    void SetFrame(const FigureFrame& frame);
    bool FrameMode() const { return frameMode_; }
    bool Dragging() const { return dragging_; }
    FrameEdge HotEdge() const { return hot_; }
    // The page image, where the mouse edits the frame.
    QWidget* Image() const;
    QPrinter& Printer() { return printer_; }
    PrinterPage Page() const { return PageOf(printer_); }
    // The frame's rectangle in TPVForm's paper units on the printable page.
    QRectF PaperFrame() const;
    // The printable page in paper units.
    QSizeF PaperPage() const;

private:
    friend class PreviewImage;
    void ApplyWording();
    // The image changed size: a new page area, the frame kept at its share of the page.
    void Refit();
    void PaintImage(QPainter& painter);
    void MouseDoubleClick();
    void MouseMove(int x, int y);
    void MousePress();
    void MouseRelease();
    void Edited();

    UiHost& host_;
    QPrinter printer_{QPrinter::HighResolution};
    PreviewImage* image_;
    QLabel* hint_;
    QPushButton* printButton_;
    QPushButton* sizeButton_;
    QPushButton* cancelButton_;
    TPVForm* form_ = nullptr; // the current printable window
    PageArea area_;
    FigureFrame frame_;
    bool frameMode_ = false;
    bool dragging_ = false;
    bool edited_ = false; // the page is shown grey and the frame pale yellow after the first edit
    FrameEdge hot_ = FrameEdge::None;
};

} // namespace vitrimo
