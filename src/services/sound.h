#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavelon {

// The RIFF WAVE image of the embedded sound of that name ("BEEP"; letter case does not matter),
// or an empty array when there is none.
QByteArray resourceSound(const QString &name);

// Plays the embedded sound and returns when it has ended. The flags of the classic call are
// accepted but change nothing: the sound always plays from memory, synchronously, and there is no
// default sound. Without a sound server or device, or for an unknown name, it returns at once.
void PlayResourceSound(const QString &name, std::optional<int> flags = std::nullopt);

} // namespace tavelon
