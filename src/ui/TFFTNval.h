// The FFT size dialog of the diffraction image ('Ent. pupil dev. No'): the FFT size M, a power of two from
// 64 to 8192 stepped by an up/down control, and the number N of divisions of the entrance pupil, even and
// at most M/2. Stepping M up doubles N, stepping it down halves it.
//
// After each change of M the memory an FFT of that size needs is compared with what the machine has free:
// when even swapping could not provide it, a warning says so and M goes back down a step; when only the
// free physical memory is short, a warning says the calculation will be slow. The warnings go through the
// host, so a test can answer them; the memory figures come from `memoryStatus`, which a test can replace.
#pragma once

#include "evaluation/FftMemory.h"
#include "ui/UiHost.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vitrimo {

class TFFTNval : public QDialog {
    Q_OBJECT
public:
    // How the dialog was left: Execute calculates at once, OK only keeps the values.
    enum class Choice { Execute, Ok, Cancel };

    explicit TFFTNval(UiHost& host, QWidget* parent = nullptr);

    // Shows the dialog with M and N. After Execute or OK, FftSize() and Division() hold the new values;
    // after Cancel, the values it was given.
    Choice Ask(int fftSize, int division);
    int FftSize() const { return fftSize_; }
    int Division() const { return division_; }

    // The up/down control: M doubled or halved within 64 ... 8192, N with it; then the memory check.
    void StepSize(int direction);
    // The division box was left: N = 2 round((N + 0.9) / 2), at most M/2; a negative value or a text that
    // is not a number restores the previous N.
    void DivisionEdited();

    // The machine's free memory; nullopt when it cannot be told (then nothing is checked).
    std::function<std::optional<MemoryStatus>()> memoryStatus = CurrentMemoryStatus;

    // ---- For tests ----
    QLabel* SizeValue() const { return sizeValue_; }
    QLineEdit* DivisionBox() const { return divisionBox_; }
    QPushButton* Button(Choice choice) const;
    QToolButton* SizeButton(int direction) const { return direction > 0 ? sizeUp_ : sizeDown_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void ApplyWording();
    void ShowValues();
    void CheckMemory();
    void Finish(Choice choice);

    UiHost& host_;
    int fftSize_ = 256;
    int division_ = 32;
    int givenSize_ = 256, givenDivision_ = 32;
    Choice choice_ = Choice::Cancel;
    QLabel* sizeLabel_;
    QLabel* sizeValue_;
    QToolButton* sizeUp_;
    QToolButton* sizeDown_;
    QLabel* divisionLabel_;
    QLineEdit* divisionBox_;
    QPushButton* execute_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* help_;
};

} // namespace vitrimo
