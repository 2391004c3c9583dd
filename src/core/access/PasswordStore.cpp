#include "core/access/PasswordStore.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include "core/access/Crypt.h"
#include "core/archive/ProgramFolder.h"
#include "core/archive/SaveFile.h"
#include "core/formats/Text.h"

namespace {

// The store is read by hand rather than through QSettings: QSettings reports
// a damaged file only on its first parse in a process and serves its cache
// afterwards, so the same store answered differently from one login to the
// next. Reading and writing share this one scan, so that a written value
// always reads back as written.

const QByteArray kSection = QByteArrayLiteral("Accesso");
const QByteArray kKey = QByteArrayLiteral("Valore");
const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

// One line of the text: [begin, end) is its content, [end, next) its line end.
struct Line {
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

struct Scan {
    QList<Line> lines;
    QList<qsizetype> values;                      // the Valore lines of [Accesso], by index
    qsizetype header = -1;                        // the first [Accesso] header line
    bool damaged = false;                         // a stray line or a broken section header
    bool ambiguous = false;                       // a Valore line after a broken section header
    QByteArray lineEnd = QByteArrayLiteral("\n"); // the file's own, for new lines
};

QByteArray contentOf(const QByteArray& text, const Line& line)
{
    return text.mid(line.begin, line.end - line.begin).trimmed();
}

Scan scan(const QByteArray& text)
{
    enum class Section { Other, Accesso, Unknown };
    Scan s;
    Section section = Section::Other;
    bool lineEndSeen = false;
    qsizetype pos = text.startsWith(kBom) ? kBom.size() : 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < text.size())
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        if (!lineEndSeen && next > end) {
            s.lineEnd = text.mid(end, next - end);
            lineEndSeen = true;
        }
        const Line line{pos, end, next};
        const qsizetype index = s.lines.size();
        s.lines.append(line);
        pos = next;

        const QByteArray content = contentOf(text, line);
        if (content.isEmpty() || content.startsWith(';') || content.startsWith('#'))
            continue;
        if (content.startsWith('[')) {
            if (!content.endsWith(']')) {
                // Which section the next lines belong to is anyone's guess.
                s.damaged = true;
                section = Section::Unknown;
                continue;
            }
            section = content.mid(1, content.size() - 2).trimmed() == kSection ? Section::Accesso : Section::Other;
            if (section == Section::Accesso && s.header < 0)
                s.header = index;
            continue;
        }
        const qsizetype equals = content.indexOf('=');
        if (equals < 0) {
            s.damaged = true;
            continue;
        }
        if (content.left(equals).trimmed() != kKey)
            continue;
        if (section == Section::Accesso)
            s.values.append(index);
        else if (section == Section::Unknown)
            s.ambiguous = true;
    }
    return s;
}

QString valueOf(const QByteArray& text, const Line& line)
{
    const QByteArray content = contentOf(text, line);
    QByteArray value = content.mid(content.indexOf('=') + 1).trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return QString::fromUtf8(value);
}

std::optional<QString> valueIn(const QByteArray& text, const Scan& s)
{
    if (s.ambiguous)
        return std::nullopt;
    if (s.values.isEmpty()) {
        if (s.damaged)
            return std::nullopt;
        return QString();
    }
    const QString value = valueOf(text, s.lines[s.values.first()]);
    for (qsizetype index : s.values)
        if (valueOf(text, s.lines[index]) != value)
            return std::nullopt;
    return value;
}

// The store's bytes; an empty text for a missing file, nothing when the
// path is there but cannot be read as a file.
std::optional<QByteArray> storeBytes(const QString& file, QString* cause = nullptr)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile()) {
        if (cause)
            *cause = QStringLiteral("not a regular file");
        return std::nullopt;
    }
    QFile store(file);
    if (!store.open(QIODevice::ReadOnly)) {
        if (cause)
            *cause = deviceError(store);
        return std::nullopt;
    }
    const QByteArray text = store.readAll();
    if (store.error() != QFileDevice::NoError) {
        if (cause)
            *cause = deviceError(store);
        return std::nullopt;
    }
    return text;
}

bool failed(TFailure* failure, const QString& path, const QString& cause,
            TFailure::Operation operation = TFailure::Operation::WritePasswords)
{
    if (failure)
        *failure = TFailure{operation, path, cause};
    return false;
}

std::nullopt_t unreadable(TFailure* failure, const QString& path, const QString& cause)
{
    failed(failure, path, cause, TFailure::Operation::ReadPasswords);
    return std::nullopt;
}

} // namespace

namespace PasswordStore {

QString path()
{
    return ProgramFolder::path() + QLatin1String(kFileName);
}

std::optional<QString> parseValue(const QByteArray& text)
{
    return valueIn(text, scan(text));
}

std::optional<QString> readValue(const QString& file, TFailure* failure)
{
    QString cause;
    const std::optional<QByteArray> text = storeBytes(file, &cause);
    if (!text)
        return unreadable(failure, file, cause);
    std::optional<QString> value = parseValue(*text);
    if (!value)
        return unreadable(failure, file, QStringLiteral("the stored value cannot be told"));
    return value;
}

bool writeValue(const QString& file, const QString& value, TFailure* failure)
{
    QString cause;
    const std::optional<QByteArray> text = storeBytes(file, &cause);
    if (!text)
        return failed(failure, file, cause);
    const Scan s = scan(*text);
    // A store whose value cannot be told is left alone, as the login does.
    if (!valueIn(*text, s))
        return failed(failure, file, QStringLiteral("the stored value cannot be told"));

    const QByteArray entry = kKey + '=' + value.toUtf8();
    QByteArray updated = *text;
    if (!s.values.isEmpty()) {
        // Every copy of the value changes, back to front so that the
        // positions still hold.
        for (qsizetype i = s.values.size() - 1; i >= 0; --i) {
            const Line& line = s.lines[s.values[i]];
            updated.replace(line.begin, line.end - line.begin, entry);
        }
    } else if (s.header >= 0) {
        const Line& header = s.lines[s.header];
        if (header.next == header.end)
            updated.insert(header.end, s.lineEnd + entry + s.lineEnd);
        else
            updated.insert(header.next, entry + s.lineEnd);
    } else {
        if (!updated.isEmpty() && updated != kBom) {
            if (!updated.endsWith('\n') && !updated.endsWith('\r'))
                updated += s.lineEnd;
            updated += s.lineEnd;
        }
        updated += '[' + kSection + ']' + s.lineEnd + entry + s.lineEnd;
    }
    if (parseValue(updated) != std::optional<QString>(value))
        return failed(failure, file, QStringLiteral("the value would not read back as given"));
    return SaveFile::writeWhole(file, updated, &cause) || failed(failure, file, cause);
}

std::optional<QString> readPassword(const QString& file, TFailure* failure)
{
    const std::optional<QString> value = readValue(file, failure);
    if (!value)
        return std::nullopt;
    const std::optional<QString> plain = Crypt::Decrypt(*value);
    if (!plain)
        return unreadable(failure, file, QStringLiteral("the stored value is not hexadecimal"));
    return Text::trimmed(*plain);
}

QString normalised(const QString& typed)
{
    QString text = typed;
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(c.unicode() - u'a' + u'A'));
    return Text::trimmed(text);
}

Refusal refusal(const QString& password)
{
    if (password.size() > kMaxLength)
        return Refusal::TooLong;
    for (QChar c : password)
        if (c.unicode() < 1 || c.unicode() > 255)
            return Refusal::OutsideCodePage;
    return Refusal::None;
}

} // namespace PasswordStore
