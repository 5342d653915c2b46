// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "base/BilingualText.h"

namespace flowdesk {

// Qt's own texts (the Yes and No of question boxes, the file dialogs'
// "Look in", "File name", "Cancel") in the program's language: French loads
// Qt's French catalogues from Qt's translations folder, English removes
// them. Call at start and whenever the language changes. False when French
// was asked and no catalogue was found (Qt's texts then stay English).
bool installQtTranslations(Language language);

// The folder Qt's catalogues are read from.
QString qtTranslationsFolder();

}  // namespace flowdesk
