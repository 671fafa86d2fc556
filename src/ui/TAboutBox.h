// The about box: the program's icon, name, version and comment, and the credits of its data.
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
    // The sources and licences of the bundled glass and colour data.
    QString Credits() const;

private:
    QLabel* productName_;
    QLabel* version_;
    QLabel* comments_;
    QLabel* credits_;
};

} // namespace vitrimo
