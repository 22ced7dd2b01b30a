// Throughput of the member pattern over a member-list page as the client decodes it.
#include <benchmark/benchmark.h>

#include "forum_pages.h"
#include "text/regex_matcher.h"

namespace {

using namespace zelvor;

void BM_MemberPattern(benchmark::State& state) {
    std::string page =
        fake_forum::SampleMemberPage(static_cast<fake_forum::PageStyle>(state.range(0)));
    RegexMatcher matcher(
        R"re(<div class="name_wrap"><a href="(/home/main\?un=.*?)" class="user_name" title="(.*?)")re",
        false, false, false, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(matcher.Match(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
    state.counters["matches"] = matcher.MatchCount();
}
// 0: minified page, 1: indented page.
BENCHMARK(BM_MemberPattern)->Arg(0)->Arg(1)->ArgName("indented");

}  // namespace

BENCHMARK_MAIN();
