#pragma once

#include <QStringList>

namespace tavelon {

class MainForm;

// The 22 German texts of the UiText table, entry 0 first. Language files replace them; their
// numbers never change, so unused entries keep their places.
const QStringList &builtInUiTexts();

// Fills the UiText table (the items of lstComments): from the language file named by the key
// "Language" of Halvane.ini when that file exists, otherwise with the built-in texts. Also sets
// state.LanguageName. Runs once at start-up, before the option lists are filled.
void FillLanguageList(MainForm &form);

} // namespace tavelon
