// Every text of the print preview, in both wordings (the "Size" prompts exist in one wording only).
#pragma once

#include "model/Host.h"
#include "ui/CommonTexts.h"

#include <string>

namespace vitrimo::previewTexts {

inline const Wording Caption{"PreView", "プレビュー"};
inline const Wording Print{"Print", "印刷"};
inline const Wording Size{"Size", "サイズ"};
inline const Wording& Cancel = commonTexts::Cancel;
inline const Wording FrameHint{"Double-click the page to show the figure's frame, then drag its edges.",
                               "ページをダブルクリックすると図の枠が現れ、その辺をドラッグできます。"};

// The Size command's input boxes: caption, then the left edge, width, top edge and height.
inline const Wording SizeCaption{"印刷範囲", ""};
inline const Wording LeftPrompt{"左端", ""};
inline const Wording WidthPrompt{"横幅", ""};
inline const Wording TopPrompt{"上端", ""};
inline const Wording HeightPrompt{"高さ", ""};

inline Wording NotANumber(const std::string& text) {
    return {"\"" + text + "\" is not a number of millimetres. The figure stays as it was.",
            "「" + text + "」はミリメートルの数値ではありません。図はそのままです。"};
}

inline Wording CannotPrint(const std::string& what) {
    return {"Cannot print: " + what, "印刷できません: " + what};
}

} // namespace vitrimo::previewTexts
