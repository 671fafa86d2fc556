// The desktop program's host: message boxes, input boxes and file dialogs over a parent window.
#pragma once

#include "ui/UiHost.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace vitrimo {

class HelpWindow;

class QtHost : public UiHost {
public:
    explicit QtHost(QString helpDirectory);
    ~QtHost() override;

    // The help window, once the help was asked for (nullptr before).
    HelpWindow* Help() const { return help_.get(); }

    // The window that dialogs belong to.
    void SetParent(QWidget* parent) { parent_ = parent; }
    // The window a dialog is shown over: the program's active window, else the one given to SetParent.
    QWidget* DialogParent() const;

    std::optional<std::string> AskText(const Wording& caption, const Wording& prompt,
                                       const std::string& defaultText) override;
    Button Ask(MessageKind kind, const Wording& text, Buttons buttons, int helpTopic) override;
    bool KeepGoing() override;
    void FocusCell(int column, int row) override;

    QString OpenFileName(const Wording& title, const QString& directory, const FileFilter& filter) override;
    QString SaveFileName(const Wording& title, const QString& directory, const FileFilter& filter,
                         const QString& fileName) override;
    std::optional<QFont> ChooseFont(const QFont& current) override;
    int AskChoice(const Wording& caption, const Wording& prompt, const Wording& first, const Wording& second,
                  int current) override;
    std::optional<NumberAnswer> AskNumber(const Wording& caption, const Wording& prompt,
                                          const std::string& value, const std::string& unit, bool withMinutes,
                                          const std::string& minutes) override;
    std::optional<int> AskInteger(const Wording& caption, const Wording& prompt, int value, int minimum,
                                  int maximum) override;
    std::optional<unsigned> ChooseColour(unsigned current) override;
    bool ChoosePrinter(QPrinter& printer) override;
    void ShowHelp(int topic) override;
    void ShowAbout() override;

    // Called by FocusCell: the main window moves its table cursor there.
    std::function<void(int, int)> focusCell;

private:
    QPointer<QWidget> parent_;
    QString helpDirectory_;
    std::unique_ptr<HelpWindow> help_;
};

// "Lens Data|*.ldt|All Files|*.*" as Qt writes filters: "Lens Data (*.ldt);;All Files (*)".
QString QtFilter(const FileFilter& filter);

// Message texts use CR LF line breaks; on screen a plain line break.
QString ScreenText(const Wording& wording);

} // namespace vitrimo
