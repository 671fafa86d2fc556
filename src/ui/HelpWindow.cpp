#include "ui/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace vitrimo {

HelpWindow::HelpWindow(QString helpDirectory, QWidget* parent)
    : QWidget(parent, Qt::Window), directory_(std::move(helpDirectory)) {
    setObjectName("HelpWindow");
    setWindowTitle(QStringLiteral("Vitrimo Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("helpBrowser");
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    browser_->setSearchPaths({directory_});

    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* forward = new QPushButton(QStringLiteral("Forward"), this);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(0); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
    resize(760, 640);
}

QUrl HelpWindow::TopicUrl(int topic) const {
    const QDir dir(directory_);
    QUrl url = QUrl::fromLocalFile(dir.filePath(QStringLiteral("index.html")));
    if (topic <= 0) return url;
    const QByteArray anchor = QStringLiteral("id=\"topic-%1\"").arg(topic).toUtf8();
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile page(dir.filePath(name));
        if (!page.open(QIODevice::ReadOnly) || !page.readAll().contains(anchor)) continue;
        url = QUrl::fromLocalFile(dir.filePath(name));
        url.setFragment(QStringLiteral("topic-%1").arg(topic));
        return url;
    }
    return url;
}

void HelpWindow::ShowTopic(int topic) {
    browser_->setSource(TopicUrl(topic));
    show();
    raise();
    activateWindow();
}

} // namespace vitrimo
