#include "shell/PasswordStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include "shell/Crypt.h"
#include "storage/ProgramFolder.h"

namespace {
const QString kKey = QStringLiteral("Accesso/Valore");
}

namespace PasswordStore {

QString path()
{
    return ProgramFolder::path() + QLatin1String(kFileName);
}

std::optional<QString> readValue(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QString();
    if (!info.isFile() || !info.isReadable())
        return std::nullopt;
    QSettings settings(file, QSettings::IniFormat);
    const QString value = settings.value(kKey).toString();
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    return value;
}

bool writeValue(const QString& file, const QString& value)
{
    // QSettings edits the INI text in a scratch copy, so that entries other
    // than ours survive; the result then replaces the store in one rename.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString draft = scratch.filePath(QStringLiteral("store.ini"));
    if (QFileInfo::exists(file) && !QFile::copy(file, draft))
        return false;
    {
        QSettings settings(draft, QSettings::IniFormat);
        settings.setValue(kKey, value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    QFile text(draft);
    if (!text.open(QIODevice::ReadOnly))
        return false;
    const QByteArray contents = text.readAll();
    QSaveFile store(file);
    if (!store.open(QIODevice::WriteOnly))
        return false;
    if (store.write(contents) != contents.size()) {
        store.cancelWriting();
        return false;
    }
    return store.commit();
}

std::optional<QString> readPassword(const QString& file)
{
    const std::optional<QString> value = readValue(file);
    if (!value)
        return std::nullopt;
    const std::optional<QString> plain = Crypt::Decrypt(*value);
    if (!plain)
        return std::nullopt;
    return ProgramFolder::trimmed(*plain);
}

QString normalised(const QString& typed)
{
    QString text = typed;
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(c.unicode() - u'a' + u'A'));
    return ProgramFolder::trimmed(text);
}

QString refusal(const QString& password)
{
    if (password.size() > kMaxLength)
        return QStringLiteral("Attenzione: la nuova password non può superare i 255 caratteri. "
                              "Scegliere una password più corta.");
    for (QChar c : password)
        if (c.unicode() < 1 || c.unicode() > 255)
            return QStringLiteral("Attenzione: la nuova password contiene caratteri non ammessi. "
                                  "Utilizzare soltanto lettere, cifre e simboli dell'alfabeto latino.");
    return {};
}

} // namespace PasswordStore
