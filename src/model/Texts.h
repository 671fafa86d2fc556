// Texts that the lens model itself shows, in both wordings. Windows keep their own tables.
#pragma once

#include "model/Host.h"

#include <string>

namespace vitrimo::texts {

inline const Wording ProgramTitle{"Vitrimo", "Vitrimo"};
inline const Wording InputLimitedDistance{"Input a limited value in Distance",
                                          "距離に有限の値を入れてください"};
inline const Wording NoFocus{"No fucus point exist!", "焦点が存在しません"};

inline Wording InputEffectiveDiameter(const std::string& faceNumber) {
    return {"Input the effective diameter of No." + faceNumber,
            "No." + faceNumber + " の有効径を入力してください"};
}

// Markers written into "Remarks" (and for the screen into "GlassName") for the special faces.
inline const Wording StopPlane{"Stop Plane", "絞り面"};
inline const Wording FocalPlane{"Focal Plane", "焦点面"};
inline const Wording IdealLens{"Ideal Lens", "無収差レンズ"};
inline const Wording Screen{"Screen", "スクリーン"};

} // namespace vitrimo::texts
