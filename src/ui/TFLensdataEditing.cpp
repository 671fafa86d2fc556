// The main window's editing: cell modes, picks, special faces, the light source, shift and tilt, the
// clipboard, Undo, and the focal-length command.
#include "engine/FocalLengthScaling.h"
#include "engine/ShiftTilt.h"
#include "glass/InsertedIndices.h"
#include "model/ClipboardBlock.h"
#include "model/FileIo.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "model/TableRules.h"
#include "ui/CalculationRunner.h"
#include "ui/LensTableModel.h"
#include "ui/LensTableView.h"
#include "ui/Locale.h"
#include "ui/MainWindowTexts.h"
#include "ui/TFLensdata.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableView>
#include <cmath>

namespace vitrimo {
namespace {

bool IsFaceNumber(const std::string& text) {
    return ParseInteger(text).has_value();
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Keys and clicks on the table

bool TFLensdata::eventFilter(QObject* watched, QEvent* event) {
    // While a calculation runs the table is only looked at.
    if (runner_->Busy()) return QMainWindow::eventFilter(watched, event);
    // While a cell editor is open, the keys it passes on (Return after typing) are not table commands.
    if (watched == table_ && event->type() == QEvent::KeyPress && !table_->Editing()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto [column, row] = CurrentCell();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (column >= 0) CellDoubleClicked(column, row);
            return true;
        }
        // Down on the last row opens a new face, once the last one has begun.
        if (key->key() == Qt::Key_Down && pick_ == Pick::None && row == lens_.RowCount() - 1 &&
            (!lens_.Text(col::GlassName, row).empty() || !lens_.Text(col::R, row).empty())) {
            AddFace();
            SetCurrentCell(column, lens_.RowCount() - 1);
            return true;
        }
    }
    if (watched == table_->viewport() && event->type() == QEvent::MouseButtonPress && pick_ == Pick::None) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int lastRow = model_->rowCount() - 1;
        const int bottom = table_->rowViewportPosition(lastRow) + table_->rowHeight(lastRow);
        if (lastRow >= 0 && !table_->indexAt(mouse->position().toPoint()).isValid() &&
            mouse->position().y() > bottom && mouse->position().x() < table_->horizontalHeader()->length()) {
            const int column = table_->columnAt(static_cast<int>(mouse->position().x()));
            AddFace();
            SetCurrentCell(column >= 0 ? column : lens_.Column(col::GlassName), lens_.RowCount() - 1);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFLensdata::SetSelectMode(bool selectCells) {
    selectCells_ = selectCells;
    Action(selectCells ? "actSelectCells" : "actEditCell")->setChecked(true);
    model_->SetEditing(!selectCells && !runner_->Busy());
    table_->setSelectionMode(selectCells ? QAbstractItemView::ContiguousSelection
                                         : QAbstractItemView::SingleSelection);
}

// ---------------------------------------------------------------------------------------------------
// Double-clicks and picks

void TFLensdata::CellDoubleClicked(int column, int row) {
    if (runner_->Busy()) return; // the commands of a cell change the lens
    if (pick_ != Pick::None) {
        CompletePick(row);
        return;
    }
    if (column == lens_.Column(col::GlassName)) {
        if (row == 1)
            LightSourceCommand();
        else if (glassChooser)
            glassChooser(row);
        return;
    }
    if (column == lens_.Column(col::RFix) || column == lens_.Column(col::LFix)) {
        if (!CellSelectable(lens_, column, row)) return;
        selectedCell_ = {column, row, lens_.Text(column, row)};
        cellUndo_ = selectedCell_;
        lens_.SetText(column, row, lens_.Text(column, row) == "x" ? "" : "x");
        lens_.MarkChanged();
        TableChanged();
        return;
    }
    if (column == lens_.Column(col::Distance) && row + 1 < lens_.RowCount() &&
        IsFaceNumber(lens_.Text(col::RFix, row + 1))) {
        cellUndo_ = CellUndo{column, row, lens_.Text(column, row)};
        pick_ = Pick::SameDistance;
        pickRow_ = row;
        lens_.MarkArraysStale();
        ShowPickHint(mainTexts::PickSameDistance);
        UpdateCommands();
        return;
    }
    const QModelIndex index = model_->IndexOf(column, row);
    if (index.flags() & Qt::ItemIsEditable) table_->edit(index);
}

void TFLensdata::ShowPickHint(const Wording& hint) {
    pickHint_ = Tr(hint);
    statusBar()->showMessage(pickHint_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    model_->SetHints(false);
}

QString TFLensdata::PickHint() const {
    return pick_ == Pick::None ? QString() : pickHint_;
}

void TFLensdata::EndPick() {
    pick_ = Pick::None;
    pickHint_.clear();
    statusBar()->clearMessage();
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    model_->SetHints(Action("actShowHint")->isChecked());
    model_->SetHighlightRows(0, -1);
    UpdateCommands();
}

void TFLensdata::ReenterCommand(bool sameCurvature) {
    const auto [column, row] = CurrentCell();
    (void)column;
    if (row < 2) return;
    pick_ = sameCurvature ? Pick::SameCurvature : Pick::Reenter;
    pickRow_ = row;
    ShowPickHint(sameCurvature ? mainTexts::PickSameCurvature : mainTexts::PickReenter);
}

void TFLensdata::ShiftTiltCommand() {
    if (static_cast<int>(lens_.ShiftTiltGroups().size()) >= Lens::kMaxShiftTiltGroups) {
        host_.Tell(MessageKind::Information, mainTexts::TooManyGroups);
        return;
    }
    PrepareForCalculation();
    pendingGroup_ = {};
    pick_ = Pick::ShiftTiltFirst;
    ShowPickHint(mainTexts::PickShiftTilt);
    lens_.MarkArraysStale();
}

void TFLensdata::CompletePick(int row) {
    const Pick pick = pick_;
    const int face = row - 1;
    switch (pick) {
    case Pick::None:
        return;
    case Pick::ShiftTiltFirst:
        if (face < 1) return; // not the object row: the next double-click is the first face again
        pendingGroup_ = {face, face};
        pick_ = Pick::ShiftTiltLast;
        model_->SetHighlightRows(face + 1, face + 1);
        ShowPickHint(mainTexts::PickShiftTiltLast);
        return;
    case Pick::ShiftTiltLast: {
        pendingGroup_.last = face;
        int existing = -1;
        const GroupCheck check = CheckShiftTiltGroup(lens_.ShiftTiltGroups(), pendingGroup_, &existing);
        EndPick();
        if (check == GroupCheck::Invalid) {
            host_.Tell(MessageKind::Information, mainTexts::InvalidCombination);
            return;
        }
        if (pendingGroup_.last + 2 >= lens_.RowCount()) {
            host_.Tell(MessageKind::Information, mainTexts::NoReturnFace(std::to_string(pendingGroup_.last)));
            return;
        }
        const bool newGroup = check == GroupCheck::Valid;
        if (newGroup) lens_.ShiftTiltGroups().push_back(pendingGroup_);
        AskShiftTiltValues(newGroup ? static_cast<int>(lens_.ShiftTiltGroups().size()) - 1 : existing,
                           newGroup);
        return;
    }
    case Pick::Reenter:
    case Pick::SameCurvature: {
        const int target = pickRow_;
        EndPick();
        if (row < target && row >= 1) {
            lens_.SetText(col::Remarks, target,
                          lens_.Text(col::Remarks, target) + " The same as No" + std::to_string(face) +
                              " plane");
            lens_.SetText(col::RFix, target, std::to_string(face));
            for (auto name : {col::R, col::K, col::A4, col::A6, col::A8, col::A10, col::A12, col::A14})
                lens_.SetText(name, target, lens_.Text(name, row));
            lens_.MarkChanged();
            TableChanged();
        }
        SetCurrentCell(CurrentCell().first, target);
        return;
    }
    case Pick::SameDistance: {
        const int target = pickRow_;
        EndPick();
        if (row < target && row >= 1) {
            lens_.SetText(col::LFix, target, std::to_string(face));
            const double distance = std::fabs(ParseNumber(lens_.Text(col::Distance, row)).value_or(0));
            lens_.SetText(col::Distance, target, FormatGeneral(distance, 15));
            lens_.MarkChanged();
            TableChanged();
        }
        SetCurrentCell(lens_.Column(col::Distance), target);
        return;
    }
    }
}

// The five values of a group, asked in turn; written only when every answer is a number.
void TFLensdata::AskShiftTiltValues(int groupIndex, bool newGroup) {
    const ShiftTiltGroup group = lens_.ShiftTiltGroups()[groupIndex];
    const int row = group.first + 1;
    const std::string_view columns[] = {col::Dx, col::Dy, col::Dz, col::DTheta, col::DPhi};
    std::string answers[5];
    for (int k = 0; k < 5; ++k) {
        const std::string name(columns[k]);
        const auto answer =
            host_.AskText(Wording{name, name}, Wording{"Input " + name, name + " を入力して下さい"},
                          lens_.Text(columns[k], row));
        // Cancel keeps the value the face has.
        answers[k] = answer ? *answer : lens_.Text(columns[k], row);
        if (!answers[k].empty() && !ParseNumber(answers[k])) {
            // Nothing is written; a group that was only just defined goes again.
            host_.Tell(MessageKind::Error, mainTexts::NotANumber(answers[k]));
            if (newGroup) lens_.ShiftTiltGroups().erase(lens_.ShiftTiltGroups().begin() + groupIndex);
            return;
        }
    }
    for (int k = 0; k < 5; ++k) lens_.SetText(columns[k], row, answers[k].empty() ? "0" : answers[k]);
    lens_.MarkChanged();

    bool allZero = true;
    for (const auto& answer : answers) allZero = allZero && ParseNumber(answer).value_or(0) == 0;
    if (!lens_.BuildSurfaceArrays(host_)) {
        TableChanged();
        return;
    }
    if (const auto back = ComputeReturnTransform(lens_, group.first, group.last)) {
        const int returnRow = group.last + 2;
        const double values[5] = {back->dx, back->dy, back->dz, back->dTheta, back->dPhi};
        for (int k = 0; k < 5; ++k) lens_.SetText(columns[k], returnRow, FormatGeneral(values[k], 9));
    }
    if (allZero) lens_.ShiftTiltGroups().erase(lens_.ShiftTiltGroups().begin() + groupIndex);
    lens_.MarkChanged();
    lens_.BuildSurfaceArrays(host_);
    TableChanged();
}

// ---------------------------------------------------------------------------------------------------
// Special faces and the light source

void TFLensdata::SpecialFaceCommand(SpecialFace kind) {
    const auto [column, row] = CurrentCell();
    if (row < 1) return;
    if (row == 1) {
        LightSourceCommand();
        return;
    }
    // The object plane of an object at a limited distance holds only its distance.
    if (row == 2 && lens_.Text(col::GlassName, 1) != "Air") return;
    MakeSpecialFace(lens_, row, kind, host_, JapaneseWording());
    TableChanged();
    SetCurrentCell(column, row);
}

void TFLensdata::LightSourceCommand() {
    const bool infinite = lens_.Text(col::GlassName, 1) == "Air";
    const int chosen =
        host_.AskChoice(mainTexts::LightSource, mainTexts::LightSourcePosition, mainTexts::InfiniteDistance,
                        mainTexts::LimitedDistance, infinite ? 1 : 2);
    if ((chosen == 1) == infinite) return;
    if (chosen == 1) {
        // Back to infinity: the object row goes, the former object plane becomes the object row.
        if (host_.Ask(MessageKind::Warning, mainTexts::DeleteOk, ButtonOk | ButtonCancel) != ButtonOk) return;
        lens_.DeleteFace(1);
        lens_.SetText(col::GlassName, 1, "Air");
        TableChanged();
        SetCurrentCell(lens_.Column(col::Distance), 1);
        return;
    }
    // A limited distance: a new object row before the former one, which becomes the object plane.
    lens_.InsertFace(1);
    MakeAir(lens_, 1);
    lens_.SetText(col::GlassName, 1, "Object");
    lens_.SetText(col::Remarks, 1, "Limited distance");
    lens_.SetText(col::RFix, 1, "x");
    lens_.SetText(col::LFix, 1, "x");
    for (auto name : {col::R, col::Distance, col::HideDiameter, col::MinDistance, col::MaxDistance})
        lens_.SetText(name, 1, "0");
    lens_.MarkChanged();
    TableChanged();
    SetCurrentCell(lens_.Column(col::Distance), 2);
}

// ---------------------------------------------------------------------------------------------------
// Clipboard and Undo

std::array<int, 4> TFLensdata::SelectedBlock() const {
    const auto [column, row] = CurrentCell();
    std::array<int, 4> block{column, row, column, row};
    const auto ranges = table_->selectionModel()->selection();
    if (selectCells_ && !ranges.isEmpty()) {
        const QItemSelectionRange& range = ranges.first();
        block = {range.left(), range.top() + 1, range.right(), range.bottom() + 1};
    }
    return block;
}

void TFLensdata::CopyCommand() {
    if (memo_->hasFocus()) {
        memo_->copy();
        return;
    }
    const auto [left, top, right, bottom] = SelectedBlock();
    if (left < 0) return;
    // Lines end with a line feed on the clipboard, as other programs here expect.
    QString text = QString::fromStdString(CopyBlock(lens_.Table(), {left, top, right, bottom}));
    QGuiApplication::clipboard()->setText(text.replace('\r', '\n'));
}

void TFLensdata::CutCommand() {
    if (memo_->hasFocus()) {
        memo_->cut();
        return;
    }
    const auto [left, top, right, bottom] = SelectedBlock();
    if (left < 0) return;
    const std::string text = lens_.CutBlock(left, top, right, bottom);
    QGuiApplication::clipboard()->setText(QString::fromStdString(text).replace('\r', '\n'));
    blockUndo_ = BlockUndo{text, left, top};
    cellUndo_ = selectedCell_;
    lens_.MarkChanged();
    TableChanged();
}

void TFLensdata::PasteCommand() {
    if (memo_->hasFocus()) {
        memo_->paste();
        return;
    }
    const auto [left, top, right, bottom] = SelectedBlock();
    (void)right;
    (void)bottom;
    if (left < 1) return;
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    blockUndo_ = BlockUndo{lens_.PasteBlock(left, top, text), left, top};
    cellUndo_ = selectedCell_;
    lens_.MarkChanged();
    TableChanged();
    // The block is pasted as it is; the cells it filled that are not numbers are named.
    TellAboutNonNumericCells(NonNumericCells(lens_, BlockRange(left, top, text)));
}

void TFLensdata::UndoCommand() {
    if (RowsUndoValid()) {
        // The faces the last calculation deleted come back, with the rest of the lens as it was then.
        lens_ = std::move(*rowsUndo_);
        rowsUndo_.reset();
        statusBar()->clearMessage();
    } else if (blockUndo_) {
        lens_.PasteBlock(blockUndo_->column, blockUndo_->row, blockUndo_->text);
        blockUndo_.reset();
    } else if (cellUndo_) {
        lens_.SetText(cellUndo_->column, cellUndo_->row, cellUndo_->text);
        cellUndo_.reset();
        fileUndo_ = false;
    } else {
        // The snapshot taken before the last rescaling (or right after the last Open).
        lens_.SetDataModified(false);
        FileNew();
        const LensFileResult result = ReadLensFile(lens_, workspace_.SnapshotFile());
        if (!result.Ok()) host_.Tell(MessageKind::Error, mainTexts::CannotRead(result.error));
        AfterTableReplaced();
        fileUndo_ = false;
    }
    lens_.MarkChanged();
    TableChanged();
}

void TFLensdata::UpdateUndo() {
    Action("actUndo")->setEnabled(RowsUndoValid() || blockUndo_ || cellUndo_ || fileUndo_);
}

// ---------------------------------------------------------------------------------------------------
// Rescaling and the figure prompts

void TFLensdata::FocalLengthCommand() {
    if (!CheckImage(PrepareForCalculation())) return;
    const auto answer = host_.AskNumber(mainTexts::FocalLengthCaption, mainTexts::FocalLengthLabel,
                                        FormatFixed(lens_.FocalLength(), 3), "mm", false);
    if (!answer) return;
    const auto focalLength = ParseNumber(answer->value);
    if (!focalLength || *focalLength <= 0) {
        host_.Tell(MessageKind::Error, mainTexts::NotAFocalLength(answer->value));
        return;
    }
    // The table, still as it was, is the snapshot the next Undo restores.
    if (const auto error = WriteFileAtomically(workspace_.SnapshotFile(), LensFileText(lens_)))
        host_.Tell(MessageKind::Error, mainTexts::CannotWrite(*error));
    const unsigned long revision = lens_.Revision();
    const bool scaled = ScaleToFocalLength(lens_, paraxial_, *focalLength, host_);
    if (lens_.Revision() != revision) {
        rowsUndo_.reset();
        blockUndo_.reset();
        cellUndo_.reset();
        fileUndo_ = true;
        TableChanged();
    }
    if (!scaled) {
        host_.Tell(MessageKind::Warning, mainTexts::NoFocus);
        return;
    }
    // The image plane now lies at the new focus, as vitrimo-cli scale writes it.
    ShowFocalLength(true);
    const double reached = lens_.FocalLength();
    if (std::fabs(reached / *focalLength - 1) > 1e-6)
        host_.Tell(MessageKind::Information, mainTexts::FocalLengthOutOfReach(FormatShortest(*focalLength),
                                                                              FormatFocalLength(reached)));
}

void TFLensdata::ChangeAsOneUndoStep(const std::function<void(Lens&)>& change) {
    if (const auto error = WriteFileAtomically(workspace_.SnapshotFile(), LensFileText(lens_)))
        host_.Tell(MessageKind::Error, mainTexts::CannotWrite(*error));
    change(lens_);
    rowsUndo_.reset();
    blockUndo_.reset();
    cellUndo_.reset();
    fileUndo_ = true;
    lens_.MarkChanged();
    TableChanged();
}

void TFLensdata::InsertWavelengthCommand() {
    GlassCatalogues catalogues(workspace_, programDataDir_.toStdString(), &bench_.AddedGlass());
    const int inserted = InsertNewWavelength(
        lens_, catalogues, host_, [this] { return PrepareForCalculation() != Readiness::Cancelled; });
    if (inserted > 0) {
        AfterTableReplaced();
        lens_.MarkChanged();
        TableChanged();
    }
}

bool TFLensdata::CrossSectionCommand() {
    const Readiness readiness = PrepareForCalculation();
    if (readiness == Readiness::Cancelled) return false;
    if (readiness == Readiness::Ready) return true;
    if (host_.Ask(MessageKind::Warning, mainTexts::NoFocusShowFigure, ButtonYes | ButtonNo) != ButtonYes)
        return false;
    const auto answer = host_.AskText(mainTexts::ScaleOfFigure, mainTexts::InputSizeOfLens, "0");
    if (!answer) return false;
    const auto size = ParseNumber(*answer);
    if (!size) {
        host_.Tell(MessageKind::Error, mainTexts::NotANumber(*answer));
        return false;
    }
    if (*size <= 0) return false;
    // A lens without a focus is drawn at the size typed, with the image plane two sizes behind it.
    lens_.SetNominalImage(*size);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Enabling

int TFLensdata::FreeVariableCount() const {
    int count = 0;
    const int rows = lens_.RowCount();
    for (int row = 2; row <= rows - 2; ++row)
        count += (lens_.Text(col::RFix, row).empty() ? 1 : 0) + (lens_.Text(col::LFix, row).empty() ? 1 : 0);
    if (rows >= 3 && lens_.Text(col::RFix, rows - 1).empty()) ++count;
    return count;
}

void TFLensdata::UpdateCommands() {
    UpdateUndo();
    UpdateFaceCommands();
    const bool picking = pick_ != Pick::None;
    for (const char* name : {"actShiftTilt", "actReenter", "actSameCurvature"})
        Action(name)->setEnabled(!picking);
}

} // namespace vitrimo
