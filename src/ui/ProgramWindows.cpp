#include "ui/ProgramWindows.h"

#include "model/NumberFormat.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowTexts.h"
#include "ui/TF3rdAber.h"
#include "ui/TFGlasdata.h"
#include "ui/TFGlsSelect.h"
#include "ui/TFLensdata.h"
#include "ui/TFSGList.h"
#include "ui/TFSphAber.h"
#include "ui/TFWaveLgthSlct.h"
#include "ui/TGlassDataFig.h"
#include "ui/TPreviewDlg.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace vitrimo {

ProgramWindows::ProgramWindows(TFLensdata& main)
    : main_(main), glassData_(new TFGlasdata(main)), glassChooser_(new TFGlsSelect(main, *glassData_)),
      thirdOrder_(new TF3rdAber(main)), wavelengths_(new TFWaveLgthSlct(main)),
      angleTable_(new TFSGList(main)), aberration_(new TFSphAber(main, *wavelengths_, *angleTable_)),
      preview_(new TPreviewDlg(main.HostOf(), &main)) {
    // The glass chooser: a double-click on a face's "GlassName", and the Data > Glass maker items.
    main.glassChooser = [this](int row) { glassChooser_->ShowFor(row); };
    const std::pair<const char*, GlassMaker> makers[] = {{"actSumita", GlassMaker::Sumita},
                                                         {"actOhara", GlassMaker::Ohara},
                                                         {"actHoya", GlassMaker::Hoya},
                                                         {"actSchott", GlassMaker::Schott}};
    for (const auto& [name, maker] : makers) {
        QAction* action = main.Action(name);
        QObject::connect(action, &QAction::triggered, glassChooser_, [this, maker = maker] {
            const auto [column, row] = main_.CurrentCell();
            (void)column;
            main_.SetCurrentCell(main_.LensData().Column("GlassName"), row);
            glassChooser_->ChooseMaker(maker);
        });
    }
    const auto updateMakers = [this, makers] {
        glassChooser_->UpdateMakers();
        for (const auto& [name, maker] : makers)
            main_.MakeAvailable(name, glassChooser_->MakerAvailable(maker));
    };
    updateMakers();
    if (QMenu* glassMenu = main.findChild<QMenu*>("menuGlass")) {
        QObject::connect(glassMenu, &QMenu::aboutToShow, glassChooser_, [this, glassMenu, updateMakers] {
            updateMakers();
            // On the object row the Glass menu stands for the light source.
            if (main_.CurrentCell().second == 1)
                QTimer::singleShot(0, &main_, [this, glassMenu] {
                    glassMenu->hide();
                    main_.LightSourceCommand();
                });
        });
    }

    // The third-order table.
    main.MakeAnalysisCommand("actThirdOrder", [this] { thirdOrder_->ShowTable(); });

    // The aberration figure window on each of its curve tabs.
    const std::pair<const char*, TFSphAber::Tab> figures[] = {{"actSphLong", TFSphAber::Longitudinal},
                                                              {"tbSphericalCurve", TFSphAber::Longitudinal},
                                                              {"actSphTrans", TFSphAber::Transverse},
                                                              {"actAstigmatism", TFSphAber::Astigmatism},
                                                              {"actDistortion", TFSphAber::Distortion}};
    for (const auto& [name, tab] : figures)
        main.MakeAnalysisCommand(name, [this, tab = tab] { aberration_->ShowTab(tab); });
    // ... and on the image-evaluation tabs that the Tool menu names.
    const std::pair<const char*, TFSphAber::Tab> evaluations[] = {{"actWaveLine", TFSphAber::WavefrontLine},
                                                                  {"actWaveFace", TFSphAber::WavefrontFace},
                                                                  {"actSpot", TFSphAber::Spot}};
    for (const auto& [name, tab] : evaluations)
        main.MakeAnalysisCommand(name, [this, tab = tab] { aberration_->ShowTab(tab); });

    // Printing: the printable windows open the one preview; the aberration window's hidden Form >
    // "&Print" prints the figure on the whole page without it.
    preview_->ReadSettings(main.Settings().Load(main.HostOf()));
    QObject::connect(thirdOrder_->PrintButton(), &QPushButton::clicked, preview_,
                     [this] { preview_->ShowFor(*thirdOrder_); });
    for (const char* name : {"actPreview", "tbPreview"})
        QObject::connect(aberration_->Action(name), &QAction::triggered, preview_,
                         [this] { preview_->ShowFor(*aberration_); });
    QObject::connect(aberration_->Action("actPrint"), &QAction::triggered, preview_,
                     [this] { preview_->PrintDirect(*aberration_); });
    TGlassDataFig& glassFigure = glassData_->DispersionFigure();
    QObject::connect(glassFigure.PrintButton(), &QPushButton::clicked, preview_,
                     [this, &glassFigure] { preview_->ShowFor(glassFigure); });

    // Windows that show the old lens go when the table is reset; the wavelength window follows the list.
    main.AddTableResetHook([this] {
        thirdOrder_->close();
        aberration_->close();
        if (wavelengths_->isVisible()) wavelengths_->Refresh();
    });
    // While a calculation runs, the windows that change the lens or calculate wait (the aberration
    // window disables its own commands and keeps Stop).
    // (The windows are the main window's children: they outlive this object.)
    const std::vector<QWidget*> waiting = {glassChooser_, glassData_, thirdOrder_, wavelengths_, angleTable_};
    QObject::connect(&main.Runner(), &CalculationRunner::BusyChanged, glassChooser_, [waiting](bool busy) {
        for (QWidget* window : waiting) window->setEnabled(!busy);
    });
    main.AddSettingsWriter([this](IniFile& ini) {
        thirdOrder_->WriteSettings(ini);
        aberration_->WriteSettings(ini);
        wavelengths_->WriteSettings(ini);
        preview_->WriteSettings(ini);
    });
}

ProgramWindows::~ProgramWindows() {
    main_.glassChooser = nullptr;
}

std::optional<ProgramWindows::MtfRequest> ProgramWindows::MtfAnglePrompts() {
    if (!main_.CheckImage(main_.PrepareForCalculation())) return std::nullopt;
    UiHost& host = main_.HostOf();
    const std::string start = lastMtfFrequency_ > 0 ? FormatGeneral(lastMtfFrequency_, 9) : "200";
    const auto answer = host.AskText(
        Wording{"MTF Max", "MTF Max"},
        Wording{"Max. Spatial Freq.(Line/mm) = ", "MTF 空間周波数記録最大値(Line/mm) = "}, start);
    if (!answer) return std::nullopt;
    const auto frequency = ParseNumber(*answer);
    if (!frequency || *frequency <= 0) {
        host.Tell(MessageKind::Error, mainTexts::NotANumber(*answer));
        return std::nullopt;
    }
    if (!angleTable_->Edit(mtfAngles_, Wording{"MTF Calc. Angle", "MTF 計算画角"})) return std::nullopt;
    lastMtfFrequency_ = *frequency;
    std::vector<double> angles = mtfAngles_.Angles();
    if (angles.empty()) angles.push_back(0); // an empty table stands for the axis
    return MtfRequest{*frequency, angles};
}

} // namespace vitrimo
