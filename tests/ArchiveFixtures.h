#pragma once
// Archives for the tests, without widgets: written whole from a list of
// cards, grown by one card, and read back card by card.
#include <QFile>
#include <QList>
#include <QString>

#include "storage/Archivio.h"

// A fresh archive at `path` holding `records`, in order.
inline void writeRecords(const QString& path, const QList<TScheda>& records)
{
    QFile::remove(path);
    TArchivio archive;
    archive.ApriArchivio(path);
    for (const TScheda& record : records)
        archive.AccodaScheda(record);
    archive.ChiudiArchivio();
}

// `record` added at the end of the archive at `path`.
inline void appendRecord(const QString& path, const TScheda& record)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    archive.AccodaScheda(record);
    archive.ChiudiArchivio();
}

// Card `n` (from 1) of the archive at `path`, as stored.
inline TScheda recordAt(const QString& path, int n)
{
    TArchivio archive;
    archive.ApriArchivio(path);
    const TScheda record = archive.LeggiScheda(n);
    archive.ChiudiArchivio();
    return record;
}
