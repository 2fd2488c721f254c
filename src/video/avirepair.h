#pragma once

#include <QString>

namespace tavelon {

// Makes an AVI file whose writing stopped half-way (a full disk) playable: cuts it after the last
// complete chunk of its last movie list, and sets the open RIFF and movie list sizes and the frame
// counts of the main and stream headers to what remains. A file whose headers are incomplete
// holds no frame and is cut to 0 bytes. A finished file is left as it is. False when the file
// cannot be opened or changed.
bool trimUnfinishedAvi(const QString &path);

} // namespace tavelon
