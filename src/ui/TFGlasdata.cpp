#include "ui/TFGlasdata.h"

#include "glass/InsertedIndices.h"
#include "model/NumberFormat.h"
#include "ui/CatalogueGrid.h"
#include "ui/GlassSelectTexts.h"
#include "ui/Locale.h"
#include "ui/TFLensdata.h"
#include "ui/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace vitrimo {
namespace {

constexpr std::string_view kAddedSection = "AddedCatalogues";

std::string FileKey(std::size_t k) {
    return "File" + std::to_string(k + 1);
}

} // namespace

bool RowTakesGlass(const Lens& lens, int row) {
    if (row < 2 || row >= lens.RowCount()) return false;
    const bool objectAtLimitedDistance = lens.Text(col::GlassName, 1) != "Air";
    return !(row == 2 && objectAtLimitedDistance);
}

TFGlasdata::TFGlasdata(TFLensdata& main) : QDialog(&main), main_(main) {
    setObjectName("TFGlasdata");
    setWindowModality(Qt::ApplicationModal);
    grid_ = new CatalogueGrid(this);
    grid_->setObjectName("StringGridGlass");

    nameLabel_ = new QLabel(this);
    nameLabel_->setObjectName("glassName");
    QFont bold = nameLabel_->font();
    bold.setBold(true);
    nameLabel_->setFont(bold);
    nameLabel_->setMinimumWidth(120);
    // The symbols are larger than the "d:" after them, which reads as their subscript.
    indexSymbol_ = new QLabel(QStringLiteral("n"), this);
    abbeSymbol_ = new QLabel(QString::fromUtf8("\xCE\xBD"), this);
    for (QLabel* symbol : {indexSymbol_, abbeSymbol_}) {
        QFont font = symbol->font();
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * 1.5);
        else
            font.setPixelSize(font.pixelSize() * 3 / 2);
        font.setItalic(true);
        symbol->setFont(font);
    }
    indexLabel_ = new QLabel(this);
    indexLabel_->setObjectName("indexD");
    abbeLabel_ = new QLabel(this);
    abbeLabel_->setObjectName("abbeD");
    for (QLabel* label : {indexLabel_, abbeLabel_}) {
        label->setMinimumWidth(80);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    }
    valueLabel_ = new QLabel(this);
    valueLabel_->setObjectName("cellValue");
    valueLabel_->setFrameShape(QFrame::StyledPanel);
    valueLabel_->setFrameShadow(QFrame::Sunken);
    valueLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    selectButton_ = new QPushButton(this);
    selectButton_->setObjectName("Select");
    selectButton_->setDefault(true);
    cancelButton_ = new QPushButton(this);
    cancelButton_->setObjectName("Cancel");
    helpButton_ = new QPushButton(this);
    helpButton_->setObjectName("Help");
    addButton_ = new QPushButton(this);
    addButton_->setObjectName("AddCatalogue");
    addButton_->setAutoDefault(false);
    removeButton_ = new QPushButton(this);
    removeButton_->setObjectName("RemoveCatalogue");
    removeButton_->setAutoDefault(false);

    auto* labels = new QHBoxLayout;
    labels->addWidget(nameLabel_);
    labels->addSpacing(12);
    labels->addWidget(indexSymbol_, 0, Qt::AlignBottom);
    labels->addWidget(indexLabel_, 0, Qt::AlignBottom);
    labels->addWidget(abbeSymbol_, 0, Qt::AlignBottom);
    labels->addWidget(abbeLabel_, 0, Qt::AlignBottom);
    labels->addSpacing(12);
    labels->addWidget(valueLabel_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(removeButton_);
    buttons->addStretch(1);
    buttons->addWidget(selectButton_);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(helpButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(labels);
    layout->addLayout(buttons);
    resize(760, 480);

    connect(grid_, &CatalogueGrid::RowSelected, this, &TFGlasdata::ShowSelection);
    connect(grid_, &CatalogueGrid::RowActivated, this, [this] { CopyGlassIndices(); });
    connect(grid_, &CatalogueGrid::CellHovered, this, &TFGlasdata::ShowHovered);
    connect(selectButton_, &QPushButton::clicked, this, [this] { CopyGlassIndices(); });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { main_.HostOf().ShowHelp(glassTexts::kDataHelpTopic); });
    connect(addButton_, &QPushButton::clicked, this, [this] { AddCatalogue(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { RemoveShownCatalogue(); });
    ApplyWording();
    LoadRememberedCatalogues();
}

void TFGlasdata::ApplyWording() {
    const std::string maker = catalogue_.Maker() ? std::string(MakerName(*catalogue_.Maker())) : shownAdded_;
    setWindowTitle(Tr(maker.empty() ? glassTexts::DataCaption : glassTexts::DataCaptionFor(maker)));
    selectButton_->setText(Tr(glassTexts::Select));
    cancelButton_->setText(Tr(glassTexts::Cancel));
    helpButton_->setText(Tr(glassTexts::Help));
    valueLabel_->setToolTip(Tr(glassTexts::ValueHint));
    addButton_->setText(Tr(glassTexts::AddCatalogue));
    removeButton_->setText(Tr(glassTexts::RemoveCatalogue));
    removeButton_->setEnabled(!shownAdded_.empty());
}

// The window follows the main window's font: rows 7/5 and columns 13/3 of its height.
void TFGlasdata::ApplyMetrics() {
    setFont(main_.font());
    const int h = main_.FontHeight();
    grid_->SetCellSize(RoundDiv(7 * h, 5), RoundDiv(13 * h, 3));
}

bool TFGlasdata::ShowMaker(GlassMaker maker) {
    if (catalogue_.Maker() != maker) {
        if (const auto error = LoadGlassCatalogue(maker, main_.Directories(),
                                                  main_.ProgramDataDir().toStdString(), catalogue_)) {
            main_.HostOf().Tell(MessageKind::Error, glassTexts::CannotLoad(*error));
            return false;
        }
        shownAdded_.clear();
        grid_->SetCatalogue(&catalogue_);
    }
    Present();
    return true;
}

void TFGlasdata::Present() {
    ApplyWording();
    ApplyMetrics();
    ShowSelection(grid_->SelectedRow());
    valueLabel_->clear();
    show();
    raise();
    activateWindow();
    grid_->setFocus();
}

bool TFGlasdata::ShowAdded(std::size_t index) {
    const AddedCatalogues& added = main_.Bench().AddedGlass();
    if (index >= added.Count()) return false;
    const AgfCatalogue& agf = added.At(index);
    GlassCatalogue grid;
    if (const auto error = ParseGlassGrid(AgfCatalogueGridText(agf), agf.path, grid)) {
        main_.HostOf().Tell(MessageKind::Error, glassTexts::CannotLoad(*error));
        return false;
    }
    catalogue_ = std::move(grid);
    shownAdded_ = agf.fileName;
    grid_->SetCatalogue(&catalogue_);
    Present();
    return true;
}

bool TFGlasdata::AddCatalogue() {
    const QString path = main_.HostOf().OpenFileName(glassTexts::AddCatalogueTitle,
                                                     QString::fromStdString(main_.Directories().startDir),
                                                     FileFilter{QString::fromUtf8(glassTexts::kAgfFilter)});
    if (path.isEmpty()) return false;
    AddedCatalogues& added = main_.Bench().AddedGlass();
    if (const auto error = added.Add(path.toStdString())) {
        main_.HostOf().Tell(MessageKind::Error, glassTexts::CannotAddCatalogue(*error));
        return false;
    }
    RememberCatalogues();
    std::size_t index = 0;
    while (index + 1 < added.Count() && added.At(index).path != path.toStdString()) ++index;
    ShowAdded(index);
    return true;
}

bool TFGlasdata::RemoveShownCatalogue() {
    AddedCatalogues& added = main_.Bench().AddedGlass();
    for (std::size_t k = 0; k < added.Count(); ++k) {
        if (added.At(k).fileName != shownAdded_) continue;
        if (main_.HostOf().Ask(MessageKind::Confirmation,
                               glassTexts::RemoveCatalogueQuestion(added.At(k).name),
                               ButtonYes | ButtonNo) != ButtonYes)
            return false;
        added.Remove(k);
        RememberCatalogues();
        catalogue_ = GlassCatalogue();
        shownAdded_.clear();
        grid_->SetCatalogue(&catalogue_);
        ApplyWording();
        reject();
        return true;
    }
    return false;
}

void TFGlasdata::LoadRememberedCatalogues() {
    const IniFile ini = main_.Settings().Load(main_.HostOf());
    AddedCatalogues& added = main_.Bench().AddedGlass();
    bool skipped = false;
    for (std::size_t k = 0; k < AddedCatalogues::kMaxCatalogues; ++k) {
        const std::string path = ini.ReadString(kAddedSection, FileKey(k), "");
        if (path.empty()) break;
        if (const auto error = added.Add(path)) {
            main_.HostOf().Tell(MessageKind::Warning, glassTexts::RememberedCatalogueSkipped(*error));
            skipped = true;
        }
    }
    // The settings then name only the catalogues that were read.
    if (skipped) RememberCatalogues();
}

void TFGlasdata::RememberCatalogues() {
    IniFile ini = main_.Settings().Load(main_.HostOf());
    const std::vector<std::string> paths = main_.Bench().AddedGlass().Paths();
    for (std::size_t k = 0; k < AddedCatalogues::kMaxCatalogues; ++k) {
        if (k < paths.size())
            ini.WriteString(kAddedSection, FileKey(k), paths[k]);
        else
            ini.DeleteKey(kAddedSection, FileKey(k));
    }
    main_.Settings().Save(ini, main_.HostOf());
}

int TFGlasdata::NameColumn() const {
    return catalogue_.Maker() == GlassMaker::Schott || !shownAdded_.empty() ? 0 : 1;
}

void TFGlasdata::ShowSelection(int catalogueRow) {
    if (catalogueRow < 0) {
        nameLabel_->clear();
        indexLabel_->clear();
        abbeLabel_->clear();
        return;
    }
    nameLabel_->setText(QString::fromStdString(catalogue_.Cell(NameColumn(), catalogueRow)));
    indexLabel_->setText("d:" + QString::fromStdString(catalogue_.TitledCell(TitleNd, catalogueRow)));
    abbeLabel_->setText("d:" + QString::fromStdString(catalogue_.TitledCell(TitleAbbe, catalogueRow)));
}

void TFGlasdata::ShowHovered(int column, int catalogueRow) {
    if (catalogueRow < 0) return; // the label keeps the last cell's text
    valueLabel_->setText(QString::fromStdString(catalogue_.Cell(column, catalogueRow)));
}

bool TFGlasdata::CopyGlassIndices() {
    Lens& lens = main_.LensData();
    const int row = main_.CurrentCell().second;
    const int glass = grid_->SelectedRow();
    if ((!catalogue_.Maker() && shownAdded_.empty()) || glass < 0 || !RowTakesGlass(lens, row)) return false;

    // A blank or stray line of the catalogue would leave the face without a d-line index, and the next
    // calculation would delete the face.
    const std::string& name = catalogue_.Cell(NameColumn(), glass);
    const auto nd = ParseNumber(catalogue_.TitledCell(TitleNd, glass));
    if (IsBlank(name) || !nd || *nd == 0) {
        main_.HostOf().Tell(MessageKind::Warning, glassTexts::NotAGlass(std::to_string(glass + 1)));
        return false;
    }

    lens.SetText(col::Remarks, row,
                 catalogue_.Maker() ? std::string(MakerName(*catalogue_.Maker())) : shownAdded_);
    lens.SetText(col::GlassName, row, name);
    static_assert(TitleNt == 0 && TitleNi == col::LineIndices.size() - 1);
    for (int line = 0; line < static_cast<int>(col::LineIndices.size()); ++line)
        lens.SetText(col::LineIndices[line], row,
                     catalogue_.TitledCell(static_cast<CatalogueTitle>(line), glass));
    // Indices at added wavelengths come from the glass's formula; a failure is told by the host and
    // leaves that cell empty.
    GlassCatalogues catalogues(main_.Directories(), main_.ProgramDataDir().toStdString(),
                               &main_.Bench().AddedGlass());
    ComputeInsertedIndices(lens, row - 1, catalogues, main_.HostOf());
    lens.MarkChanged();
    main_.TableChanged();
    accept();
    return true;
}

QString TFGlasdata::GlassNameText() const {
    return nameLabel_->text();
}
QString TFGlasdata::IndexText() const {
    return indexLabel_->text();
}
QString TFGlasdata::AbbeText() const {
    return abbeLabel_->text();
}
QString TFGlasdata::ValueText() const {
    return valueLabel_->text();
}

} // namespace vitrimo
