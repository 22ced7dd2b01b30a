// Parse throughput of a member-list page: page count, members and nickname clean-up.
#include <benchmark/benchmark.h>

#include "collect/member_pages.h"
#include "forum_pages.h"

namespace {

using namespace zelvor;

void BM_ParseMemberPage(benchmark::State& state) {
    auto style = static_cast<fake_forum::PageStyle>(state.range(0));
    auto members = fake_forum::MakeMembers("李毅", fake_forum::kMembersPerPage, 7);
    std::string page = fake_forum::RenderMemberPage("李毅", 3, 12, members, style);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParsePageCount(page));
        benchmark::DoNotOptimize(ParseMembers(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["members"] = static_cast<double>(ParseMembers(page).size());
}
// 0: minified page, 1: indented page.
BENCHMARK(BM_ParseMemberPage)->Arg(0)->Arg(1)->ArgName("indented");

}  // namespace

BENCHMARK_MAIN();
