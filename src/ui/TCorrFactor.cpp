#include "ui/TCorrFactor.h"

#include "model/NumberFormat.h"
#include "ui/Locale.h"
#include "ui/OptimizationTexts.h"
#include "ui/TFLensdata.h"
#include "ui/WindowPlacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vitrimo {
namespace {

QString Text(const Wording& wording) {
    return QString::fromStdString(wording.In(JapaneseWording()));
}

QString Number(double value) {
    return QString::fromStdString(FormatGeneral(value, 15));
}

// The factor edits in the order of their labels, with the condition each one fills.
struct FactorBox {
    const char* label;
    double MeritConditions::*member;
};
constexpr std::array<FactorBox, 7> kFactorBoxes{{
    {"    Angle", &MeritConditions::angleFactor},
    {"Spherical Aber", &MeritConditions::sphFactor},
    {"    Coma", &MeritConditions::comaFactor},
    {"Petzval Sum", &MeritConditions::petzvalFactor},
    {"  Astigmat", &MeritConditions::astigFactor},
    {"  Distortion", &MeritConditions::distFactor},
    {"Lens Curvature", &MeritConditions::curvFactor},
}};
constexpr int kAngleBox = 0, kComaBox = 2, kPetzvalBox = 3, kAstigBox = 4;

constexpr std::array<const char*, MeritConditions::kLineCount> kLineLabels{
    "t (1014.0nm)", "s  (852.1nm)", "A' (768.2nm)", "r  (706.5nm)", "C  (656.3nm)", "d  (587.6nm)",
    "e  (546.1nm)", "F  (486.1nm)", "g  (435.8nm)", "h  (404.7nm)", "i  (365.0nm)"};

constexpr int kDataRows = 5;

} // namespace

TCorrFactor::TCorrFactor(TFLensdata& main) : QDialog(&main), main_(main) {
    setObjectName("TCorrFactor");
    setWindowTitle(Text(optimizationTexts::CorrFactorCaption));
    auto* layout = new QHBoxLayout(this);

    auto* factors = new QGridLayout;
    for (std::size_t k = 0; k < kFactorBoxes.size(); ++k) {
        factors->addWidget(new QLabel(QString::fromLatin1(kFactorBoxes[k].label)), static_cast<int>(2 * k),
                           0);
        factorEdits_[k] = new QLineEdit;
        factors->addWidget(factorEdits_[k], static_cast<int>(2 * k + 1), 0);
    }
    connect(factorEdits_[kAngleBox], &QLineEdit::textEdited, this, &TCorrFactor::AngleFactorChanged);
    auto* left = new QVBoxLayout;
    left->addLayout(factors);
    left->addStretch();
    layout->addLayout(left);

    auto* weights = new QGridLayout;
    for (int j = 0; j < MeritConditions::kLineCount; ++j) {
        weightLabels_[j] = new QLabel(QString::fromLatin1(kLineLabels[j]));
        weightEdits_[j] = new QLineEdit;
        weightEdits_[j]->setMinimumWidth(60);
        weights->addWidget(weightLabels_[j], j, 0);
        weights->addWidget(weightEdits_[j], j, 1);
    }
    auto* middle = new QVBoxLayout;
    middle->addLayout(weights);
    middle->addStretch();
    layout->addLayout(middle);

    auto* right = new QVBoxLayout;
    grid_ = new QTableWidget(kDataRows, 2);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setMinimumWidth(260);
    right->addWidget(grid_);
    constFL_ = new QCheckBox(Text(optimizationTexts::ConstFL));
    right->addWidget(constFL_);
    auto* methodBox = new QGroupBox;
    auto* methodLayout = new QVBoxLayout(methodBox);
    simplex_ = new QRadioButton(QStringLiteral("Simplex"));
    dfp_ = new QRadioButton(QStringLiteral("DFP"));
    methodLayout->addWidget(simplex_);
    methodLayout->addWidget(dfp_);
    right->addWidget(methodBox);
    auto* modeBox = new QGroupBox;
    auto* modeLayout = new QVBoxLayout(modeBox);
    geometrical_ = new QRadioButton(Text(optimizationTexts::Geometrical));
    strehl_ = new QRadioButton(Text(optimizationTexts::Strehl));
    modeLayout->addWidget(geometrical_);
    modeLayout->addWidget(strehl_);
    modeBox->setToolTip(Text(optimizationTexts::StrehlHint));
    right->addWidget(modeBox);
    connect(strehl_, &QRadioButton::toggled, this, &TCorrFactor::ModeSwitched);
    ok_ = new QPushButton(QStringLiteral("OK"));
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (TakeValues()) hide();
    });
    right->addWidget(ok_);
    layout->addLayout(right);

    const IniFile settings = main_.Settings().Load(main_.HostOf());
    conditions_ = MeritConditions::Read(settings);
    rememberedConstFL_ = conditions_.constFL;
    resize(width(), 492);
    ReadWindowGeometry(*this, settings, kCorrFactorSection);
}

void TCorrFactor::ShowFor(int freeValues) {
    for (std::size_t k = 0; k < kFactorBoxes.size(); ++k)
        factorEdits_[k]->setText(Number(conditions_.*kFactorBoxes[k].member));
    // Only the lines switched on in the wavelength window take a weight.
    const WavelengthList& list = main_.LensData().Wavelengths();
    for (int j = 0; j < MeritConditions::kLineCount; ++j) {
        const int position = list.Find(MeritConditions::kLines[j]);
        const bool on = position >= 0 && list.At(position).calculate;
        weightLabels_[j]->setVisible(on);
        weightEdits_[j]->setVisible(on);
        weightEdits_[j]->setText(on ? Number(conditions_.wavelengthWeight[j]) : QStringLiteral("0"));
    }
    if (freeValues >= 2) {
        constFL_->setEnabled(true);
        constFL_->setChecked(rememberedConstFL_);
    } else {
        constFL_->setChecked(false);
        constFL_->setEnabled(false);
    }
    (conditions_.method == MinimiserMethod::Dfp ? dfp_ : simplex_)->setChecked(true);
    {
        const QSignalBlocker block(strehl_);
        (conditions_.mode == MeritMode::Strehl ? strehl_ : geometrical_)->setChecked(true);
    }
    LoadGrid();
    grid_->setVisible(conditions_.angleFactor > 0);
    show();
    raise();
}

void TCorrFactor::SetModeHeaders() {
    const bool strehl = strehl_->isChecked();
    grid_->setHorizontalHeaderLabels(
        {QStringLiteral("Angle\n(degree)"),
         strehl ? QStringLiteral("Strehl\nRatio(%)") : QStringLiteral("Diameter\n(micrometer)")});
}

void TCorrFactor::LoadGrid() {
    SetModeHeaders();
    const bool strehl = strehl_->isChecked();
    const int count = static_cast<int>(conditions_.angles.size());
    grid_->setRowCount(count > kDataRows ? count + 3 : kDataRows);
    grid_->clearContents();
    for (int i = 0; i < count; ++i) {
        const MeritAngle& row = conditions_.angles[i];
        grid_->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(FormatGeneral(row.angle, 3))));
        grid_->setItem(i, 1, new QTableWidgetItem(Number(strehl ? row.strehlWeight : row.tolerance)));
    }
}

void TCorrFactor::AngleFactorChanged() {
    const auto value = ParseNumber(factorEdits_[kAngleBox]->text().toStdString());
    const bool rays = value && *value > 0;
    if (rays)
        for (int k : {kComaBox, kPetzvalBox, kAstigBox}) factorEdits_[k]->setText(QStringLiteral("0"));
    grid_->setVisible(rays);
}

void TCorrFactor::ModeSwitched() {
    conditions_.mode = strehl_->isChecked() ? MeritMode::Strehl : MeritMode::Geometrical;
    LoadGrid();
}

bool TCorrFactor::TakeValues() {
    MeritConditions taken = conditions_;
    const auto read = [this](const QString& text, double& into) {
        const auto value = ParseNumber(text.trimmed().toStdString());
        if (!value) {
            main_.HostOf().Tell(MessageKind::Error, optimizationTexts::NotANumber(text.toStdString()));
            return false;
        }
        into = *value;
        return true;
    };
    for (std::size_t k = 0; k < kFactorBoxes.size(); ++k)
        if (!read(factorEdits_[k]->text(), taken.*kFactorBoxes[k].member)) return false;
    for (int j = 0; j < MeritConditions::kLineCount; ++j)
        if (!read(weightEdits_[j]->text(), taken.wavelengthWeight[j])) return false;
    // The angle rows from the top whose two cells are both filled.
    const bool strehl = strehl_->isChecked();
    std::vector<MeritAngle> angles;
    for (int i = 0; i < grid_->rowCount(); ++i) {
        const QTableWidgetItem* angle = grid_->item(i, 0);
        const QTableWidgetItem* second = grid_->item(i, 1);
        if (!angle || !second || angle->text().trimmed().isEmpty() || second->text().trimmed().isEmpty())
            break;
        MeritAngle row =
            i < static_cast<int>(conditions_.angles.size()) ? conditions_.angles[i] : MeritAngle{};
        if (!read(angle->text(), row.angle) ||
            !read(second->text(), strehl ? row.strehlWeight : row.tolerance))
            return false;
        angles.push_back(row);
    }
    if (!angles.empty()) taken.angles = std::move(angles);
    taken.constFL = constFL_->isChecked();
    if (constFL_->isEnabled()) rememberedConstFL_ = taken.constFL;
    taken.method = dfp_->isChecked() ? MinimiserMethod::Dfp : MinimiserMethod::Simplex;
    taken.mode = strehl ? MeritMode::Strehl : MeritMode::Geometrical;
    conditions_ = std::move(taken);
    confirmed_ = true;
    return true;
}

void TCorrFactor::closeEvent(QCloseEvent* event) {
    if (!TakeValues()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TCorrFactor::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kCorrFactorSection);
    MeritConditions stored = conditions_;
    stored.constFL = rememberedConstFL_;
    stored.Write(ini);
}

} // namespace vitrimo
