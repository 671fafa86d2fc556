// The program's own help window: the HTML pages of the help folder in a text browser, with Back,
// Forward and Contents. It needs no web browser, so help works on every machine the program runs on.
//
// A help topic is a number N: the page of the help folder that holds the element with id "topic-N" opens
// at that element; topic 0 is the contents page (index.html).
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace vitrimo {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QString helpDirectory, QWidget* parent = nullptr);

    // Shows the window at a topic (0: the contents).
    void ShowTopic(int topic);
    // The page and anchor a topic opens, as a file URL with the anchor as its fragment; the contents page
    // when no page holds the topic.
    QUrl TopicUrl(int topic) const;

    QTextBrowser* Browser() const { return browser_; }

private:
    QString directory_;
    QTextBrowser* browser_ = nullptr;
};

} // namespace vitrimo
