#include "ui/file_drop_target.h"

#include "qt_test_support.h"

#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace zelvor {
namespace {

using testing::DragAndDrop;

std::unique_ptr<QMimeData> Files(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

class FileDropTargetTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(target.RegisterDropArea(&area)); }

    QListView area;  // a scroll area: drops arrive at its viewport
    FileDropTarget target;
    QSignalSpy dropped{&target, &FileDropTarget::FilesDropped};
};

TEST_F(FileDropTargetTest, PathsTextEndsEveryPathWithALineBreakOnlyForSeveral) {
    const auto one = Files({QStringLiteral("/tmp/贴吧 名.txt")});
    EXPECT_EQ(DragAndDrop(area.viewport(), one.get()), std::make_pair(true, true));
    const auto two = Files({QStringLiteral("/tmp/a.txt"), QStringLiteral("/tmp/folder")});
    EXPECT_EQ(DragAndDrop(area.viewport(), two.get()), std::make_pair(true, true));

    ASSERT_EQ(dropped.size(), 2);
    EXPECT_EQ(dropped[0][0].toString(), QStringLiteral("/tmp/贴吧 名.txt"));
    EXPECT_EQ(dropped[1][0].toString(), QStringLiteral("/tmp/a.txt\r\n/tmp/folder\r\n"));
}

TEST_F(FileDropTargetTest, DragsWithoutFilesAreRefused) {
    QMimeData text;
    text.setText(QStringLiteral("selected text"));
    text.setHtml(QStringLiteral("<b>html</b>"));
    EXPECT_EQ(DragAndDrop(area.viewport(), &text), std::make_pair(false, false));
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("http://www.zelvor.example/"))});
    EXPECT_EQ(DragAndDrop(area.viewport(), &link), std::make_pair(false, false));
    EXPECT_EQ(dropped.size(), 0);
}

TEST_F(FileDropTargetTest, SecondRegistrationIsRefusedAndTheFirstKeepsWorking) {
    QListView other;
    EXPECT_FALSE(target.RegisterDropArea(&other));
    EXPECT_FALSE(other.viewport()->acceptDrops());
    const auto file = Files({QStringLiteral("/tmp/a.txt")});
    DragAndDrop(area.viewport(), file.get());
    EXPECT_EQ(dropped.size(), 1);
}

}  // namespace
}  // namespace zelvor
