#pragma once

#include <QString>

namespace zelvor {

inline QString LauncherName() {
    return QStringLiteral("Zelvor贴吧用户采集器_免费版");
}

// Creates the program's launcher under dataHome/applications, with its icon under
// dataHome/icons, unless the launcher exists already. A folder that cannot be written is left
// as it is, without a word: the launcher is a convenience.
void EnsureLauncher(const QString& dataHome, const QString& program);

}  // namespace zelvor
