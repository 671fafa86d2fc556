#include "ui/Locale.h"

#include <QLocale>

namespace vitrimo {

QString CountryName() {
    return QLocale::territoryToString(QLocale().territory());
}

bool JapaneseWording() {
    return CountryName() == QStringLiteral("Japan");
}

QString Tr(const Wording& wording) {
    return QString::fromStdString(wording.In(JapaneseWording()));
}

} // namespace vitrimo
