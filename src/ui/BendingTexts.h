// The bending window's texts in both wordings.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"

namespace vitrimo::bendingTexts {

inline const Wording Caption{"Bending", "ベンディング"};
inline const Wording TabTwoFace{"Bending (Two Face)", "ベンディング (2面)"};
inline const Wording TabSingleFace{"Single Face", "1面"};
inline const Wording ChoosePlane1{"Choose Bending Plane 1", "ベンディング面1を選択"};
inline const Wording ChoosePlane2{"Choose Bending Plane 2", "ベンディング面2を選択"};
inline const Wording ChooseData{"Choose A Data to Change", "変更するデータを選択"};
inline const Wording CannotChoose{"You cannot choose this plane!", "この面は選択できません！"};
inline const Wording NeedsCtrl{"This face follows another face: hold Ctrl to choose it.",
                               "この面は他の面に従います。Ctrl を押しながら選択してください。"};
inline const Wording FocalLengthChanged{"Focal Length is changed. Will you prefer the old FL?",
                                        "焦点距離が変わりました。元の焦点距離に戻しますか？"};
// The step is refused: a lens without a real image cannot be shown or written.
inline const Wording StepLosesImage{"No fucus point exist!\r\n\r\nThe last step is taken back.",
                                    "焦点が存在しません\r\n\r\n最後の変更を取り消しました。"};
inline const Wording Ok{"OK", "OK"};
inline const Wording Cancel{"Cancel", "キャンセル"};
inline const Wording FlAdjust{"Fl Adjust", "焦点距離調整"};
inline const Wording Undo{"Undo", "元に戻す"};
inline const Wording ClearSelection{"Clear Selection", "選択解除"};
inline const Wording Help{"Help", "ヘルプ"};
inline const Wording Interval{"Interval", "間隔"};
inline const Wording Scale{"Scale", "スケール"};
inline const Wording Focus{"Focus", "焦点移動"};
inline const Wording MaxAngleCaption{"Astigmat, Distortion Max Angle", "像面湾曲、歪曲収差 最大入射角"};
inline const Wording MaxAnglePrompt{"Maximum Angle =", "最大画角 ="};

} // namespace vitrimo::bendingTexts
