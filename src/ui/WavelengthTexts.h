// Every text of the wavelength window, in both wordings.
#pragma once

#include "model/Host.h"
#include "ui/CommonTexts.h"

#include <string>

namespace vitrimo::wavelengthTexts {

inline const Wording Caption{"Wavelength Select", "波長選択"};
inline const Wording ColourTitle{"Color", "色"};
inline const Wording CalculateTitle{"Calc.", "計算"};
inline const Wording ReferenceTitle{"Reference", "基準波長"};
inline const Wording ColourHint{"Click to choose the colour the figures draw this wavelength in",
                                "クリックすると図に描く色を選べます"};
inline const Wording CalculateHint{"Trace this wavelength", "この波長を計算します"};
inline const Wording ReferenceHint{"The reference wavelength: always traced", "基準波長 (常に計算します)"};
inline const Wording NoDataHint{"A face of the lens has no refractive index at this wavelength",
                                "この波長の屈折率がない面があります"};
inline const Wording RealColour{"RealColor", "実際の色"};
inline const Wording DefaultColour{"Default", "既定の色"};
inline const Wording& Ok = commonTexts::Ok;
inline const Wording& Help = commonTexts::Help;

inline const int kHelpTopic = 119;

inline Wording NoRgbTable(const std::string& name, const std::string& folders) {
    return {"The colour table \"" + name + "\" is in neither " + folders + ". The colours stay as they are.",
            "色の表「" + name + "」が " + folders + " にありません。色は変わりません"};
}

inline Wording CannotReadRgbTable(const std::string& reason) {
    return {reason + "\r\nThe colours stay as they are.", reason + "\r\n色は変わりません"};
}

} // namespace vitrimo::wavelengthTexts
