#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <optional>

#include "core/archive/ProgramFolder.h"
#include "core/system/SingleInstance.h"
#include "gui/app/WindowSet.h"
#include "gui/shell/Application.h"

namespace {

// The toolkit's own options (-platform offscreen, -style...) are the
// toolkit's business: left out of what the program's parser sees.
QStringList withoutToolkitOptions(const QStringList& arguments)
{
    static const QStringList withValue = {QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
                                          QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
                                          QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
                                          QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
                                          QStringLiteral("display"),         QStringLiteral("geometry"),
                                          QStringLiteral("style"),           QStringLiteral("stylesheet")};
    static const QStringList flags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                      QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool single = a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1String("--"));
        if (i > 0 && single && withValue.contains(a.mid(1))) {
            ++i;
            continue;
        }
        if (i > 0 && single && flags.contains(a.mid(1)))
            continue;
        kept << a;
    }
    return kept;
}

// The command line, read before any window exists, so that --help and
// --version answer without a display. Empty when the program is to end.
std::optional<QString> readCommandLine(int& exitCode)
{
    QCoreApplication::setApplicationName(QStringLiteral("miniarca"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MINIARCA_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Miniarca Pro: il catalogo delle collezioni di modellini, con foto e dati di ogni pezzo."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra questo aiuto ed esce."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Mostra la versione del programma ed esce."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Archivio di modellini (.dbm) da aprire dopo l'accesso."),
                                 QStringLiteral("[FILE]"));
    if (!parser.parse(withoutToolkitOptions(QCoreApplication::arguments()))) {
        std::fprintf(stderr, "miniarca: %s\n", qPrintable(parser.errorText()));
        std::fprintf(stderr, "Usare miniarca --help per l'elenco delle opzioni.\n");
        exitCode = 2;
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        std::printf("Miniarca Pro %s\n", MINIARCA_VERSION);
        return std::nullopt;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "miniarca: si può aprire un solo archivio alla volta.\n");
        exitCode = 2;
        return std::nullopt;
    }
    // Absolute now: the working directory plays no part later.
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
}

} // namespace

int main(int argc, char* argv[])
{
    int exitCode = 0;
    std::optional<QString> file;
    {
        // Before any window: --help needs no display, and a program already
        // running in this folder takes the file instead of a second one.
        QCoreApplication probe(argc, argv);
        file = readCommandLine(exitCode);
        if (!file)
            return exitCode;
        if (SingleInstance::handOver(SingleInstance::serverName(ProgramFolder::path()), *file))
            return 0;
    }

    // Windows are drawn in software, without graphics-card acceleration.
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL);
    TApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(MINIARCA_VERSION));
    TWindowSet windows;
    TInstanceServer instances(SingleInstance::serverName(ProgramFolder::path()));
    QObject::connect(&instances, &TInstanceServer::handedOver, &app, [&windows](const QString& handed) {
        if (handed.isEmpty())
            windows.bringForward();
        else
            windows.openFile(handed);
    });
    instances.listen();
    windows.start();
    if (!file->isEmpty())
        windows.openFile(*file);
    return TApplication::exec();
}
