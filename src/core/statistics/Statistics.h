#pragma once
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "core/archive/Scheda.h"

// What a collection is worth and what it is made of: totals, breakdowns by
// field, by decade of production and by year of purchase, every number
// keeping the cards behind it so that the windows can list them.

// Sums of amounts, in cents. A stored value holds at most 12 characters, so
// one card is worth less than 10^12 whole euro, 10^14 cents; an archive holds
// fewer than 2^31 cards. A sum is therefore below 2^31 x 10^14 < 2^78: too
// much for 64 bits (100 000 cards of twelve nines already pass 2^63), well
// within 128. __extension__ keeps -Wpedantic quiet about __int128 and has no
// form for 'using'.
__extension__ typedef __int128 Cents;                  // NOLINT(modernize-use-using)
__extension__ typedef unsigned __int128 UnsignedCents; // NOLINT(modernize-use-using)

namespace Amounts {

inline constexpr qint64 kMaxCardCents = 99'999'999'999'999; // "999999999999" whole euro
inline constexpr qint64 kMaxCards = std::numeric_limits<qint32>::max();
static_assert(Cents(kMaxCards) * kMaxCardCents < (Cents(1) << 100), "a sum of cents cannot overflow");

// How a stored "Valore stimato" reads.
enum class Kind {
    Amount,     // digits, optionally a comma and up to two decimals
    Empty,      // the empty value, which is 0,00
    NotAnAmount // anything else: letters, a sign, several commas, three decimals...
};
struct Read {
    Kind kind = Kind::Empty;
    qint64 cents = 0;
};

// The value field's bytes, trimmed, by the rule the record sheet writes them
// with: digits, a decimal comma, two decimals, no separator, no sign. What that
// rule leaves after the field's 12-byte cut also reads ("123456789012" whole
// euro, "1234567890,1"), as do ",5" and "5," which the rule reads as well.
// Nothing else is guessed.
Read read(QByteArrayView trimmed);

// "12.345,50 €": thousands grouped by a full stop, a decimal comma, two
// decimals, a blank and the euro sign.
QString format(Cents cents);

} // namespace Amounts

// One bar of a chart: a named set of cards with their count and the value of
// those that have one.
struct StatisticsGroup {
    enum class Kind {
        Entry,  // one value of the field
        Others, // every entry after the largest ones
        Apart   // cards whose date or year is missing or does not read
    };
    QString label;
    Kind kind = Kind::Entry;
    qint64 count = 0;
    Cents value = 0;
    // For the growth by year of purchase: the cards and value up to this
    // year, that year included.
    qint64 cumulativeCount = 0;
    Cents cumulativeValue = 0;
    std::vector<qint32> records; // ascending record numbers
};

enum class Breakdown {
    Tipologia,
    Produttore,
    Scala,
    Materiali,
    Rarita,
    Stato,
    Luogo,
    Decade,     // by decade of "Anno produzione"
    Acquisition // growth by year of "Data acquisto", cumulative
};
inline constexpr int kBreakdowns = 9;
inline constexpr std::array<Breakdown, kBreakdowns> kAllBreakdowns{
    Breakdown::Tipologia, Breakdown::Produttore, Breakdown::Scala,  Breakdown::Materiali,  Breakdown::Rarita,
    Breakdown::Stato,     Breakdown::Luogo,      Breakdown::Decade, Breakdown::Acquisition};

// "Tipologia", "Rarità", "Anno produzione (per decennio)"...
QString breakdownCaption(Breakdown breakdown);

// A count with thousands grouped by a full stop: "100.000".
QString formatCount(qint64 count);

// The totals; each number has its list of cards where a click can lead.
struct StatisticsTotals {
    enum class Set {
        All,
        PhotoA,
        PhotoB,
        Attachment,
        Valued,
        ForSale,
        EmptyValue,
        NotValued,
        Highest,
    };
    static constexpr int kSets = 9;

    qint64 cards = 0;
    Cents value = 0;   // of every card whose value reads, the empty ones at 0,00
    qint64 valued = 0; // those cards
    Cents forSaleValue = 0;
    qint64 highestCents = -1; // -1: no card has a value
    QString highestName;
    std::array<std::vector<qint32>, kSets> records;

    qint64 count(Set set) const { return qint64(records[size_t(set)].size()); }
    // The sum over the valued cards divided by their number, to the cent
    // (half up); 0 with none.
    Cents average() const;
};

// One line of the totals text and the cards it leads to.
struct TotalsLine {
    QString text;
    StatisticsTotals::Set set;
};
// The totals as the window shows them and the page prints them.
std::vector<TotalsLine> totalsLines(const StatisticsTotals& totals);

// The text beside a bar: "12 schede · 1.234,50 €".
QString groupFigures(const StatisticsGroup& group);

class TCollectionStatistics {
public:
    // The entries shown one by one before "Altri".
    static constexpr int kShownEntries = 15;

    // Cards are added in record order; `hasPhotoA`/`hasPhotoB` tell whether
    // their photo files exist.
    void add(const TScheda& scheda, qint32 number, bool hasPhotoA, bool hasPhotoB);
    // Sorts and cuts the breakdowns; call once after the last add().
    void finish();

    const StatisticsTotals& totals() const { return m_totals; }
    // The bars of a breakdown, in the order shown: the largest entries first
    // and "Altri" last; by decade and by year in time order, the cards whose
    // date or year does not read after them.
    const std::vector<StatisticsGroup>& groups(Breakdown breakdown) const { return m_groups[size_t(breakdown)]; }

    // Where the photos of an archive lie and how their names start; taken
    // from the program folder, so made on the thread that sets it.
    struct PhotoNames {
        QString folder;
        QString prefixA; // "Ferrovie_Foto_A_", followed by the record number and ".jpg"
        QString prefixB;
        static PhotoNames of(const QString& archiveName);
    };

    // Reads the archive at `archivePath` in blocks and adds every card; the
    // photo folder is listed once. `progress` hears the cards done and the
    // total now and then, and stops the work by returning false (then the
    // result is empty). Throws EArchivioError.
    static TCollectionStatistics compute(const QString& archivePath, const PhotoNames& photos,
                                         const std::function<bool(qint32 done, qint32 total)>& progress = {});

    TCollectionStatistics();
    ~TCollectionStatistics();
    TCollectionStatistics(TCollectionStatistics&&) noexcept;
    TCollectionStatistics& operator=(TCollectionStatistics&&) noexcept;

private:
    struct Accumulator;
    StatisticsTotals m_totals;
    std::array<std::vector<StatisticsGroup>, kBreakdowns> m_groups;
    std::unique_ptr<Accumulator> m_acc;
};
