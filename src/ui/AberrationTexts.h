// The texts of the aberration figure window, in both wordings.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"

namespace vitrimo::aberrationTexts {

// The help page of the window (a topic of the program's own numbering, above the classic ones).
inline const int kHelpTopic = 1001;

inline const Wording Caption{"Spherical Aberration Fig", "収差図"};
inline const Wording SpotCaption{"Spot Diagram", "スポットダイアグラム"};

// The tabs, in order.
inline const Wording Tabs[8] = {
    {"&Spherical Aber. (Longitudinal)", "球面収差 (縦)(&S)"},
    {"Spherical Aber. (&Transverse)", "球面収差 (横)(&T)"},
    {"&Astigmat", "非点収差(&A)"},
    {"&Distortion", "歪曲収差(&D)"},
    {"&Spot Diagram", "スポットダイアグラム(&S)"},
    {"&Wave Front Aber. (Line)", "波面収差 (線)(&W)"},
    {"Wave Front Aber. (&Face)", "波面収差 (面)(&F)"},
    {"FFT Image", "FFT 像"},
};

// Toolbar hints.
inline const Wording HintRecalculation{"Recalculation", "再計算"};
inline const Wording HintWavelength{"Wave length Select", "波長選択"};
inline const Wording HintBending{"Bending", "ベンディング"};
inline const Wording HintPreview{"Preview for Print", "印刷プレビュー"};
inline const Wording HintClose{"Fig Close", "図を閉じる"};
inline const Wording HintHelp{"Help", "ヘルプ"};
inline const Wording HintPenWidth{"Pen Width", "ペン太さ"};
inline const Wording HintSteps{"Step/radius", "分割数"};
inline const Wording HintScale{"Scale", "スケール"};
inline const Wording HintScaleChange{"Scale change", "スケール変更"};
inline const Wording HintRays{"The No. of ray for calc. ", "計算光線数"};
inline const Wording HintCircle{"Circle", "円"};
inline const Wording HintAiry{"AiryDisk", "エアリーディスク"};
inline const Wording HintCross{"Cross", "十字"};
inline const Wording HintMtfCalc{"MTF Calculation", "MTF 計算"};
inline const Wording HintRoot{"expression of Brightness", "明るさの表現"};
inline const Wording HintLog{"log", "対数"};
inline const Wording HintIntensityLine{"Point spread line", "点像強度分布線"};

// Controls.
inline const Wording DefocusLabel{"defocus = ", "デフォーカス = "};
inline const Wording AngleLabel{"Angle = ", "画角 = "};
inline const Wording ScaleLabel{"Scale", "スケール"};
inline const Wording Next{"Next", "次へ"};
inline const Wording Start{"Start", "開始"};
inline const Wording WaitAMoment{"Wait a moment !", "しばらくお待ち下さい"};
inline const Wording CalculationDone{"Calculation Done", "計算終了"};
inline const Wording PeakToValley{"L-V: ", "L-V: "};
inline const Wording Rms{"RMS: ", "RMS: "};
inline const Wording StrehlRatio{"StRatio: ", "ストレール比: "};
inline const Wording RmsCal{"RMS Cal", "RMS 計算"};
inline const Wording MtfShow{"MTF Show", "MTF 表示"};
inline const Wording Brightness{"Brightness", "明るさ"};
inline const Wording BrightnessDefault{"Default", "標準"};
inline const Wording HintBrightness{"Brighter / darker", "明るく / 暗く"};
inline const Wording ShiftY{"y", "y"};
inline const Wording ShiftZ{"z", "z"};
inline const Wording HintShift{"Reference point shift (mm)", "参照点の移動 (mm)"};

// Menus.
inline const Wording MenuForm{"&Form", "フォーム(&F)"};
inline const Wording MenuPreview{"Preview", "プレビュー"};
inline const Wording MenuPrint{"&Print", "印刷(&P)"};
inline const Wording MenuSaveFigure{"Save Figure...", "図を保存..."};
inline const Wording MenuSaveIni{"Save &Inifile", "設定の保存(&I)"};
inline const Wording MenuCloseFigure{"&Close Figure", "図を閉じる(&C)"};
inline const Wording MenuView{"&View", "表示(&V)"};
inline const Wording MenuDrawCircle{"Draw Circle", "円を描く"};
inline const Wording MenuCircleSize{"Circle Si&ze", "円の大きさ(&Z)"};
inline const Wording MenuPenWidth{"&Pen Width", "ペン太さ(&P)"};
inline const Wording MenuDrawAiry{"Draw AiryDisk", "エアリーディスクを描く"};
inline const Wording MenuDrawCross{"Draw Cross Mark", "十字を描く"};
inline const Wording MenuBackground{"Background Color", "背景色"};
inline const Wording MenuLinearRoot{"Linear <-> Root", "線形 <-> 平方根"};
inline const Wording MenuLinearLog{"Linear <-> Log", "線形 <-> 対数"};
inline const Wording MenuIntensityLine{"Intensity Line", "強度分布線"};
inline const Wording MenuData{"Data", "データ"};
inline const Wording MenuBending{"Bending", "ベンディング"};
inline const Wording MenuOption{"&Option", "オプション(&O)"};
inline const Wording MenuWavelength{"&WaveLength", "波長(&W)"};
inline const Wording MenuAngleInterval{"&Angle Interval", "画角間隔(&A)"};
inline const Wording MenuMaxAngle{"Maximum &Angle", "最大画角(&A)"};
inline const Wording MenuAngleTable{"Angle &Table", "画角表(&T)"};
inline const Wording MenuDefocusInterval{"de&focus Interval", "デフォーカス間隔(&F)"};
inline const Wording MenuStepRadius{"Step / radius", "分割数 / 半径"};
inline const Wording MenuStepAngle{"Step/Angle", "分割数 / 画角"};
inline const Wording MenuMtfCalc{"MTF Calc", "MTF 計算"};
inline const Wording MenuCalculation{"&Calculation", "計算(&C)"};
inline const Wording MenuExecute{"E&xecute", "実行(&X)"};
inline const Wording MenuStop{"&Stop", "停止(&S)"};
inline const Wording MenuHelp{"Help", "ヘルプ"};

// Dialogs.
inline const Wording IntervalCaption{"Interval", "間隔"};
inline const Wording DefocusIntervalPrompt{"defocus calc. Interval =", "デフォーカス計算間隔 ="};
inline const Wording AngleCaption{"Angle", "画角"};
inline const Wording AngleIntervalPrompt{"Angle Interval =", "画角間隔 ="};
inline const Wording MaxAngleCaption{"Max Angle", "最大画角"};
inline const Wording MaxAnglePrompt{"Maximum Angle =", "最大画角 ="};
inline const Wording StepRadiusCaption{"Step/radius", "分割数 / 半径"};
inline const Wording StepAngleCaption{"Step/Angle", "分割数 / 画角"};
inline const Wording CircleRadiusPrompt{"Circle radius size =", "円半径 ="};
inline const Wording SaveFigureTitle{"Save Figure", "図を保存"};
inline constexpr const char* SaveFigureFilter = "PNG image|*.png|SVG drawing|*.svg|PDF document|*.pdf";
inline Wording NotAnAngle(const std::string& text) {
    return {"\"" + text + "\" is not a number. Nothing was changed.",
            "「" + text + "」は数値ではありません。何も変更していません。"};
}
inline Wording NotPositive(const std::string& text) {
    return {"\"" + text + "\" is not a positive number. Nothing was changed.",
            "「" + text + "」は正の数ではありません。何も変更していません。"};
}
inline const Wording NoMaxAngle{"Set the maximum angle (Option > Maximum Angle) to draw this figure.",
                                "この図を描くには最大画角 (オプション > 最大画角) を設定して下さい。"};

// The FFT size dialog of the FFT Image tab.
inline const int kFftHelpTopic = 276;
inline const int kSlowMemoryHelpTopic = 277;
inline const int kNoMemoryHelpTopic = 278;
inline const Wording FftCaption{"Ent. pupil dev. No", "入射瞳分割数"};
inline const Wording FftSizeLabel{"FFT Calc. Size", "FFT 計算サイズ"};
inline const Wording DivisionLabel{"The No. of devide of ent. pupil", "入射瞳の分割数"};
inline const Wording FftExecute{"Execute", "実行"};
inline const Wording FftOk{"OK", "OK"};
inline const Wording FftCancel{"Cancel", "キャンセル"};
inline const Wording FftHelp{"Help", "ヘルプ"};
inline const Wording NoTotalMemory{"Not enough total memory. Impossible to calculate.",
                                   "メモリが足りません。計算できません"};

} // namespace vitrimo::aberrationTexts
