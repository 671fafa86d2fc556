// The texts of the optimization windows: the conditions dialog, the progress window and the messages of
// the optimization command.
#pragma once

#include "model/Host.h"

namespace vitrimo::optimizationTexts {

inline const Wording CorrFactorCaption{"Factor", "最適化係数"};
inline const Wording ConstFL{"constFL", "焦点距離一定"};
inline const Wording Geometrical{"Geometrical optics", "幾何光学"};
inline const Wording Strehl{"Strehl ratio", "ストレール比"};
inline const Wording StrehlHint{"Takes too much time for Strehl ratio",
                                "ストレール比は計算に時間がかかります"};
inline const Wording NoFreeValue{
    "Nothing to optimize: every radius and distance is fixed (rFix and lFix are all "
    "filled).",
    "最適化する値がありません（rFix と lFix がすべて埋まっています）。"};
inline const Wording Stopped{"The optimization was stopped.", "最適化を中止しました。"};

inline Wording NotANumber(const std::string& text) {
    return {"'" + text + "' is not a valid floating point value", "'" + text + "' は数値ではありません"};
}

} // namespace vitrimo::optimizationTexts
