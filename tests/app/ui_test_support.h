// Helpers for the window's tests: a test program's main, a main window started on a small
// archive, and waiting on the web engine.
#pragma once

#include <QApplication>
#include <QSignalSpy>
#include <QString>
#include <QTest>

#include <memory>
#include <string>

#include "app/error_report.h"
#include "app/main_window.h"
#include "browse/page_scheme.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta::test {

// A board with one category, one forum in it and one subcategory (UTF-8 statements).
extern const char* const kSmallBoard;
// Root > 编程语言 > 综合讨论 with three topics by Tom: 10 "topic ten" (2003-04-05), 11 "第十一"
// (2003-04-06) and 12 "topic twelve" (2003-04-07), whose messages read "body of ten" and so on.
extern const char* const kForumWithTopics;

// A main window over a temporary folder holding `board` as zenta.mdb, started up, with
// boxes recorded; `progress` is its progress form (none by default).
struct StartedWindow {
    explicit StartedWindow(const std::string& board = kSmallBoard, Tlogin_dir* progress = nullptr);
    // Waits until both web views have finished their first page; false on a time-out.
    bool WaitForFirstPages();

    TempDir folder;
    MessageRecorder messages;
    std::unique_ptr<Tindex> window;

private:
    std::unique_ptr<QSignalSpy> mainLoaded_, infoLoaded_;
};

// Settings and favourites in folders of the test program's own, never the user's.
struct PrivateUserFolders {
    PrivateUserFolders();
    TempDir home;
    ScopedEnvironment environment;
};

// Brings a page of PageControl1 on top by a click on its tab, as the user does.
void SelectPageByUser(Tindex& window, int page);

// Clicks the tree's node of the forum (its parents expanded first), as the user does.
void ClickForum(Tindex& window, const QString& caption);

// Waits until the view has finished loading a page; false on a time-out.
bool WaitForLoad(WebBrowser* view, int timeoutMs = 20000);
// The page's text as the engine has it (no script needed); empty on a time-out.
QString PageText(WebBrowser* view);

}  // namespace zenta::test

// main() of a QtTest program using the web engine: the page scheme is registered first.
#define ZENTA_UI_TEST_MAIN(TestClass)           \
    int main(int argc, char** argv) {           \
        zenta::RegisterPageScheme();            \
        QApplication app(argc, argv);           \
        zenta::test::PrivateUserFolders user;   \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
