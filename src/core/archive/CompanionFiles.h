#pragma once
#include <QString>

#include <functional>

// The files that belong to the records of an archive without living inside
// it: two photos per record in the photo folder, named after the archive and
// the record number, and attachment copies in one shared folder. Every path
// is built from the program folder by concatenation.
namespace CompanionFiles {

enum class Photo { A, B };

// Program folder + "Foto_Modellini" (no trailing separator).
QString photoFolder();

// Photo folder + "/" + archive name + "_Foto_A_" (or "_Foto_B_") + record
// number in decimal + ".jpg"; the name is trimmed first, so record 12 of
// " Ferrovie " is Ferrovie_Foto_A_12.jpg.
QString photoPath(Photo which, const QString& archiveName, qint32 record);

// Creates the photo folder with every missing parent; an existing folder is
// left as it is. False when it cannot be made a folder.
bool ensurePhotoFolder();

// The gallery's thumbnails: a hidden folder inside the photo folder, one
// folder per archive (its trimmed name), one small JPEG per photo named
// "A_12.jpg" / "B_12.jpg". Disposable: anything in it may be made again.
QString thumbnailFolder();
QString thumbnailFolder(const QString& archiveName);
QString thumbnailPath(Photo which, const QString& archiveName, qint32 record);

// Forgets the thumbnails of a whole archive (it is deleted), or of one
// record (its photos were written). Nothing happens for an empty name.
void removeThumbnails(const QString& archiveName);
void removeThumbnails(const QString& archiveName, qint32 record);

// Program folder + "Documenti_Allegati/" (with trailing separator).
QString attachmentsFolder();

// Attachments folder + the trimmed bare name.
QString attachmentPath(const QString& name);

enum class CopyResult {
    Copied,   // the picked file is now in the attachments folder
    Declined, // a file of that name was there and the user kept it
    SameFile, // the picked file is the copy itself: nothing to do, left intact
    Failed    // folder not creatable, source unreadable or destination not writable
};

// Asked before a copy replaces the file at `existing`: true to replace it.
// The window asks the collector in its own words.
using OverwriteAsk = std::function<bool(const QString& existing)>;

// Copies `source` into the attachments folder under the trimmed `bareName`,
// creating the folder when missing. A file already there is replaced only
// when `ask` says so, and only once the new copy is complete, so a failed
// copy never destroys the file that was there.
CopyResult copyIntoAttachments(const QString& source, const QString& bareName, const OverwriteAsk& ask);

} // namespace CompanionFiles
