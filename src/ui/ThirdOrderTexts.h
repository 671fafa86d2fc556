// Every text of the third-order window, in both wordings.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"
#include "ui/CommonTexts.h"

#include <string>
#include <string_view>

namespace vitrimo::thirdOrderTexts {

inline const Wording Caption{"3rd Order Aberration Coefficient", "3次収差係数"};
inline const Wording InsertSubtotal{"Insert a subtotal row above the selected row",
                                    "選んだ行の上に小計の行を挿入します"};
inline const Wording DeleteSubtotal{"Delete the selected subtotal row", "選んだ小計の行を削除します"};
inline const Wording& Close = commonTexts::Close;
inline const Wording Print{"Print", "印刷"};
inline const Wording DataSave{"DataSave", "データ保存"};
inline const Wording& Help = commonTexts::Help;
inline const Wording SaveTitle{"Save the coefficient table", "収差係数表の保存"};
inline constexpr std::string_view SaveFilter = "Text Files|*.txt|All Files|*.*";
inline const Wording& NoFocus = texts::NoFocus;

inline const int kHelpTopic = 42;

inline Wording CannotWrite(const std::string& error) {
    return {error, "ファイルに書き込めません: " + error};
}

inline Wording Overflow(const std::string& what) {
    return {what, "値があふれたため空欄にしました (極端な非球面係数?): " + what};
}
inline Wording CannotCompute(const std::string& reason) {
    return {reason, "収差係数を計算できません: " + reason};
}

} // namespace vitrimo::thirdOrderTexts
