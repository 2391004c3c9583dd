#pragma once
#include <QString>
#include <QStringList>

#include "core/archive/Failure.h"

// The set of archives: there is no register, an archive exists exactly as
// long as its file, the archive name followed by ".dbm", lies in the program
// folder. The windows that create, list and delete archives ask here; what
// they tell the collector stays theirs.
namespace Catalogue {

// Characters a file name cannot or should not carry; the create window's
// name field swallows them as they are typed.
bool isRefusedCharacter(QChar c);

enum class NameCheck {
    Fine,
    Empty,        // nothing left once trimmed
    HasSeparator, // a slash, a backslash or a NUL: the file would land outside the program folder
    TooLong       // the file name would not fit the file system's 255 bytes
};

// Judges an archive name that is already trimmed. Typing cannot enter a
// separator, pasting can.
NameCheck checkName(const QString& name);

// Program folder + name + ".dbm"; the extension is always lower case.
QString archivePath(const QString& name);

// The archive name of a listed file name: the text without its last four
// characters (the ".dbm").
QString nameOfEntry(const QString& entry);

enum class CreateResult {
    Created,       // an empty file, zero bytes: an archive with no records
    AlreadyExists, // a file of that path was there and is left untouched
    Failed         // the folder refused the file
};

// On failure `failure` (when given) says why.
CreateResult create(const QString& path, TFailure* failure = nullptr);

// The file names (with their extension) of the archives in the program
// folder itself, not in its subfolders, in the folder's own order.
QStringList list();

// Deletes the archive file; only the file: its photos and attachment copies
// stay in their folders. A leftover journal of an interrupted write beside it
// (TArchivio::JournalPath) goes with it, and so do the gallery's thumbnails
// of its photos (CompanionFiles::thumbnailFolder). True when the archive file is gone.
bool remove(const QString& path);

} // namespace Catalogue
