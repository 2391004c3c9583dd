#pragma once
#include <QSaveFile>

namespace SaveFile {

// Puts what was written to `file` in place of its target. QSaveFile::commit()
// passes over a failed flush of the buffered bytes, so a write that the file
// system cut short (a full disk, a file-size limit) would replace the target
// with the cut file and report success. The flush is checked first; when it
// fails the target stays as it was.
inline bool commit(QSaveFile& file)
{
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Writes `bytes` as the whole content of `path`, replacing an existing file
// only once the new one is complete.
inline bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return commit(file);
}

} // namespace SaveFile
