#include "core/archive/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}

QString withSeparator(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return withSeparator(QCoreApplication::applicationDirPath());
}

void setOverride(const QString& folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : withSeparator(QDir(folder).absolutePath());
}

} // namespace ProgramFolder
