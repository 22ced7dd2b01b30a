#include "app/window/launcher.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(LauncherTest, CreatedOnceWithTheProgramQuoted) {
    QTemporaryDir home;
    const QString launcher = home.path() + u"/applications/Zelvor贴吧用户采集器_免费版.desktop"_s;
    EnsureLauncher(home.path(), u"/opt/my $app/zel\"vor\\%1"_s);
    const QString entry = ReadAll(launcher);
    EXPECT_TRUE(entry.startsWith(u"[Desktop Entry]\n"_s));
    EXPECT_TRUE(entry.contains(u"\nName=Zelvor贴吧用户采集器_免费版\n"_s));
    EXPECT_TRUE(entry.contains(u"\nExec=\"/opt/my \\\\$app/zel\\\\\"vor\\\\\\\\%%1\"\n"_s))
        << entry.toStdString();
    EXPECT_TRUE(entry.contains(u"\nIcon=zelvor\n"_s));
    EXPECT_TRUE(QFile::exists(home.path() + u"/icons/hicolor/scalable/apps/zelvor.svg"_s));

    EnsureLauncher(home.path(), u"/elsewhere/zelvor"_s);
    EXPECT_EQ(ReadAll(launcher), entry);
}

TEST(LauncherTest, AFolderThatCannotBeMadeIsLeftAlone) {
    QTemporaryDir home;
    QFile blocker(home.path() + u"/applications"_s);  // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EnsureLauncher(home.path(), u"/opt/zelvor"_s);
    EXPECT_EQ(blocker.size(), 0);
    EXPECT_FALSE(QFile::exists(home.path() + u"/icons"_s));
}

}  // namespace
}  // namespace zelvor
