#pragma once

namespace kinora {

// Installs Qt's own German texts (standard buttons, context menus, key names, the command-line
// parser's help and errors) from Qt's translations folder, whatever the machine's locale, once
// per application. False when they are not installed there (Debian: qt6-translations-l10n);
// Qt's texts then stay English.
bool LoadGermanQtTranslations();

} // namespace kinora
