// The glass data window: one maker's catalogue, from which the user copies a glass into the current
// row of the lens table.
//
// The window keeps the catalogue it last read; asking for the same maker again shows it without reading
// the file again. Besides the four makers it shows the AGF catalogues the user added ("Add
// Catalogue..."), kept in the workbench and remembered in the settings (section "AddedCatalogues", keys
// "File1", "File2", ...), which are read again at start. While the window is open the rest of the program
// waits (it is modal), so the row the glass goes to is the one that was current when the window opened.
#pragma once

#include "glass/GlassCatalogue.h"
#include "model/Lens.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;

namespace vitrimo {

class CatalogueGrid;
class TFLensdata;

// Whether a glass or a special face may go into a table row: a face row, not the object row, and not
// the object plane of an object at a limited distance.
bool RowTakesGlass(const Lens& lens, int row);

class TFGlasdata : public QDialog {
    Q_OBJECT
public:
    explicit TFGlasdata(TFLensdata& main);

    // Shows the maker's catalogue for the main table's current row, reading the file only when the
    // window holds another maker's catalogue. When the file cannot be read the host is told why, the
    // window keeps the catalogue it had and stays hidden, and false is returned.
    bool ShowMaker(GlassMaker maker);
    // The maker whose catalogue the window holds.
    std::optional<GlassMaker> LoadedMaker() const { return catalogue_.Maker(); }

    // Shows the added catalogue at `index` (of the workbench's added catalogues) as a grid: its glasses'
    // line indices by their formulas, nd, vd, formula, range, status and code. False when there is none.
    bool ShowAdded(std::size_t index);
    // The file name of the added catalogue the window shows ("SCHOTT.AGF"), or "" when it shows a maker's.
    const std::string& ShownAdded() const { return shownAdded_; }
    // "Add Catalogue...": asks for an AGF file, adds it (a refused file is explained, nothing changes),
    // remembers the list in the settings and shows the new catalogue. True when one was added.
    bool AddCatalogue();
    // "Remove Catalogue": after a confirmation, forgets the added catalogue the window shows (the file
    // stays), remembers the list and closes the window. True when one was removed.
    bool RemoveShownCatalogue();
    // Reads the catalogues the settings remember; a file that is missing or refused is told and left
    // out of the list (done when the window is created).
    void LoadRememberedCatalogues();
    const GlassCatalogue& Catalogue() const { return catalogue_; }

    // "Select": the selected glass goes into the main table's current row: "Remarks" the maker (the file
    // name of an added catalogue),
    // "GlassName" the glass, the eleven line indices as the catalogue writes them (empty where it has no
    // such column), the indices at the added wavelengths computed from the glass's formula. Then the
    // window closes. Returns false, changing nothing, when the row cannot take a glass or the selected
    // catalogue line holds no glass.
    bool CopyGlassIndices();

    // The column that names the glasses: the first for the Schott catalogue and the added ones, the second
    // for the others.
    int NameColumn() const;

    CatalogueGrid* Grid() const { return grid_; }
    QString GlassNameText() const;
    QString IndexText() const; // "d:" and the d-line index of the selected glass
    QString AbbeText() const;  // "d:" and its Abbe number
    QString ValueText() const; // the text of the cell under the mouse

private:
    void ShowSelection(int catalogueRow);
    void ShowHovered(int column, int catalogueRow);
    void ApplyWording();
    void ApplyMetrics();
    void Present();
    void RememberCatalogues();

    TFLensdata& main_;
    GlassCatalogue catalogue_;
    std::string shownAdded_;
    CatalogueGrid* grid_;
    QLabel* nameLabel_;
    QLabel* indexSymbol_;
    QLabel* indexLabel_;
    QLabel* abbeSymbol_;
    QLabel* abbeLabel_;
    QLabel* valueLabel_;
    QPushButton* selectButton_;
    QPushButton* cancelButton_;
    QPushButton* helpButton_;
    QPushButton* addButton_;
    QPushButton* removeButton_;
};

} // namespace vitrimo
