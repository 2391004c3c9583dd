#pragma once
#include <QString>
#include <QUrl>
#include <functional>

// Hands a file path, web address or "mailto:" link to the desktop, which
// picks the program for it (PDF reader, browser, mail program).
class TMisc {
public:
    // Callers enclose file paths in double quotes; they are removed here. The
    // outcome is never examined: a missing handler fails silently.
    static void Open(const QString& sCommand);

    // What a command becomes for the desktop: a local file, a web address or
    // a mail link.
    static QUrl urlFor(const QString& sCommand);

    // Test seam: replaces the desktop with a recorder of what would have been
    // opened. An empty handler goes back to the desktop.
    using Handler = std::function<void(const QString& sCommand, const QUrl& url)>;
    static void setHandler(Handler handler);
};
