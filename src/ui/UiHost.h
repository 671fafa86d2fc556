// What the windows need from the person at the screen, beyond what calculations ask: file names, a font,
// the help and the about box. The program answers with Qt dialogs (QtHost); tests with a script.
#pragma once

#include "model/Host.h"

#include <QFont>
#include <QString>
#include <optional>

class QPrinter;
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
    // One of two choices under a prompt (the light-source dialog): 1 or 2; `current` when cancelled.
    virtual int AskChoice(const Wording& caption, const Wording& prompt, const Wording& first,
                          const Wording& second, int current) = 0;
    // A number with its unit ("mm", "nm"), and for angles a minutes field. nullopt when cancelled.
    struct NumberAnswer {
        std::string value;
        std::string minutes;
    };
    virtual std::optional<NumberAnswer> AskNumber(const Wording& caption, const Wording& prompt,
                                                  const std::string& value, const std::string& unit,
                                                  bool withMinutes, const std::string& minutes = "0") = 0;
    // An integer between limits (pen width, steps). nullopt when cancelled.
    virtual std::optional<int> AskInteger(const Wording& caption, const Wording& prompt, int value,
                                          int minimum, int maximum) = 0;
    // The colour dialog; nullopt when cancelled. Colours are 0x00BBGGRR.
    virtual std::optional<unsigned> ChooseColour(unsigned current) = 0;
    // The print dialog over `printer`: true when the user confirmed it, the printer then set up as
    // chosen (without a printer installed the dialog offers a PDF file); false when cancelled.
    virtual bool ChoosePrinter(QPrinter& printer) = 0;
    // Opens the help: its contents for topic 0, else the page of that topic.
    virtual void ShowHelp(int topic) = 0;
    virtual void ShowAbout() = 0;
};

} // namespace vitrimo
