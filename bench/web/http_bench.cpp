// Requests per second of SendHttpRequest against a loopback server: a new connection each
// call, as the routine opens and closes its own handles.
#include <benchmark/benchmark.h>

#include "loopback_server.h"
#include "web/http_request.h"

namespace {

using namespace zelvor;

void BM_SendHttpRequest(benchmark::State& state) {
    testing_support::LoopbackServer server;
    std::string body(static_cast<size_t>(state.range(0)), 'a');
    server.server().Get("/", [&body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "text/html");
    });
    server.Start();
    HttpRequest request;
    request.url = server.Url("/");
    for (auto _ : state) {
        HttpResponse response = SendHttpRequest(request);
        if (!response.ok()) {
            state.SkipWithError(response.errorMessage.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendHttpRequest)->Arg(1024)->Arg(60 * 1024)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
