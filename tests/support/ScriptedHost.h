// A Host for tests: answers from a prepared script and records everything it was asked.
#pragma once

#include "model/Host.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vitrimo::test {

class ScriptedHost : public Host {
public:
    // Answers for AskText, in order; nullopt stands for Cancel. When the script runs out, AskText cancels.
    std::deque<std::optional<std::string>> textAnswers;
    // Answers for Ask, in order; when the script runs out, Ask returns the first button offered.
    std::deque<Button> buttonAnswers;

    std::vector<std::string> prompts;  // English prompts of AskText
    std::vector<std::string> messages; // English texts of Ask
    std::vector<std::string> japanesePrompts;
    std::vector<std::pair<int, int>> focusedCells;

    std::optional<std::string> AskText(const Wording&, const Wording& prompt, const std::string&) override {
        prompts.push_back(prompt.english);
        japanesePrompts.push_back(prompt.japanese);
        if (textAnswers.empty()) return std::nullopt;
        auto answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }

    Button Ask(MessageKind, const Wording& text, Buttons buttons, int) override {
        messages.push_back(text.english);
        if (!buttonAnswers.empty()) {
            const Button answer = buttonAnswers.front();
            buttonAnswers.pop_front();
            return answer;
        }
        for (unsigned bit = 1; bit <= ButtonHelp; bit <<= 1)
            if (buttons & bit) return static_cast<Button>(bit);
        return ButtonOk;
    }

    void FocusCell(int column, int row) override { focusedCells.emplace_back(column, row); }
};

} // namespace vitrimo::test
