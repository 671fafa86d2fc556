// Every text of the main window, in both wordings. The English ones are the program's own words and
// stay exactly as they are (quirks included); the Japanese ones replace them as a whole.
#pragma once

#include "model/Host.h"
#include "model/Texts.h"

#include <string_view>

namespace vitrimo::mainTexts {

// ---- Messages ----
inline const Wording LensDataChanged{"Lens data is changed.\r\n\r\n   Save?",
                                     "レンズデータが変更されています\r\n\r\n   Saveしますか ?"};
inline const Wording DecenterReset{
    "There is a non 0 datum on dx, dy, dz, dTheta or dPhi.\r\n\r\n   Change back to 0?",
    "dx, dy, dz, dTheta, dPhi に 0 でない値があります\r\n\r\n   0 に戻しますか ?"};
inline const Wording DeleteOk{"Delete OK ?", ""}; // English only
inline const Wording& NoFocus = texts::NoFocus;
inline const Wording NoFocusShowFigure{"No fucus point exist!\r\n\r\n   Show figure ?",
                                       "焦点が存在しません\r\n\r\n図を表示しますか?"};
inline const Wording FocalLengthNotComputed{"cannot be computed (a face has no index)",
                                            "計算できません (屈折率のない面があります)"};
inline const Wording FocalLengthAfocal{"none (afocal: parallel light leaves parallel)",
                                       "なし (アフォーカル: 平行光は平行光のまま出ます)"};
inline const Wording NoRealImage{"(no real image)", "(実像なし)"};
inline const Wording LightSource{"Light Source", "光源"};
inline const Wording FocalLengthChanged{"Focal Length is changed. Will you prefer the old FL?",
                                        "焦点距離が変化しています。焦点距離を元の値に戻しますか?"};
inline const Wording CannotChoosePlane{"You cannot choose this plane!",
                                       "前後の屈折率が同じである面は選択できません"};
inline const Wording PickShiftTilt{"DoubleClick the face of Shift or Tilt",
                                   "シフトまたはティルト開始面をダブルクリックして下さい"};
inline const Wording PickReenter{"DoubleClick the face of re-entering the ray",
                                 "再入射面をダブルクリックして下さい"};
inline const Wording PickSameCurvature{"DoubleClick the face of the same curvature",
                                       "同一曲率面をダブルクリックして下さい"};
inline const Wording PickShiftTiltLast{"DoubleClick the last face of Shift or Tilt",
                                       "シフトまたはティルト終了面をダブルクリックして下さい"};
inline const Wording PickSameDistance{"DoubleClick the face with the same distance",
                                      "同一面間隔の面をダブルクリックして下さい"};
inline const Wording InvalidCombination{"Invalid combination", "組み合わせが正しくありません"};
inline const Wording LightSourcePosition{"Light source position", "光源の位置"};
inline const Wording InfiniteDistance{"Infinite distance", "無限遠"};
inline const Wording LimitedDistance{"Limited distance", "有限距離"};
inline const Wording FocalLengthCaption{"Focal Length", "焦点距離"};
inline const Wording ScaleOfFigure{"Scale of Figure", "図の大きさ"};
inline const Wording InputSizeOfLens{"Input the size of the Lens", "レンズの大きさを入力して下さい"};
inline const Wording PressCalculator{"Press calculator icon", "計算機アイコンを押して下さい"};
inline const Wording WaitAMoment{"Wait a moment", "しばらくお待ち下さい"};

// Messages of this program's own (no counterpart in the classic wording).
inline Wording CannotRead(const std::string& error) {
    return {error, "ファイルを読めません: " + error};
}
inline Wording CannotWrite(const std::string& error) {
    return {error, "ファイルに書き込めません: " + error};
}
inline Wording UnknownColumns(const std::string& titles) {
    return {"The file has columns this program does not know: " + titles +
                ".\r\nTheir cells are shown at the right of the table but will not be saved.",
            "このプログラムが知らない列があります: " + titles +
                "\r\nその列は表の右端に表示されますが保存されません。"};
}
inline const Wording TooManyGroups{"There are already 9 groups of Shift, Tilt: no more can be defined.",
                                   "シフト、ティルトのグループは 9 個までです。これ以上は定義できません。"};
inline Wording NoReturnFace(const std::string& face) {
    return {"The face after a Shift, Tilt group takes its return; add a face after face " + face + " first.",
            "シフト、ティルトのグループの後ろに戻しの面が必要です。面 " + face +
                " の後ろに面を追加して下さい。"};
}
inline Wording NonNumericCellsRead(const std::string& cells) {
    return {"These cells did not hold numbers; they are read as 0 (the cell then shows 0):\r\n" + cells,
            "次のセルは数値ではありませんでした。0 として読みます (セルは 0 になります):\r\n" + cells};
}
inline Wording ShortRowsRead(const std::string& rows) {
    return {"These rows of the file had fewer cells than its title line; their missing cells are empty: " +
                rows,
            "次の行はタイトル行より列が少なく、足りないセルは空欄です: " + rows};
}
inline Wording FacesWithoutIndexDeleted(const std::string& faces) {
    return {"Faces without a d-line index were deleted: " + faces + ". Undo brings them back.",
            "d線の屈折率がない面を削除しました: " + faces + "。元に戻すで復元できます。"};
}
inline Wording NotANumber(const std::string& text) {
    return {"\"" + text + "\" is not a number. Nothing was changed.",
            "「" + text + "」は数値ではありません。何も変更していません。"};
}
inline Wording NotAFocalLength(const std::string& text) {
    return {"\"" + text + "\" is not a focal length (a positive number of mm). Nothing was changed.",
            "「" + text + "」は焦点距離 (正の数, mm) ではありません。何も変更していません。"};
}
inline Wording FocalLengthOutOfReach(const std::string& wanted, const std::string& reached) {
    return {"The fixed radii and distances do not let the focal length reach " + wanted + " mm; it is now " +
                reached + " mm, the nearest found.",
            "固定された曲率半径と面間隔のため焦点距離を " + wanted + " mm にできません。最も近い " + reached +
                " mm にしました。"};
}
inline Wording SettingsMoved(const std::string& wanted, const std::string& used, const std::string& reason) {
    return {"The settings could not be written to " + wanted + " (" + reason + ").\r\nThey are kept in " +
                used + " instead.",
            "設定を " + wanted + " に書き込めません (" + reason + ")。\r\n代わりに " + used +
                " に保存します。"};
}

// ---- Window ----
inline const Wording CaptionPrefix{"Vitrimo--", "Vitrimo--"};
inline const Wording FocalLengthLabel{"Focal Length =", "焦点距離 ="};
inline const Wording SavedLabel{"Saved", "保存済み"};
inline const Wording OpenDialogTitle{"Lens Data File", "レンズデータファイル"};
inline const Wording SaveDialogTitle{"Save As", "名前を付けて保存"};
inline constexpr std::string_view OpenFilter = "Lens Data   *.ldt (Text file)|*.ldt|All File|*.*";
inline constexpr std::string_view SaveFilter = "Lens Data (Text file)|*.ldt|All Files|*.*";
// Lens files of other design programs.
inline const Wording ImportDialogTitle{"Import Lens File", "レンズファイルのインポート"};
inline const Wording ExportDialogTitle{"Export Lens File", "レンズファイルのエクスポート"};
inline constexpr std::string_view ExchangeFilter =
    "Lens File of other programs (*.zmx)|*.zmx;*.ZMX|All Files|*.*";
inline Wording ImportUnsupported(const std::string& list) {
    return {"The file holds what this program cannot express:\r\n" + list + "\r\nImport the lens without it?",
            "このプログラムで表せない内容があります:\r\n" + list + "\r\nそれを除いてインポートしますか?"};
}
inline Wording ExportNotCarried(const std::string& list) {
    return {"The lens file was written without:\r\n" + list,
            "次の内容を除いてレンズファイルを書き出しました:\r\n" + list};
}

// ---- Menus ----
inline const Wording MenuFile{"&File", "ファイル(&F)"};
inline const Wording MenuNew{"&New", "新規作成(&N)"};
inline const Wording MenuOpen{"&Open...", "開く(&O)..."};
inline const Wording MenuSave{"&Save", "上書き保存(&S)"};
inline const Wording MenuSaveAs{"Save &As...", "名前を付けて保存(&A)..."};
inline const Wording MenuPrint{"&Print...", "印刷(&P)..."};
inline const Wording MenuReport{"Repor&t...", "レポート(&T)..."};
inline const Wording MenuPrintSetup{"P&rint Setup...", "プリンタの設定(&R)..."};
inline const Wording MenuSaveIni{"Save &Inifile", "設定の保存(&I)"};
inline const Wording MenuThreads{"T&hreads...", "スレッド数(&H)..."};
inline const Wording ThreadsCaption{"Threads", "スレッド数"};
inline const Wording ThreadsPrompt{"Threads the calculations use:", "計算に使うスレッド数:"};
inline const Wording MenuImport{"&Import...", "インポート(&I)..."};
inline const Wording MenuExport{"&Export...", "エクスポート(&E)..."};
inline const Wording MenuExit{"E&xit", "終了(&X)"};

inline const Wording MenuEdit{"&Edit", "編集(&E)"};
inline const Wording MenuUndo{"&Undo", "元に戻す(&U)"};
inline const Wording MenuCut{"Cu&t", "切り取り(&T)"};
inline const Wording MenuCopy{"&Copy", "コピー(&C)"};
inline const Wording MenuPaste{"&Paste", "貼り付け(&P)"};
inline const Wording MenuSelectCell{"Select Cell", "セルの選択"};
inline const Wording MenuSelectCells{"Select Cells", "範囲選択"};
inline const Wording MenuEditCell{"Edit Cell", "セル編集"};
inline const Wording MenuAddFace{"&Add a face", "面の追加(&A)"};
inline const Wording MenuInsertFace{"&Insert a face", "面の挿入(&I)"};
inline const Wording MenuDeleteFace{"&Delete the face", "面の削除(&D)"};

inline const Wording MenuView{"&View", "表示(&V)"};
inline const Wording MenuMemo{"Memo", "メモ"};
inline const Wording MenuDiameterToRadius{"Diameter->Radius", "直径->半径"};
inline const Wording MenuRadiusToDiameter{"Radius->Diameter", "半径->直径"};
inline const Wording MenuFont{"Font", "フォント"};
inline const Wording MenuSaveAsDefault{"Save as Default", "既定値として保存"};
inline const Wording MenuReadDat{"Read from Dat file", "Dat ファイルから読む"};

inline const Wording MenuData{"&Data", "データ(&D)"};
inline const Wording MenuGlass{"Glass", "硝材"};
inline const Wording MenuSumita{"Sumita", "住田"};
inline const Wording MenuOhara{"Ohara", "オハラ"};
inline const Wording MenuHoya{"Hoya", "HOYA"};
inline const Wording MenuSchott{"Schott", "ショット"};
inline const Wording MenuAir{"&Air", "空気(&A)"};
inline const Wording MenuMirror{"Mirror", "ミラー"};
inline const Wording MenuStopPlane{"Stop Plane", "絞り面"};
inline const Wording MenuFocalPlane{"Focal Plane", "焦点面"};
inline const Wording MenuScreen{"Screen", "スクリーン"};
inline const Wording MenuShiftTilt{"Shift, Tilt", "シフト、ティルト"};
inline const Wording MenuReenter{"Re-enter", "再入射"};
inline const Wording MenuSameCurvature{"The same curvature", "同一曲率"};
inline const Wording MenuInsertWavelength{"Insert New Wavelength", "新しい波長の挿入"};

inline const Wording MenuTool{"&Tool", "ツール(&T)"};
inline const Wording MenuThirdOrder{"&3rd Aber. Coef.", "3次収差係数(&3)"};
inline const Wording MenuAberFigure{"Aber. Figure", "収差図"};
inline const Wording MenuSphLong{"&Spherical Aber. (Longitudinal)", "球面収差 (縦)(&S)"};
inline const Wording MenuSphTrans{"Spherical Aber. (&Transverse)", "球面収差 (横)(&T)"};
inline const Wording MenuAstigmatism{"&Astigmatism", "非点収差(&A)"};
inline const Wording MenuDistortion{"&Distortion", "歪曲収差(&D)"};
inline const Wording MenuWaveLine{"&Wave Front Aber. (Line)", "波面収差 (線)(&W)"};
inline const Wording MenuWaveFace{"Wave Front Aber. (&Face)", "波面収差 (面)(&F)"};
inline const Wording MenuSpot{"&Spot Diagram", "スポットダイアグラム(&S)"};
inline const Wording MenuCrossSection{"&Cross Section", "断面図(&C)"};
inline const Wording MenuMtfAngle{"&MTF - Angle", "MTF - 画角(&M)"};
inline const Wording MenuFocalLength{"Focal Length", "焦点距離"};
inline const Wording MenuOptimization{"Optimization", "最適化"};
inline const Wording MenuConditionSetting{"Condition Setting", "条件設定"};
inline const Wording MenuExecute{"Execute", "実行"};
inline const Wording MenuStop{"Stop", "停止"};

inline const Wording MenuHelp{"&Help", "ヘルプ(&H)"};
inline const Wording MenuContents{"&Contents", "目次(&C)"};
inline const Wording MenuShowHint{"Show Hint", "ヒントを表示"};
inline const Wording MenuAbout{"&About...", "バージョン情報(&A)..."};

// ---- Toolbar hints ----
inline const Wording HintNew{"New", "新規作成"};
inline const Wording HintOpen{"Open", "開く"};
inline const Wording HintSave{"Save", "上書き保存"};
inline const Wording HintPrint{"Print", "印刷"};
inline const Wording HintUndo{"Undo", "元に戻す"};
inline const Wording HintCut{"Cut", "切り取り"};
inline const Wording HintCopy{"Copy", "コピー"};
inline const Wording HintPaste{"Paste", "貼り付け"};
inline const Wording HintInsert{"Insert", "面の挿入"};
inline const Wording HintDelete{"Delete", "面の削除"};
inline const Wording HintMemo{"Memo", "メモ"};
inline const Wording HintFont{"Font", "フォント"};
inline const Wording HintBending{"Bending", "ベンディング"};
inline const Wording HintThirdOrder{"3rd Aber. Coeff. Calc.", "3次収差係数計算"};
inline const Wording HintSphericalCurve{"Spherical Aber. Curve", "球面収差図"};
inline const Wording HintCrossSection{"Cross Section", "断面図"};
inline const Wording HintFocalLength{"Focal Length", "焦点距離"};
inline const Wording HintConditionSet{"Condition Set", "最適化条件設定"};
inline const Wording HintOptimization{"Optimization", "最適化"};
inline const Wording HintHelp{"Help", "ヘルプ"};
inline const Wording HintExit{"Exit", "終了"};

// ---- Column titles and hints in the Japanese wording (the file keeps the English names) ----
struct ColumnWording {
    std::string_view name;  // the column's name in the file
    std::string_view title; // the Japanese title ("" keeps the English one)
    std::string_view hint;  // the Japanese hint shown over the column
};
inline constexpr ColumnWording JapaneseColumns[] = {
    {"No", "", "面番号"},
    {"GlassName", "硝材名", "面の後ろの媒質: 硝材名、Air、Mirror など。ダブルクリックで硝材を選びます"},
    {"r", "曲率半径", "曲率半径 (mm)。0 は平面"},
    {"rFix", "", "x: 最適化で曲率を固定。面番号: その面と同じ曲率"},
    {"effectvDiam.", "有効径", "有効径 (mm)"},
    {"Diameter", "外径", "外径 (mm)。空欄は有効径と同じ"},
    {"HideDiam.", "遮蔽径", "中心遮蔽の直径 (mm)"},
    {"Distance", "面間隔", "次の面までの距離 (mm)"},
    {"lFix", "", "x: 最適化で面間隔を固定。面番号: その面と同じ面間隔"},
    {"maxDis.", "最大間隔", "最適化での面間隔の上限 (mm)"},
    {"minDis.", "最小間隔", "最適化での面間隔の下限 (mm)"},
    {"dx", "", "光軸方向のずれ (mm)"},
    {"Y", "", "Y 方向の偏心 (mm)"},
    {"dy", "", "Y 方向の追加のずれ (mm)"},
    {"Z", "", "Z 方向の偏心 (mm)"},
    {"dz", "", "Z 方向の追加のずれ (mm)"},
    {"Theta", "", "傾き (度)"},
    {"dTheta", "", "追加の傾き (度)"},
    {"Phi", "", "傾きの方位角 (度)"},
    {"dPhi", "", "追加の方位角 (度)"},
    {"k", "", "円錐係数"},
    {"A4", "", "非球面係数 A4"},
    {"A6", "", "非球面係数 A6"},
    {"A8", "", "非球面係数 A8"},
    {"A10", "", "非球面係数 A10"},
    {"A12", "", "非球面係数 A12"},
    {"A14", "", "非球面係数 A14"},
    {"Remarks", "備考", "備考: 硝材メーカー、絞り面などの印"},
};
inline constexpr std::string_view JapaneseIndexHint = "屈折率";
inline constexpr std::string_view JapaneseRadiusTitles[] = {"有効半径", "外半径", "遮蔽半径"};

} // namespace vitrimo::mainTexts
