#include "cli/CliHost.h"

namespace vitrimo {

std::optional<std::string> CliHost::AskText(const Wording&, const Wording& prompt, const std::string&) {
    unanswered_.push_back(prompt.english);
    return std::nullopt;
}

Button CliHost::Ask(MessageKind, const Wording& text, Buttons buttons, int) {
    unanswered_.push_back(text.english);
    if (buttons & ButtonCancel) return ButtonCancel;
    if (buttons & ButtonNo) return ButtonNo;
    return ButtonOk;
}

} // namespace vitrimo
