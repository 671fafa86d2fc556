// Button words that every dialog of the program shares, in both wordings.
#pragma once

#include "model/Host.h"

namespace vitrimo::commonTexts {

inline const Wording Ok{"OK", "OK"};
inline const Wording Cancel{"Cancel", "キャンセル"};
inline const Wording Help{"Help", "ヘルプ"};
inline const Wording Close{"Close", "閉じる"};

} // namespace vitrimo::commonTexts
