// The glass dispersion figure window, opened from the glass data window: the selected glass's index
// against the wavelength with the eleven lines marked, and the glass map of the loaded catalogue with the
// selected glass and the glasses of the current lens. A click on the map selects the nearest glass, the
// up-down control steps through the glasses in the order the glass data window lists them; the glass
// data window follows either.
#pragma once

#include "figures/GlassFigurePainter.h"
#include "ui/TPVForm.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace vitrimo {

class TFGlasdata;
class TFLensdata;
class GlassFigureView;

class TGlassDataFig : public QDialog, public TPVForm {
    Q_OBJECT
public:
    TGlassDataFig(TFGlasdata& data, TFLensdata& main);

    // Shows the window for the glass data window's selection.
    void ShowFigure();
    // Builds the figure again from the catalogue, the selection and the lens, and redraws.
    void Refresh();
    // A click on the figure at a point of the view: the nearest glass of the map is selected.
    void ClickAt(const QPointF& point);

    void DrawForPrint(QPainter& painter, const QRectF& area) override;

    const GlassFigure& Figure() const { return figure_; }
    QWidget* View() const;
    QPushButton* PrintButton() const { return printButton_; }
    QSpinBox* UpDown() const { return upDown_; }
    QString LabelText() const;

private:
    void ApplyWording();

    TFGlasdata& data_;
    TFLensdata& main_;
    GlassFigure figure_;
    GlassFigureView* view_;
    QLabel* label_;
    QSpinBox* upDown_;
    QPushButton* printButton_;
    QPushButton* closeButton_;
    bool refreshing_ = false;
};

} // namespace vitrimo
