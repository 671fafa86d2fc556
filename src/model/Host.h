// How a calculation talks to the person using the program.
//
// The core never opens a dialog. Whatever a calculation must ask or tell goes through a Host that the
// caller passes in: the desktop program answers with real dialogs, the tests with a scripted host that
// records what was asked, the command-line tool from its options (or by failing with a clear message).
#pragma once

#include <optional>
#include <string>

namespace vitrimo {

// A text in the two wordings the program speaks. The host picks one each time it shows the text; an
// empty Japanese wording means the text exists in English only.
struct Wording {
    std::string english;
    std::string japanese;

    const std::string& In(bool japaneseLocale) const {
        return japaneseLocale && !japanese.empty() ? japanese : english;
    }
};

enum class MessageKind { Warning, Error, Information, Confirmation };

// Buttons of a message dialog; combine with '|'.
enum Button : unsigned {
    ButtonNone = 0,
    ButtonOk = 1u << 0,
    ButtonCancel = 1u << 1,
    ButtonYes = 1u << 2,
    ButtonNo = 1u << 3,
    ButtonHelp = 1u << 4,
};
using Buttons = unsigned;

class Host {
public:
    virtual ~Host() = default;

    // A one-line input box with a caption, a prompt and a default text. Returns nullopt on Cancel.
    virtual std::optional<std::string> AskText(const Wording& caption, const Wording& prompt,
                                               const std::string& defaultText) = 0;

    // A modal message with the given buttons. Returns the button that closed it; closing the dialog
    // without a button counts as Cancel (or as the only button there is).
    virtual Button Ask(MessageKind kind, const Wording& text, Buttons buttons, int helpTopic = 0) = 0;

    // Called at natural boundaries of long work (each surface, each block of rays, each FFT row block,
    // each merit evaluation); false means stop now. A calculation on a worker thread reads the stop
    // request here; it must be cheap and safe to call from that thread.
    virtual bool KeepGoing() { return true; }

    // How far long work has come, 0 ... 100, where a window shows progress. Safe to call from a worker
    // thread.
    virtual void ReportProgress(int /*percent*/) {}

    // Asks the window to put the table cursor on a cell before a question about that cell.
    virtual void FocusCell(int /*column*/, int /*row*/) {}

    void Tell(MessageKind kind, const Wording& text) { Ask(kind, text, ButtonOk); }
};

} // namespace vitrimo
