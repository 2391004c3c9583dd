#pragma once
#include <QString>

#include <optional>

class QWidget;

// A collection named from outside the program (its command line, the file
// manager, a drop on the start window), made ready for the record sheet: one
// in the program folder opens as it is; one elsewhere is offered for copying
// into the program folder with its photos and attachments; a file that is no
// archive is explained. The boxes are owned by `parent`.
namespace OpenFromOutside {

struct Archive {
    QString path; // in the program folder
    QString name; // the archive name, as the open window hands it to the sheet
};

std::optional<Archive> prepare(QWidget* parent, const QString& path);

// The messages, for the tests that answer them.
QString missingMessage(const QString& path);
QString partialRecordMessage(const QString& path, qint64 size);
QString malformedRecordMessage(const QString& path);
QString copyQuestion(const QString& path, const QString& name, int photos, int attachments);

} // namespace OpenFromOutside
