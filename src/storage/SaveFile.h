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

} // namespace SaveFile
