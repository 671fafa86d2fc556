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
    // Where the bundled data come from, and under which licences.
    credits_ = new QLabel(this);
    credits_->setObjectName("credits");
    credits_->setTextFormat(Qt::RichText);
    credits_->setWordWrap(true);
    credits_->setText(QStringLiteral(
        "<p>Vitrimo is free software under the GNU General Public License, version 3 or later.</p>"
        "<p><b>Glass catalogues and sample lenses:</b> refractive indices and dispersion formulas of the "
        "Sumita, Ohara, HOYA and Schott glasses from the refractiveindex.info database "
        "(M. N. Polyanskiy, \"Refractiveindex.info database of optical constants\", Scientific Data 11, "
        "94 (2024)), dedicated to the public domain under CC0 1.0; the numbers are the makers' published "
        "catalogue figures.</p>"
        "<p><b>Spectral colours (RGBtable.txt):</b> computed from the CIE 1931 2° colour matching "
        "functions as published in the colour-science library (BSD-3-Clause licence).</p>"
        "<p>See NOTICE-glass-data.md and NOTICE-colour-data.md in the program's data folder.</p>"));
    credits_->setMinimumWidth(420);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(productName_, 0, 1);
    layout->addWidget(version_, 1, 1);
    layout->addWidget(comments_, 2, 1);
    layout->addWidget(credits_, 3, 1);
    layout->addWidget(buttons, 4, 0, 1, 2);
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
QString TAboutBox::Credits() const {
    return credits_->text();
}

} // namespace vitrimo
