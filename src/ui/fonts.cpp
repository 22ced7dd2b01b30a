#include "ui/fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace zelvor {

QFont YaHeiFont(int pixelHeight, QFont::Weight weight) {
    QFont font = QApplication::font();
    for (const QString& face : {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei")}) {
        if (QFontDatabase::hasFamily(face)) {
            font.setFamilies({face});
            break;
        }
    }
    font.setPixelSize(pixelHeight);
    font.setWeight(weight);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace zelvor
