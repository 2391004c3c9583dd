#include "core/system/TMisc.h"

#include <QDesktopServices>
#include <QDir>

namespace {

TMisc::Handler& handler()
{
    static TMisc::Handler h;
    return h;
}

QString withoutQuotes(const QString& command)
{
    QString text = command.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2).trimmed();
    return text;
}

bool startsWith(const QString& text, const char* prefix)
{
    return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

} // namespace

QUrl TMisc::urlFor(const QString& sCommand)
{
    const QString text = withoutQuotes(sCommand);
    if (text.isEmpty())
        return {};
    if (startsWith(text, "mailto:") || startsWith(text, "http://") || startsWith(text, "https://")
        || startsWith(text, "file:") || startsWith(text, "ftp://"))
        return QUrl(text, QUrl::TolerantMode);
    if (startsWith(text, "www."))
        return QUrl(QStringLiteral("https://") + text, QUrl::TolerantMode);
    // Anything else is a path on this machine (spaces included).
    return QUrl::fromLocalFile(QDir::fromNativeSeparators(text));
}

void TMisc::Open(const QString& sCommand)
{
    const QUrl url = urlFor(sCommand);
    if (handler()) {
        handler()(sCommand, url);
        return;
    }
    if (url.isValid() && !url.isEmpty())
        QDesktopServices::openUrl(url);
}

void TMisc::setHandler(Handler h)
{
    handler() = std::move(h);
}
