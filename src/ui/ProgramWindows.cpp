#include "ui/ProgramWindows.h"

#include "design/LensMerit.h"
#include "model/NumberFormat.h"
#include "ui/CalculationRunner.h"
#include "ui/MainWindowTexts.h"
#include "ui/OptimizationTexts.h"
#include "ui/ReportWindow.h"
#include "ui/TCorrFactor.h"
#include "ui/TF3rdAber.h"
#include "ui/TFBending.h"
#include "ui/TFCrossSection.h"
#include "ui/TFGlasdata.h"
#include "ui/TFGlsSelect.h"
#include "ui/TFLensdata.h"
#include "ui/TFMTF.h"
#include "ui/TFSGList.h"
#include "ui/TFSphAber.h"
#include "ui/TFValClc.h"
#include "ui/TFWaveLgthSlct.h"
#include "ui/TPreviewDlg.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace vitrimo {

ProgramWindows::ProgramWindows(TFLensdata& main)
    : main_(main), glassData_(new TFGlasdata(main)), glassChooser_(new TFGlsSelect(main, *glassData_)),
      thirdOrder_(new TF3rdAber(main)), wavelengths_(new TFWaveLgthSlct(main)),
      angleTable_(new TFSGList(main)), mtf_(new TFMTF(main, *angleTable_)),
      aberration_(new TFSphAber(main, *wavelengths_, *angleTable_)),
      crossSection_(new TFCrossSection(main, *angleTable_, *wavelengths_)),
      preview_(new TPreviewDlg(main.HostOf(), &main)), conditions_(new TCorrFactor(main)),
      progress_(new TFValClc(main, *conditions_)), bending_(new TFBending(main, *aberration_, *thirdOrder_)),
      report_(new ReportWindow(main, [this] { return aberration_->AngleTable().Angles(); })) {
    // The aberration window's "MTF Show" opens the MTF of the picture it shows: the diffraction OTF from its
    // FFT Image tab, the geometrical OTF of the spot diagram otherwise; "RMS Cal" the Strehl-ratio mode.
    aberration_->mtfShow = [this] {
        const TFSphAber& a = *aberration_;
        if (a.CurrentTab() == TFSphAber::FftImage)
            mtf_->ShowFromPsf(a.FieldAngle(), a.Defocus(), a.FftSize(), a.PupilDivision());
        else
            mtf_->ShowFromSpotDiagram(a.FieldAngle(), a.Defocus(), a.SpotSteps());
    };
    aberration_->rmsCal = [this] {
        mtf_->ShowStrehlMode(aberration_->FieldAngle(), aberration_->Defocus(), aberration_->SpotSteps());
    };
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
    QObject::connect(mtf_->Button("previewButton"), &QPushButton::clicked, preview_,
                     [this] { preview_->ShowFor(*mtf_); });
    crossSection_->SetPreview([this](TFCrossSection& window) { preview_->ShowFor(window); });
    report_->SetPreview([this](ReportWindow& window) { preview_->ShowFor(window); });
    // The prescription report: the image height is given for the aberration window's angle table.
    QObject::connect(main.Action("actReport"), &QAction::triggered, report_,
                     [this] { report_->ShowReport(); });

    // The bending window, from the main window's toolbar and the aberration window's Data menu and toolbar.
    main.MakeAnalysisCommand("tbBending", [this] { bending_->Start(); });
    for (const char* name : {"actBending", "tbBending"})
        QObject::connect(aberration_->Action(name), &QAction::triggered, bending_,
                         [this] { bending_->Start(); });

    // The MTF against field angle: the frequency and the angles asked, then the window calculates.
    main.MakeAnalysisCommand("actMtfAngle", [this] {
        if (const auto request = MtfAnglePrompts()) mtf_->ShowAngleSweep(request->maxFrequency);
    });

    // The lens drawing: the main window prepares the lens (or gives one without an image a size), then
    // the window draws.
    main.MakeAnalysisCommand("actCrossSection", [this] {
        if (main_.CrossSectionCommand()) crossSection_->ShowWindow();
    });
    // Optimization: "Condition Setting" shows the conditions (the lens prepared first); "Execute" runs once
    // they have been set, and follows the enabling of "Condition Setting".
    const auto showConditions = [this] {
        if (main_.PrepareForCalculation() == Readiness::Cancelled) return;
        const int free = CountFreeValues(main_.LensData());
        if (free == 0) {
            main_.HostOf().Tell(MessageKind::Warning, optimizationTexts::NoFreeValue);
            return;
        }
        conditions_->ShowFor(free);
    };
    main.MakeAnalysisCommand("actConditionSetting", showConditions);
    main.MakeAnalysisCommand("tbConditionSet", showConditions);
    // (Connected with the dialog as context: it must not reach this object, which goes first.)
    const auto updateExecute = [main = &main, conditions = conditions_] {
        const bool on = conditions->Confirmed() && main->Action("actConditionSetting")->isEnabled();
        main->MakeAvailable("actExecute", on);
        main->MakeAvailable("tbOptimization", on);
    };
    QObject::connect(main.Action("actConditionSetting"), &QAction::changed, conditions_, updateExecute);
    QObject::connect(conditions_, &QDialog::finished, conditions_, updateExecute);
    QObject::connect(conditions_->OkButton(), &QPushButton::clicked, conditions_, updateExecute);
    for (const char* name : {"actExecute", "tbOptimization"})
        QObject::connect(main.Action(name), &QAction::triggered, progress_,
                         [progress = progress_] { progress->Execute(); });
    updateExecute();

    // Windows that show the old lens go when the table is reset; the wavelength window follows the list.
    main.AddTableResetHook([this] {
        thirdOrder_->close();
        bending_->close();
        aberration_->close();
        mtf_->close();
        mtf_->ReloadSettings();
        crossSection_->TableWasReset();
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
        mtf_->WriteSettings(ini);
        crossSection_->WriteSettings(ini);
        conditions_->WriteSettings(ini);
        bending_->WriteSettings(ini);
    });
}

ProgramWindows::~ProgramWindows() {
    main_.glassChooser = nullptr;
}

SweepTable& ProgramWindows::MtfAngles() {
    return mtf_->AngleTable();
}

std::optional<ProgramWindows::MtfRequest> ProgramWindows::MtfAnglePrompts() {
    if (!main_.CheckImage(main_.PrepareForCalculation())) return std::nullopt;
    UiHost& host = main_.HostOf();
    const std::string start = FormatGeneral(mtf_->MaxFrequency(), 9);
    const auto answer = host.AskText(
        Wording{"MTF Max", "MTF Max"},
        Wording{"Max. Spatial Freq.(Line/mm) = ", "MTF 空間周波数記録最大値(Line/mm) = "}, start);
    if (!answer) return std::nullopt;
    const auto frequency = ParseNumber(*answer);
    if (!frequency || *frequency <= 0) {
        host.Tell(MessageKind::Error, mainTexts::NotANumber(*answer));
        return std::nullopt;
    }
    if (!angleTable_->Edit(mtf_->AngleTable(), Wording{"MTF Calc. Angle", "MTF 計算画角"}))
        return std::nullopt;
    std::vector<double> angles = mtf_->AngleTable().Angles();
    if (angles.empty()) angles.push_back(0); // an empty table stands for the axis
    return MtfRequest{*frequency, angles};
}

} // namespace vitrimo
