// Time from handing a topic page to the info view until the engine has loaded it, for pages
// of growing size (GB18030 text served through the program's page scheme), beside the
// engine's own setContent where it still works.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSignalSpy>
#include <QWebEngineSettings>

#include <string>

#include "base/codepage.h"
#include "browse/page_scheme.h"
#include "browse/web_browser.h"
#include "browse/info_view_loader.h"

namespace {

std::string Page(size_t bytes) {
    const std::string line = zenta::ToNarrow("<p>回复：这一行是话题的正文，重复到页面够大为止。</p>\n");
    std::string page = "<html><body>";
    while (page.size() < bytes) page += line;
    return page + "</body></html>";
}

// Hands the page over with `load` and waits until the engine has loaded it.
template <typename Load>
void TimeLoads(benchmark::State& state, Load load) {
    zenta::WebBrowser view;
    view.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    view.resize(800, 600);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    zenta::BrowserNavigate(&view, QStringLiteral("about:start"));
    loaded.wait(20000);
    const std::string page = Page(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        loaded.clear();
        load(view, page);
        if (!loaded.wait(60000) || !loaded.constFirst().constFirst().toBool()) {
            state.SkipWithError("the page did not load");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

void LoadPageIntoInfoView(benchmark::State& state) {
    TimeLoads(state, [](zenta::WebBrowser& view, const std::string& page) { zenta::LoadHtmlIntoBrowser(&view, page); });
}
BENCHMARK(LoadPageIntoInfoView)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// For comparison: the engine's own setContent (a data address; it fails above about 2 MB).
void SetContentOfInfoView(benchmark::State& state) {
    TimeLoads(state, [](zenta::WebBrowser& view, const std::string& page) {
        view.setContent(QByteArray::fromStdString(page), QStringLiteral("text/html;charset=GB18030"));
    });
}
BENCHMARK(SetContentOfInfoView)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
