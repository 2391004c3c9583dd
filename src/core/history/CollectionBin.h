#pragma once
#include <QDateTime>
#include <QString>

#include "core/archive/Failure.h"

#include <vector>

// The bin of deleted collections: "Cestino" in the program folder. Deleting
// a collection moves it whole into a folder of its own there,
// "<name>-<yyyy-MM-dd hh.mm.ss>": the archive and everything beside it named
// after it (journal, history and its photos), its photo files in
// "Foto_Modellini" and the attachment copies only its cards name. Nothing
// leaves the bin by itself.
//
// A rename is used where the file system allows it; where it does not (the
// bin on another disk), each file is copied, read back and compared, and
// only then removed. Everything is moved under the archive's exclusive lock,
// so that no workstation writes the collection meanwhile.
namespace CollectionBin {

QString folder();

struct TDeleted {
    QString path; // its folder in the bin
    QString name; // the collection's name
    QDateTime deleted;
    qint32 cards = 0;
};

// Moves the collection `name` (its archive is program folder + name +
// ".dbm") into the bin. True when its archive is no longer in the program
// folder; on failure what was moved already is put back. The gallery's
// thumbnails of it are dropped, not binned: they are made again when wanted.
// Every failure here says in `failure` (when given) what would not move and why.
bool moveToBin(const QString& name, TFailure* failure = nullptr);

// The deleted collections, newest first.
std::vector<TDeleted> list();

enum class RestoreResult {
    Restored,
    NameTaken, // an archive of that name is in the program folder: nothing moved
    Failed,
};

// Puts `deleted` back whole under `asName` (its own name, or another the
// collector chose), renaming its files to match.
RestoreResult restore(const TDeleted& deleted, const QString& asName, TFailure* failure = nullptr);

// Removes everything in the bin. True when it is empty.
bool empty(TFailure* failure = nullptr);

// Test seam, process-wide: true makes every rename fail as across file
// systems, so that moves copy. Returns the value it replaces.
bool setRenameRefused(bool refused);

} // namespace CollectionBin
