#include "ui/svg_image.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace zelvor {

QIcon SvgIcon(const QString& path, int size) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace zelvor
