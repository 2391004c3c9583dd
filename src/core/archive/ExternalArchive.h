#pragma once
#include <QString>
#include <QStringList>

#include "core/archive/CompanionFiles.h"
#include "core/archive/Failure.h"

#include <functional>

// A collection file named from outside the program (on its command line, by
// the file manager, dropped on a window): whether it is an archive at all,
// whether it already lies in the program folder, and bringing a copy of it,
// with the photo and attachment files that belong to it, into the program
// folder under a free name. The original is never moved or changed.
namespace ExternalArchive {

enum class Check {
    Archive,        // whole records, the first one well formed (or no record at all)
    Missing,        // no such file
    Unreadable,     // a folder, or a file that cannot be read
    PartialRecord,  // its length is not a multiple of the record size
    MalformedRecord // a field of its first record claims more bytes than its room
};

Check check(const QString& path);

// True when the file lies in the program folder itself, not in a subfolder.
bool isInProgramFolder(const QString& path);

// The archive name for a copy of `path`: its file name without ".dbm",
// trimmed, with the characters the create window refuses left out; where an
// archive or a photo of that name is already in the program folder, the
// first free "name (2)", "name (3)"...
QString freeName(const QString& path);

// What belongs to the archive at `path` where it sits: the photo files of
// its records in the Foto_Modellini folder beside it and the files its
// records attach, in the Documenti_Allegati folder beside it. Only files that
// are there are listed.
struct Companions {
    QStringList photos;      // full paths
    QStringList attachments; // full paths
};
Companions companionsOf(const QString& path);

enum class CopyResult { Copied, ArchiveFailed };

// Copies the archive into the program folder as `name` + ".dbm" (a file that
// does not exist yet), its photos renamed after `name` into the photo folder,
// its attachments into the attachments folder; an attachment of the same name
// already there is replaced only when `ask` says so. A photo or attachment
// that cannot be copied is left behind; the archive must be copied whole, or
// `failure` (when given) says why not.
CopyResult copyIntoProgramFolder(const QString& path, const QString& name, const Companions& companions,
                                 const CompanionFiles::OverwriteAsk& ask, TFailure* failure = nullptr);

} // namespace ExternalArchive
