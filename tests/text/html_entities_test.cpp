#include "text/html_entities.h"

#include <gtest/gtest.h>

namespace zelvor {
namespace {

TEST(DecodeHtmlEntitiesTest, Table) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a&amp;b", "a&b"},
        {"&lt;tag&gt; &quot;q&quot; it&#39;s &apos;", "<tag> \"q\" it's '"},
        {"&#20013;&#x6587;&#X1F600;", "中文😀"},
        {"&amp;amp;", "&amp;"},
        {"AT&T & co", "AT&T & co"},
        {"&unknown; &#; &#xZZ; &#12", "&unknown; &#; &#xZZ; &#12"},
        {"&#0;&#xD800;&#x110000;", "\uFFFD\uFFFD\uFFFD"},
        {"end&", "end&"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeHtmlEntities(c.in), c.out) << c.in;
    }
}

}  // namespace
}  // namespace zelvor
