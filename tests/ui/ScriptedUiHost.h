// A UiHost for window tests: answers from prepared queues, records what the window showed (in the
// wording of the current locale, as a person would have read it).
#pragma once

#include "ui/Locale.h"
#include "ui/UiHost.h"

#include <QPrinter>
#include <QStringList>
#include <deque>

namespace vitrimo::test {

class ScriptedUiHost : public UiHost {
public:
    std::deque<std::optional<std::string>> textAnswers; // nullopt: Cancel; empty queue: Cancel
    std::deque<Button> buttonAnswers;                   // empty queue: the first button offered
    std::deque<QString> openFiles;                      // empty queue: Cancel
    std::deque<QString> saveFiles;
    std::deque<std::optional<QFont>> fonts;
    std::deque<int> choices;                         // empty queue: the current choice (Cancel)
    std::deque<std::optional<NumberAnswer>> numbers; // empty queue: Cancel
    std::deque<std::optional<int>> integers;         // empty queue: Cancel
    std::deque<std::optional<unsigned>> colours;     // empty queue: Cancel
    // The print dialog: each answer is the PDF file the printer writes to; empty queue: Cancel.
    std::deque<QString> printFiles;

    QStringList prompts;
    QStringList messages;
    QStringList dialogTitles;
    QStringList textCaptions; // the captions of the one-line input boxes
    QStringList textDefaults; // the texts they showed
    int printDialogs = 0;
    std::vector<int> helpTopics;
    int aboutShown = 0;

    std::optional<std::string> AskText(const Wording& caption, const Wording& prompt,
                                       const std::string& defaultText) override {
        textCaptions << Tr(caption);
        textDefaults << QString::fromStdString(defaultText);
        prompts << Tr(prompt);
        return Next(textAnswers, std::optional<std::string>());
    }

    Button Ask(MessageKind, const Wording& text, Buttons buttons, int helpTopic) override {
        messages << Tr(text);
        if (helpTopic) helpTopics.push_back(-helpTopic); // remembered, negative: offered, not opened
        if (!buttonAnswers.empty()) return Next(buttonAnswers, ButtonCancel);
        for (unsigned bit = 1; bit <= ButtonHelp; bit <<= 1)
            if (buttons & bit) return static_cast<Button>(bit);
        return ButtonOk;
    }

    QString OpenFileName(const Wording& title, const QString&, const FileFilter&) override {
        dialogTitles << Tr(title);
        return Next(openFiles, QString());
    }

    QString SaveFileName(const Wording& title, const QString&, const FileFilter&, const QString&) override {
        dialogTitles << Tr(title);
        return Next(saveFiles, QString());
    }

    std::optional<QFont> ChooseFont(const QFont&) override { return Next(fonts, std::optional<QFont>()); }
    int AskChoice(const Wording& caption, const Wording& prompt, const Wording&, const Wording&,
                  int current) override {
        dialogTitles << Tr(caption);
        prompts << Tr(prompt);
        return Next(choices, current);
    }
    std::optional<NumberAnswer> AskNumber(const Wording& caption, const Wording& prompt,
                                          const std::string& value, const std::string&, bool,
                                          const std::string&) override {
        dialogTitles << Tr(caption);
        prompts << Tr(prompt);
        numberDefaults << QString::fromStdString(value);
        return Next(numbers, std::optional<NumberAnswer>());
    }
    std::optional<int> AskInteger(const Wording& caption, const Wording& prompt, int, int, int) override {
        dialogTitles << Tr(caption);
        prompts << Tr(prompt);
        return Next(integers, std::optional<int>());
    }
    std::optional<unsigned> ChooseColour(unsigned) override {
        return Next(colours, std::optional<unsigned>());
    }
    bool ChoosePrinter(QPrinter& printer) override {
        ++printDialogs;
        if (printFiles.empty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Next(printFiles, QString()));
        return true;
    }
    QStringList numberDefaults;
    void ShowHelp(int topic) override { helpTopics.push_back(topic); }
    void ShowAbout() override { ++aboutShown; }

private:
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace vitrimo::test
