#include "app/window/start_options.h"

#include <QDir>

#include <gtest/gtest.h>

namespace zelvor {
namespace {

using namespace Qt::StringLiterals;

TEST(StartOptionsTest, AddressesFoldersAndFiles) {
    struct Case {
        QStringList arguments;
        QString site;
        QStringList files;
        QString noticeUrl;
        QString saveFolder;
    };
    const QString here = QDir::currentPath();
    const Case cases[] = {
        {{}, {}, {}},
        {{u"--site"_s, u"http://tieba.example/"_s}, u"http://tieba.example/"_s, {}},
        {{u"--site=https://tieba.example"_s, u"/tmp/a.txt"_s},
         u"https://tieba.example"_s,
         {u"/tmp/a.txt"_s}},
        {{u"贴吧.txt"_s, u"--"_s, u"--site"_s}, {}, {here + u"/贴吧.txt"_s, here + u"/--site"_s}},
        {{u"--notice-url=http://127.0.0.1:8080/n.txt"_s, u"--save-folder"_s, u"结果"_s},
         {},
         {},
         u"http://127.0.0.1:8080/n.txt"_s,
         here + u"/结果"_s},
    };
    for (const Case& c : cases) {
        const ParsedStartOptions parsed = ParseStartOptions(QStringList{u"zelvor"_s} + c.arguments);
        const std::string arguments = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(parsed.error, QString()) << arguments;
        EXPECT_EQ(parsed.options.site, c.site) << arguments;
        EXPECT_EQ(parsed.options.files, c.files) << arguments;
        EXPECT_EQ(parsed.options.noticeUrl, c.noticeUrl) << arguments;
        EXPECT_EQ(parsed.options.saveFolder, c.saveFolder) << arguments;
    }
}

TEST(StartOptionsTest, MistakesAreNamedInChinese) {
    struct Case {
        QStringList arguments;
        QString error;
    };
    const Case cases[] = {
        {{u"--site"_s}, u"--site 后面缺少网址"_s},
        {{u"--site"_s, u"ftp://tieba.example"_s},
         u"--site 需要以 http:// 或 https:// 开头的网址：ftp://tieba.example"_s},
        {{u"--site=tieba.example"_s},
         u"--site 需要以 http:// 或 https:// 开头的网址：tieba.example"_s},
        {{u"-x"_s}, u"未知的选项：-x"_s},
        {{u"--sitex=http://a.example"_s}, u"未知的选项：--sitex=http://a.example"_s},
        {{u"--notice-url"_s, u"notice.txt"_s},
         u"--notice-url 需要以 http:// 或 https:// 开头的网址：notice.txt"_s},
        {{u"--save-folder="_s}, u"--save-folder 后面缺少文件夹"_s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseStartOptions(QStringList{u"zelvor"_s} + c.arguments).error, c.error)
            << c.arguments.join(u' ').toStdString();
    }
}

}  // namespace
}  // namespace zelvor
