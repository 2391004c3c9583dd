#pragma once
#include <QSaveFile>

#include "core/archive/Failure.h"

namespace SaveFile {

// Puts what was written to `file` in place of its target. QSaveFile::commit()
// passes over a failed flush of the buffered bytes, so a write that the file
// system cut short (a full disk, a file-size limit) would replace the target
// with the cut file and report success. The flush is checked first; when it
// fails the target stays as it was. On failure `cause` (when given) gets the
// device's error.
inline bool commit(QSaveFile& file, QString* cause = nullptr)
{
    if (!file.flush()) {
        if (cause)
            *cause = deviceError(file);
        file.cancelWriting();
        return false;
    }
    if (file.commit())
        return true;
    if (cause)
        *cause = deviceError(file);
    return false;
}

// Writes `bytes` as the whole content of `path`, replacing an existing file
// only once the new one is complete.
inline bool writeWhole(const QString& path, const QByteArray& bytes, QString* cause = nullptr)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        if (cause)
            *cause = deviceError(file);
        file.cancelWriting();
        return false;
    }
    return commit(file, cause);
}

} // namespace SaveFile
