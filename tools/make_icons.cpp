// Renders the program's icon at the sizes of the icon theme.
//
//   make_icons <icon.svg> <folder> <size>...
//
// Writes <folder>/<size>x<size>/apps/<name>.png for each size, <name> being
// the SVG's name without its extension: the layout of a hicolor theme, so
// the folder is copied as it is. Runs at build time; Qt's SVG renderer draws
// the picture, centred and kept in proportion, on a transparent square.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: make_icons <icon.svg> <folder> <size>...\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "make_icons: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QString name = QFileInfo(args[1]).completeBaseName();
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size <= 0 || size > 4096) {
            std::fprintf(stderr, "make_icons: not a size: %s\n", qPrintable(args[i]));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
            QSizeF drawn = renderer.defaultSize();
            drawn.scale(QSizeF(size, size), Qt::KeepAspectRatio);
            QRectF target(QPointF(0, 0), drawn);
            target.moveCenter(QPointF(size / 2.0, size / 2.0));
            renderer.render(&painter, target);
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
