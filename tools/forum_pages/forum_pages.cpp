#include "forum_pages.h"

#include <array>
#include <charconv>
#include <random>

#include "text/gbk.h"

namespace zelvor::fake_forum {

namespace {

constexpr std::array<std::string_view, 16> kSyllables{
    "小", "明", "吧", "友", "云", "海", "星", "月", "风", "雪", "花", "龙", "猫", "鱼", "山", "水"};
constexpr std::array<std::string_view, 8> kWords{"tieba", "Neo",  "abc", "x",
                                                 "Cat",   "user", "Lee", "hi"};
// Nicknames users really pick: markup characters, quotes, emoji, full-width forms.
constexpr std::array<std::string_view, 8> kDecorations{"&", "<>", "\"", "'", "😀", "★", "１２", "_"};

std::string EscapeHtml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            // As references, the way a page that escapes them writes them: the member
            // pattern reads a title on one line.
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Styles and scripts in the page head, about as heavy as the service's own.
std::string Filler(size_t bytes) {
    std::string out;
    int i = 0;
    while (out.size() < bytes) {
        out += ".tb_rich_poster_" + std::to_string(i) + "{margin:0 " + std::to_string(i % 9) +
               "px;color:#" + std::to_string(100 + i % 900) +
               ";background:url(//tb2.bdstatic."
               "com/tb/static-member/img/bg_" +
               std::to_string(i) + ".png) no-repeat}\n";
        ++i;
    }
    return out;
}

std::string NoticePage(std::string_view title, std::string_view message) {
    return R"(<!DOCTYPE html><html><head><meta charset="gbk"><title>)" + std::string(title) +
           R"(</title></head><body><div class="notice_box"><p class="notice_text">)" +
           std::string(message) + "</p></div></body></html>";
}

}  // namespace

std::vector<FakeMember> MakeMembers(std::string_view forum, int count, uint32_t seed) {
    std::seed_seq seq{seed, static_cast<uint32_t>(std::hash<std::string_view>{}(forum))};
    std::mt19937 random(seq);
    auto pick = [&random](const auto& pool) {
        return pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(random)];
    };
    std::vector<FakeMember> members;
    members.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        FakeMember m;
        m.nickname = std::string(pick(kSyllables)) + std::string(pick(kWords));
        if (i % 5 == 0) {
            m.nickname += pick(kDecorations);
        }
        m.nickname += std::to_string(i);
        m.userName =
            "u" + std::string(pick(kSyllables)) + std::to_string(i) + "_" + std::string(forum);
        m.userId =
            std::to_string(1000000000ULL + random() % 900000000ULL) + "_" + std::to_string(i);
        members.push_back(std::move(m));
    }
    return members;
}

std::optional<MemberPlace> FindMemberPlace(std::string_view userName) {
    // "u", one syllable, the index in decimal, "_", the forum.
    size_t separator = userName.find('_');
    if (separator == std::string_view::npos || !userName.starts_with('u')) {
        return std::nullopt;
    }
    size_t digits = separator;
    while (digits > 0 && userName[digits - 1] >= '0' && userName[digits - 1] <= '9') {
        --digits;
    }
    MemberPlace place{std::string(userName.substr(separator + 1)), 0};
    auto [end, error] =
        std::from_chars(userName.data() + digits, userName.data() + separator, place.index);
    if (digits == separator || error != std::errc() || end != userName.data() + separator) {
        return std::nullopt;
    }
    return place;
}

std::string HomeLink(const FakeMember& member) {
    return "/home/main?un=" + PercentEncodeGbk(member.userName) + "&ie=gbk&fr=furank";
}

std::string RenderMemberPage(std::string_view forum, int page, int pageCount,
                             std::span<const FakeMember> members, PageStyle style) {
    const bool indented = style == PageStyle::Indented;
    const char* br = indented ? "\n" : "";
    const char* in1 = indented ? "\n    " : "";
    const char* in2 = indented ? "\n        " : "";
    std::string forumText = EscapeHtml(forum);
    std::string page_html;
    page_html.reserve(64 * 1024);
    page_html += "<!DOCTYPE html><html><head>";
    page_html += br;
    page_html += R"(<meta http-equiv="Content-Type" content="text/html; charset=gbk"/><title>)" +
                 forumText + "吧会员_百度贴吧</title>" + br + "<style>" + Filler(49 * 1024) +
                 "</style></head>" + br +
                 R"(<body><div id="container"><div class="forum_info"><h1>)" + forumText +
                 "吧</h1></div>" + br + R"(<div class="member_list"><ul>)";
    for (const FakeMember& m : members) {
        std::string nick = EscapeHtml(m.nickname);
        std::string link = HomeLink(m);
        page_html += std::string(in1) + R"(<li class="member"><div class="avatar"><a href=")" +
                     link + R"(" target="_blank"><img src="//tb.himg.baidu.com/sys/portraitn/)" +
                     "item/" + m.userId + R"("/></a></div>)" + in2 + R"(<div class="name_wrap">)" +
                     in2 + R"(<a href=")" + link + R"(" class="user_name" title=")" + nick +
                     R"(" target="_blank">)" + nick + "</a>" + in2 + "</div>" + in2 +
                     R"(<div class="forum_level"><span class="level_)" +
                     std::to_string(m.userId.size() % 18) + R"("></span></div></li>)";
    }
    page_html += std::string(br) + R"(</ul></div><div class="tbui_pagination"><ul>)";
    for (int p = std::max(1, page - 4); p <= std::min(pageCount, page + 4); ++p) {
        page_html +=
            p == page
                ? "<li class=\"active\"><span>" + std::to_string(p) + "</span></li>"
                : "<li><a href=\"/bawu2/platform/listMemberInfo?word=" + PercentEncodeGbk(forum) +
                      "&pn=" + std::to_string(p) + "\">" + std::to_string(p) + "</a></li>";
    }
    page_html += R"(<li><span class="tbui_total_page">共)" + std::to_string(pageCount) +
                 "页</span></li></ul></div>" + br + "</div></body></html>";
    return page_html;
}

std::string RenderEmptyForumPage(std::string_view forum) {
    return R"(<!DOCTYPE html><html><head><meta http-equiv="Content-Type" content="text/html; )"
           R"(charset=gbk"/><title>)" +
           EscapeHtml(forum) +
           R"(吧会员_百度贴吧</title></head><body><div class="member_list">)"
           R"(<p class="empty_tip">本吧暂时空无会员</p></div></body></html>)";
}

std::string RenderHomePage(const FakeMember& member) {
    return R"(<!DOCTYPE html><html><head><meta charset="gbk"><title>)" +
           EscapeHtml(member.nickname) +
           R"(的贴吧</title></head><body><div class="userinfo"><span class="userinfo_username">)" +
           EscapeHtml(member.nickname) + R"(</span><a href="/im/pcmsg?from=)" + member.userId +
           R"(" class="btn_sendmsg" target="_blank">发私信</a></div></body></html>)";
}

std::string RenderUnknownUserPage() {
    return NoticePage("贴吧404", "抱歉，您访问的用户不存在或已被屏蔽。");
}

std::string RenderSecurityCheckPage() {
    return NoticePage("百度安全验证", "网络环境存在异常，请完成下方验证后继续访问。");
}

std::string RenderNetworkBusyPage() {
    return NoticePage("百度贴吧", "网络不给力，请稍后重试");
}

std::string SampleMemberPage(PageStyle style) {
    return RenderMemberPage("李毅", 3, 12, MakeMembers("李毅", kMembersPerPage, 7), style);
}

}  // namespace zelvor::fake_forum
