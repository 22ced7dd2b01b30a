// Pages as the service renders them, with names and nicknames chosen by the fuzzer: the
// collector reads back exactly the members, the page count and the user ID, and never takes
// such a page for an empty forum or for the service refusing.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>

#include "collect/member_pages.h"
#include "collect/user_id.h"
#include "forum_pages.h"
#include "fuzz_check.h"

namespace fake = zelvor::fake_forum;
using zelvor::fuzz::TypedText;

namespace {

bool LooksRefused(std::string body) {
    zelvor::HttpResponse response;
    response.status = 200;
    response.body = std::move(body);
    return zelvor::IsRefusal(response);
}

// User IDs as the service writes them into links: letters, digits, ".", "_" and "-".
std::string IdText(std::string bytes) {
    std::erase_if(bytes, [](char c) {
        return !std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-';
    });
    return bytes.empty() ? "0" : bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string forum = TypedText(provider.ConsumeRandomLengthString(40));
    int pageCount = provider.ConsumeIntegralInRange(1, INT_MAX);
    int page = provider.ConsumeIntegralInRange(1, pageCount);
    auto style = provider.ConsumeBool() ? fake::PageStyle::Minified : fake::PageStyle::Indented;
    std::vector<fake::FakeMember> members;
    while (provider.remaining_bytes() > 0 && members.size() < 30) {
        fake::FakeMember m;
        m.nickname = TypedText(provider.ConsumeRandomLengthString(60));
        m.userName = TypedText(provider.ConsumeRandomLengthString(30));
        m.userId = IdText(provider.ConsumeRandomLengthString(30));
        members.push_back(std::move(m));
    }

    std::string html = fake::RenderMemberPage(forum, page, pageCount, members, style);
    std::vector<zelvor::ParsedMember> parsed = zelvor::ParseMembers(html);
    FUZZ_CHECK(parsed.size() == members.size());
    for (size_t i = 0; i < parsed.size(); ++i) {
        FUZZ_CHECK(parsed[i].nickname == members[i].nickname);
        FUZZ_CHECK(parsed[i].homeLink == fake::HomeLink(members[i]));
    }
    FUZZ_CHECK(zelvor::ParsePageCount(html) == pageCount);
    FUZZ_CHECK(members.empty() || !zelvor::IsEmptyForum(html));
    FUZZ_CHECK(!LooksRefused(html));

    std::string empty = fake::RenderEmptyForumPage(forum);
    FUZZ_CHECK(zelvor::IsEmptyForum(empty) && zelvor::ParseMembers(empty).empty());
    FUZZ_CHECK(!LooksRefused(empty));

    for (const fake::FakeMember& m : members) {
        std::string home = fake::RenderHomePage(m);
        FUZZ_CHECK(zelvor::ParseUserId(home) == m.userId);
        FUZZ_CHECK(!LooksRefused(home));
    }
    FUZZ_CHECK(LooksRefused(fake::RenderSecurityCheckPage()) &&
               LooksRefused(fake::RenderNetworkBusyPage()));
    return 0;
}
