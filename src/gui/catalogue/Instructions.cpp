#include "gui/catalogue/Instructions.h"

#include <QLabel>

#include "gui/widgets/Look.h"

QLabel* makeInstructions(QWidget* parent, const QString& title, const QStringList& lines)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("icoIstruzioni"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::RichText);
    label->setStyleSheet(QStringLiteral("QLabel#icoIstruzioni { background: white; border-radius: 12px;"
                                        " padding: 18px 28px; color: #1F3A5F; }"));
    QString html = QStringLiteral("<p style='font-family:Verdana,\"DejaVu Sans\",sans-serif; font-size:22pt;"
                                  " font-weight:bold; color:#B22222; margin-bottom:14px;'>%1</p>")
                       .arg(title.toHtmlEscaped());
    for (const QString& line : lines)
        html += QStringLiteral("<p style='font-family:Verdana,\"DejaVu Sans\",sans-serif; font-size:12pt;"
                               " margin-top:6px;'>%1</p>")
                    .arg(line.toHtmlEscaped());
    label->setText(html);
    return label;
}
