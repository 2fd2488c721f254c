#pragma once

#include <QChar>
#include <QIcon>

namespace tavelon {

// The media symbol a caption character stands for in the Webdings symbol font, drawn as an icon:
// "9" first, "7" previous, "8" next, ":" last, "4" play, "3" play backwards, ";" pause, "<" stop,
// "=" record, "5" up, "6" down, "r" a red cross. A null icon for any other character, which the
// button then shows as text.
QIcon webdingsIcon(QChar c);

} // namespace tavelon
