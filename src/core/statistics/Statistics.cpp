#include "core/statistics/Statistics.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <dirent.h>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/archive/Archivio.h"
#include "core/archive/CompanionFiles.h"
#include "core/formats/CodePage.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Hash maps keyed by text, looked up with views of the record's bytes
// without making a string for every card.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
template <typename V> using TextMap = std::unordered_map<std::string, V, TextHash, std::equal_to<>>;

std::string_view viewOf(QByteArrayView bytes)
{
    return std::string_view(bytes.data(), size_t(bytes.size()));
}

// Each byte of the code page as groups compare it: lower case, without its
// accent ("É" and "e" are one letter). Bytes with no plain twin stay as they are.
const std::array<char, 256>& foldTable()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            t[size_t(b)] = char(b);
            const QString decomposed = QString(QChar(CodePage::unicodeOf(static_cast<unsigned char>(b))))
                                           .normalized(QString::NormalizationForm_D);
            if (decomposed.isEmpty())
                continue;
            const int folded = CodePage::byteOf(char32_t(decomposed.at(0).toLower().unicode()));
            if (folded >= 0)
                t[size_t(b)] = char(folded);
        }
        return t;
    }();
    return table;
}

std::string foldedKey(std::string_view spelling)
{
    const auto& fold = foldTable();
    std::string key(spelling.size(), '\0');
    for (size_t i = 0; i < spelling.size(); ++i)
        key[i] = fold[static_cast<unsigned char>(spelling[i])];
    return key;
}

// "1965": four digits, from 1000 on.
int readYear(std::string_view text)
{
    if (text.size() != 4 || !std::all_of(text.begin(), text.end(), isDigit) || text[0] == '0')
        return 0;
    return (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0');
}

// "dd/mm/yyyy" (day and month may have one digit), a real date: its year.
int readPurchaseYear(std::string_view text)
{
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (char c : text) {
        if (c == '/') {
            if (++part > 2)
                return 0;
        } else if (isDigit(c)) {
            parts[part] = parts[part] * 10 + (c - '0');
            if (++digits[part] > 4)
                return 0;
        } else {
            return 0;
        }
    }
    if (part != 2 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 || digits[2] != 4)
        return 0;
    if (!QDate(parts[2], parts[1], parts[0]).isValid() || parts[2] < 1000)
        return 0;
    return parts[2];
}

struct Building {
    StatisticsGroup group;
    std::vector<std::pair<std::string, qint64>> spellings; // each with its cards, in order of appearance
};

void addTo(StatisticsGroup& group, qint32 number, const Amounts::Read& amount)
{
    ++group.count;
    if (amount.kind != Amounts::Kind::NotAnAmount)
        group.value += amount.cents;
    group.records.push_back(number);
}

constexpr std::array<Campo, 7> kFieldBreakdowns{Campo::Tipologia, Campo::Produttore, Campo::Scala, Campo::Materiali,
                                                Campo::Rarita,    Campo::Stato,      Campo::Luogo};

} // namespace

// ---- amounts -----------------------------------------------------------------

namespace Amounts {

Read read(QByteArrayView trimmed)
{
    const std::string_view text = viewOf(trimmed);
    if (text.empty())
        return {Kind::Empty, 0};
    size_t pos = 0;
    qint64 whole = 0;
    size_t wholeDigits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        whole = whole * 10 + (text[pos++] - '0');
        if (++wholeDigits > 12) // more than the field holds: not a stored value
            return {Kind::NotAnAmount, 0};
    }
    qint64 fraction = 0;
    size_t fractionDigits = 0;
    if (pos < text.size() && text[pos] == ',') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            fraction = fraction * 10 + (text[pos++] - '0');
            ++fractionDigits;
        }
    }
    if (pos != text.size() || wholeDigits + fractionDigits == 0 || fractionDigits > 2)
        return {Kind::NotAnAmount, 0};
    if (fractionDigits == 1)
        fraction *= 10;
    return {Kind::Amount, whole * 100 + fraction};
}

QString format(Cents cents)
{
    const bool negative = cents < 0;
    UnsignedCents rest = negative ? UnsignedCents(-cents) : UnsignedCents(cents);
    const unsigned centsPart = unsigned(rest % 100);
    rest /= 100;
    QString whole;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            whole.prepend(QLatin1Char('.'));
        whole.prepend(QLatin1Char(char('0' + int(rest % 10))));
        rest /= 10;
        ++digits;
    } while (rest != 0);
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',')
           + QLatin1Char(char('0' + centsPart / 10)) + QLatin1Char(char('0' + centsPart % 10))
           + QStringLiteral(" \u20AC");
}

} // namespace Amounts

QString formatCount(qint64 count)
{
    QString text = QString::number(count);
    for (qsizetype i = text.size() - 3; i > (count < 0 ? 1 : 0); i -= 3)
        text.insert(i, QLatin1Char('.'));
    return text;
}

QString breakdownCaption(Breakdown breakdown)
{
    switch (breakdown) {
    case Breakdown::Tipologia: return QStringLiteral("Tipologia");
    case Breakdown::Produttore: return QStringLiteral("Produttore");
    case Breakdown::Scala: return QStringLiteral("Scala");
    case Breakdown::Materiali: return QStringLiteral("Materiali");
    case Breakdown::Rarita: return QStringLiteral("Rarità");
    case Breakdown::Stato: return QStringLiteral("Stato conservazione");
    case Breakdown::Luogo: return QStringLiteral("Luogo conservazione");
    case Breakdown::Decade: return QStringLiteral("Anno produzione (per decennio)");
    case Breakdown::Acquisition: return QStringLiteral("Data acquisto (crescita per anno)");
    }
    return {};
}

Cents StatisticsTotals::average() const
{
    if (valued == 0)
        return 0;
    return (2 * value + valued) / (2 * Cents(valued));
}

std::vector<TotalsLine> totalsLines(const StatisticsTotals& t)
{
    using Set = StatisticsTotals::Set;
    auto schede = [](qint64 n) {
        return formatCount(n) + (n == 1 ? QStringLiteral(" scheda") : QStringLiteral(" schede"));
    };
    std::vector<TotalsLine> lines;
    lines.push_back({QStringLiteral("Schede in archivio: ") + formatCount(t.cards), Set::All});
    lines.push_back({QStringLiteral("Con foto A: ") + formatCount(t.count(Set::PhotoA)), Set::PhotoA});
    lines.push_back({QStringLiteral("Con foto B: ") + formatCount(t.count(Set::PhotoB)), Set::PhotoB});
    lines.push_back({QStringLiteral("Con allegati: ") + formatCount(t.count(Set::Attachment)), Set::Attachment});
    lines.push_back({QStringLiteral("Valore stimato complessivo: ") + Amounts::format(t.value), Set::Valued});
    lines.push_back(
        {QStringLiteral("Media di ") + schede(t.valued) + QStringLiteral(" valutate: ") + Amounts::format(t.average()),
         Set::Valued});
    lines.push_back({t.highestCents < 0
                         ? QStringLiteral("Valore più alto: nessuno")
                         : QStringLiteral("Valore più alto: ") + Amounts::format(t.highestCents) + QStringLiteral(" (")
                               + t.highestName
                               + (t.count(Set::Highest) > 1
                                      ? QStringLiteral(" e altre %1").arg(formatCount(t.count(Set::Highest) - 1))
                                      : QString())
                               + QLatin1Char(')'),
                     Set::Highest});
    lines.push_back({QStringLiteral("In vendita: ") + schede(t.count(Set::ForSale)) + QStringLiteral(" per ")
                         + Amounts::format(t.forSaleValue),
                     Set::ForSale});
    lines.push_back({QStringLiteral("Valore vuoto (0,00): ") + schede(t.count(Set::EmptyValue)), Set::EmptyValue});
    lines.push_back(
        {QStringLiteral("Non valutate (valore non leggibile): ") + schede(t.count(Set::NotValued)), Set::NotValued});
    return lines;
}

QString groupFigures(const StatisticsGroup& group)
{
    return formatCount(group.count) + (group.count == 1 ? QStringLiteral(" scheda · ") : QStringLiteral(" schede · "))
           + Amounts::format(group.value);
}

// ---- the scan ----------------------------------------------------------------

struct TCollectionStatistics::Accumulator {
    struct FieldGroups {
        TextMap<std::pair<int, int>> bySpelling; // group, spelling
        TextMap<int> byKey;
        std::vector<Building> groups;
    };
    std::array<FieldGroups, kFieldBreakdowns.size()> fields;
    std::map<int, StatisticsGroup> decades;
    StatisticsGroup noYear;
    StatisticsGroup badYear;
    std::map<int, StatisticsGroup> years;
    StatisticsGroup noDate;
    StatisticsGroup badDate;
};

TCollectionStatistics::TCollectionStatistics() : m_acc(std::make_unique<Accumulator>()) {}
TCollectionStatistics::~TCollectionStatistics() = default;
TCollectionStatistics::TCollectionStatistics(TCollectionStatistics&&) noexcept = default;
TCollectionStatistics& TCollectionStatistics::operator=(TCollectionStatistics&&) noexcept = default;

void TCollectionStatistics::add(const TScheda& scheda, qint32 number, bool hasPhotoA, bool hasPhotoB)
{
    using Set = StatisticsTotals::Set;
    auto mark = [this, number](Set set) { m_totals.records[size_t(set)].push_back(number); };
    const Amounts::Read amount = Amounts::read(scheda.VistaCampoRifilata(Campo::Valore));

    ++m_totals.cards;
    mark(Set::All);
    if (hasPhotoA)
        mark(Set::PhotoA);
    if (hasPhotoB)
        mark(Set::PhotoB);
    if (!scheda.VistaCampoRifilata(Campo::File01).isEmpty() || !scheda.VistaCampoRifilata(Campo::File02).isEmpty()
        || !scheda.VistaCampoRifilata(Campo::File03).isEmpty())
        mark(Set::Attachment);
    const bool forSale = scheda.LeggiInVendita() == StatoVendita::InVendita;
    if (forSale)
        mark(Set::ForSale);
    switch (amount.kind) {
    case Amounts::Kind::NotAnAmount: mark(Set::NotValued); break;
    case Amounts::Kind::Empty: mark(Set::EmptyValue); [[fallthrough]];
    case Amounts::Kind::Amount:
        mark(Set::Valued);
        ++m_totals.valued;
        m_totals.value += amount.cents;
        if (forSale)
            m_totals.forSaleValue += amount.cents;
        if (amount.cents > m_totals.highestCents) {
            m_totals.highestCents = amount.cents;
            m_totals.highestName = CodePage::decode(scheda.VistaCampoRifilata(Campo::Nome));
            m_totals.records[size_t(Set::Highest)].clear();
        }
        if (amount.cents == m_totals.highestCents)
            mark(Set::Highest);
        break;
    }

    for (size_t f = 0; f < kFieldBreakdowns.size(); ++f) {
        Accumulator::FieldGroups& field = m_acc->fields[f];
        const std::string_view spelling = viewOf(scheda.VistaCampoRifilata(kFieldBreakdowns[f]));
        auto known = field.bySpelling.find(spelling);
        if (known == field.bySpelling.end()) {
            const std::string key = foldedKey(spelling);
            auto group = field.byKey.find(key);
            if (group == field.byKey.end()) {
                group = field.byKey.emplace(key, int(field.groups.size())).first;
                field.groups.emplace_back();
            }
            auto& spellings = field.groups[size_t(group->second)].spellings;
            spellings.emplace_back(std::string(spelling), 0);
            known = field.bySpelling.emplace(std::string(spelling), std::pair(group->second, int(spellings.size() - 1)))
                        .first;
        }
        Building& building = field.groups[size_t(known->second.first)];
        ++building.spellings[size_t(known->second.second)].second;
        addTo(building.group, number, amount);
    }

    const std::string_view anno = viewOf(scheda.VistaCampoRifilata(Campo::Anno));
    if (anno.empty()) {
        addTo(m_acc->noYear, number, amount);
    } else if (const int year = readYear(anno)) {
        addTo(m_acc->decades[year / 10 * 10], number, amount);
    } else {
        addTo(m_acc->badYear, number, amount);
    }

    const std::string_view data = viewOf(scheda.VistaCampoRifilata(Campo::Data));
    if (data.empty()) {
        addTo(m_acc->noDate, number, amount);
    } else if (const int year = readPurchaseYear(data)) {
        addTo(m_acc->years[year], number, amount);
    } else {
        addTo(m_acc->badDate, number, amount);
    }
}

void TCollectionStatistics::finish()
{
    if (!m_acc)
        return;
    for (size_t f = 0; f < kFieldBreakdowns.size(); ++f) {
        std::vector<StatisticsGroup> entries;
        std::vector<std::string> keys;
        for (Building& building : m_acc->fields[f].groups) {
            // The spelling most cards use; on a tie the one met first.
            const auto most = std::max_element(building.spellings.begin(), building.spellings.end(),
                                               [](const auto& a, const auto& b) { return a.second < b.second; });
            building.group.label = most->first.empty()
                                       ? QStringLiteral("(non indicato)")
                                       : CodePage::decode(most->first.data(), qsizetype(most->first.size()));
            keys.push_back(foldedKey(most->first));
            entries.push_back(std::move(building.group));
        }
        std::vector<size_t> order(entries.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            if (entries[a].count != entries[b].count)
                return entries[a].count > entries[b].count;
            if (entries[a].value != entries[b].value)
                return entries[a].value > entries[b].value;
            return keys[a] < keys[b];
        });
        std::vector<StatisticsGroup>& shown = m_groups[f];
        shown.clear();
        StatisticsGroup others;
        others.label = QStringLiteral("Altri");
        others.kind = StatisticsGroup::Kind::Others;
        for (size_t i = 0; i < order.size(); ++i) {
            StatisticsGroup& entry = entries[order[i]];
            if (i < size_t(kShownEntries)) {
                shown.push_back(std::move(entry));
                continue;
            }
            others.count += entry.count;
            others.value += entry.value;
            others.records.insert(others.records.end(), entry.records.begin(), entry.records.end());
        }
        if (order.size() > size_t(kShownEntries)) {
            std::sort(others.records.begin(), others.records.end());
            shown.push_back(std::move(others));
        }
    }

    auto apart = [](StatisticsGroup& group, const QString& label, std::vector<StatisticsGroup>& into) {
        if (group.count == 0)
            return;
        group.label = label;
        group.kind = StatisticsGroup::Kind::Apart;
        into.push_back(std::move(group));
    };

    std::vector<StatisticsGroup>& decades = m_groups[size_t(Breakdown::Decade)];
    decades.clear();
    for (auto& [decade, group] : m_acc->decades) {
        group.label = QStringLiteral("%1-%2").arg(decade).arg(decade + 9);
        decades.push_back(std::move(group));
    }
    apart(m_acc->noYear, QStringLiteral("Anno non indicato"), decades);
    apart(m_acc->badYear, QStringLiteral("Anno non leggibile"), decades);

    std::vector<StatisticsGroup>& years = m_groups[size_t(Breakdown::Acquisition)];
    years.clear();
    qint64 runningCount = 0;
    Cents runningValue = 0;
    for (auto& [year, group] : m_acc->years) {
        group.label = QString::number(year);
        runningCount += group.count;
        runningValue += group.value;
        group.cumulativeCount = runningCount;
        group.cumulativeValue = runningValue;
        years.push_back(std::move(group));
    }
    apart(m_acc->noDate, QStringLiteral("Data non indicata"), years);
    apart(m_acc->badDate, QStringLiteral("Data non leggibile"), years);

    m_acc.reset();
}

namespace {

// Which records have a photo of each kind, from one reading of the photo
// folder's names: no look-up per card, and no file information gathered for
// names that are not asked about (a big folder holds every collection's photos).
void photosPresent(const QString& folder, const QString& prefixA, const QString& prefixB, qint32 count,
                   std::vector<bool>& photoA, std::vector<bool>& photoB)
{
    photoA.assign(size_t(count) + 1, false);
    photoB.assign(size_t(count) + 1, false);
    const QByteArray a = QFile::encodeName(prefixA);
    const QByteArray b = QFile::encodeName(prefixB);
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        std::vector<bool>* present = nullptr;
        size_t start = 0;
        if (name.substr(0, size_t(a.size())) == viewOf(a)) {
            present = &photoA;
            start = size_t(a.size());
        } else if (name.substr(0, size_t(b.size())) == viewOf(b)) {
            present = &photoB;
            start = size_t(b.size());
        } else {
            continue;
        }
        // The record number in decimal without leading zeros, then ".jpg":
        // "Nome_Foto_A_007.jpg" is no photo of record 7.
        if (name.size() < start + 5 || name.substr(name.size() - 4) != ".jpg" || name[start] == '0')
            continue;
        qint64 n = 0;
        bool digits = true;
        for (size_t i = start; i < name.size() - 4 && digits; ++i) {
            digits = isDigit(name[i]);
            n = n * 10 + (name[i] - '0');
            digits = digits && n <= count;
        }
        if (digits && n >= 1)
            (*present)[size_t(n)] = true;
    }
    closedir(dir);
}

struct Stopped {};

} // namespace

TCollectionStatistics::PhotoNames TCollectionStatistics::PhotoNames::of(const QString& archiveName)
{
    auto prefix = [&](CompanionFiles::Photo which) {
        const QString first = QFileInfo(CompanionFiles::photoPath(which, archiveName, 1)).fileName();
        return first.chopped(int(QStringLiteral("1.jpg").size()));
    };
    return {CompanionFiles::photoFolder(), prefix(CompanionFiles::Photo::A), prefix(CompanionFiles::Photo::B)};
}

TCollectionStatistics TCollectionStatistics::compute(const QString& archivePath, const PhotoNames& photos,
                                                     const std::function<bool(qint32, qint32)>& progress)
{
    TCollectionStatistics statistics;
    TArchivio archive;
    archive.ApriArchivio(archivePath);
    const qint32 count = archive.ContaSchede();

    std::vector<bool> photoA;
    std::vector<bool> photoB;
    photosPresent(photos.folder, photos.prefixA, photos.prefixB, count, photoA, photoB);
    for (auto set : {StatisticsTotals::Set::All, StatisticsTotals::Set::Valued})
        statistics.m_totals.records[size_t(set)].reserve(size_t(count));

    if (progress && !progress(0, count))
        return {};
    try {
        archive.ScorriSchede([&](const TScheda& scheda, qint32 number) {
            if (number > count) // grown since it was counted: the photos were listed for `count`
                return;
            statistics.add(scheda, number, photoA[size_t(number)], photoB[size_t(number)]);
            if (progress && number % 1000 == 0 && !progress(number, count))
                throw Stopped{};
        });
    } catch (const Stopped&) {
        return {};
    }
    archive.ChiudiArchivio();
    statistics.finish();
    if (progress)
        progress(count, count);
    return statistics;
}
