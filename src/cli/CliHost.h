// The host of the command-line tool: nobody is there to answer, so every question is declined and
// remembered, and the command reports it as the reason it could not go on.
#pragma once

#include "model/Host.h"

#include <string>
#include <vector>

namespace vitrimo {

class CliHost : public Host {
public:
    std::optional<std::string> AskText(const Wording& caption, const Wording& prompt,
                                       const std::string& defaultText) override;
    Button Ask(MessageKind kind, const Wording& text, Buttons buttons, int helpTopic) override;

    // The questions and messages the calculation raised, in English, oldest first.
    const std::vector<std::string>& Unanswered() const { return unanswered_; }

private:
    std::vector<std::string> unanswered_;
};

} // namespace vitrimo
