// The program on the desktop: the files the build gathers for the user's
// application menu, checked by the freedesktop.org tools, and `make desktop`
// / `make undesktop` (tools/desktop_menu.sh) in a data folder of their own.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "DesktopEntry.h"

namespace {

const QString kId = QStringLiteral("org.miniarca.MiniarcaPro");
const QString kGathered = QStringLiteral(MINIARCA_DESKTOP_DIR);
const QList<int> kSizes = {16, 32, 48, 64, 128, 256};

struct Run {
    int exitCode = -1;
    QString output; // standard output and error together
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("did not finish");
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

// Every file below a folder, relative to it, sorted.
QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The files update-mime-database generates from the packages: no file of
// ours, only what the system's tool makes of them.
QStringList withoutMimeDatabase(const QStringList& files)
{
    QStringList kept;
    for (const QString& f : files) {
        if (!f.startsWith(QLatin1String("mime/")) || f.startsWith(QLatin1String("mime/packages/")))
            kept << f;
    }
    return kept;
}

// Every folder below a folder, relative to it, sorted.
QStringList foldersBelow(const QString& folder)
{
    QStringList folders;
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders << QDir(folder).relativeFilePath(it.next());
    folders.sort();
    return folders;
}

// What `make desktop` writes into a data folder.
QStringList installedFiles()
{
    QStringList files = {QStringLiteral("applications/%1.desktop").arg(kId),
                         QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(kId),
                         QStringLiteral("metainfo/%1.metainfo.xml").arg(kId),
                         QStringLiteral("mime/packages/%1.xml").arg(kId)};
    for (const int size : kSizes)
        files << QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kId);
    files.sort();
    return files;
}

// A string value of an entry as a reader takes it: \s \n \t \r \\ undone.
QString unescapeString(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar c = value[++i];
            out += c == u's'   ? QChar(u' ')
                   : c == u'n' ? QChar(u'\n')
                   : c == u't' ? QChar(u'\t')
                   : c == u'r' ? QChar(u'\r')
                               : c;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The arguments of an Exec value as a launcher splits them: the string
// unescaped, then quoted arguments with \" \` \$ \\ inside, and %% for %.
QStringList execArguments(const QString& value)
{
    const QString line = unescapeString(value);
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < line.size())
                current += line[++i];
            else if (c == u'"')
                quoted = false;
            else if (c == u'%' && i + 1 < line.size() && line[i + 1] == u'%')
                current += line[++i];
            else
                current += c;
        } else if (c == u'"') {
            quoted = any = true;
        } else if (c == u' ') {
            if (any)
                arguments << current;
            current.clear();
            any = false;
        } else if (c == u'%' && i + 1 < line.size() && line[i + 1] == u'%') {
            current += line[++i];
            any = true;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments << current;
    return arguments;
}

// A program folder holding a stand-in for the executable.
bool makeProgramFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QFile program(folder + QStringLiteral("/miniarca"));
    if (!program.open(QIODevice::WriteOnly))
        return false;
    program.write("#!/bin/sh\n");
    program.close();
    return program.setPermissions(program.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

    // `make desktop` or `make undesktop` with this data folder and home.
    Run menu(const QStringList& arguments, const QString& dataHome, const QString& home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (dataHome.isNull())
            environment.remove(QStringLiteral("XDG_DATA_HOME"));
        else
            environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        environment.insert(QStringLiteral("HOME"), home);
        return run(QStringLiteral("sh"), QStringList{QStringLiteral(MINIARCA_DESKTOP_SCRIPT)} + arguments, environment);
    }

    Run install(const QString& programFolder, const QString& dataHome, const QString& home)
    {
        return menu({QStringLiteral("install"), programFolder, kGathered}, dataHome, home);
    }

private slots:
    // The build draws the icon from its SVG at every size of the theme: a
    // square picture, transparent at its corners, drawn in its middle.
    void iconsAtEverySize()
    {
        QVERIFY(QFile::exists(kGathered + QStringLiteral("/icons/hicolor/scalable/apps/%1.svg").arg(kId)));
        for (const int size : kSizes) {
            const QString path = kGathered + QStringLiteral("/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kId);
            const QImage icon(path);
            QVERIFY2(!icon.isNull(), qPrintable(path));
            QCOMPARE(icon.size(), QSize(size, size));
            QVERIFY(icon.hasAlphaChannel());
            QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(icon.pixel(size - 1, 0)), 0);
            QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
        }
    }

    // desktop-file-validate and appstreamcli find nothing to say about the
    // files as installed, even for a program folder whose path a launcher
    // must read with care.
    void validatorsAcceptTheFiles()
    {
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        QVERIFY2(!validate.isEmpty(), "desktop-file-validate is missing (Debian package desktop-file-utils)");
        QVERIFY2(!appstream.isEmpty(), "appstreamcli is missing (Debian package appstream)");

        QTemporaryDir dir;
        const QString programFolder = dir.filePath(QStringLiteral("Modellini \"di\" Anna $HOME `x` \\ 100%"));
        QVERIFY(makeProgramFolder(programFolder));
        const QString data = dir.filePath(QStringLiteral("share"));
        const Run installed = install(programFolder, data, dir.path());
        QVERIFY2(installed.exitCode == 0, qPrintable(installed.output));

        const QString entry = data + QStringLiteral("/applications/%1.desktop").arg(kId);
        const Run entryCheck = run(validate, {entry});
        QVERIFY2(entryCheck.exitCode == 0 && entryCheck.output.trimmed().isEmpty(), qPrintable(entryCheck.output));
        QCOMPARE(execArguments(entryKeys(entry).value(QStringLiteral("Exec"))),
                 (QStringList{programFolder + QStringLiteral("/miniarca"), QStringLiteral("%f")}));
        QCOMPARE(unescapeString(entryKeys(entry).value(QStringLiteral("TryExec"))),
                 programFolder + QStringLiteral("/miniarca"));

        const Run metainfoCheck = run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                  data + QStringLiteral("/metainfo/%1.metainfo.xml").arg(kId)});
        QVERIFY2(metainfoCheck.exitCode == 0, qPrintable(metainfoCheck.output));
        // Errors, warnings and infos; only the pedantic remarks are allowed.
        static const QRegularExpression remark(QStringLiteral("^[EWI]: "), QRegularExpression::MultilineOption);
        QVERIFY2(!metainfoCheck.output.contains(remark), qPrintable(metainfoCheck.output));
    }

    // The entry names the program folder's executable, the icon and the
    // description by the one id, with the keys a menu needs.
    void entryContents()
    {
        QTemporaryDir dir;
        const QString programFolder = dir.filePath(QStringLiteral("Miniarca"));
        QVERIFY(makeProgramFolder(programFolder));
        const QString data = dir.filePath(QStringLiteral("share"));
        QCOMPARE(install(programFolder, data, dir.path()).exitCode, 0);
        const auto keys = entryKeys(data + QStringLiteral("/applications/%1.desktop").arg(kId));
        QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("Miniarca Pro"));
        QVERIFY(!keys.value(QStringLiteral("Comment")).isEmpty());
        QVERIFY(!keys.value(QStringLiteral("Comment[it]")).isEmpty());
        QVERIFY(keys.value(QStringLiteral("Comment")) != keys.value(QStringLiteral("Comment[it]")));
        QCOMPARE(keys.value(QStringLiteral("Icon")), kId);
        QCOMPARE(keys.value(QStringLiteral("Categories")), QStringLiteral("Office;Database;"));
        QVERIFY(!keys.value(QStringLiteral("Keywords")).isEmpty());
        QCOMPARE(keys.value(QStringLiteral("StartupWMClass")), QStringLiteral("Miniarca Pro"));
        QCOMPARE(keys.value(QStringLiteral("Terminal")), QStringLiteral("false"));
        QCOMPARE(execArguments(keys.value(QStringLiteral("Exec"))),
                 (QStringList{programFolder + QStringLiteral("/miniarca"), QStringLiteral("%f")}));
        const QByteArray metainfo = [&] {
            QFile f(data + QStringLiteral("/metainfo/%1.metainfo.xml").arg(kId));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(metainfo.contains("<id>org.miniarca.MiniarcaPro</id>"));
        QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">org.miniarca.MiniarcaPro.desktop</launchable>"));
        QVERIFY(metainfo.contains("<mediatype>application/x-miniarca-collection</mediatype>"));
        QCOMPARE(keys.value(QStringLiteral("MimeType")), QStringLiteral("application/x-miniarca-collection;"));
    }

    // After `make desktop` the file manager's lookup (xdg-mime, outside any
    // desktop session) calls a collection ours, and the entry opens it; after
    // `make undesktop` nothing of ours is left, while another program's type
    // in the same MIME database stays known.
    void collectionFileType()
    {
        const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        QVERIFY2(!xdgMime.isEmpty(), "xdg-mime is missing (Debian package xdg-utils)");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty(),
                 "update-mime-database is missing (Debian package shared-mime-info)");
        QTemporaryDir dir;
        const QString programFolder = dir.filePath(QStringLiteral("Miniarca"));
        QVERIFY(makeProgramFolder(programFolder));
        const QString data = dir.filePath(QStringLiteral("share"));
        // Another program's type, registered before ours.
        const QString other = data + QStringLiteral("/mime/packages/altro.xml");
        QVERIFY(QDir().mkpath(QFileInfo(other).path()));
        {
            QFile f(other);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(
                "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">"
                "<mime-type type=\"application/x-altro\"><comment>Altro</comment><glob pattern=\"*.altro\"/>"
                "</mime-type></mime-info>\n");
        }
        // A collection of one card, and another program's file of the same kind.
        QFile collection(dir.filePath(QStringLiteral("Navi.dbm")));
        QVERIFY(collection.open(QIODevice::WriteOnly));
        collection.write(QByteArray(3446, '\0'));
        collection.close();
        QFile foreign(dir.filePath(QStringLiteral("dati.altro")));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("x");
        foreign.close();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
        environment.insert(QStringLiteral("HOME"), dir.path());
        environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        environment.remove(QStringLiteral("DESKTOP_SESSION"));
        environment.remove(QStringLiteral("KDE_FULL_SESSION"));
        environment.remove(QStringLiteral("GNOME_DESKTOP_SESSION_ID"));
        const auto typeOf = [&](const QString& file) {
            return run(xdgMime, {QStringLiteral("query"), QStringLiteral("filetype"), file}, environment)
                .output.trimmed();
        };

        QCOMPARE(install(programFolder, data, dir.path()).exitCode, 0);
        QCOMPARE(typeOf(collection.fileName()), QStringLiteral("application/x-miniarca-collection"));
        QCOMPARE(typeOf(foreign.fileName()), QStringLiteral("application/x-altro"));
        QFile cache(data + QStringLiteral("/applications/mimeinfo.cache"));
        if (cache.open(QIODevice::ReadOnly))
            QVERIFY(cache.readAll().contains("application/x-miniarca-collection=org.miniarca.MiniarcaPro.desktop"));

        QCOMPARE(menu({QStringLiteral("uninstall")}, data, dir.path()).exitCode, 0);
        QVERIFY(typeOf(collection.fileName()) != QStringLiteral("application/x-miniarca-collection"));
        QCOMPARE(typeOf(foreign.fileName()), QStringLiteral("application/x-altro"));
        QStringList ours;
        for (const QString& file : filesBelow(data)) {
            QFile f(data + QLatin1Char('/') + file);
            if (file.contains(QLatin1String("miniarca"), Qt::CaseInsensitive)
                || (f.open(QIODevice::ReadOnly) && f.readAll().contains("miniarca")))
                ours << file;
        }
        QCOMPARE(ours, QStringList());
    }

    // Install, install again from the moved program folder, uninstall: the
    // listing of a data folder that already held another program's files.
    void installMoveAndUninstall()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("share"));
        const QStringList foreign = {QStringLiteral("applications/other.desktop"),
                                     QStringLiteral("icons/hicolor/48x48/apps/other.png")};
        for (const QString& file : foreign) {
            QVERIFY(QDir().mkpath(QFileInfo(data + QLatin1Char('/') + file).path()));
            QFile f(data + QLatin1Char('/') + file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("altro programma\n");
        }
        const QStringList foldersBefore = foldersBelow(data);
        const bool databaseTool = !QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty();
        QStringList expected = installedFiles() + foreign;
        if (databaseTool)
            expected << QStringLiteral("applications/mimeinfo.cache");
        expected.sort();

        const QString first = dir.filePath(QStringLiteral("Programmi/Miniarca"));
        QVERIFY(makeProgramFolder(first));
        const Run installed = install(first, data, dir.path());
        QVERIFY2(installed.exitCode == 0, qPrintable(installed.output));
        QCOMPARE(withoutMimeDatabase(filesBelow(data)), expected);
        const QString entry = data + QStringLiteral("/applications/%1.desktop").arg(kId);
        QCOMPARE(execArguments(entryKeys(entry).value(QStringLiteral("Exec"))),
                 (QStringList{first + QStringLiteral("/miniarca"), QStringLiteral("%f")}));
        for (const int size : kSizes) {
            const QString png = QStringLiteral("/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kId);
            QCOMPARE(QFileInfo(data + png).size(), QFileInfo(kGathered + png).size());
        }

        // The folder moves; running it again points the entry at the new place.
        const QString moved = dir.filePath(QStringLiteral("Chiavetta USB/Miniarca Pro"));
        QVERIFY(QDir().mkpath(QFileInfo(moved).path()));
        QVERIFY(QDir().rename(first, moved));
        QCOMPARE(install(moved, data, dir.path()).exitCode, 0);
        QCOMPARE(withoutMimeDatabase(filesBelow(data)), expected);
        QCOMPARE(execArguments(entryKeys(entry).value(QStringLiteral("Exec"))),
                 (QStringList{moved + QStringLiteral("/miniarca"), QStringLiteral("%f")}));

        const Run removed = menu({QStringLiteral("uninstall")}, data, dir.path());
        QVERIFY2(removed.exitCode == 0, qPrintable(removed.output));
        QCOMPARE(filesBelow(data), foreign);
        QCOMPARE(foldersBelow(data), foldersBefore);
    }

    // In a data folder that did not exist, uninstall leaves no trace; with
    // XDG_DATA_HOME unset the files go to ~/.local/share.
    void uninstallLeavesNothing_data()
    {
        QTest::addColumn<bool>("defaultFolder");
        QTest::newRow("XDG_DATA_HOME set") << false;
        QTest::newRow("XDG_DATA_HOME unset") << true;
    }

    void uninstallLeavesNothing()
    {
        QFETCH(bool, defaultFolder);
        QTemporaryDir dir;
        const QString programFolder = dir.filePath(QStringLiteral("Miniarca"));
        QVERIFY(makeProgramFolder(programFolder));
        const QString home = dir.filePath(QStringLiteral("casa"));
        QVERIFY(QDir().mkpath(home));
        const QString data = defaultFolder ? home + QStringLiteral("/.local/share")
                                           : dir.filePath(QStringLiteral("dati/utente/share"));
        const Run installed = install(programFolder, defaultFolder ? QString() : data, home);
        QVERIFY2(installed.exitCode == 0, qPrintable(installed.output));
        for (const QString& file : installedFiles())
            QVERIFY2(QFile::exists(data + QLatin1Char('/') + file), qPrintable(file));

        QCOMPARE(menu({QStringLiteral("uninstall")}, defaultFolder ? QString() : data, home).exitCode, 0);
        QCOMPARE(QDir(home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("dati"))));
        // Nothing to remove is no failure.
        QCOMPARE(menu({QStringLiteral("uninstall")}, defaultFolder ? QString() : data, home).exitCode, 0);
    }

    // Without a laid-out program folder or the build's files nothing is
    // written and the user is told what to run.
    void refusesWithoutTheProgram()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("share"));
        const QString empty = dir.filePath(QStringLiteral("vuota"));
        QVERIFY(QDir().mkpath(empty));
        const Run noProgram = install(empty, data, dir.path());
        QVERIFY(noProgram.exitCode != 0);
        QVERIFY2(noProgram.output.contains(QStringLiteral("make install")), qPrintable(noProgram.output));

        const QString programFolder = dir.filePath(QStringLiteral("Miniarca"));
        QVERIFY(makeProgramFolder(programFolder));
        const Run noBuild = menu({QStringLiteral("install"), programFolder, dir.filePath(QStringLiteral("nessuna"))},
                                 data, dir.path());
        QVERIFY(noBuild.exitCode != 0);
        QVERIFY(!QFileInfo::exists(data));
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "test_desktop.moc"
