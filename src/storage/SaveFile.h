#pragma once
#include <QSaveFile>

// Puts a file written aside in place only when every byte written reached
// it. Qt's commit() flushes its write buffer without checking that flush, so
// a disk that fills up at the end (a small file is still wholly in the
// buffer then) would rename the cut file over the old one and report success.
inline bool commitWhole(QSaveFile& file)
{
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
