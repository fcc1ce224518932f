// The window on the million-topic board, as a user meets it: start-up (process start to the
// window shown with its tree built), a click on the largest forum until its first rows are in
// the grid, scrolling that list to its end, and a click on its busiest topic until the info
// view reports the page loaded (beside the engine loading the same page from a file). Prints
// one JSON object; run it with QT_QPA_PLATFORM=offscreen (and, as root,
// QTWEBENGINE_DISABLE_SANDBOX=1). Each run is one start-up, so bench/run starts it several
// times and takes the medians.
#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineSettings>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "app/main_window.h"
#include "app/page_control.h"
#include "app/topic_list_model.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "browse/page_scheme.h"
#include "browse/web_browser.h"
#include "render/topic_page.h"
#include "support/bench_archive.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Milliseconds since the kernel started this process (clock ticks of 10 ms).
double MillisecondsSinceProcessStart() {
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    // Field 22, start time in ticks after boot; the fields after the command's ")" are plain.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i < 22; ++i) fields >> field;
    long long startTicks = 0;
    fields >> startTicks;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6) -
           static_cast<double>(startTicks) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The peak resident size of this process so far, in MB.
double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    return 0;
}

// The resident size now of the web engine's processes (every descendant of this one), in MB.
double EngineMegabytes() {
    std::vector<std::pair<pid_t, pid_t>> parents;  // (process, its parent)
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream statFile(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
        if (stat.empty()) continue;
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string state;
        pid_t parent = 0;
        fields >> state >> parent;
        parents.emplace_back(std::stoi(name), parent);
    }
    std::vector<pid_t> family = {getpid()};
    double megabytes = 0;
    for (size_t i = 0; i < family.size(); ++i)
        for (const auto& [process, parent] : parents)
            if (parent == family[i]) {
                family.push_back(process);
                std::ifstream status("/proc/" + std::to_string(process) + "/status");
                for (std::string line; std::getline(status, line);)
                    if (line.rfind("VmRSS:", 0) == 0) megabytes += std::stod(line.substr(6)) / 1024;
            }
    return megabytes;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& caption) {
    const auto found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

int main(int argc, char** argv) {
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    const zenta::bench::CachedBoard& board = zenta::bench::MillionTopicBoard();

    // Start-up, as RunProgram does it: the window on the board named, its start-up, shown.
    zenta::Tindex window(QString::fromStdString(board.path), {}, nullptr);
    zenta::index = &window;
    // Watches the info view from its first navigation on, so later loads are told apart.
    QSignalSpy loaded(window.listinfo, &QWebEngineView::loadFinished);
    window.FormCreate(&window);
    if (window.TerminationRequested()) {
        std::cerr << "the window did not start on " << board.path << "\n";
        return 1;
    }
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    const double startup = MillisecondsSinceProcessStart();
    const double startupPeak = PeakMegabytes();
    const double startupEngine = EngineMegabytes();

    // The forum click until its first rows are in the grid, five times.
    window.PageControl1->setCurrentWidget(window.TabSheet2);
    QTreeWidgetItem* forum = FindNode(window.TreeView1, QString::fromStdString(board.facts.largestForum));
    if (!forum) {
        std::cerr << "no node for the largest forum\n";
        return 1;
    }
    window.TreeView1->setCurrentItem(forum);
    std::vector<double> listings;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        window.TreeView1Click(window.TreeView1);
        QCoreApplication::processEvents();
        if (window.DataSource1->rowCount() == 0) return 1;
        listings.push_back(MillisecondsSince(start));
    }

    // Scrolling to the end of the list, a screen's fetch at a time as the grid asks.
    const auto scrollStart = Clock::now();
    while (window.DataSource1->canFetchMore(QModelIndex())) {
        window.DBGrid1->scrollToBottom();
        QCoreApplication::processEvents();
    }
    const double scroll = MillisecondsSince(scrollStart);
    const int rows = window.DataSource1->rowCount();
    const double scrollPeak = PeakMegabytes();

    // The busiest topic's row clicked until the info view has loaded its page, five times.
    int busiest = -1;
    for (int row = 0; row < rows && busiest < 0; ++row)
        if (window.DataSource1->TopicId(row).integer() == board.facts.busiestTopic) busiest = row;
    if (busiest < 0) {
        std::cerr << "the busiest topic is not in the largest forum's list\n";
        return 1;
    }
    window.DBGrid1->setCurrentIndex(window.DataSource1->index(busiest, 0));
    if (loaded.isEmpty() && !loaded.wait(20000)) return 1;  // the page navigated at start-up
    std::vector<double> pages;
    for (int i = 0; i < 5; ++i) {
        loaded.clear();
        const auto start = Clock::now();
        window.DBGrid1CellClick(window.DBGrid1);
        if (!loaded.wait(60000) || !loaded.constFirst().constFirst().toBool()) {
            std::cerr << "the topic page did not load\n";
            return 1;
        }
        pages.push_back(MillisecondsSince(start));
    }

    const double browsePeak = PeakMegabytes();
    const double engine = EngineMegabytes();

    // The anchor: the engine alone loading the same page from a file, in a plain view.
    const std::string file = zenta::bench::CacheFolder() + "/busiest-topic.html";
    {
        zenta::Query row(&window.ADOConnection1);
        zenta::OpenTopicRow(row, window.ADOConnection1, board.facts.busiestTopic);
        std::ofstream(file, std::ios::binary)
            << "<meta charset=\"gb18030\">" << zenta::MakeTopicPage(window.ADOConnection1, zenta::ReadTopicRow(row));
    }
    QWebEngineView plain;
    plain.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    plain.resize(window.listinfo->size());
    plain.show();
    QSignalSpy plainLoaded(&plain, &QWebEngineView::loadFinished);
    std::vector<double> filePages;
    for (int i = 0; i < 5; ++i) {
        plainLoaded.clear();
        const auto start = Clock::now();
        plain.load(QUrl::fromLocalFile(QString::fromStdString(file)));
        if (!plainLoaded.wait(60000)) return 1;
        filePages.push_back(MillisecondsSince(start));
    }
    std::filesystem::remove(file);

    std::cout << "{\"startup_ms\":" << startup << ",\"startup_peak_MB\":" << startupPeak
              << ",\"startup_engine_MB\":" << startupEngine << ",\"first_rows_ms\":" << Median(listings)
              << ",\"scroll_ms\":" << scroll << ",\"scrolled_rows\":" << rows << ",\"scroll_peak_MB\":" << scrollPeak
              << ",\"page_loaded_ms\":" << Median(pages) << ",\"page_file_ms\":" << Median(filePages)
              << ",\"browse_peak_MB\":" << browsePeak << ",\"engine_MB\":" << engine << "}\n";
    return 0;
}
