#pragma once
#include "core/history/CardHistory.h"

#include <QString>

// What the archive's batch appends need of the card history besides
// TRecorder: a batch that is taken back, cut or failed before its journal
// went, takes its cards' entries back with it.
namespace CardHistory {

// Drops the entries at the end of the history that the journal `journalId`
// protected as `kind`, after cutting off an entry left half written; returns
// how many went. Under the archive's exclusive lock. Throws EArchivioError
// when the history cannot be written.
int dropTrailing(const QString& archivePath, quint32 journalId, Kind kind);

} // namespace CardHistory
