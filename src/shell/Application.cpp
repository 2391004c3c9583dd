#include "shell/Application.h"

#include <exception>

#include "ui/Dialogs.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Miniarca Pro"));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        Dialogs::error(activeWindow(), QString::fromUtf8(failure.what()));
    } catch (...) {
        Dialogs::error(activeWindow(), QStringLiteral("Errore imprevisto."));
    }
    return false;
}
