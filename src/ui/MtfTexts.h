// Every text of the MTF window, in both wordings.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"
#include "ui/CommonTexts.h"

#include <string>

namespace vitrimo::mtfTexts {

// The help page of the window (a topic of the program's own numbering, above the classic ones).
inline const int kHelpTopic = 1045;

inline const Wording Caption{"MTF", "MTF"};
inline const Wording StrehlCaption{"MTF - Strehl Ratio", "MTF - ストレール比"};

// The tabs, in order; the Strehl-ratio mode names its first tab differently.
inline const Wording Tabs[3] = {
    {"Spatial Frequency", "空間周波数"},
    {"Angle", "画角"},
    {"Focus", "焦点"},
};
inline const Wording StrehlTab{"Strehl Ratio", "ストレール比"};

// Buttons and their hints.
inline const Wording ModulusButton{"MTF", "MTF"};
inline const Wording ModulusHint{"Abs(OTF)", "Abs(OTF)"};
inline const Wording RealButton{"OTF'", "OTF'"};
inline const Wording RealHint{"MTF * cos(PTF)", "MTF * cos(PTF)"};
inline const Wording Spectrum{"Spectrum", "スペクトル"};
inline const Wording SpectrumHint{"Edit the spectral weights", "分光重みの編集"};
inline const Wording Scale{"Scale", "スケール"};
inline const Wording ScaleHint{"The end of the frequency axis", "周波数軸の最大値"};
inline const Wording Reset{"Reset", "リセット"};
inline const Wording ResetHint{"One angle and one focus position", "画角と焦点位置を一点に戻す"};
inline const Wording Save{"Save", "保存"};
inline const Wording SaveHint{"Save the MTF as tab-separated text", "MTF をタブ区切りテキストで保存"};
inline const Wording Preview{"Preview", "プレビュー"};
inline const Wording PreviewHint{"Preview for Print", "印刷プレビュー"};
inline const Wording Recalc{"Recalc.", "再計算"};
inline const Wording FrequencyTable{"Freq. Table", "周波数表"};
inline const Wording FrequencyTableHint{"The spatial frequencies of the angle and focus curves",
                                        "画角・焦点グラフの空間周波数"};
inline const Wording Stop{"Stop", "停止"};
inline const Wording& Ok = commonTexts::Ok;
inline const Wording& Cancel = commonTexts::Cancel;
inline const Wording& Help = commonTexts::Help;
inline const Wording& Close = commonTexts::Close;
inline const Wording SourceLabel{"OTF from", "OTF の計算"};
inline const Wording GeometricSource{"Spot diagram (geometrical)", "スポットダイアグラム (幾何光学)"};
inline const Wording DiffractionSource{"Point spread function (diffraction)", "点像分布関数 (回折)"};
inline const Wording WaitAMoment{"Wait a moment !", "しばらくお待ち下さい"};

// The labels that show, and on a click change, the field angle and the defocus.
inline const Wording AngleLabel{"Angle = ", "画角 = "};
inline const Wording DefocusLabel{"deFocus = ", "デフォーカス = "};

// Prompts.
inline const Wording MaxFrequencyCaption{"MTF Max", "MTF Max"};
inline const Wording MaxFrequencyPrompt{"Max. Spatial Freq.(Line/mm) = ",
                                        "MTF 空間周波数記録最大値(Line/mm) = "};
inline const Wording MtfAngleCaption{"MTF Calc. Angle", "MTF 計算画角"};
inline const Wording StrehlAngleCaption{"S Ratio Calc. Angle", "ストレール比 計算画角"};
inline const Wording& FocusFromCaption = texts::FocusCalcFrom;
inline const Wording FocusFromPrompt{"Focus Calc. from(mm) = ", "焦点計算開始位置(mm) = "};
inline const Wording& FocusIntervalCaption = texts::FocusCalcInterval;
inline const Wording FocusIntervalPrompt{"Focus Calc. interval(mm) = ", "焦点計算間隔(mm) = "};
inline const Wording FocusCountCaption{"Focus Calc. No", "焦点計算数"};
inline const Wording FocusCountPrompt{"The No. of Focus Calc. = ", "焦点計算数 = "};
inline const Wording& IncidentAngleCaption = texts::IncidentAngle;
inline const Wording IncidentAnglePrompt{"(deg) = ", "(deg) = "};
inline const Wording& FocusPositionCaption = texts::FocusPosition;
inline const Wording FocusPositionPrompt{"(mm) = ", "(mm) = "};
inline const Wording AngleCaption{"Angle", "画角"};
inline const Wording AnglePrompt{"Angle =", "画角 ="};
inline const Wording DefocusCaption{"defocus value", "デフォーカス値"};
inline const Wording DefocusPrompt{"defocus value =", "デフォーカス値 ="};
inline const Wording& AxisMaxCaption = texts::MaxSpatialFrequency;
inline const Wording AxisMaxPrompt{"Max. Spatial Freq. =", "最大表示空間周波数 ="};
inline const Wording& AxisMinCaption = texts::MinOtfValue;
inline const Wording AxisMinPrompt{"Min. OTF Value =", "OTF 最小値 ="};
inline const Wording WavelengthMaxCaption{"Max. WaveLength", "Max. 波長"};
inline const Wording WavelengthMaxPrompt{"Max. WaveLength =", "Max. 波長 ="};
inline const Wording WavelengthMinCaption{"Min. WaveLength", "Min. 波長"};
inline const Wording WavelengthMinPrompt{"Min. WaveLength =", "Min. 波長 ="};
inline const Wording SaveTitle{"Save MTF", "MTF の保存"};
inline constexpr const char* SaveFilter = "Text File|*.txt|All Files|*.*";

// Messages.
inline Wording NotANumber(const std::string& text) {
    return {"\"" + text + "\" is not a valid number. Nothing was changed.",
            "「" + text + "」は数値ではありません。何も変更していません。"};
}
inline const Wording FocusCountLimits{"The No. of Focus Calc. must be a whole number from 1 to 500.",
                                      "焦点計算数は 1 から 500 までの整数です。"};
inline const Wording NothingToSave{"There is no MTF to save.", "保存する MTF がありません。"};
inline Wording NotWritten(const std::string& path, const std::string& why) {
    return {"\"" + path + "\" could not be written: " + why,
            "「" + path + "」を書き込めませんでした: " + why};
}

} // namespace vitrimo::mtfTexts
