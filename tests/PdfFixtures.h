#pragma once
// Reading back the PDF files the printing tests write: pages, their size,
// their text with its positions, and pictures of regions.
#include <QFile>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <poppler-qt6.h>

namespace PdfFixtures {

constexpr double kPointsPerMm = 72.0 / 25.4;

struct Word {
    QString text;
    QRectF mm; // from the top-left corner of the page
};

class Pdf {
public:
    explicit Pdf(const QString& path) : m_doc(Poppler::Document::load(path)) {}
    bool isValid() const { return m_doc && !m_doc->isLocked(); }
    int pages() const { return m_doc ? m_doc->numPages() : 0; }

    QSizeF pageSizeMm(int index) const { return m_doc->page(index)->pageSizeF() / kPointsPerMm; }
    QString text(int index) const { return m_doc->page(index)->text(QRectF()); }
    QString allText() const
    {
        QString all;
        for (int i = 0; i < pages(); ++i)
            all += text(i) + QLatin1Char('\n');
        return all;
    }
    QList<Word> words(int index) const
    {
        QList<Word> list;
        for (const auto& box : m_doc->page(index)->textList()) {
            const QRectF b = box->boundingBox();
            list.append({box->text(), QRectF(b.topLeft() / kPointsPerMm, b.size() / kPointsPerMm)});
        }
        return list;
    }
    // The words whose text is `text`, in reading order.
    QList<Word> find(int index, const QString& text) const
    {
        QList<Word> found;
        for (const Word& w : words(index))
            if (w.text == text)
                found.append(w);
        return found;
    }
    // A region of a page, `mm` from its top-left corner, at `dpi`.
    QImage render(int index, const QRectF& mm, double dpi) const
    {
        const double perMm = dpi / 25.4;
        return m_doc->page(index)
            ->renderToImage(dpi, dpi, int(mm.x() * perMm), int(mm.y() * perMm), int(mm.width() * perMm),
                            int(mm.height() * perMm))
            .convertToFormat(QImage::Format_RGB32);
    }

private:
    std::unique_ptr<Poppler::Document> m_doc;
};

} // namespace PdfFixtures
