// The converted archive holds exactly the rows, values and keys of the Jet fixtures.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "archive/jet_conversion.h"
#include "base/errors.h"
#include "converted_archive.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

using test::QueryRows;

const char* const kArchiveTablesForTest[] = {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_TOPICS", "FORUM_REPLY",
                                             "FORUM_MEMBERS"};

class JetConversion : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared Jet fixtures are not there";
    }
    // Converts a fixture once per test into the test's folder.
    std::string Converted(const std::string& fixture) {
        std::string dest = dir_.File(fixture + ".native");
        if (!std::filesystem::exists(dest)) ConvertJetArchive(test::FixturePath(fixture), dest);
        return dest;
    }
    std::optional<std::string> Value(const std::string& fixture, const std::string& sql) {
        auto rows = QueryRows(Converted(fixture), sql);
        EXPECT_EQ(rows.size(), 1u) << sql;
        return rows.empty() ? std::nullopt : rows[0][0];
    }
    test::TempDir dir_;
};

TEST_F(JetConversion, KeepsEveryRowOfEveryTable) {
    // Row counts from the fixtures' manifest; -1: the file has no such table.
    const std::map<std::string, std::array<int, 5>> counts = {
        // FORUM_CATEGORY, FORUM_FORUM, FORUM_TOPICS, FORUM_REPLY, FORUM_MEMBERS
        {"sample.mdb", {18, 17, 61, 210, 17}},    {"sample-numdate.mdb", {18, 17, 61, 210, 17}},
        {"sample-extra.mdb", {5, 4, 10, 24, -1}}, {"wide.mdb", {2, 2, 5, 10, 3}},
        {"narrow.mdb", {2, 2, 5, 10, 3}},
    };
    const char* tables[] = {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_TOPICS", "FORUM_REPLY", "FORUM_MEMBERS"};
    for (const auto& [fixture, expected] : counts) {
        for (int t = 0; t < 5; ++t) {
            auto rows = QueryRows(Converted(fixture),
                                  std::string("SELECT count(*) FROM sqlite_master WHERE name = '") + tables[t] + "'");
            bool present = rows.at(0).at(0) == "1";
            EXPECT_EQ(present, expected[t] >= 0) << fixture << " " << tables[t];
            if (present && expected[t] >= 0) {
                EXPECT_EQ(Value(fixture, std::string("SELECT count(*) FROM ") + tables[t]), std::to_string(expected[t]))
                    << fixture << " " << tables[t];
            }
        }
    }
}

// mdb-export reads the same files with the same library, printing Null and '' alike; every
// other value must agree with it exactly.
TEST_F(JetConversion, AgreesWithMdbExportOnEveryValue) {
    for (const char* fixture : {"sample.mdb", "sample-numdate.mdb", "sample-extra.mdb", "wide.mdb", "narrow.mdb"}) {
        for (const char* table : {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_TOPICS", "FORUM_REPLY", "FORUM_MEMBERS"}) {
            auto exported = test::ExportedRows(test::FixturePath(fixture), table);
            if (!exported) {
                if (std::string(fixture) == "sample-extra.mdb" && std::string(table) == "FORUM_MEMBERS") continue;
                GTEST_SKIP() << "mdb-export is not installed";
            }
            std::string converted = Converted(fixture);
            auto types = test::ColumnsOf(converted, table);
            auto rows = QueryRows(converted, std::string("SELECT * FROM ") + table);
            ASSERT_EQ(rows.size(), exported->size()) << fixture << " " << table;
            auto by_key = [](const auto& a, const auto& b) {
                return std::stoll(*std::optional<std::string>(a[0])) < std::stoll(*std::optional<std::string>(b[0]));
            };
            std::sort(rows.begin(), rows.end(), by_key);
            std::sort(exported->begin(), exported->end(), by_key);
            for (size_t r = 0; r < rows.size(); ++r) {
                ASSERT_EQ(rows[r].size(), (*exported)[r].size()) << fixture << " " << table << " row " << r;
                for (size_t c = 0; c < rows[r].size(); ++c) {
                    const std::string& expected = (*exported)[r][c];
                    const auto& actual = rows[r][c];
                    std::string where =
                        std::string(fixture) + " " + table + " " + types[c] + " key " + (*exported)[r][0];
                    if (!actual)
                        EXPECT_EQ(expected, "") << where;
                    else if (types[c].ends_with("REAL"))
                        EXPECT_EQ(std::stod(*actual), std::stod(expected)) << where;
                    else
                        EXPECT_EQ(*actual, expected) << where;
                }
            }
        }
    }
}

TEST_F(JetConversion, KeepsNullApartFromEmptyText) {
    struct Case {
        const char* sql;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"SELECT t_good FROM FORUM_TOPICS WHERE TOPIC_ID = 158", ""},
        {"SELECT t_good FROM FORUM_TOPICS WHERE TOPIC_ID = 127", std::nullopt},
        {"SELECT t_good FROM FORUM_TOPICS WHERE TOPIC_ID = 120", " "},
        {"SELECT t_message FROM FORUM_TOPICS WHERE TOPIC_ID = 141", std::nullopt},
        {"SELECT t_message FROM FORUM_TOPICS WHERE TOPIC_ID = 155", ""},
        {"SELECT R_MESSAGE FROM FORUM_REPLY WHERE REPLY_ID = 180", std::nullopt},
        {"SELECT R_MESSAGE FROM FORUM_REPLY WHERE REPLY_ID = 54", ""},
        {"SELECT t_subject FROM FORUM_TOPICS WHERE TOPIC_ID = 121", std::nullopt},
        {"SELECT M_EMAIL FROM FORUM_MEMBERS WHERE MEMBER_ID = 10", std::nullopt},
        {"SELECT M_POSTS FROM FORUM_MEMBERS WHERE MEMBER_ID = 20", std::nullopt},
        {"SELECT t_kind FROM FORUM_TOPICS WHERE TOPIC_ID = 110", std::nullopt},
        {"SELECT t_kind FROM FORUM_TOPICS WHERE TOPIC_ID = 115", "0"},
        {"SELECT cat_status FROM FORUM_CATEGORY WHERE cat_id = 5", std::nullopt},
        {"SELECT R_DATE FROM FORUM_REPLY WHERE REPLY_ID = 39", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(Value("sample.mdb", c.sql), c.value) << c.sql;
}

TEST_F(JetConversion, ReadsMemoAndChineseTextWhole) {
    struct Case {
        const char* sql;
        const char* value;
    };
    const Case cases[] = {
        // Characters, not bytes: a multi-page chain of UTF-16 pages.
        {"SELECT length(t_message) FROM FORUM_TOPICS WHERE TOPIC_ID = 102", "6080"},
        {"SELECT substr(t_message, 1, 20) FROM FORUM_TOPICS WHERE TOPIC_ID = 102", "第1段：在 Windows 2000 下"},
        {"SELECT t_message FROM FORUM_TOPICS WHERE TOPIC_ID = 152", "顶"},            // inline in the row
        {"SELECT length(t_message) FROM FORUM_TOPICS WHERE TOPIC_ID = 157", "3026"},  // uncompressed ASCII chain
        {"SELECT length(t_message) FROM FORUM_TOPICS WHERE TOPIC_ID = 122", "164"},   // compressed, one page
        {"SELECT M_NAME FROM FORUM_MEMBERS WHERE MEMBER_ID = 12", "王　五"},
        {"SELECT M_NAME FROM FORUM_MEMBERS WHERE MEMBER_ID = 6", "来啊"},
        {"SELECT M_NAME FROM FORUM_MEMBERS WHERE MEMBER_ID = 9", "Tom O'Neil"},
        {"SELECT cat_name FROM FORUM_CATEGORY WHERE cat_id = 12", "  数据库与报表  "},
        {"SELECT F_SUBJECT FROM FORUM_FORUM WHERE FORUM_ID = 17", " 空格论坛 "},
        {"SELECT instr(t_message, '啊、') > 0 FROM FORUM_TOPICS WHERE TOPIC_ID = 117", "1"},
        {"SELECT instr(t_message, char(13, 10)) > 0 AND instr(t_message, char(13, 13)) = 0 FROM FORUM_TOPICS WHERE "
         "TOPIC_ID = 103",
         "1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Value("sample.mdb", c.sql), c.value) << c.sql;
}

TEST_F(JetConversion, KeepsNumericDatesAsNumbers) {
    EXPECT_EQ(Value("sample-numdate.mdb",
                    "SELECT typeof(t_date) || ' ' || printf('%.0f', t_date) FROM FORUM_TOPICS WHERE TOPIC_ID = 101"),
              "real 20020108115340");
    EXPECT_EQ(Value("sample-numdate.mdb", "SELECT printf('%.0f', t_date) FROM FORUM_TOPICS WHERE TOPIC_ID = 116"),
              "20020423");
    EXPECT_EQ(Value("sample-numdate.mdb", "SELECT printf('%.0f', R_DATE) FROM FORUM_REPLY WHERE REPLY_ID = 197"),
              "20020407");
    EXPECT_EQ(Value("sample-numdate.mdb", "SELECT typeof(T_LAST_POST) FROM FORUM_TOPICS WHERE TOPIC_ID = 101"), "text");
    EXPECT_EQ(Value("sample.mdb", "SELECT typeof(t_date) || ' ' || t_date FROM FORUM_TOPICS WHERE TOPIC_ID = 101"),
              "text 20020108115340");
}

TEST_F(JetConversion, KeepsColumnsInJetOrderWithTheirTypes) {
    using Columns = std::vector<std::string>;
    const std::string text = "TEXT";  // COLLATE is not part of the declared type
    EXPECT_EQ(test::ColumnsOf(Converted("sample.mdb"), "FORUM_REPLY"),
              (Columns{"REPLY_ID INTEGER", "TOPIC_ID INTEGER", "R_AUTHOR INTEGER", "R_MESSAGE TEXT", "R_DATE TEXT",
                       "FORUM_ID INTEGER"}));
    EXPECT_EQ(test::ColumnsOf(Converted("sample-numdate.mdb"), "FORUM_REPLY").at(4), "R_DATE REAL");
    EXPECT_EQ(test::ColumnsOf(Converted("wide.mdb"), "FORUM_REPLY").back(), "R_IP TEXT");
    EXPECT_EQ(test::ColumnsOf(Converted("narrow.mdb"), "FORUM_REPLY").size(), 5u);
    EXPECT_EQ(test::ColumnsOf(Converted("sample.mdb"), "FORUM_TOPICS").at(4), "t_subject " + text);
    // Texts compare without regard to letter case, as in Jet.
    EXPECT_EQ(Value("sample.mdb",
                    "SELECT (SELECT count(*) FROM FORUM_TOPICS WHERE t_good = 'y') = "
                    "(SELECT count(*) FROM FORUM_TOPICS WHERE upper(t_good) = 'Y') AND "
                    "(SELECT count(*) FROM FORUM_TOPICS WHERE t_good = 'y' COLLATE BINARY) = 1"),
              "1");
}

TEST_F(JetConversion, PrimaryKeyRefusesDuplicatesAsJetDoes) {
    std::string path = Converted("sample.mdb");
    EXPECT_EQ(test::ExecuteOn(path, "INSERT INTO FORUM_TOPICS (TOPIC_ID) VALUES (101)"), SQLITE_CONSTRAINT);
    EXPECT_EQ(test::ExecuteOn(path, "INSERT INTO FORUM_REPLY (REPLY_ID) VALUES (1)"), SQLITE_CONSTRAINT);
    EXPECT_EQ(test::ExecuteOn(path, "INSERT INTO FORUM_MEMBERS (MEMBER_ID, M_NAME) VALUES (4, 'new')"), SQLITE_OK);
    // STRICT tables refuse a value their column cannot hold.
    EXPECT_EQ(test::ExecuteOn(path, "INSERT INTO FORUM_MEMBERS (MEMBER_ID, M_POSTS) VALUES (5, 'many')"),
              SQLITE_CONSTRAINT);
}

// Access marks a deleted row with 0x8000 in the page's row table, and a row that moved to
// another place with 0x4000 and a pointer (row, three-byte page) where its body was; the
// body itself carries 0x8000. The fixtures hold neither: this edits one data page so.
TEST_F(JetConversion, SkipsDeletedRowsAndFollowsMovedOnes) {
    constexpr size_t kPage = 4096, kRowCount = 12, kTableRows = 16;
    std::string bytes = test::ReadFile(test::FixturePath("sample.mdb"));
    auto u16 = [&](size_t at) {
        return static_cast<unsigned>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
    };
    auto put16 = [&](size_t at, unsigned v) {
        bytes[at] = static_cast<char>(v & 0xFF), bytes[at + 1] = static_cast<char>(v >> 8);
    };
    // The data page of FORUM_MEMBERS: it holds member 2's address (compressed text: plain bytes).
    const size_t page = bytes.find("zhangsan@example.com") / kPage;
    ASSERT_EQ(bytes[page * kPage], 1) << "not a data page";
    ASSERT_GE(u16(page * kPage + kRowCount), 3u);
    const size_t base = page * kPage, slot_a = base + kRowCount + 2, slot_b = slot_a + 2, slot_c = slot_b + 2;
    const size_t body_a = base + (u16(slot_a) & 0x1FFF);
    const char pointer[4] = {1, static_cast<char>(page & 0xFF), static_cast<char>((page >> 8) & 0xFF),
                             static_cast<char>(page >> 16)};
    bytes.replace(body_a, 4, pointer, 4);
    put16(slot_a, u16(slot_a) | 0x4000);  // A points to B
    put16(slot_b, u16(slot_b) | 0x8000);  // B: the moved body
    put16(slot_c, u16(slot_c) | 0x8000);  // C: deleted
    const size_t tdef = u16(base + 4) * kPage;
    put16(tdef + kTableRows, u16(tdef + kTableRows) - 2);
    std::string edited = dir_.File("edited.mdb");
    { std::ofstream(edited, std::ios::binary) << bytes; }
    ConvertJetArchive(edited, dir_.File("edited.native"));

    for (const char* table : kArchiveTablesForTest) {
        std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY 1";
        auto before = QueryRows(Converted("sample.mdb"), sql), after = QueryRows(dir_.File("edited.native"), sql);
        for (const auto& row : after) EXPECT_NE(std::find(before.begin(), before.end(), row), before.end()) << table;
        if (std::string(table) != "FORUM_MEMBERS")
            EXPECT_EQ(after, before) << table;
        else
            EXPECT_EQ(after.size() + 2, before.size());  // A's own values and C are gone; B is there once
    }
}

TEST_F(JetConversion, CreatesTheReadersIndexes) {
    EXPECT_EQ(Value("sample-extra.mdb",
                    "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name NOT LIKE 'sqlite_%'"),
              "7");
}

TEST_F(JetConversion, ReportsProgressUpToAllRows) {
    std::vector<std::pair<int64_t, int64_t>> calls;
    ConvertJetArchive(test::FixturePath("sample.mdb"), dir_.File("p.mdb"),
                      [&](int64_t copied, int64_t total) { calls.emplace_back(copied, total); });
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), std::make_pair(int64_t{0}, int64_t{323}));
    EXPECT_EQ(calls.back(), std::make_pair(int64_t{323}, int64_t{323}));
}

TEST_F(JetConversion, RefusesWhatItCannotConvert) {
    std::string existing = dir_.File("existing.mdb");
    test::MakeArchive(existing);
    std::string before = test::ReadFile(existing);
    struct Case {
        std::string source, dest, message;
    };
    const Case cases[] = {
        {test::FixturePath("sample.mdb"), existing, "\"" + existing + "\" exists already; it is not overwritten"},
        {test::FixturePath("manifest.txt"), dir_.File("a.mdb"),
         "\"" + test::FixturePath("manifest.txt") + "\" is not a readable archive: it is not a Jet data base"},
        {existing, dir_.File("b.mdb"),
         "\"" + existing + "\" is not a readable archive: it is a native archive, not a Jet data base"},
    };
    for (const Case& c : cases) {
        try {
            ConvertJetArchive(c.source, c.dest);
            ADD_FAILURE() << "converted " << c.source;
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(test::ReadFile(existing), before);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("a.mdb")));
}

TEST_F(JetConversion, CommandLineReadsJetFilesAndConverts) {
    std::string out, err;
    ASSERT_EQ(test::RunCli("tree '" + test::FixturePath("sample.mdb") + "'", &out, &err), 0) << err;
    EXPECT_EQ(out.substr(0, out.find('\n')), "RORUZA Zenta BBS");
    EXPECT_NE(out.find("    BCB 综合\n"), std::string::npos);

    std::string dest = dir_.File("cli.mdb");
    ASSERT_EQ(test::RunCli("convert --quiet '" + test::FixturePath("wide.mdb") + "' '" + dest + "'", &out, &err), 0)
        << err;
    EXPECT_EQ(out, "22 rows converted\n");
    EXPECT_EQ(QueryRows(dest, "SELECT count(*) FROM FORUM_REPLY").at(0).at(0), "10");
    EXPECT_EQ(test::RunCli("convert --quiet '" + test::FixturePath("wide.mdb") + "' '" + dest + "'", &out, &err), 1);
    EXPECT_NE(err.find("exists already"), std::string::npos) << err;

    // A merge would write into the converted copy and lose the rows: refused.
    std::string jet_main = dir_.File("main.mdb");
    std::filesystem::copy_file(test::FixturePath("sample.mdb"), jet_main);
    EXPECT_EQ(test::RunCli("merge '" + jet_main + "' '" + test::FixturePath("wide.mdb") + "'", &out, &err), 1);
    EXPECT_EQ(err, "zenta-cli: \"" + jet_main +
                       "\" is a Jet archive, which is never written: convert it first (zenta-cli convert)\n");
}

// The converted copy of a Jet ARCHIVE lives in the temporary folder only while it is opened.
TEST_F(JetConversion, CommandLineLeavesNoConvertedCopy) {
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    test::TempDir temp;
    setenv("TMPDIR", temp.path().c_str(), 1);
    std::string out, err;
    int status = test::RunCli("tree '" + test::FixturePath("sample.mdb") + "'", &out, &err);
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_EQ(status, 0) << err;
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.front();
}

}  // namespace
}  // namespace zenta
