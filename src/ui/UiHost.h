// What the windows need from the person at the screen, beyond what calculations ask: file names, a font,
// the help and the about box. The program answers with Qt dialogs (QtHost); tests with a script.
#pragma once

#include "model/Host.h"

#include <QFont>
#include <QString>
#include <optional>

class QWidget;

namespace vitrimo {

// A file dialog's filter in the classic "description|pattern|description|pattern" form.
struct FileFilter {
    QString text;
};

class UiHost : public Host {
public:
    // The chosen file, or an empty text when cancelled.
    virtual QString OpenFileName(const Wording& title, const QString& directory,
                                 const FileFilter& filter) = 0;
    // Asks before overwriting an existing file. No extension is added to a typed name.
    virtual QString SaveFileName(const Wording& title, const QString& directory, const FileFilter& filter,
                                 const QString& fileName) = 0;
    virtual std::optional<QFont> ChooseFont(const QFont& current) = 0;
    // Opens the help: its contents for topic 0, else the page of that topic.
    virtual void ShowHelp(int topic) = 0;
    virtual void ShowAbout() = 0;
};

} // namespace vitrimo
