// Every text of the cross-section window, in both wordings.
#pragma once

#include "model/Host.h"
#include "ui/CommonTexts.h"
#include "ui/MainWindowTexts.h"

#include <string>

namespace vitrimo::crossSectionTexts {

inline const int kHelpTopic = 127;

inline const Wording Caption{"Cross Section", "断面図"};

// Menus and their items.
inline const Wording MenuFigure{"&Figure", "図(&F)"};
inline const Wording MenuPreview{"PreView", "プレビュー"};
inline const Wording MenuPrint{"&Print", "印刷(&P)"};
inline const Wording MenuSaveIni{"Save &Inifile", "Iniファイル保存(&I)"};
inline const Wording MenuClose{"&Close", "閉じる(&C)"};
inline const Wording MenuRay{"&Ray", "光線(&R)"};
inline const Wording MenuAngleTable{"Angle Table", "画角表"};
inline const Wording MenuRayCount{"the No. of Ray", "光線数"};
inline const Wording MenuView{"&View", "表示(&V)"};
inline const Wording MenuClear{"Clear", "クリア"};
inline const Wording MenuEnlarge{"Enlarge", "拡大"};
inline const Wording MenuWhole{"whole", "全体"};
inline const Wording MenuAllRay{"All ray", "全光線"};   // shown while all-ray mode is off
inline const Wording MenuRealRay{"Real ray", "実光線"}; // shown while it is on
inline const Wording MenuDefocus{"defocus", "光線表示位置"};
inline const Wording MenuMultiColour{"->&MultiColor", "->多色(&M)"}; // shown while single-colour
inline const Wording MenuSingleColour{"->SingleColor", "->単色"};    // shown while multicolour
inline const Wording MenuWavelength{"&WaveLength", "波長(&W)"};
inline const Wording MenuPenWidth{"Pen width", "線幅"};
inline const Wording MenuHelp{"&Help", "ヘルプ(&H)"};

// Buttons.
inline const Wording PreviewButton{"Preview", "プレビュー"};
inline const Wording FigCloseButton{"Fig Close", "図を閉じる"};
inline const Wording EnlargeButton{"Enlarge", "拡大"};
inline const Wording WholeButton{"Whole", "全体"};
inline const Wording RayButton{"Ray", "光線"};
inline const Wording MultiColourButton{"->MultiColor", "->多色"};
inline const Wording SingleColourButton{"->SingleColor", "->単色"};
inline const Wording PenWidthButton{"Pen Width", "線幅"};
inline const Wording& CloseButton = commonTexts::Close;

// Hints.
inline const Wording EnlargeHint{"Drag a rectangle over the figure to enlarge it",
                                 "拡大する範囲をドラッグします"};
inline const Wording WholeHint{"The whole lens", "レンズ全体を表示"};
inline const Wording RayHint{"Where the rays end (defocus)", "光線の終わる位置"};
inline const Wording ColourHint{"Rays coloured by angle or by wavelength", "光線の色を画角別か波長別に"};
inline const Wording PenWidthHint{"Pen width 1 ... 5", "線幅 1 ... 5"};
inline const Wording PreviewHint{"Print preview", "印刷プレビュー"};

// The questions.
inline const Wording DefocusCaption{"defocus", "光線表示位置"};
inline const Wording DefocusPrompt{"Ray display position", "光線表示位置"};
inline const Wording TooLong{"Ray display distance is too long. OK?",
                             "光線表示位置が遠すぎます。よろしいですか?"};
inline const Wording RayCountCaption{"the No. of Ray", "光線数"};
inline const Wording RayCountPrompt{"the No. of Ray (1 - 100)", "光線数 (1 - 100)"};
inline const Wording PenWidthCaption{"Pen width", "線幅"};
inline const Wording PenWidthPrompt{"Pen width (1 - 5)", "線幅 (1 - 5)"};

// The messages.
inline const Wording CannotDraw{"Cannot draw the figure!", "図を描くことができません!"};
inline const Wording WaitAMoment{"Tracing the rays ...", "光線追跡中 ..."};

inline Wording NotANumber(const std::string& text) {
    return mainTexts::NotANumber(text);
}

} // namespace vitrimo::crossSectionTexts
