#include "core/report/CardLayout.h"

namespace {

const QColor kRoyalBlue(0x41, 0x69, 0xE1);

QFont arial(double points, bool bold = false)
{
    return Report::font(QStringLiteral("Arial"), QFont::SansSerif, points, bold);
}

} // namespace

const QList<TCardLayout::FieldBox>& TCardLayout::fieldBoxes()
{
    static const QList<FieldBox> boxes = {
        {139, 1, 93, QStringLiteral("TIPOLOGIA"), QStringLiteral("txtTipologia")},
        {139, 96, 93, QStringLiteral("PRODUTTORE"), QStringLiteral("txtProduttore")},
        {153, 1, 44, QStringLiteral("ANNO PRODUZIONE"), QStringLiteral("txtAnno")},
        {153, 47, 47, QStringLiteral("CODICE PRODOTTO"), QStringLiteral("txtCodice")},
        {153, 96, 93, QStringLiteral("DIMENSIONI"), QStringLiteral("txtDimensioni")},
        {167, 1, 93, QStringLiteral("MATERIALI"), QStringLiteral("txtMateriali")},
        {167, 96, 93, QStringLiteral("COLORI"), QStringLiteral("txtColori")},
        {181, 1, 44, QStringLiteral("VALORE STIMATO"), QStringLiteral("txtValore")},
        {181, 47, 142, QStringLiteral("DESCRIZIONE"), QStringLiteral("txtDescrizione")},
        {195, 1, 93, QStringLiteral("PROPRIETARIO"), QStringLiteral("txtProprietario")},
        {195, 96, 93, QStringLiteral("RARITA'"), QStringLiteral("txtRarita")},
        {209, 1, 93, QStringLiteral("CONFEZIONE"), QStringLiteral("txtConfezione")},
        {209, 96, 93, QStringLiteral("DIFETTI"), QStringLiteral("txtDifetti")},
        {223, 1, 44, QStringLiteral("SCALA"), QStringLiteral("txtScala")},
        {223, 47, 142, QStringLiteral("PROVENIENZA"), QStringLiteral("txtProvenienza")},
        {237, 1, 188, QStringLiteral("MONTAGGIO"), QStringLiteral("txtMontaggio")},
        {251, 1, 44, QStringLiteral("DATA ACQUISTO"), QStringLiteral("txtData")},
        {251, 47, 47, QStringLiteral("STATO CONSERVAZIONE"), QStringLiteral("txtStato")},
        {251, 96, 93, QStringLiteral("LUOGO CONSERVAZIONE"), QStringLiteral("txtLuogo")},
        {265, 1, 188, QStringLiteral("NOTE"), QStringLiteral("txtNote")},
    };
    return boxes;
}

TCardLayout::TCardLayout() : TReport(QStringLiteral("Scheda Modellino"))
{
    TReportPage* page = addPage(QStringLiteral("Page1"), QPageLayout::Portrait, 10);

    auto* txtNome = page->add(std::make_unique<TReportText>(QStringLiteral("txtNome"), QRectF(1, 0.5, 188, 4), arial(7),
                                                            QStringLiteral("NOME ARCHIVIO")));
    txtNome->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    page->add(
        std::make_unique<TReportShape>(QStringLiteral("shpTitolo"), QRectF(1, 5, 188, 8), kRoyalBlue, kRoyalBlue));
    auto* txtModellino = page->add(std::make_unique<TReportText>(QStringLiteral("txtModellino"), QRectF(2, 6.2, 186, 6),
                                                                 arial(12), QStringLiteral("NOME MODELLINO")));
    txtModellino->setTextColor(Qt::white);
    txtModellino->setAlignment(Qt::AlignCenter);
    page->add(std::make_unique<TReportPicture>(QStringLiteral("imgLogo"), QRectF(1, 16, 188, 121), Qt::white));

    for (const FieldBox& box : fieldBoxes()) {
        const QString suffix = box.textObject.mid(3); // "txtTipologia" -> "Tipologia"
        page->add(std::make_unique<TReportShape>(QStringLiteral("bar") + suffix,
                                                 QRectF(box.left, box.top, box.width, 4.8), kRoyalBlue, kRoyalBlue));
        auto* caption = page->add(std::make_unique<TReportText>(QStringLiteral("cap") + suffix,
                                                                QRectF(box.left + 1, box.top + 1, box.width - 2, 3.6),
                                                                arial(8, true), box.caption));
        caption->setTextColor(Qt::white);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        page->add(std::make_unique<TReportShape>(
            QStringLiteral("box") + suffix, QRectF(box.left, box.top + 5, box.width, 6), QColor(), Qt::black, 0.15));
        auto* value = page->add(std::make_unique<TReportText>(
            box.textObject, QRectF(box.left + 1, box.top + 6.4, box.width - 2, 4), arial(8)));
        value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
}
