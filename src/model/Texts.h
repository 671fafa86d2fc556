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

// Wordings that several windows share.
inline const Wording NotEnoughMemory{"Not enough physical memory. It takes much time for calculation.",
                                     "物理メモリが足りません。HD swap のため計算時間がかかります"};
inline const Wording AstigmatismDistortionMaxAngle{"Astigmat, Distortion Max Angle", "像面湾曲、歪曲収差 最大入射角"};
inline const Wording MaxSpatialFrequency{"Max. Spatial Frequency", "最大表示空間周波数"};
inline const Wording MinOtfValue{"Min. OTF Value", "OTF 最小値"};
inline const Wording CircleRadius{"Circle radius", "円半径"};
inline const Wording PenWidth{"Pen Width", "ペン太さ"};
inline const Wording NumberOfRays{"the No. of Ray", "入射光線数"};
inline const Wording IncidentAngle{"Insident Angle", "入射角"};
inline const Wording FocusPosition{"Focus Position", "焦点位置"};
inline const Wording MaxSpatialFreq{"Max. Spatial Freq.", "MTF 空間周波数記録最大値"};
inline const Wording FocusCalcFrom{"Focus Calc. from", "焦点計算開始位置"};
inline const Wording FocusCalcInterval{"Focus Calc. interval", "焦点計算間隔"};
inline const Wording NumberOfFocusCalc{"The No. of Focus Calc.", "焦点計算数"};

// Markers written into "Remarks" (and for the screen into "GlassName") for the special faces.
inline const Wording StopPlane{"Stop Plane", "絞り面"};
inline const Wording FocalPlane{"Focal Plane", "焦点面"};
inline const Wording IdealLens{"Ideal Lens", "無収差レンズ"};
inline const Wording Screen{"Screen", "スクリーン"};

} // namespace vitrimo::texts
