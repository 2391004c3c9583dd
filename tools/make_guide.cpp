// Renders the user guide "Guida.pdf" from its Italian Markdown source.
//
//   make_guide <guida.md> <Guida.pdf>
//
// Runs at build time under the offscreen platform: QTextDocument lays the
// text out, QPdfWriter prints it page by page with a running footer.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>

namespace {

const QColor kHeading1(0xB2, 0x22, 0x22);
const QColor kHeading2(0x1F, 0x5C, 0x99);
const QColor kInk(0x22, 0x22, 0x22);

// Markdown gives the structure; the looks (faces, colours, spacing) are set
// here block by block.
// `pt` is one printed point in the layout's lengths, which the layout
// measures in pixels of 96 per inch whatever the device.
void style(QTextDocument& doc, qreal pt)
{
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setStyleHint(QFont::SansSerif);
    body.setPointSizeF(10.5);
    doc.setDefaultFont(body);

    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        QTextBlockFormat blockFormat = block.blockFormat();
        QTextCharFormat charFormat;
        const int level = blockFormat.headingLevel();
        if (level == 1) {
            charFormat.setFontPointSize(22);
            charFormat.setFontWeight(QFont::Bold);
            charFormat.setForeground(kHeading1);
            blockFormat.setTopMargin(0);
            blockFormat.setBottomMargin(14 * pt);
        } else if (level == 2) {
            charFormat.setFontPointSize(15);
            charFormat.setFontWeight(QFont::Bold);
            charFormat.setForeground(kHeading2);
            blockFormat.setTopMargin(16 * pt);
            blockFormat.setBottomMargin(6 * pt);
        } else if (level >= 3) {
            charFormat.setFontPointSize(12);
            charFormat.setFontWeight(QFont::Bold);
            charFormat.setForeground(kHeading2);
            blockFormat.setTopMargin(10 * pt);
            blockFormat.setBottomMargin(3 * pt);
        } else {
            charFormat.setForeground(kInk);
            blockFormat.setTopMargin(0);
            blockFormat.setBottomMargin((block.textList() ? 2 : 5) * pt);
            blockFormat.setLineHeight(125, QTextBlockFormat::ProportionalHeight);
        }
        cursor.setBlockFormat(blockFormat);
        cursor.mergeCharFormat(charFormat);
    }
}

// A heading left alone at the foot of a page moves to the next page with
// its text; each move can shift later pages, so the check runs again.
void keepHeadingsWithText(QTextDocument& doc)
{
    const qreal pageHeight = doc.pageSize().height();
    for (int pass = 0; pass < 50; ++pass) {
        doc.pageCount(); // the layout is lazy: finish it before measuring
        bool moved = false;
        for (QTextBlock block = doc.begin(); block.isValid() && block.next().isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() == 0)
                continue;
            QAbstractTextDocumentLayout* layout = doc.documentLayout();
            const QRectF heading = layout->blockBoundingRect(block);
            const QRectF next = layout->blockBoundingRect(block.next());
            // Lines pushed onto the next page move inside their block.
            const QTextLine line = block.next().layout()->lineAt(0);
            const qreal nextFirstLine = next.top() + line.y() + line.height() / 2;
            if (int(heading.top() / pageHeight) == int(nextFirstLine / pageHeight))
                continue;
            QTextCursor cursor(block);
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(format);
            moved = true;
            break;
        }
        if (!moved)
            return;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: make_guide <guida.md> <Guida.pdf>\n";
        return 2;
    }
    QFile source(args.at(1));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "cannot read " << args.at(1) << "\n";
        return 1;
    }
    QPdfWriter pdf(args.at(2));
    pdf.setTitle(QStringLiteral("Miniarca Pro - Guida all'utilizzo del software"));
    pdf.setCreator(QStringLiteral("Miniarca Pro"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
    pdf.setResolution(300);

    // The text is laid out for the writer itself, so that point sizes mean
    // printed points; every length below is in the writer's pixels.
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&pdf);
    doc.setMarkdown(QString::fromUtf8(source.readAll()));
    style(doc, 96.0 / 72.0);
    const qreal pt = pdf.resolution() / 72.0;
    const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
    const qreal footer = 26 * pt;
    const QSizeF body(page.width(), page.height() - footer);
    doc.setPageSize(body);
    keepHeadingsWithText(doc);
    const int pages = doc.pageCount();

    QPainter painter;
    if (!painter.begin(&pdf)) {
        err << "cannot write " << args.at(2) << "\n";
        return 1;
    }
    QFont footerFont(QStringLiteral("DejaVu Sans"));
    footerFont.setPointSizeF(8);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            pdf.newPage();
        painter.save();
        painter.translate(0, -i * body.height());
        doc.drawContents(&painter, QRectF(0, i * body.height(), body.width(), body.height()));
        painter.restore();

        painter.setFont(footerFont);
        painter.setPen(QPen(QColor(0x88, 0x88, 0x88), 0.6 * pt));
        painter.drawLine(QPointF(0, body.height() + 8 * pt), QPointF(body.width(), body.height() + 8 * pt));
        painter.setPen(QColor(0x55, 0x55, 0x55));
        const QRectF line(0, body.height() + 10 * pt, body.width(), footer - 10 * pt);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Miniarca Pro - Guida all'utilizzo"));
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Pagina %1 di %2").arg(i + 1).arg(pages));
    }
    painter.end();
    return 0;
}
