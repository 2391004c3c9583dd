#include "core/gallery/GalleryModel.h"

#include <algorithm>
#include <cmath>

#include "core/archive/Archivio.h"
#include "core/formats/CodePage.h"
#include "core/formats/Text.h"
#include "core/gallery/ThumbnailCache.h"
#include "core/search/Ricerca.h"

TGalleryModel::TGalleryModel(const QString& archivePath, const QString& archiveName, qreal devicePixelRatio,
                             QObject* parent)
    : QAbstractListModel(parent), m_archivePath(Text::trimmed(archivePath)), m_archiveName(archiveName),
      m_ratio(qMax<qreal>(1.0, devicePixelRatio)), m_loader(archiveName, devicePixelRatio)
{
    connect(&m_loader, &TThumbnailLoader::tileReady, this, &TGalleryModel::takeTile);
}

TGalleryModel::~TGalleryModel() = default;

bool TGalleryModel::load()
{
    beginResetModel();
    m_cards.clear();
    m_bytes.clear();
    m_pictures.clear();
    bool whole = true;
    try {
        TArchivio archive;
        archive.ApriArchivio(m_archivePath);
        m_cards.reserve(size_t(archive.ContaSchede()));
        archive.ScorriSchede([this](const TScheda& scheda, qint32 numero) {
            Card card;
            card.number = numero;
            card.offset = quint32(m_bytes.size());
            const QByteArrayView name = scheda.VistaCampo(Campo::Nome);
            const QByteArrayView type = scheda.VistaCampo(Campo::Tipologia);
            const QByteArrayView maker = scheda.VistaCampo(Campo::Produttore);
            card.name = quint8(name.size());
            card.type = quint8(type.size());
            card.maker = quint8(maker.size());
            m_bytes.append(name).append(type).append(maker);
            m_cards.push_back(card);
        });
        archive.ChiudiArchivio();
    } catch (const EArchivioError&) {
        whole = false; // the cards read before the failure stay
    }
    m_rows.resize(m_cards.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i] = int(i);
    endResetModel();
    return whole;
}

QByteArrayView TGalleryModel::bytes(const Card& card, int field) const
{
    const char* start = m_bytes.constData() + card.offset;
    switch (field) {
    case 0: return QByteArrayView(start, card.name);
    case 1: return QByteArrayView(start + card.name, card.type);
    default: return QByteArrayView(start + card.name + card.type, card.maker);
    }
}

int TGalleryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant TGalleryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Card& card = cardAt(index.row());
    switch (role) {
    case Qt::DisplayRole: return Text::trimmed(CodePage::decode(bytes(card, 0)));
    case NumberRole: return card.number;
    case PictureRole: {
        const auto it = m_pictures.constFind(card.number);
        return it == m_pictures.cend() ? QImage() : it->image;
    }
    case StateRole: {
        const auto it = m_pictures.constFind(card.number);
        return QVariant::fromValue(it == m_pictures.cend() ? State::Waiting : it->state);
    }
    default: return {};
    }
}

qint32 TGalleryModel::numberAt(int row) const
{
    return row >= 0 && row < rowCount() ? cardAt(row).number : 0;
}

int TGalleryModel::rowOf(qint32 number) const
{
    // Rows are in file order, so numbers ascend.
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), number,
                                     [this](int card, qint32 n) { return m_cards[size_t(card)].number < n; });
    if (it == m_rows.end() || m_cards[size_t(*it)].number != number)
        return -1;
    return int(it - m_rows.begin());
}

void TGalleryModel::setFilter(const QString& text)
{
    const CriterioRicerca criterio(text);
    beginResetModel();
    m_rows.clear();
    for (size_t i = 0; i < m_cards.size(); ++i) {
        const Card& card = m_cards[i];
        if (!criterio.Richiesto() || criterio.Trovato(bytes(card, 0)) || criterio.Trovato(bytes(card, 2))
            || criterio.Trovato(bytes(card, 1)))
            m_rows.push_back(int(i));
    }
    endResetModel();
    m_first = 0;
    m_last = -1;
    countWaiting();
}

QSize TGalleryModel::shownSize() const
{
    const QSize box = ThumbnailCache::pictureBox(m_side);
    return QSize(int(std::ceil(box.width() * m_ratio)), int(std::ceil(box.height() * m_ratio)));
}

void TGalleryModel::setTileSide(int side)
{
    side = std::clamp(side, 48, ThumbnailCache::kLargestTile);
    if (side == m_side)
        return;
    m_side = side;
    // Pictures read for another size stand in until theirs arrive.
    requestPictures();
}

void TGalleryModel::setVisibleRows(int first, int last, int margin)
{
    m_first = first;
    m_last = last;
    m_margin = margin;
    requestPictures();
}

void TGalleryModel::requestPictures()
{
    const int rows = rowCount();
    const int first = std::clamp(m_first, 0, rows);
    const int last = std::clamp(m_last, -1, rows - 1);
    const int keepFirst = qMax(0, first - m_margin);
    const int keepLast = qMin(rows - 1, last + m_margin);

    // Pictures of rows far from the screen go.
    for (auto it = m_pictures.begin(); it != m_pictures.end();) {
        const int row = rowOf(it.key());
        if (row < keepFirst || row > keepLast)
            it = m_pictures.erase(it);
        else
            ++it;
    }

    const QSize shown = shownSize();
    QList<qint32> wanted;
    auto want = [&](int row) {
        const qint32 number = cardAt(row).number;
        const auto it = m_pictures.constFind(number);
        if (it == m_pictures.cend() || (it->state == State::Photo && it->shown != shown))
            wanted.append(number);
    };
    for (int row = first; row <= last; ++row)
        want(row);
    for (int row = last + 1; row <= keepLast; ++row)
        want(row);
    for (int row = first - 1; row >= keepFirst; --row)
        want(row);
    m_loader.request(wanted, shown);
    countWaiting();
}

void TGalleryModel::takeTile(qint32 record, const TGalleryTile& tile, QSize shown)
{
    const int row = rowOf(record);
    if (row < 0 || row < m_first - m_margin || row > m_last + m_margin)
        return;
    const auto it = m_pictures.constFind(record);
    // A picture of an earlier size is taken only while there is none.
    if (shown != shownSize() && it != m_pictures.cend())
        return;
    Picture picture;
    picture.shown = shown;
    switch (tile.kind) {
    case TGalleryTile::Kind::Photo:
        picture.state = State::Photo;
        picture.image = tile.picture;
        picture.image.setDevicePixelRatio(m_ratio);
        break;
    case TGalleryTile::Kind::NoPhoto: picture.state = State::NoPhoto; break;
    case TGalleryTile::Kind::Unreadable: picture.state = State::Unreadable; break;
    }
    m_pictures.insert(record, picture);
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {PictureRole, StateRole});
    countWaiting();
}

void TGalleryModel::countWaiting()
{
    const QSize shown = shownSize();
    int waiting = 0;
    const int last = qMin(m_last, rowCount() - 1);
    for (int row = qMax(0, m_first); row <= last; ++row) {
        const auto it = m_pictures.constFind(cardAt(row).number);
        if (it == m_pictures.cend() || (it->state == State::Photo && it->shown != shown))
            ++waiting;
    }
    if (waiting != m_waiting) {
        m_waiting = waiting;
        emit waitingChanged(waiting);
    }
}
