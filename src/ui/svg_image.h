#pragma once

#include <QIcon>
#include <QString>

namespace zelvor {

// Draws the SVG picture at path as an icon of size x size pixels with alpha; a null icon when
// the picture cannot be read.
QIcon SvgIcon(const QString& path, int size);

}  // namespace zelvor
