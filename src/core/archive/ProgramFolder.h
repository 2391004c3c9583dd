#pragma once
#include <QString>

// The program folder: where the executable lives, with a trailing separator.
// Every data path (archives, photos, attachments, password store, guide) is
// built from it by concatenation; the working directory plays no part.
namespace ProgramFolder {

QString path();

// Tests and tools point the program at a scratch folder instead of the
// executable's own one. An empty text goes back to the executable's folder.
void setOverride(const QString& folder);

} // namespace ProgramFolder
