#pragma once

#include <QString>
#include <QStringList>

namespace zelvor {

// zelvor [--site URL] [--notice-url URL] [--save-folder DIR] [FILE...]
struct StartOptions {
    QString site;        // the forum site to collect from; empty: the collection's own default
    QString noticeUrl;   // the maker's notice file; empty: the one on the maker's site
    QString saveFolder;  // where real-time files go, absolute; empty: the default folder
    QStringList files;   // absolute paths, taken in as if dropped on the window
};

struct ParsedStartOptions {
    StartOptions options;
    QString error;  // empty when the arguments were understood
};

// arguments as QCoreApplication::arguments() gives them, the program first.
ParsedStartOptions ParseStartOptions(const QStringList& arguments);

QString StartUsage();

}  // namespace zelvor
