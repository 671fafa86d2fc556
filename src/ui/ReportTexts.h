// Every text of the prescription report window, in both wordings.
#pragma once

#include "model/Host.h"
#include "ui/CommonTexts.h"

#include <string>
#include <string_view>

namespace vitrimo::reportTexts {

inline const Wording Caption{"Prescription Report", "処方レポート"};
inline const Wording Refresh{"Refresh", "更新"};
inline const Wording SaveHtml{"Save as HTML...", "HTML で保存..."};
inline const Wording SaveText{"Save as Text...", "テキストで保存..."};
inline const Wording Print{"Print...", "印刷..."};
inline const Wording& Close = commonTexts::Close;
inline const Wording& Help = commonTexts::Help;
inline const Wording SaveHtmlTitle{"Save the report as HTML", "レポートを HTML で保存"};
inline const Wording SaveTextTitle{"Save the report as text", "レポートをテキストで保存"};
inline constexpr std::string_view HtmlFilter = "HTML Files|*.html;*.htm|All Files|*.*";
inline constexpr std::string_view TextFilter = "Text Files|*.txt|All Files|*.*";
inline const Wording Busy{"A calculation is running: the report is brought up to date when it ends.",
                          "計算中です。終わったらレポートを更新します。"};
inline const Wording Stale{"The lens has changed since this report was made: press Refresh.",
                           "レポート作成後にレンズが変更されました。「更新」を押してください。"};

inline const int kHelpTopic = 2001;

inline Wording CannotWrite(const std::string& error) {
    return {error, "ファイルに書き込めません: " + error};
}

} // namespace vitrimo::reportTexts
