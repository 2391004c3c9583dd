#include "core/card/OpenCollection.h"

#include "core/archive/Archivio.h"
#include "core/formats/Text.h"

namespace {

TFailure failure(TFailure::Operation action, const QString& path, const EArchivioError& error)
{
    TFailure f = error.failure();
    if (f.operation != action) {
        f.cause = operationName(f.operation) + QStringLiteral(": ") + f.cause;
        f.operation = action;
    }
    if (f.path.isEmpty())
        f.path = path;
    return f;
}

qint32 target(TOpenCollection::Move move, qint32 count, qint32 current)
{
    using Move = TOpenCollection::Move;
    switch (move) {
    case Move::First: return count == 0 ? 0 : 1;
    case Move::Last: return count;
    case Move::Next:
        if (count == 0)
            return 0;
        if (current == 0)
            return 1;
        return current < count ? current + 1 : 0;
    case Move::Previous:
        if (current == 1 || count == 0)
            return 0;
        return current == 0 ? 1 : current - 1;
    }
    return 0;
}

} // namespace

TOpenCollection::TOpenCollection(const QString& archivePath, const QString& archiveName, qint32 current)
    : m_path(Text::trimmed(archivePath)), m_name(archiveName), m_current(current)
{}

TCollectionResult<TOpenCollection::Step> TOpenCollection::step(Move move)
{
    qint32 count = 0;
    try {
        TArchivio archive;
        archive.ApriArchivio(m_path);
        count = archive.ContaSchede();
        archive.ChiudiArchivio();
    } catch (const EArchivioError& e) {
        return failure(TFailure::Operation::CountCards, m_path, e);
    }
    m_knownCount = count;
    Step step;
    // Back from the first card stays put whether or not the archive was
    // emptied meanwhile: nothing is said then.
    step.empty = count == 0 && !(move == Move::Previous && m_current == 1);
    step.target = target(move, count, m_current);
    if (move == Move::Next && count == 0)
        m_current = 0;
    return step;
}

TCollectionResult<TCard> TOpenCollection::load(qint32 n)
{
    TScheda record;
    try {
        TArchivio archive;
        archive.ApriArchivio(m_path);
        record = archive.LeggiScheda(n);
        archive.ChiudiArchivio();
    } catch (const EArchivioError& e) {
        return failure(TFailure::Operation::ReadCards, m_path, e);
    }
    m_current = n;
    return TCard::fromRecord(record);
}

TCollectionResult<qint32> TOpenCollection::save(const TCard& card)
{
    const TScheda record = card.toRecord();
    const bool append = isNewCard();
    try {
        TArchivio archive;
        archive.ApriArchivio(m_path);
        // Every save keeps what it replaces, so that it can be undone.
        archive.RegistraStoria(CardHistory::Kind::Saved);
        if (append)
            m_current = archive.AccodaScheda(record);
        else
            archive.ScriviScheda(m_current, record);
        archive.ChiudiArchivio();
    } catch (const EArchivioError& e) {
        return failure(append ? TFailure::Operation::AppendCards : TFailure::Operation::WriteCard, m_path, e);
    }
    m_knownCount = qMax(m_knownCount, m_current);
    return m_current;
}

QString TOpenCollection::photoPath(CompanionFiles::Photo which, qint32 n) const
{
    return CompanionFiles::photoPath(which, m_name, n);
}

QString TOpenCollection::attachmentPath(const QString& name)
{
    return CompanionFiles::attachmentPath(name);
}
