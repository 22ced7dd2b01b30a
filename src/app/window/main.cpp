#include "app/window/main_window.h"
#include "app/window/start_options.h"
#include "app/window/window_commands.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <memory>

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
    window.SetActions(std::make_unique<zelvor::WindowCommands>(
        window, zelvor::DefaultCommandSettings(parsed.options)));
    QApplication::setWindowIcon(window.windowIcon());
    window.Open();
    return QApplication::exec();
}
