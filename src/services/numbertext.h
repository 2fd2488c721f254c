#pragma once

#include <QString>

#include <optional>

namespace tavelon {

// The number value of a text: its leading decimal number (sign and fraction allowed), leading
// blanks skipped; reading stops at the first character that cannot continue the number. A text
// without a leading number gives 0.
double numberValueOf(const QString &text);

// The integer value of a text: its number value rounded to the nearest integer, halves to the even
// neighbour. nullopt outside the 16-bit range -32,768 … 32,767 (such an assignment is skipped).
std::optional<int> integerValueOf(const QString &text);

// Rounds halves to the even neighbour, as the classic integer conversion does.
double roundHalfEven(double v);

} // namespace tavelon
