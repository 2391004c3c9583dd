#pragma once
#include <QString>

class QFileDevice;

// What failed, on which file, and why in the system's own words. The core
// hands it up, thrown inside EArchivioError or returned; the window that
// tells the collector chooses the words it shows and writes this to the log,
// so that a report of a failed save can say why.
struct TFailure {
    enum class Operation {
        // An archive file and what is written under its lock.
        OpenArchive,
        CloseArchive,
        CountCards,
        ReadCards,
        WriteCard,
        AppendCards,
        UndoAppend,
        LockArchive,
        History,
        CreateArchive,
        Bin,
        // The files beside the archives.
        PhotoFolder,
        WritePhoto,
        ReadPasswords,
        WritePasswords,
        Export,
    };

    Operation operation = Operation::OpenArchive;
    QString path;
    QString cause;
};

// A short English name of the operation, for the log: "write-card".
QString operationName(TFailure::Operation operation);

// One line for the log: "write-card /x/Navi.dbm: Permission denied".
QString describe(const TFailure& failure);

// The system's text for an errno value.
QString systemError(int error);

// What a file device says went wrong: its text and QFileDevice::FileError.
QString deviceError(const QFileDevice& file);
