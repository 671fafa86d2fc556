// Every text of the glass dispersion figure window, in both wordings.
#pragma once

#include "model/Host.h"
#include "ui/CommonTexts.h"

namespace vitrimo::glassFigureTexts {

inline const Wording Caption{"Glass Dispersion", "硝材分散図"};
// The glass data window's button that opens the figure.
inline const Wording OpenFigure{"Dispersion", "分散図"};
inline const Wording OpenFigureHint{"The selected glass's index against the wavelength, and the glass map",
                                    "選んだ硝材の屈折率の波長変化とガラスマップ"};
inline const Wording Print{"Print", "印刷"};
inline const Wording& Close = commonTexts::Close;
inline const Wording GlassNumber{"Glass ", "硝材 "};
inline const Wording MapHint{"Click a glass on the map to select it", "マップの硝材をクリックすると選択します"};

} // namespace vitrimo::glassFigureTexts
