#include "ui/TFWaveLgthSlct.h"

#include "design/ColourBalance.h"
#include "figures/FigureColour.h"
#include "glass/GlassCatalogue.h"
#include "glass/RealColours.h"
#include "model/NumberFormat.h"
#include "ui/Locale.h"
#include "ui/TFLensdata.h"
#include "ui/WavelengthTexts.h"
#include "ui/WindowPlacement.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace vitrimo {
namespace {

// The colour of an added wavelength that the settings do not name.
constexpr Colour kAddedColourDefault = 0x600030;

// A 22 x 7 pixel patch of a wavelength's colour; clicking it opens the colour dialog.
class ColourSwatch : public QAbstractButton {
public:
    explicit ColourSwatch(QWidget* parent) : QAbstractButton(parent) {
        setFixedSize(28, 15);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }
    void SetColour(Colour colour) {
        colour_ = colour;
        update();
    }
    Colour Value() const { return colour_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect patch((width() - 22) / 2, (height() - 7) / 2, 22, 7);
        painter.fillRect(patch, ToQColor(colour_));
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(patch.adjusted(-1, -1, 0, 0));
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    Colour colour_ = colours::Gray;
};

bool IsZeroOrEmpty(const std::string& text) {
    const auto value = ParseNumber(text);
    return !value || *value == 0;
}

} // namespace

bool WavelengthHasData(const Lens& lens, int w) {
    if (w < 0 || w >= lens.Wavelengths().Count()) return false;
    const int column = lens.IndexColumn(w);
    const int nd = lens.Column(col::Nd);
    for (int row = 1; row < lens.RowCount(); ++row) {
        if (row >= 2 && IsZeroOrEmpty(lens.Text(nd, row))) continue;
        if (IsZeroOrEmpty(lens.Text(column, row))) return false;
    }
    return true;
}

TFWaveLgthSlct::TFWaveLgthSlct(TFLensdata& main) : QDialog(&main), main_(main) {
    setObjectName("TFWaveLgthSlct");
    rowArea_ = new QWidget(this);
    rowLayout_ = new QGridLayout(rowArea_);
    rowLayout_->setContentsMargins(0, 0, 0, 0);
    rowLayout_->setVerticalSpacing(0);
    rowLayout_->setHorizontalSpacing(6);
    rowLayout_->setColumnStretch(2, 1);
    colourTitle_ = new QLabel(rowArea_);
    calculateTitle_ = new QLabel(rowArea_);
    referenceTitle_ = new QLabel(rowArea_);
    rowLayout_->addWidget(colourTitle_, 0, 0);
    rowLayout_->addWidget(calculateTitle_, 0, 1);
    rowLayout_->addWidget(referenceTitle_, 0, 2);
    referenceGroup_ = new QButtonGroup(this);
    referenceGroup_->setExclusive(true);

    okButton_ = new QPushButton(this);
    okButton_->setObjectName("OK");
    okButton_->setDefault(true);
    colourButton_ = new QPushButton(this);
    colourButton_->setObjectName("RealColor");
    colourButton_->setAutoDefault(false);
    // Not shown in the window as laid out: it takes the place of "RealColor" only when shown.
    whiteBalanceButton_ = new QPushButton(QStringLiteral("WhiteBalance"), this);
    whiteBalanceButton_->setObjectName("WhiteBalance");
    whiteBalanceButton_->setAutoDefault(false);
    whiteBalanceButton_->hide();
    helpButton_ = new QPushButton(this);
    helpButton_->setObjectName("Help");
    helpButton_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(whiteBalanceButton_);
    buttons->addWidget(colourButton_);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(helpButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(19, 12, 12, 12);
    layout->addWidget(rowArea_);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(colourButton_, &QPushButton::clicked, this, &TFWaveLgthSlct::ToggleRealColours);
    connect(whiteBalanceButton_, &QPushButton::clicked, this, &TFWaveLgthSlct::WhiteBalanceClick);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { main_.HostOf().ShowHelp(wavelengthTexts::kHelpTopic); });

    resize(280, 20 * WavelengthList::kLineCount + 180);
    const IniFile ini = main_.Settings().Load(main_.HostOf());
    ReadWindowGeometry(*this, ini, kSection);
    for (int k = WavelengthList::kLineCount; ini.HasKey(kSection, "WL" + std::to_string(k)); ++k) {
        const std::string n = std::to_string(k);
        Remembered added;
        added.name = ini.ReadString(kSection, "WL" + n, "");
        added.colour = ParseColour(ini.ReadString(kSection, "Color" + n, "")).value_or(kAddedColourDefault);
        added.calculate = ini.ReadBool(kSection, "Calc" + n, true);
        if (!added.name.empty()) remembered_.push_back(std::move(added));
    }
    ApplyWording();
    Refresh();
}

void TFWaveLgthSlct::ApplyWording() {
    using namespace wavelengthTexts;
    setWindowTitle(Tr(Caption));
    colourTitle_->setText(Tr(ColourTitle));
    calculateTitle_->setText(Tr(CalculateTitle));
    referenceTitle_->setText(Tr(ReferenceTitle));
    okButton_->setText(Tr(Ok));
    helpButton_->setText(Tr(Help));
    colourButton_->setText(Tr(realColours_ ? DefaultColour : wavelengthTexts::RealColour));
    for (const Row& row : rows_) {
        row.swatch->setToolTip(Tr(ColourHint));
        row.check->setToolTip(Tr(row.check->isEnabled() ? CalculateHint : NoDataHint));
        row.radio->setToolTip(Tr(row.radio->isEnabled() ? ReferenceHint : NoDataHint));
    }
}

void TFWaveLgthSlct::BuildRows() {
    // What the user set for added wavelengths is kept for when they come back (another lens file).
    for (const Row& row : rows_) {
        if (row.name.size() < 3 || !row.name.ends_with("nm")) continue;
        const auto remembered = std::find_if(remembered_.begin(), remembered_.end(),
                                             [&](const Remembered& r) { return r.name == row.name; });
        Remembered& entry = remembered != remembered_.end() ? *remembered : remembered_.emplace_back();
        entry.name = row.name;
        entry.colour = static_cast<ColourSwatch*>(row.swatch)->Value();
        entry.calculate = row.check->isChecked();
    }
    for (const Row& row : rows_) {
        delete row.swatch;
        delete row.check;
        delete row.radio;
    }
    rows_.clear();

    const WavelengthList& list = main_.LensData().Wavelengths();
    for (int w = 0; w < list.Count(); ++w) {
        Row row;
        row.name = list.At(w).name;
        row.swatch = new ColourSwatch(rowArea_);
        row.check = new QCheckBox(rowArea_);
        row.radio = new QRadioButton(QString::fromStdString(list.At(w).caption), rowArea_);
        row.swatch->setObjectName(QStringLiteral("swatch%1").arg(w));
        row.check->setObjectName(QStringLiteral("calc%1").arg(w));
        row.radio->setObjectName(QStringLiteral("reference%1").arg(w));
        referenceGroup_->addButton(row.radio, w);
        rowLayout_->addWidget(row.swatch, w + 1, 0, Qt::AlignCenter);
        rowLayout_->addWidget(row.check, w + 1, 1, Qt::AlignCenter);
        rowLayout_->addWidget(row.radio, w + 1, 2);
        connect(row.swatch, &QAbstractButton::clicked, this, [this, w] { ChooseColour(w); });
        connect(row.check, &QCheckBox::toggled, this, [this, w](bool on) {
            if (!updating_) main_.LensData().Wavelengths().SetCalculate(w, on);
        });
        connect(row.radio, &QRadioButton::toggled, this, [this, w](bool on) {
            if (on && !updating_) main_.LensData().Wavelengths().SetReference(w);
        });
        rows_.push_back(row);
    }
}

void TFWaveLgthSlct::ApplyRemembered() {
    WavelengthList& list = main_.LensData().Wavelengths();
    // Colours that came with the lens file win over remembered ones.
    const bool lensColours = list.NonDefaultColours();
    for (int w = 0; w < list.Count(); ++w) {
        if (!list.At(w).inserted) continue;
        const auto remembered = std::find_if(remembered_.begin(), remembered_.end(),
                                             [&](const Remembered& r) { return r.name == list.At(w).name; });
        if (remembered == remembered_.end()) continue;
        list.SetCalculate(w, remembered->calculate);
        if (!lensColours && remembered->colour != list.At(w).colour) list.SetColour(w, remembered->colour);
    }
}

void TFWaveLgthSlct::Refresh() {
    Lens& lens = main_.LensData();
    WavelengthList& list = lens.Wavelengths();
    bool sameRows = static_cast<int>(rows_.size()) == list.Count();
    for (int w = 0; sameRows && w < list.Count(); ++w) sameRows = rows_[w].name == list.At(w).name;
    if (!sameRows) {
        BuildRows();
        ApplyRemembered();
    }

    // A wavelength without indices cannot be traced: its flag goes off, and the reference moves to the
    // d line (which every face has, or the calculation drops the face), else to the first one left.
    std::vector<bool> selectable(list.Count());
    for (int w = 0; w < list.Count(); ++w) {
        selectable[w] = WavelengthHasData(lens, w);
        if (!selectable[w]) list.SetCalculate(w, false);
    }
    if (!selectable[list.Reference()]) {
        const int d = list.Find("d");
        int reference = d >= 0 && selectable[d] ? d : -1;
        for (int w = 0; reference < 0 && w < list.Count(); ++w)
            if (selectable[w]) reference = w;
        if (reference >= 0) list.SetReference(reference);
    }

    updating_ = true;
    for (int w = 0; w < list.Count(); ++w) {
        const Row& row = rows_[w];
        row.check->setEnabled(selectable[w]);
        row.radio->setEnabled(selectable[w]);
        row.check->setChecked(list.At(w).calculate);
        static_cast<ColourSwatch*>(row.swatch)->SetColour(list.At(w).colour);
    }
    // A disabled reference (no wavelength has data) shows no radio button checked.
    referenceGroup_->setExclusive(false);
    for (int w = 0; w < list.Count(); ++w) rows_[w].radio->setChecked(w == list.Reference() && selectable[w]);
    referenceGroup_->setExclusive(true);
    updating_ = false;
    ApplyWording();
}

void TFWaveLgthSlct::ShowWindow() {
    Refresh();
    resize(width(), std::max(20 * RowCount() + 180, minimumSizeHint().height()));
    show();
    raise();
    activateWindow();
}

void TFWaveLgthSlct::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Refresh();
}

Colour TFWaveLgthSlct::SwatchColour(int w) const {
    return static_cast<const ColourSwatch*>(rows_.at(w).swatch)->Value();
}

void TFWaveLgthSlct::ChooseColour(int w) {
    Lens& lens = main_.LensData();
    if (w < 0 || w >= lens.Wavelengths().Count()) return;
    const auto chosen = main_.HostOf().ChooseColour(lens.Wavelengths().At(w).colour);
    if (!chosen) return;
    lens.Wavelengths().SetColour(w, *chosen);
    // The colours are saved with the lens, so a new one is a change worth the save question.
    lens.SetDataModified(true);
    Refresh();
}

void TFWaveLgthSlct::ToggleRealColours() {
    Lens& lens = main_.LensData();
    if (realColours_) {
        UseDefaultColours(lens.Wavelengths());
        realColours_ = false;
    } else {
        const Workspace& workspace = main_.Directories();
        const std::string dataDir = main_.ProgramDataDir().toStdString();
        const std::string name(kRgbTableFileName);
        const auto path = LocateDataFile(workspace.startDir, dataDir, name);
        if (!path) {
            main_.HostOf().Tell(
                MessageKind::Warning,
                wavelengthTexts::NoRgbTable(name, "\"" + workspace.startDir + "\" / \"" + dataDir + "\""));
            return;
        }
        RgbTable table;
        if (const auto error = ReadRgbTable(*path, table)) {
            main_.HostOf().Tell(MessageKind::Warning, wavelengthTexts::CannotReadRgbTable(*error));
            return;
        }
        ApplyRealColours(lens.Wavelengths(), table);
        realColours_ = true;
    }
    lens.SetDataModified(true);
    Refresh();
}

void TFWaveLgthSlct::WhiteBalanceClick() {
    Lens& lens = main_.LensData();
    WavelengthList& list = lens.Wavelengths();
    std::vector<int> on;
    std::vector<Colour> colours;
    for (int w = 0; w < list.Count(); ++w) {
        if (!list.At(w).calculate) continue;
        on.push_back(w);
        colours.push_back(list.At(w).colour);
    }
    const std::vector<Colour> balanced = WhiteBalance(colours, main_.HostOf());
    for (std::size_t k = 0; k < on.size(); ++k) list.SetColour(on[k], balanced[k]);
    lens.SetDataModified(true);
    whiteBalanceButton_->hide();
    colourButton_->show();
    Refresh();
}

void TFWaveLgthSlct::WriteSettings(IniFile& ini) const {
    WriteWindowGeometry(*this, ini, kSection);
    int k = WavelengthList::kLineCount;
    for (const Wavelength& w : main_.LensData().Wavelengths().Items()) {
        if (!w.inserted) continue;
        const std::string n = std::to_string(k++);
        ini.WriteString(kSection, "Color" + n, ColourToText(w.colour));
        ini.WriteString(kSection, "Wavelength" + n + "(nm)", FormatFixed(w.nanometres, 1));
        ini.WriteString(kSection, "WLCaption" + n, w.caption);
        ini.WriteString(kSection, "WL" + n, w.name);
        ini.WriteBool(kSection, "Calc" + n, w.calculate);
    }
    // Wavelengths the lens no longer has leave no keys behind.
    for (; ini.HasKey(kSection, "WL" + std::to_string(k)); ++k) {
        const std::string n = std::to_string(k);
        for (const std::string& key :
             {"Color" + n, "Wavelength" + n + "(nm)", "WLCaption" + n, "WL" + n, "Calc" + n})
            ini.DeleteKey(kSection, key);
    }
}

} // namespace vitrimo
