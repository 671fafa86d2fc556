// The glass chooser: puts a maker's glass or a special face into the current row of the lens table.
//
// Double-clicking a "GlassName" cell of a face row shows it; the Data > Glass menu items run the same
// actions without it. A maker's button opens the glass data window on that maker's catalogue; the other
// buttons change the row at once. A maker is offered only when its catalogue file is found (Sumita
// always: its button then says why the file is missing). Below the makers, one button per added AGF
// catalogue opens the glass data window on it, and "Add Catalogue..." adds another.
#pragma once

#include "glass/GlassCatalogue.h"
#include "model/FaceCommands.h"

#include <QDialog>
#include <map>
#include <vector>

class QGridLayout;
class QGroupBox;
class QPushButton;

namespace vitrimo {

class TFGlasdata;
class TFLensdata;

class TFGlsSelect : public QDialog {
    Q_OBJECT
public:
    TFGlsSelect(TFLensdata& main, TFGlasdata& glassData);

    // A double-click on the "GlassName" cell of a table row: the table cursor goes to that row and the
    // chooser opens for it. Nothing happens on a row that cannot take a glass (the object row, or the
    // object plane of an object at a limited distance).
    void ShowFor(int tableRow);

    // A maker's button, or Data > Glass > "Sumita" ... "Schott": the glass data window with that
    // maker's catalogue. The chooser closes once the catalogue is shown; when it cannot be read, the
    // host says why and the chooser stays.
    void ChooseMaker(GlassMaker maker);
    // An added catalogue's button: the glass data window on that catalogue; then the chooser closes.
    void ChooseAdded(std::size_t index);
    // "Add Catalogue...": as in the glass data window; the new catalogue is shown there and the chooser
    // closes.
    void AddCatalogue();
    // The buttons of the added catalogues, in their order.
    const std::vector<QPushButton*>& AddedButtons() const { return addedButtons_; }
    QPushButton* AddCatalogueButton() const { return addButton_; }

    // "Air", "Mirror", "Stop Plane", "Focal Plane", "Screen" (and the same Data > Glass items) on the
    // current row; then the chooser closes.
    void ChooseSpecialFace(SpecialFace kind);

    // Whether the maker's catalogue file was found when the makers were last looked for. The main window
    // enables its Data > Glass maker items by this.
    bool MakerAvailable(GlassMaker maker) const;
    // Looks for the catalogue files again (done at creation and each time the chooser is shown).
    void UpdateMakers();

    QPushButton* MakerButton(GlassMaker maker) const { return makerButtons_.at(maker); }
    QPushButton* FaceButton(SpecialFace kind) const { return faceButtons_.at(kind); }

private:
    void ApplyWording();
    void UpdateAdded();

    TFLensdata& main_;
    TFGlasdata& glassData_;
    QGroupBox* makerGroup_;
    QGroupBox* selectionGroup_;
    QGroupBox* addedGroup_;
    QGridLayout* addedLayout_;
    QPushButton* addButton_;
    std::vector<QPushButton*> addedButtons_;
    std::map<GlassMaker, QPushButton*> makerButtons_;
    std::map<SpecialFace, QPushButton*> faceButtons_;
    std::map<GlassMaker, bool> available_;
};

} // namespace vitrimo
