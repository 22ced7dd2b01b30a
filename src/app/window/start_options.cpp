#include "app/window/start_options.h"

#include <QFileInfo>
#include <QUrl>

#include <array>

namespace zelvor {
namespace {

bool IsWebAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

struct ValueOption {
    QString name;
    QString StartOptions::*field;
    bool webAddress;  // else a folder, made absolute
};

}  // namespace

ParsedStartOptions ParseStartOptions(const QStringList& arguments) {
    const std::array<ValueOption, 3> valueOptions = {{
        {QStringLiteral("--site"), &StartOptions::site, true},
        {QStringLiteral("--notice-url"), &StartOptions::noticeUrl, true},
        {QStringLiteral("--save-folder"), &StartOptions::saveFolder, false},
    }};
    ParsedStartOptions parsed;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            parsed.options.files.append(QFileInfo(argument).absoluteFilePath());
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        const ValueOption* option = nullptr;
        for (const ValueOption& candidate : valueOptions) {
            if (argument == candidate.name || argument.startsWith(candidate.name + u'=')) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            parsed.error = QStringLiteral("未知的选项：") + argument;
            return parsed;
        }
        QString value;
        if (argument != option->name) {
            value = argument.mid(option->name.size() + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            parsed.error = option->name + (option->webAddress ? QStringLiteral(" 后面缺少网址")
                                                              : QStringLiteral(" 后面缺少文件夹"));
            return parsed;
        }
        if (option->webAddress && !IsWebAddress(value)) {
            parsed.error =
                option->name + QStringLiteral(" 需要以 http:// 或 https:// 开头的网址：") + value;
            return parsed;
        }
        if (!option->webAddress && value.isEmpty()) {
            parsed.error = option->name + QStringLiteral(" 后面缺少文件夹");
            return parsed;
        }
        parsed.options.*option->field =
            option->webAddress ? value : QFileInfo(value).absoluteFilePath();
    }
    return parsed;
}

QString StartUsage() {
    return QStringLiteral(
        "用法：zelvor [--site 网址] [--notice-url 公告网址] [--save-folder 实时保存文件夹] "
        "[文件...]");
}

}  // namespace zelvor
