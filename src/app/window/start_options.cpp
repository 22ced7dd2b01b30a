#include "app/window/start_options.h"

#include <QFileInfo>
#include <QUrl>

namespace zelvor {
namespace {

bool IsWebAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

}  // namespace

ParsedStartOptions ParseStartOptions(const QStringList& arguments) {
    ParsedStartOptions parsed;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            parsed.options.files.append(QFileInfo(argument).absoluteFilePath());
        } else if (argument == u"--") {
            optionsEnded = true;
        } else if (argument == u"--site" || argument.startsWith(u"--site=")) {
            QString site;
            if (argument != u"--site") {
                site = argument.mid(7);
            } else if (i + 1 < arguments.size()) {
                site = arguments[++i];
            } else {
                parsed.error = QStringLiteral("--site 后面缺少网址");
                return parsed;
            }
            if (!IsWebAddress(site)) {
                parsed.error =
                    QStringLiteral("--site 需要以 http:// 或 https:// 开头的网址：") + site;
                return parsed;
            }
            parsed.options.site = site;
        } else {
            parsed.error = QStringLiteral("未知的选项：") + argument;
            return parsed;
        }
    }
    return parsed;
}

QString StartUsage() {
    return QStringLiteral("用法：zelvor [--site 网址] [文件...]");
}

}  // namespace zelvor
