#include "app/window/launcher.h"

#include "app/window/main_window_template.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace zelvor {
namespace {

// A path as one quoted argument of the Exec key. The string escapes of the file apply before
// the quoting, hence the doubled backslashes.
QString ExecArgument(const QString& path) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$') {
            quoted += QStringLiteral("\\\\");
        } else if (c == u'\\') {
            quoted += QStringLiteral("\\\\\\");
        } else if (c == u'%') {
            quoted += u'%';
        }
        quoted += c;
    }
    return quoted + u'"';
}

}  // namespace

void EnsureLauncher(const QString& dataHome, const QString& program) {
    const QString folder = dataHome + QStringLiteral("/applications");
    const QString path = folder + u'/' + LauncherName() + QStringLiteral(".desktop");
    if (QFile::exists(path) || !QDir().mkpath(folder)) {
        return;
    }
    const QString iconFolder = dataHome + QStringLiteral("/icons/hicolor/scalable/apps");
    const QString iconPath = iconFolder + QStringLiteral("/zelvor.svg");
    if (QDir().mkpath(iconFolder) && !QFile::exists(iconPath)) {
        QFile::copy(WindowIconPath(), iconPath);
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return;
    }
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=") +
                          LauncherName() +
                          QStringLiteral(
                              "\n"
                              "Exec=") +
                          ExecArgument(program) +
                          QStringLiteral(
                              "\n"
                              "Icon=zelvor\n"
                              "Terminal=false\n"
                              "Categories=Network;\n");
    file.write(entry.toUtf8());
    file.commit();
}

}  // namespace zelvor
