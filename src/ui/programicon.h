#pragma once

class QIcon;

namespace tavelon {

// The program's icon in every size it is drawn in, for the window and its dialogs.
QIcon programIcon();

// The desktop id the desktop entry, the icon and the AppStream metadata are named after.
const char *desktopId();

} // namespace tavelon
