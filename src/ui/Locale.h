// The wording rule: Japanese texts when the user's locale names Japan, English otherwise. It is asked
// each time a text is needed, so a change of the locale shows at once.
#pragma once

#include "model/Host.h"

#include <QString>

namespace vitrimo {

// The English name of the country of the user's locale ("Japan", "United States", ...).
QString CountryName();

bool JapaneseWording();

// The wording of a text for the current locale.
QString Tr(const Wording& wording);

} // namespace vitrimo
