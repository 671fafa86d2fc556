// The about box: the program's icon, name, version and comment.
#pragma once

#include <QDialog>

class QLabel;

namespace vitrimo {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QString ProductName() const;
    QString Version() const;
    QString Comments() const;

private:
    QLabel* productName_;
    QLabel* version_;
    QLabel* comments_;
};

} // namespace vitrimo
