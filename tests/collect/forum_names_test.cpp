#include "collect/forum_names.h"

#include <gtest/gtest.h>

namespace zelvor {
namespace {

TEST(SplitForumNamesTest, TrimsAndSkipsBlanksAndRepeats) {
    ForumNames names =
        SplitForumNames(" 李毅 \r\n\r\n魔兽世界\n李毅\r　 手机 　\r\n   \r\n", {"魔兽世界"});
    EXPECT_EQ(names.added, (std::vector<std::string>{"李毅", "手机"}));
    EXPECT_EQ(names.skipped, 2);  // 魔兽世界 queued, 李毅 again
    EXPECT_TRUE(SplitForumNames("").added.empty());
    EXPECT_EQ(SplitForumNames("a").added, std::vector<std::string>{"a"});
}

}  // namespace
}  // namespace zelvor
