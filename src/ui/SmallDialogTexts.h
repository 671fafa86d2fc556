// Texts of the small shared dialogs, in both wordings.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"
#include "ui/CommonTexts.h"

namespace vitrimo::smallDialogTexts {

inline const Wording ChoiceCaption{"Select", "選択"};
inline const Wording& PenWidth = texts::PenWidth;
inline const Wording& Ok = commonTexts::Ok;
inline const Wording& Cancel = commonTexts::Cancel;

} // namespace vitrimo::smallDialogTexts
