#include "app/window/main_window.h"
#include "app/window/start_options.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const zelvor::ParsedStartOptions parsed = zelvor::ParseStartOptions(app.arguments());
    if (!parsed.error.isEmpty()) {
        const QString message = parsed.error + u'\n' + zelvor::StartUsage();
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        QMessageBox::critical(nullptr, QStringLiteral("启动参数有误"), message);
        return 2;
    }
    zelvor::MainWindow window(parsed.options);
    QApplication::setWindowIcon(window.windowIcon());
    window.Open();
    return QApplication::exec();
}
