// Every text of the angle and frequency table dialog, in both wordings.
#pragma once

#include "model/Host.h"
#include "ui/CommonTexts.h"

#include <string>

namespace vitrimo::sweepTexts {

inline const Wording Caption{"Angle", "角度"};
inline const Wording Delete{"Delete", "削除"};
inline const Wording& Ok = commonTexts::Ok;
inline const Wording& Cancel = commonTexts::Cancel;
inline const Wording GenerateHint{"Double-click to fill the table from a maximum angle and an interval",
                                  "ダブルクリックすると最大角と間隔から表を作ります"};
inline const Wording ColourHint{"Enter or double-click chooses the colour",
                                "Enter かダブルクリックで色を選びます"};

inline const Wording MaxAngleCaption{"Max. Insident Angle", "最大入射角"};
inline const Wording MaxAnglePrompt{"Max. Insident Angle =", "最大入射角 ="};
inline const Wording IntervalCaption{"Interval of Insident Angle Calc.", "入射角の計算間隔"};
inline const Wording IntervalPrompt{"Interval of Angle Calc. =", "角度の計算間隔 ="};
inline constexpr const char* DegreeUnit = "°";

inline Wording NotANumber(const std::string& text) {
    return {"\"" + text + "\" is not a number.", "「" + text + "」は数ではありません"};
}

} // namespace vitrimo::sweepTexts
