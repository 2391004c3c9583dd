#include "gui/shell/Application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <new>

#include "core/archive/Archivio.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FailureMessages.h"
#include "gui/widgets/Look.h"
#include "gui/widgets/Pictures.h"

namespace {

// The program's icon, drawn from its SVG at the sizes docks and title bars
// ask for, so that it does not depend on an icon plugin being installed.
QIcon programIcon()
{
    const QString svg = QStringLiteral(":/desktop/%1.svg").arg(QLatin1String(TApplication::DesktopId));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(Pictures::render(svg, QSize(size, size), Qt::transparent)));
    return icon;
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The name is also the class every window reports to the window system,
    // which the menu entry's StartupWMClass names.
    setApplicationName(QStringLiteral("Miniarca Pro"));
    // One icon for every window and the task bar; the entry's id lets docks,
    // on X11 and Wayland alike, match the windows to the menu entry.
    setWindowIcon(programIcon());
    setDesktopFileName(QLatin1String(DesktopId));
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
    // was. The program's own failures are shown with their usual message, and
    // their cause goes to the log.
    try {
        return QApplication::notify(receiver, event);
    } catch (const EArchivioError& failure) {
        FailureMessages::show(activeWindow(), failure.failure());
    } catch (const std::bad_alloc&) {
        Dialogs::error(activeWindow(), QStringLiteral("Attenzione: la memoria disponibile non è sufficiente per "
                                                      "completare l'operazione."));
    } catch (...) {
        Dialogs::error(activeWindow(), QStringLiteral("Attenzione: si è verificato un errore imprevisto.\r\n\r\n"
                                                      "L'operazione non è stata completata."));
    }
    return false;
}
