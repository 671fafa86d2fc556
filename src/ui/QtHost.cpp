#include "ui/QtHost.h"

#include "ui/HelpWindow.h"
#include "ui/Locale.h"
#include "ui/SmallDialogs.h"
#include "ui/TAboutBox.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

namespace vitrimo {

QString QtFilter(const FileFilter& filter) {
    const QStringList parts = filter.text.split('|');
    QStringList filters;
    for (int k = 0; k + 1 < parts.size(); k += 2) {
        QString pattern = parts[k + 1];
        if (pattern == "*.*") pattern = "*";
        filters << parts[k] + " (" + pattern.replace(';', ' ') + ")";
    }
    return filters.join(";;");
}

QString ScreenText(const Wording& wording) {
    return Tr(wording).replace("\r\n", "\n");
}

QtHost::QtHost(QString helpDirectory) : helpDirectory_(std::move(helpDirectory)) {}

QtHost::~QtHost() = default;

QWidget* QtHost::DialogParent() const {
    // A dialog belongs to the window the user is working in: the active window of the program when
    // there is one (the aberration figure, the wavelength window, ...), else the main window.
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
    return parent_;
}

std::optional<std::string> QtHost::AskText(const Wording& caption, const Wording& prompt,
                                           const std::string& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(DialogParent(), ScreenText(caption), ScreenText(prompt),
                                               QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

Button QtHost::Ask(MessageKind kind, const Wording& text, Buttons buttons, int helpTopic) {
    QMessageBox box(DialogParent());
    // Modal to its own window only: the help window that its Help button opens stays usable.
    box.setWindowModality(box.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setText(ScreenText(text));
    switch (kind) {
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    const std::pair<Button, QMessageBox::StandardButton> map[] = {
        {ButtonYes, QMessageBox::Yes},       {ButtonNo, QMessageBox::No},     {ButtonOk, QMessageBox::Ok},
        {ButtonCancel, QMessageBox::Cancel}, {ButtonHelp, QMessageBox::Help},
    };
    QMessageBox::StandardButtons standard;
    for (const auto& [ours, theirs] : map)
        if (buttons & ours) standard |= theirs;
    if (!standard) standard = QMessageBox::Ok;
    box.setStandardButtons(standard);
    for (;;) {
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        if (clicked == QMessageBox::Help) {
            ShowHelp(helpTopic); // the question stays open, as with any help button
            continue;
        }
        for (const auto& [ours, theirs] : map)
            if (theirs == clicked) return ours;
        return (buttons & ButtonCancel) ? ButtonCancel : (buttons & ButtonNo) ? ButtonNo : ButtonOk;
    }
}

bool QtHost::KeepGoing() {
    // Long work runs on the calculation runner's thread with a host of its own; what runs here is short.
    return true;
}

void QtHost::FocusCell(int column, int row) {
    if (focusCell) focusCell(column, row);
}

QString QtHost::OpenFileName(const Wording& title, const QString& directory, const FileFilter& filter) {
    return QFileDialog::getOpenFileName(DialogParent(), Tr(title), directory, QtFilter(filter));
}

QString QtHost::SaveFileName(const Wording& title, const QString& directory, const FileFilter& filter,
                             const QString& fileName) {
    const QString start = fileName.isEmpty() ? directory : QFileInfo(QDir(directory), fileName).filePath();
    return QFileDialog::getSaveFileName(DialogParent(), Tr(title), start, QtFilter(filter));
}

std::optional<QFont> QtHost::ChooseFont(const QFont& current) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, DialogParent());
    if (!ok) return std::nullopt;
    return font;
}

int QtHost::AskChoice(const Wording& caption, const Wording& prompt, const Wording& first,
                      const Wording& second, int current) {
    TOKRightDlg dialog(DialogParent());
    return dialog.Choose(Tr(caption), Tr(prompt), Tr(first), Tr(second), current);
}

std::optional<UiHost::NumberAnswer> QtHost::AskNumber(const Wording& caption, const Wording& prompt,
                                                      const std::string& value, const std::string& unit,
                                                      bool withMinutes, const std::string& minutes) {
    TFNumInput dialog(DialogParent());
    const auto answer =
        dialog.Ask(Tr(caption), Tr(prompt), QString::fromStdString(value), QString::fromStdString(unit),
                   withMinutes, QString::fromStdString(minutes));
    if (!answer) return std::nullopt;
    return NumberAnswer{answer->value.toStdString(), answer->minutes.toStdString()};
}

std::optional<int> QtHost::AskInteger(const Wording& caption, const Wording& prompt, int value, int minimum,
                                      int maximum) {
    TFSpinEdit dialog(DialogParent());
    return dialog.Ask(Tr(caption), Tr(prompt), value, minimum, maximum);
}

std::optional<unsigned> QtHost::ChooseColour(unsigned current) {
    const QColor start(current & 0xFF, (current >> 8) & 0xFF, (current >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(start, DialogParent());
    if (!chosen.isValid()) return std::nullopt;
    return static_cast<unsigned>(chosen.red()) | static_cast<unsigned>(chosen.green()) << 8 |
           static_cast<unsigned>(chosen.blue()) << 16;
}

bool QtHost::ChoosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

void QtHost::ShowHelp(int topic) {
    // One help window for the program, made when it is first asked for.
    // It has no parent window, so a question with a Help button (modal to its own window only) does not
    // block it.
    if (!help_) help_ = std::make_unique<HelpWindow>(helpDirectory_);
    help_->ShowTopic(topic);
}

void QtHost::ShowAbout() {
    TAboutBox about(DialogParent());
    about.exec();
}

} // namespace vitrimo
