#include "ui/TAboutBox.h"

#include "ui/ProgramIcon.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

namespace vitrimo {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    productName_ = new QLabel(QStringLiteral("Vitrimo"), this);
    QFont big = productName_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    productName_->setFont(big);
    version_ = new QLabel(QStringLiteral("Version β0.69"), this);
    comments_ = new QLabel(QStringLiteral("Comment: Many bug may be included "), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(productName_, 0, 1);
    layout->addWidget(version_, 1, 1);
    layout->addWidget(comments_, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TAboutBox::ProductName() const {
    return productName_->text();
}
QString TAboutBox::Version() const {
    return version_->text();
}
QString TAboutBox::Comments() const {
    return comments_->text();
}

} // namespace vitrimo
