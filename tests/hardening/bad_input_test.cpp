// The bad-input matrix: every way a file comes in, against every kind of bad file. Each case
// names the message the user is shown (a part of it; empty when the way succeeds) and what
// the main archive may hold afterwards: the same bytes, or whole tables' worth of batches.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "archive/category_tree.h"
#include "archive/connection.h"
#include "archive/main_archive.h"
#include "base/errors.h"
#include "import/archive_merge.h"
#include "import/merge_source.h"
#include "archive_probe.h"
#include "child_report.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

enum class Way { StartUp, AddPlain, AddZnt, CliTree, CliMerge, CliList, CliSearch, CliPage };
enum class Bad {
    Missing,
    Empty,
    Truncated,
    WrongFormat,
    DamagedPages,
    TableMissing,
    ColumnMissing,
    WrongType,
    Claims2GB,
    InflatesBeyondClaim,
    ReadOnlyMain,
    LockedMain,
    Good,  // no fault in the file: the source of a case whose fault is the main archive's
    // Code where rows belong: each of the five names as a view of endless rows, a view that
    // calls a function the engine refuses, a virtual table, and a trigger that would grow a
    // table without end if it ever ran.
    EndlessCategoryView,
    EndlessForumView,
    EndlessMembersView,
    EndlessReplyView,
    EndlessTopicsView,
    RefusedFunctionView,
    VirtualTable,
    Trigger
};
// What the main archive may hold afterwards.
enum class Main { Unchanged, WholeTables };

struct Case {
    Way way;
    Bad bad;
    const char* message;  // a part of the error shown; "" when the way succeeds
    Main main;
};

const char* const kRows =
    "insert into FORUM_CATEGORY values (1,'Delphi',0,10,1),(2,'VCL',1,10,1);"
    "insert into FORUM_FORUM values (1,1,'Tips',null,1),(2,2,'Components',null,1);"
    "insert into FORUM_MEMBERS values (1,'Tom',null,2);"
    "insert into FORUM_TOPICS values (101,1,1,1,'hello',0,'20021231143000','text',1,1,'Y',1,'20030101000000');"
    "insert into FORUM_REPLY values (1,101,1,'reply','20030101000000',1);";
// The same board under keys the main archive does not hold, so that a merge adds every row.
const char* const kSourceRows =
    "insert into FORUM_CATEGORY values (11,'Kylix',0,20,1);"
    "insert into FORUM_FORUM values (11,11,'Linux',null,1);"
    "insert into FORUM_MEMBERS values (11,'Ann',null,1);"
    "insert into FORUM_TOPICS values (111,11,11,11,'penguin',0,'20040101000000','text',1,1,'N',1,'20040102000000');"
    "insert into FORUM_REPLY values (11,111,11,'ok','20040102000000',11);";

std::string Deflate(const std::string& bytes, std::int32_t claimed) {
    uLongf size = compressBound(bytes.size());
    std::string out(4 + size, '\0');
    std::memcpy(out.data(), &claimed, 4);
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(out.data() + 4), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                       bytes.size()),
              Z_OK);
    out.resize(4 + size);
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Writes the bad file of the kind at `path` (nothing for a missing one); a good archive
// holding `rows` is what it is made from.
void MakeBadArchive(Bad bad, const std::string& path, const char* rows) {
    const std::string good = path + ".good";
    test::MakeArchive(good, rows);
    const std::string bytes = test::ReadFile(good);
    std::filesystem::remove(good);
    switch (bad) {
        case Bad::Missing:
            return;
        case Bad::Empty:
            return WriteFile(path, "");
        case Bad::Truncated:
            return WriteFile(path, bytes.substr(0, bytes.size() / 2));
        case Bad::WrongFormat:
            return WriteFile(path, "PK\3\4 a zip file, not an archive");
        case Bad::DamagedPages: {
            // The header page stays; the pages of the tables' roots and rows are scribbled over.
            std::string damaged = bytes;
            for (size_t at = 4096; at < damaged.size(); at += 7) damaged[at] = static_cast<char>(0xA5 ^ at);
            return WriteFile(path, damaged);
        }
        case Bad::TableMissing:
            WriteFile(path, bytes);
            return test::RunSql(path, "drop table FORUM_TOPICS");
        case Bad::ColumnMissing:
            WriteFile(path, bytes);
            return test::RunSql(
                path,
                "create table c2 (cat_id INTEGER PRIMARY KEY, cat_name TEXT, cat_order INTEGER, cat_status INTEGER);"
                "insert into c2 select cat_id, cat_name, cat_order, cat_status from FORUM_CATEGORY;"
                "drop table FORUM_CATEGORY; alter table c2 rename to FORUM_CATEGORY");
        case Bad::WrongType:
            // Keys that are no numbers, in a table that is not strict about them.
            WriteFile(path, bytes);
            return test::RunSql(
                path,
                "create table c2 (cat_id TEXT, cat_name BLOB, cat_pid INTEGER, cat_order INTEGER, cat_status INTEGER);"
                "insert into c2 select 'key ' || cat_id, cast(cat_name as blob), cat_pid, cat_order, cat_status "
                "from FORUM_CATEGORY; drop table FORUM_CATEGORY; alter table c2 rename to FORUM_CATEGORY");
        case Bad::EndlessCategoryView:
        case Bad::EndlessForumView:
        case Bad::EndlessMembersView:
        case Bad::EndlessReplyView:
        case Bad::EndlessTopicsView: {
            static const char* const names[] = {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_MEMBERS", "FORUM_REPLY",
                                                "FORUM_TOPICS"};
            const std::string name = names[static_cast<int>(bad) - static_cast<int>(Bad::EndlessCategoryView)];
            WriteFile(path, bytes);
            return test::RunSql(path, "drop table " + name + "; create view " + name +
                                          " as with recursive r(n) as (select 1 union all select n + 1 from r) "
                                          "select n, n, n, n, n, n, n, n, n, n, n, n, n from r");
        }
        case Bad::RefusedFunctionView:
            WriteFile(path, bytes);
            return test::RunSql(path,
                                "alter table FORUM_FORUM rename to f2; create view FORUM_FORUM as select * from f2 "
                                "where load_extension('/nonexistent/evil') is null");
        case Bad::VirtualTable:
            WriteFile(path, bytes);
            return test::RunSql(path, "drop table FORUM_REPLY; create virtual table FORUM_REPLY using fts5(R_MESSAGE)");
        case Bad::Trigger:
            WriteFile(path, bytes);
            return test::RunSql(path,
                                "create trigger grow after insert on FORUM_REPLY begin insert into FORUM_REPLY "
                                "select new.REPLY_ID + 1, TOPIC_ID, R_AUTHOR, R_MESSAGE, R_DATE, FORUM_ID "
                                "from FORUM_REPLY where REPLY_ID = new.REPLY_ID; end");
        default:
            return WriteFile(path, bytes);
    }
}

// The compressed form of a bad file, or one of the compressed archives' own faults.
void MakeBadCompressed(Bad bad, const std::string& path, const char* rows) {
    const std::string plain = path + ".plain";
    switch (bad) {
        case Bad::Missing:
            return;
        case Bad::Empty:
            return WriteFile(path, "");
        case Bad::Truncated:
            MakeBadArchive(Bad::Good, plain, rows);
            WriteFile(
                path,
                Deflate(test::ReadFile(plain), static_cast<std::int32_t>(test::ReadFile(plain).size())).substr(0, 300));
            break;
        case Bad::WrongFormat:
            WriteFile(path, std::string("\x10\0\0\0 no zlib stream here", 25));
            break;
        case Bad::Claims2GB:
            return WriteFile(path, Deflate("tiny", 0x7FFFFFFF));
        case Bad::InflatesBeyondClaim: {
            // A good archive followed by 64 MB of zeros: only the claimed bytes are unpacked.
            MakeBadArchive(Bad::Good, plain, rows);
            std::string bytes = test::ReadFile(plain);
            const auto claimed = static_cast<std::int32_t>(bytes.size());
            bytes.append(64 << 20, '\0');
            WriteFile(path, Deflate(bytes, claimed));
            break;
        }
        default:
            MakeBadArchive(bad, plain, rows);
            WriteFile(path, Deflate(test::ReadFile(plain), static_cast<std::int32_t>(test::ReadFile(plain).size())));
    }
    std::filesystem::remove(plain);
}

bool IsMainFault(Bad bad) { return bad == Bad::ReadOnlyMain || bad == Bad::LockedMain; }
bool TakesBadMain(Way way) {
    return way == Way::StartUp || way == Way::CliTree || way == Way::CliList || way == Way::CliSearch ||
           way == Way::CliPage;
}

std::string Problems(const std::vector<TableCopy>& copies) {
    std::string problems;
    for (const TableCopy& copy : copies)
        if (!copy.problem.empty()) problems += copy.table + ": " + copy.problem + "\n";
    return problems;
}

// Runs the way; returns the message shown, or "" when everything went in.
std::string RunWay(Way way, const std::string& dir, const std::string& source) {
    const std::string main = MainArchivePath(dir);
    try {
        switch (way) {
            case Way::StartUp: {
                PrepareMainArchive(main);
                Connection connection;
                OpenMainArchive(connection, main);
                TreeNode root;
                BuildCategoryTree(connection, root);
                return "";
            }
            case Way::AddPlain:
            case Way::AddZnt: {
                Connection connection(main);
                auto from = OpenMergeSource(source);
                return Problems(MergeArchive(connection, *from));
            }
            case Way::CliTree:
            case Way::CliMerge:
            case Way::CliList:
            case Way::CliSearch:
            case Way::CliPage: {
                const std::map<Way, std::string> arguments = {
                    {Way::CliTree, "tree '" + main + "'"},
                    {Way::CliMerge, "merge '" + main + "' '" + source + "'"},
                    {Way::CliList, "list '" + main + "' Tips"},
                    {Way::CliSearch, "search '" + main + "' --title hello"},
                    {Way::CliPage, "page '" + main + "' 101"}};
                std::string out, err;
                int status = test::RunCli(arguments.at(way), &out, &err);
                if (status != 0) return err.empty() ? "exit " + std::to_string(status) : err;
                // The merge's report names a table's problem in brackets.
                std::string problems, line;
                for (std::istringstream lines(out); std::getline(lines, line);)
                    if (line.find('(') != std::string::npos) problems += line + "\n";
                return problems;
            }
        }
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// Row counts of the five tables that can be read; a view under the name is never run.
std::map<std::string, std::int64_t> Counts(const std::string& path) {
    std::map<std::string, std::int64_t> counts;
    for (const char* table : {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_MEMBERS", "FORUM_REPLY", "FORUM_TOPICS"}) {
        if (test::ReadFirstValue(path, std::string("select type from sqlite_master where name = '") + table + "'") !=
            "table")
            continue;
        const std::string count = test::ReadFirstValue(path, std::string("select count(*) from ") + table);
        if (count != "(failed)") counts[table] = std::stoll(count);
    }
    return counts;
}

// Holds the main archive's write lock from another connection for a while, as another
// instance in the middle of a batch would.
class WriterLock {
public:
    WriterLock(const std::string& path, std::chrono::milliseconds hold) {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        release_ = std::thread([this, hold] {
            std::this_thread::sleep_for(hold);
            sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
        });
    }
    ~WriterLock() {
        release_.join();
        sqlite3_close(db_);
    }

private:
    sqlite3* db_ = nullptr;
    std::thread release_;
};

// Runs the way as an ordinary user when this test runs as root, who writes any file.
std::string RunWayWithoutPrivileges(Way way, const std::string& dir, const std::string& source) {
    if (geteuid() != 0) return RunWay(way, dir, source);
    return test::RunInChild([] { return setgid(65534) == 0 && setuid(65534) == 0; },
                            [&] { return RunWay(way, dir, source); });
}

class BadInput : public testing::TestWithParam<Case> {};

TEST_P(BadInput, ShowsTheMessageAndKeepsTheMainArchive) {
    const Case c = GetParam();
    test::TempDir dir;
    test::ScopedEnvironment environment;
    environment.Set("XDG_CACHE_HOME", dir.File("cache"));
    const std::string main = MainArchivePath(dir.path());
    std::string source =
        dir.File(c.way == Way::AddZnt ||
                         (c.way == Way::CliMerge && (c.bad == Bad::Claims2GB || c.bad == Bad::InflatesBeyondClaim))
                     ? "source.znt"
                     : "source.mdb");
    if (TakesBadMain(c.way) && !IsMainFault(c.bad)) {
        MakeBadArchive(c.bad, main, kRows);
    } else {
        test::MakeArchive(main, kRows);
        if (source.ends_with(".znt"))
            MakeBadCompressed(IsMainFault(c.bad) ? Bad::Good : c.bad, source, kSourceRows);
        else
            MakeBadArchive(IsMainFault(c.bad) ? Bad::Good : c.bad, source, kSourceRows);
    }
    const bool mainExists = std::filesystem::exists(main);
    const std::string before = mainExists ? test::ReadFile(main) : "";
    const auto countsBefore = Counts(main);

    std::string message;
    if (c.bad == Bad::ReadOnlyMain) {
        chmod(dir.path().c_str(), 0755);
        chmod(main.c_str(), 0444);
        mkdir(dir.File("cache").c_str(), 0700);
        if (chown(dir.File("cache").c_str(), 65534, 65534) != 0) FAIL() << "cannot hand the cache folder over";
        message = RunWayWithoutPrivileges(c.way, dir.path(), source);
    } else if (c.bad == Bad::LockedMain) {
        // Held for less than the wait, from before the archive is opened: the way waits for the
        // other writer and goes on.
        WriterLock lock(main, std::chrono::milliseconds(1500));
        message = RunWay(c.way, dir.path(), source);
    } else {
        message = RunWay(c.way, dir.path(), source);
    }

    // An expected message without a blank is the whole message (the inflater's is "error").
    if (std::string(c.message).find(' ') == std::string::npos)
        EXPECT_EQ(message, c.message);
    else
        EXPECT_NE(message.find(c.message), std::string::npos) << "the message was: " << message;
    EXPECT_EQ(std::filesystem::exists(main), mainExists);
    if (!mainExists) return;
    if (c.main == Main::Unchanged) {
        // The file's header is passed over: opening the archive for writing puts it in
        // write-ahead-log mode, which the header records.
        auto body = [](const std::string& bytes) { return bytes.substr(std::min<size_t>(100, bytes.size())); };
        EXPECT_TRUE(body(test::ReadFile(main)) == body(before))
            << "the main archive changed";
    } else {
        // Whole tables of the source went in, or none of their rows.
        EXPECT_EQ(test::ReadFirstValue(main, "PRAGMA integrity_check"), "ok");
        for (const auto& [table, count] : Counts(main))
            EXPECT_TRUE(count == countsBefore.at(table) || count == countsBefore.at(table) + 1)
                << table << ": " << count;
    }
}

void PrintTo(const Case& c, std::ostream* out) { *out << "\"" << c.message << "\""; }

std::string CaseName(const testing::TestParamInfo<Case>& info) {
    static const char* const ways[] = {"StartUp",  "AddPlain", "AddZnt",   "CliTree",
                                       "CliMerge", "CliList",  "CliSearch", "CliPage"};
    static const char* const bads[] = {"Missing",
                                       "Empty",
                                       "Truncated",
                                       "WrongFormat",
                                       "DamagedPages",
                                       "TableMissing",
                                       "ColumnMissing",
                                       "WrongType",
                                       "Claims2GB",
                                       "InflatesBeyondClaim",
                                       "ReadOnlyMain",
                                       "LockedMain",
                                       "Good",
                                       "EndlessCategoryView",
                                       "EndlessForumView",
                                       "EndlessMembersView",
                                       "EndlessReplyView",
                                       "EndlessTopicsView",
                                       "RefusedFunctionView",
                                       "VirtualTable",
                                       "Trigger"};
    return std::string(ways[static_cast<int>(info.param.way)]) + "_" + bads[static_cast<int>(info.param.bad)];
}

using enum Way;
using enum Bad;
using enum Main;

INSTANTIATE_TEST_SUITE_P(
    Matrix, BadInput,
    testing::Values(
        // The main archive at start-up: the file itself is bad. A table missing leaves its
        // forums' topics unlisted, not the tree unbuilt; text keys break the tree's statements,
        // which are built from the keys as the board's code builds them.
        Case{StartUp, Missing, "Cannot open the archive", Unchanged},
        Case{StartUp, Empty, "is not an archive", Unchanged},
        Case{StartUp, Truncated, "zenta.mdb\" is not a readable archive: database disk image is malformed", Unchanged},
        Case{StartUp, WrongFormat, "is not an archive", Unchanged},
        Case{StartUp, DamagedPages, "database disk image is malformed", Unchanged},
        Case{StartUp, TableMissing, "", Unchanged}, Case{StartUp, ColumnMissing, "no such column: cat_pid", Unchanged},
        Case{StartUp, WrongType, "near \"1\": syntax error", Unchanged}, Case{StartUp, ReadOnlyMain, "", Unchanged},
        Case{StartUp, LockedMain, "", Unchanged},
        // Add data with a plain archive. Columns go by position, so a source missing a middle
        // column merges with its values shifted, as the board's own merge did.
        Case{AddPlain, Missing, "Cannot open the archive", Unchanged},
        Case{AddPlain, Empty, "is not an archive", Unchanged},
        Case{AddPlain, Truncated, "source.mdb\" is not a readable archive: database disk image is malformed",
             Unchanged},
        Case{AddPlain, WrongFormat, "is not an archive", Unchanged},
        Case{AddPlain, DamagedPages, "FORUM_CATEGORY: database disk image is malformed", WholeTables},
        Case{AddPlain, TableMissing, "FORUM_TOPICS: the source archive has no such table", WholeTables},
        Case{AddPlain, ColumnMissing, "", WholeTables},
        Case{AddPlain, WrongType, "FORUM_CATEGORY: datatype mismatch", WholeTables},
        Case{AddPlain, ReadOnlyMain, "FORUM_CATEGORY: attempt to write a readonly database", Unchanged},
        Case{AddPlain, LockedMain, "", WholeTables},
        // Add data with a compressed archive.
        Case{AddZnt, Missing, "Cannot open file", Unchanged},
        Case{AddZnt, Empty, "too few to hold the unpacked size", Unchanged},
        Case{AddZnt, Truncated, "Stream read error", Unchanged}, Case{AddZnt, WrongFormat, "error", Unchanged},
        Case{AddZnt, DamagedPages, "FORUM_CATEGORY: database disk image is malformed", WholeTables},
        Case{AddZnt, TableMissing, "FORUM_TOPICS: the source archive has no such table", WholeTables},
        Case{AddZnt, ColumnMissing, "", WholeTables},
        Case{AddZnt, WrongType, "FORUM_CATEGORY: datatype mismatch", WholeTables},
        Case{AddZnt, Claims2GB, "ends after 4 of its 2147483647 bytes", Unchanged},
        Case{AddZnt, InflatesBeyondClaim, "", WholeTables},
        Case{AddZnt, ReadOnlyMain, "FORUM_CATEGORY: attempt to write a readonly database", Unchanged},
        Case{AddZnt, LockedMain, "", WholeTables},
        // zenta-cli: the tree of a bad main archive, and a merge of a bad source.
        Case{CliTree, Missing, "Cannot open the archive", Unchanged},
        Case{CliTree, Empty, "is not an archive", Unchanged},
        Case{CliTree, Truncated, "zenta.mdb\" is not a readable archive: database disk image is malformed", Unchanged},
        Case{CliTree, WrongFormat, "is not an archive", Unchanged},
        Case{CliTree, DamagedPages, "zenta-cli: database disk image is malformed", Unchanged},
        Case{CliTree, TableMissing, "", Unchanged},
        Case{CliTree, ColumnMissing, "zenta-cli: no such column: cat_pid", Unchanged},
        Case{CliTree, WrongType, "zenta-cli: near \"1\": syntax error", Unchanged},
        Case{CliTree, LockedMain, "", Unchanged}, Case{CliMerge, Missing, "Cannot open the archive", Unchanged},
        Case{CliMerge, Empty, "is not an archive", Unchanged},
        Case{CliMerge, Truncated, "source.mdb\" is not a readable archive: database disk image is malformed",
             Unchanged},
        Case{CliMerge, WrongFormat, "is not an archive", Unchanged},
        Case{CliMerge, TableMissing,
             "FORUM_TOPICS: 0 added, 0 already present, 0 not copied (the source archive has no such table)",
             WholeTables},
        Case{CliMerge, DamagedPages,
             "FORUM_CATEGORY: 0 added, 0 already present, 1 not copied (database disk image is malformed)",
             WholeTables},
        Case{CliMerge, ColumnMissing, "", WholeTables},
        Case{CliMerge, WrongType, "FORUM_CATEGORY: 0 added, 0 already present, 1 not copied (datatype mismatch)",
             WholeTables},
        Case{CliMerge, Claims2GB, "ends after 4 of its 2147483647 bytes", Unchanged},
        Case{CliMerge, InflatesBeyondClaim, "", WholeTables},
        Case{CliMerge, ReadOnlyMain,
             "FORUM_CATEGORY: 0 added, 0 already present, 1 not copied (attempt to write a readonly database)",
             Unchanged},
        Case{CliMerge, LockedMain, "", WholeTables}),
    CaseName);

// Code under the five names, through every way: the table is refused by name, before any of
// its code runs, so each case ends at once; a trigger never runs, since sources are opened
// read-only and the ways that take the main archive only read it.
std::vector<Case> HostileCases() {
    struct Hostile {
        Bad bad;
        const char* table;
    };
    static const Hostile hostile[] = {
        {EndlessCategoryView, "FORUM_CATEGORY"}, {EndlessForumView, "FORUM_FORUM"},   {EndlessMembersView, "FORUM_MEMBERS"},
        {EndlessReplyView, "FORUM_REPLY"},       {EndlessTopicsView, "FORUM_TOPICS"}, {RefusedFunctionView, "FORUM_FORUM"},
        {VirtualTable, "FORUM_REPLY"},           {Trigger, nullptr}};
    // The messages outlive the cases, which hold pointers to them.
    static std::vector<std::string> messages;
    messages.reserve(128);
    std::vector<Case> cases;
    for (const Hostile& h : hostile) {
        for (Way way : {StartUp, AddPlain, AddZnt, CliTree, CliMerge, CliList, CliSearch, CliPage}) {
            std::string message;
            if (h.table) {
                const std::string refusal = std::string(h.table) + " is not a table";
                if (TakesBadMain(way))
                    message = "zenta.mdb\" is not a readable archive: " + refusal;
                else if (way == CliMerge)
                    message = std::string(h.table) + ": 0 added, 0 already present, 0 not copied (" + refusal + ")";
                else
                    message = std::string(h.table) + ": " + refusal;
            }
            messages.push_back(message);
            cases.push_back(Case{way, h.bad, messages.back().c_str(), TakesBadMain(way) ? Unchanged : WholeTables});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Hostile, BadInput, testing::ValuesIn(HostileCases()), CaseName);

}  // namespace
}  // namespace zenta
