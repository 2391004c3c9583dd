#include "gui/shell/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <new>

#include "core/archive/Archivio.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/Look.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Miniarca Pro"));
    // The toolkit's own texts (the buttons of the message boxes, the file
    // and printer dialogs) in Italian, whatever the system's language; where
    // the system lacks Qt's translations they stay English.
    auto* toolkit = new QTranslator(this);
    if (toolkit->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(toolkit);
    // Dates and amounts follow the program's own conventions before any
    // window exists; nothing resets them.
    Look::applyProcessFormats();
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // The texts of system and library failures are English and technical:
    // the user reads an Italian sentence instead, and the window stays as it
    // was. The program's own failures carry their Italian message.
    try {
        return QApplication::notify(receiver, event);
    } catch (const EArchivioError& failure) {
        Dialogs::error(activeWindow(), failure.Messaggio());
    } catch (const std::bad_alloc&) {
        Dialogs::error(activeWindow(), QStringLiteral("Attenzione: la memoria disponibile non è sufficiente per "
                                                      "completare l'operazione."));
    } catch (...) {
        Dialogs::error(activeWindow(), QStringLiteral("Attenzione: si è verificato un errore imprevisto.\r\n\r\n"
                                                      "L'operazione non è stata completata."));
    }
    return false;
}
