#pragma once
#include <QString>

namespace Text {

// Text trimmed as everywhere in the program: every leading and trailing
// character whose code is 32 or less is removed (QString::trimmed() keeps
// control characters that are not white space and removes a no-break
// space, which this rule keeps).
QString trimmed(const QString& text);

} // namespace Text
