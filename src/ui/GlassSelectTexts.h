// Every text of the glass chooser and the glass data window, in both wordings.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"
#include "ui/CommonTexts.h"

#include <string>

namespace vitrimo::glassTexts {

// ---- The chooser ----
inline const Wording ChooserCaption{"Glass Select", "硝材選択"};
inline const Wording MakerGroup{"Glass Maker", "硝材メーカー"};
inline const Wording SelectionGroup{"Glass Selection", "特殊面"};
// The maker buttons carry the makers' own names in both wordings; so do "Air" and "Mirror".
inline const Wording Sumita{"Sumita", "Sumita"};
inline const Wording Ohara{"Ohara", "Ohara"};
inline const Wording Hoya{"HOYA", "HOYA"};
inline const Wording Schott{"Schott", "Schott"};
inline const Wording Air{"Air", "Air"};
inline const Wording Mirror{"Mirror", "Mirror"};
inline const Wording& StopPlane = texts::StopPlane;
inline const Wording& FocalPlane = texts::FocalPlane;
inline const Wording& Screen = texts::Screen;
inline const Wording MakerMissing{"The catalogue file of this maker was not found",
                                  "このメーカーのカタログファイルが見つかりません"};

// ---- The glass data window ----
inline const Wording DataCaption{"Glass Data", "硝材データ"};
inline const Wording Select{"Select", "選択"};
inline const Wording& Cancel = commonTexts::Cancel;
inline const Wording& Help = commonTexts::Help;
inline const Wording ValueHint{"The text of the cell under the mouse", "マウスの下のセルの内容"};

inline const int kDataHelpTopic = 37;

// ---- Added AGF catalogues ----
inline const Wording AddedGroup{"Added Catalogues", "追加したカタログ"};
inline const Wording AddCatalogue{"Add Catalogue...", "カタログを追加..."};
inline const Wording RemoveCatalogue{"Remove Catalogue", "カタログを外す"};
inline const Wording AddCatalogueTitle{"Add Glass Catalogue (AGF)", "硝材カタログ (AGF) を追加"};
inline const char kAgfFilter[] = "AGF glass catalogue|*.agf;*.AGF|All files|*";

inline Wording RemoveCatalogueQuestion(const std::string& name) {
    return {"Remove the catalogue " + name + " from the program? (The file itself stays.)",
            "カタログ " + name + " をプログラムから外しますか? (ファイルは残ります)"};
}

inline Wording CannotAddCatalogue(const std::string& reason) {
    return {reason, "硝材カタログを追加できません: " + reason};
}

inline Wording RememberedCatalogueSkipped(const std::string& reason) {
    return {"An added glass catalogue could not be read and is left out: " + reason,
            "追加した硝材カタログを読めないため外しました: " + reason};
}

inline Wording DataCaptionFor(const std::string& maker) {
    return {DataCaption.english, DataCaption.japanese + " " + maker};
}

inline Wording CannotLoad(const std::string& reason) {
    return {reason, "硝材カタログを読めません: " + reason};
}

inline Wording NotAGlass(const std::string& line) {
    return {"Line " + line + " of the catalogue holds no glass (a name and an nd value): choose another row.",
            "カタログの " + line +
                " 行目は硝材ではありません (名前と nd がありません)。別の行を選んでください"};
}

} // namespace vitrimo::glassTexts
