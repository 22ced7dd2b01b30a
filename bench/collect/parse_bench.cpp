// Parse throughput of a member-list page: page count, members and nickname clean-up.
#include <benchmark/benchmark.h>

#include "collect/member_pages.h"
#include "forum_pages.h"

namespace {

using namespace zelvor;

void BM_ParseMemberPage(benchmark::State& state) {
    std::string page =
        fake_forum::SampleMemberPage(static_cast<fake_forum::PageStyle>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParsePageCount(page));
        benchmark::DoNotOptimize(ParseMembers(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["members"] = static_cast<double>(ParseMembers(page).size());
}
// 0: minified page, 1: indented page.
BENCHMARK(BM_ParseMemberPage)->Arg(0)->Arg(1)->ArgName("indented");

// Each scan of a minified page on its own: 0 the page count, 1 the members.
void BM_OneScan(benchmark::State& state) {
    std::string page = fake_forum::SampleMemberPage(fake_forum::PageStyle::Minified);
    const bool members = state.range(0) == 1;
    for (auto _ : state) {
        if (members) {
            benchmark::DoNotOptimize(ParseMembers(page));
        } else {
            benchmark::DoNotOptimize(ParsePageCount(page));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_OneScan)->Arg(0)->Arg(1)->ArgName("members");

}  // namespace

BENCHMARK_MAIN();
