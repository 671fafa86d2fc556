// Texts of the glass and wavelength calculations, in both wordings.
#pragma once

#include "model/Host.h"

#include <string>

namespace vitrimo::texts {

inline const Wording CalculateOtherWavelength{"Calculate refractive indice of other wavelength?",
                                              "表にない波長の屈折率を計算しますか ?"};
inline const Wording AddAnotherWavelength{"You add another wavelength?", "さらに波長を追加しますか ?"};
inline const Wording WavelengthToAdd{"Wavelength to add (nm)", "追加する波長 (nm)"};

// The caption of the input box for the k-th added wavelength.
inline Wording NewWavelength(int k) {
    return {"New Wavelength " + std::to_string(k), "新しい波長 " + std::to_string(k)};
}

inline Wording NotAWavelength(const std::string& text) {
    return {"\"" + text + "\" is not a wavelength: enter a positive number of nanometres",
            "「" + text + "」は波長ではありません。正の数を nm で入力してください"};
}

inline Wording WavelengthExists(const std::string& nanometres) {
    return {"The table already has a column for " + nanometres + " nm",
            nanometres + " nm の列はすでにあります"};
}

// Why an index could not be computed: the glass, the wavelength, the reason (English only: it names
// files and catalogue titles).
inline Wording NoIndex(const std::string& glass, const std::string& nanometres, const std::string& reason) {
    return {"Cannot compute the refractive index of " + glass + " at " + nanometres + " nm: " + reason,
            glass + " の " + nanometres + " nm における屈折率を計算できません: " + reason};
}

inline const int kInsertWavelengthHelpTopic = 156;

} // namespace vitrimo::texts
