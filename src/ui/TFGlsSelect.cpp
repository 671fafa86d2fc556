#include "ui/TFGlsSelect.h"

#include "ui/GlassSelectTexts.h"
#include "ui/Locale.h"
#include "ui/TFGlasdata.h"
#include "ui/TFLensdata.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vitrimo {
namespace {

const Wording& MakerWording(GlassMaker maker) {
    switch (maker) {
    case GlassMaker::Sumita:
        return glassTexts::Sumita;
    case GlassMaker::Ohara:
        return glassTexts::Ohara;
    case GlassMaker::Hoya:
        return glassTexts::Hoya;
    case GlassMaker::Schott:
        break;
    }
    return glassTexts::Schott;
}

const Wording& FaceWording(SpecialFace kind) {
    switch (kind) {
    case SpecialFace::Air:
        return glassTexts::Air;
    case SpecialFace::Mirror:
        return glassTexts::Mirror;
    case SpecialFace::StopPlane:
        return glassTexts::StopPlane;
    case SpecialFace::FocalPlane:
        return glassTexts::FocalPlane;
    case SpecialFace::Screen:
        break;
    }
    return glassTexts::Screen;
}

constexpr SpecialFace kFaces[] = {SpecialFace::Air, SpecialFace::Mirror, SpecialFace::StopPlane,
                                  SpecialFace::FocalPlane, SpecialFace::Screen};

} // namespace

TFGlsSelect::TFGlsSelect(TFLensdata& main, TFGlasdata& glassData)
    : QDialog(&main), main_(main), glassData_(glassData) {
    setObjectName("TFGlsSelect");
    setWindowModality(Qt::ApplicationModal);

    makerGroup_ = new QGroupBox(this);
    auto* makers = new QGridLayout(makerGroup_);
    int k = 0;
    for (GlassMaker maker : kGlassMakers) {
        auto* button = new QPushButton(makerGroup_);
        button->setObjectName(QString::fromUtf8(MakerName(maker).data(), MakerName(maker).size()));
        button->setAutoDefault(false);
        makers->addWidget(button, 0, k++);
        makerButtons_[maker] = button;
        connect(button, &QPushButton::clicked, this, [this, maker] { ChooseMaker(maker); });
    }

    selectionGroup_ = new QGroupBox(this);
    auto* faces = new QGridLayout(selectionGroup_);
    k = 0;
    for (SpecialFace kind : kFaces) {
        auto* button = new QPushButton(selectionGroup_);
        button->setObjectName(QString::fromStdString(FaceWording(kind).english));
        button->setAutoDefault(false);
        // Air and Mirror on the first line, the three marked planes on the second.
        faces->addWidget(button, k < 2 ? 0 : 1, k < 2 ? k : k - 2);
        faceButtons_[kind] = button;
        connect(button, &QPushButton::clicked, this, [this, kind] { ChooseSpecialFace(kind); });
        ++k;
    }

    addedGroup_ = new QGroupBox(this);
    addedLayout_ = new QGridLayout(addedGroup_);
    addButton_ = new QPushButton(addedGroup_);
    addButton_->setObjectName("AddCatalogue");
    addButton_->setAutoDefault(false);
    connect(addButton_, &QPushButton::clicked, this, [this] { AddCatalogue(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makerGroup_);
    layout->addWidget(addedGroup_);
    layout->addWidget(selectionGroup_);
    ApplyWording();
    UpdateMakers();
}

void TFGlsSelect::ApplyWording() {
    setWindowTitle(Tr(glassTexts::ChooserCaption));
    makerGroup_->setTitle(Tr(glassTexts::MakerGroup));
    selectionGroup_->setTitle(Tr(glassTexts::SelectionGroup));
    addedGroup_->setTitle(Tr(glassTexts::AddedGroup));
    addButton_->setText(Tr(glassTexts::AddCatalogue));
    for (const auto& [maker, button] : makerButtons_) button->setText(Tr(MakerWording(maker)));
    for (const auto& [kind, button] : faceButtons_) button->setText(Tr(FaceWording(kind)));
}

void TFGlsSelect::UpdateMakers() {
    const std::string dataDir = main_.ProgramDataDir().toStdString();
    for (GlassMaker maker : kGlassMakers) {
        const bool found = LocateCatalogue(main_.Directories(), dataDir, maker).has_value();
        available_[maker] = found;
        QPushButton* button = makerButtons_.at(maker);
        button->setEnabled(found || maker == GlassMaker::Sumita);
        button->setToolTip(found ? QString() : Tr(glassTexts::MakerMissing));
    }
    UpdateAdded();
}

// One button per added catalogue, four to a line, then "Add Catalogue...".
void TFGlsSelect::UpdateAdded() {
    for (QPushButton* button : addedButtons_) delete button;
    addedButtons_.clear();
    const AddedCatalogues& added = main_.Bench().AddedGlass();
    for (std::size_t k = 0; k < added.Count(); ++k) {
        auto* button = new QPushButton(QString::fromStdString(added.At(k).name), addedGroup_);
        button->setObjectName(QString::fromStdString(added.At(k).fileName));
        button->setToolTip(QString::fromStdString(added.At(k).path));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, k] { ChooseAdded(k); });
        addedLayout_->addWidget(button, static_cast<int>(k / 4), static_cast<int>(k % 4));
        addedButtons_.push_back(button);
    }
    addedLayout_->addWidget(addButton_, static_cast<int>((added.Count() + 3) / 4), 0);
}

void TFGlsSelect::ChooseAdded(std::size_t index) {
    if (!RowTakesGlass(main_.LensData(), main_.CurrentCell().second)) return;
    if (!glassData_.ShowAdded(index)) return;
    hide();
}

void TFGlsSelect::AddCatalogue() {
    if (!glassData_.AddCatalogue()) return;
    UpdateAdded();
    hide();
}

bool TFGlsSelect::MakerAvailable(GlassMaker maker) const {
    return available_.at(maker);
}

void TFGlsSelect::ShowFor(int tableRow) {
    const Lens& lens = main_.LensData();
    if (!RowTakesGlass(lens, tableRow)) return;
    if (main_.CurrentCell().second != tableRow) main_.SetCurrentCell(lens.Column(col::GlassName), tableRow);
    ApplyWording();
    UpdateMakers();
    show();
    raise();
    activateWindow();
}

void TFGlsSelect::ChooseMaker(GlassMaker maker) {
    if (!RowTakesGlass(main_.LensData(), main_.CurrentCell().second)) return;
    if (!glassData_.ShowMaker(maker)) return;
    hide();
}

void TFGlsSelect::ChooseSpecialFace(SpecialFace kind) {
    Lens& lens = main_.LensData();
    const int row = main_.CurrentCell().second;
    if (!RowTakesGlass(lens, row)) return;
    MakeSpecialFace(lens, row, kind, main_.HostOf(), JapaneseWording());
    main_.TableChanged();
    hide();
}

} // namespace vitrimo
