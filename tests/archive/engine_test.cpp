// The engine layer runs the board's Jet statements with Jet's meaning.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "archive/connection.h"
#include "archive/query.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("a.mdb");
        test::MakeArchive(path_, R"(
INSERT INTO FORUM_MEMBERS VALUES (1, 'Tom', NULL, 3), (2, '来啊', NULL, NULL);
INSERT INTO FORUM_TOPICS (TOPIC_ID, T_AUTHOR, t_subject, t_date, t_view_count) VALUES
  (1, 1, 'Hello', '20021231143000', 5), (2, 2, '你好', '20020423', NULL), (3, 9, 'x_y%z', NULL, 1);
CREATE TABLE numdate (d REAL, n INTEGER, t TEXT);
INSERT INTO numdate VALUES (20021231143000.0, 7, 'ab'), (200211101658.0, NULL, NULL);
)");
        connection_.Open(path_);
    }

    // Runs a statement and returns every row's values as text (Null as "<null>").
    std::vector<std::vector<std::string>> Rows(const std::string& sql, std::vector<Value> params = {}) {
        Query q(&connection_);
        q.SQL().Add(sql);
        q.Parameters() = std::move(params);
        q.Open();
        std::vector<std::vector<std::string>> rows;
        for (; !q.Eof(); q.Next()) {
            rows.emplace_back();
            for (int i = 0; i < q.FieldCount(); ++i) {
                Value v = q.Fields(i);
                rows.back().push_back(v.IsNull() ? "<null>" : FromNarrow(v.AsString()));
            }
        }
        return rows;
    }
    std::string One(const std::string& expression) { return Rows("select " + expression + " as x").at(0).at(0); }

    test::TempDir dir_;
    std::string path_;
    Connection connection_;
};

TEST_F(Engine, JetExpressionsHaveJetMeaning) {
    struct Case {
        const char* expression;
        const char* result;
    } cases[] = {
        {"mid('abcdef',2,3)", "bcd"},
        {"mid('abcdef',5)", "ef"},
        {"mid('abc',3,10)", "c"},
        {"mid('数据库开发',2,2)", "据库"},
        {"mid(20021231,5,2)", "12"},
        {"cstr(12)", "12"},
        {"cstr(20021231143000.0)", "20021231143000"},
        {"cstr(2.5)", "2.5"},
        {"cstr('text')", "text"},
        {"cstr(null)", "<null>"},
        {"'a'+'b'+'c'", "abc"},
        {"1+2", "3"},
        {"'1'+2", "3"},
        {"'a'+null", "<null>"},
        {"null+'a'+'b'", "<null>"},
        {"2*3+4", "10"},
        {"10-2+1", "9"},
        {"(1+2)*3", "9"},
        {"'x'+mid('abc',1,1)+\"y\"", "xay"},
        {"'it''s'+'!'", "it's!"},
    };
    for (const Case& c : cases) EXPECT_EQ(One(c.expression), c.result) << c.expression;
}

TEST_F(Engine, TheDateExpressionShowsYearMonthAndDay) {
    const char* date = "(mid(cstr(t_date),1,4)+'-'+mid(cstr(t_date),5,2)+'-'+mid(cstr(t_date),7,2))";
    auto rows = Rows(std::string("select ") + date + "  as SpeakDate from FORUM_TOPICS order by TOPIC_ID");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "2002-12-31");
    EXPECT_EQ(rows[1][0], "2002-04-23");
    EXPECT_EQ(rows[2][0], "<null>");
    auto numeric = Rows("select (mid(cstr(d),1,4)+'-'+mid(cstr(d),5,2)+'-'+mid(cstr(d),7,2)) as x from numdate");
    EXPECT_EQ(numeric[0][0], "2002-12-31");
    EXPECT_EQ(numeric[1][0], "2002-11-10");
}

TEST_F(Engine, LikeAndEqualsIgnoreAsciiLetterCaseAndLikeKeepsBothWildcards) {
    EXPECT_EQ(Rows("select TOPIC_ID from FORUM_TOPICS where t_SUBJECT like '%ELL%'").size(), 1u);
    EXPECT_EQ(Rows("select TOPIC_ID from FORUM_TOPICS where t_subject = 'hello'").size(), 1u);
    EXPECT_EQ(Rows("select TOPIC_ID from FORUM_TOPICS where t_subject like 'H_llo'").size(), 1u);
    EXPECT_EQ(Rows("select TOPIC_ID from FORUM_TOPICS where t_subject like '%_%'").size(), 3u);
    EXPECT_EQ(Rows("select TOPIC_ID from FORUM_TOPICS where t_subject like ?", {Value::Text(ToNarrow("%你%"))}).size(),
              1u);
}

TEST_F(Engine, IdentifiersAndResultNamesAreMatchedWithoutRegardToCase) {
    Query q(&connection_);
    q.SQL().Add("select a.T_SUBJECT, b.m_name as Speaker from forum_topics a, FORUM_members b");
    q.SQL().Add("where a.t_author=b.MEMBER_id order by a.topic_ID desc");
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(FromNarrow(q.FieldByName("speaker").AsString()), "来啊");
    EXPECT_EQ(FromNarrow(q.FieldByName("t_subject").AsString()), "你好");
    EXPECT_EQ(q.FieldByName("SPEAKER"), q.Fields(1));
}

TEST_F(Engine, ValuesComeBackWithTheirKinds) {
    Query q(&connection_);
    q.SQL().Add("select d, n, t from numdate order by d desc");
    q.Open();
    EXPECT_EQ(q.Fields(0), Value::Real(20021231143000.0));
    EXPECT_EQ(q.Fields(1), Value::Integer(7));
    EXPECT_EQ(q.Fields(2), Value::Text("ab"));
    q.Next();
    EXPECT_TRUE(q.Fields(1).IsNull());
    EXPECT_EQ(q.FieldByName("t").AsString(), "");
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(Engine, AMissingColumnNameRaisesTheFieldNotFoundMessage) {
    Query q(&connection_);
    q.SQL().Add("select TOPIC_ID from FORUM_TOPICS");
    q.Open();
    try {
        q.FieldByName("R_date");
        FAIL();
    } catch (const FieldNotFoundError& e) {
        EXPECT_STREQ(e.what(), "未发现字段 'R_date'");
    }
}

TEST_F(Engine, ARefusedStatementFailsAtOpenAndLeavesTheQueryClosed) {
    const char* refused[] = {"select x from NO_SUCH_TABLE", "select no_such_column from FORUM_TOPICS",
                             "select * from FORUM_FORUM where F_SUBJECT='Tom's'", "select 'a'+1"};
    for (const char* sql : refused) {
        Query q(&connection_);
        q.SQL().Add(sql);
        EXPECT_THROW(q.Open(), DatabaseError) << sql;
        EXPECT_FALSE(q.Active());
        EXPECT_TRUE(q.Eof());
    }
}

TEST_F(Engine, LinesAreJoinedWithLineBreaksAndAChangeClosesTheQuery) {
    Query q(&connection_);
    q.SQL().Add("select TOPIC_ID from");
    q.SQL().Add("FORUM_TOPICS order by TOPIC_ID desc");
    EXPECT_EQ(q.SQL().Text(), "select TOPIC_ID from\r\nFORUM_TOPICS order by TOPIC_ID desc\r\n");
    q.Open();
    EXPECT_EQ(q.Fields(0), Value::Integer(3));
    q.SQL().Add("");
    EXPECT_FALSE(q.Active());
}

TEST_F(Engine, SeveralQueriesMayBeOpenAtOnce) {
    Query outer(&connection_), inner(&connection_);
    outer.SQL().Add("select MEMBER_ID from FORUM_MEMBERS order by MEMBER_ID");
    outer.Open();
    int rows = 0;
    for (; !outer.Eof(); outer.Next()) {
        inner.Close();
        inner.SQL().Clear();
        inner.SQL().Add("select count(*) as n from FORUM_TOPICS where T_AUTHOR=" +
                        outer.FieldByName("member_id").AsString());
        inner.Open();
        EXPECT_EQ(inner.FieldByName("n"), Value::Integer(1));
        ++rows;
    }
    EXPECT_EQ(rows, 2);
}

TEST_F(Engine, NumericColumnsRefuseTextThatIsNoNumber) {
    sqlite3* db = connection_.handle();
    EXPECT_NE(sqlite3_exec(db, "insert into FORUM_MEMBERS (MEMBER_ID, M_POSTS) values (5, 'many')", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db, "insert into FORUM_MEMBERS (MEMBER_ID, M_POSTS) values (6, '12')", nullptr, nullptr, nullptr),
        SQLITE_OK);
}

TEST(Connection, RefusesWhatIsNoArchiveWithAMessageNamingTheFile) {
    test::TempDir dir;
    std::string html = dir.File("page.html");
    std::string empty = dir.File("empty.mdb");
    std::string jet = dir.File("jet.mdb");
    { std::ofstream(html) << "<html><body>hi</body></html>"; }
    { std::ofstream touch(empty); }
    { std::ofstream(jet) << std::string("\0\1\0\0Standard Jet DB\0", 20); }
    for (const std::string& path : {html, empty, jet, dir.File("missing.mdb")}) {
        Connection c;
        try {
            c.Open(path);
            FAIL() << path;
        } catch (const DatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_FALSE(c.Connected());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.mdb")));
}

TEST_F(Engine, AReadOnlyConnectionReadsAndSeesOthersChangesButNeverWrites) {
    Connection reader(path_, Access::ReadOnly);
    Query q(&reader);
    q.SQL().Add("select M_NAME from FORUM_MEMBERS where MEMBER_ID=1");
    q.Open();
    EXPECT_EQ(q.Fields(0).text(), "Tom");
    q.Close();
    for (const char* write :
         {"update FORUM_MEMBERS set M_NAME='x'", "create table t (a)", "delete from FORUM_TOPICS"}) {
        Query w(&reader);
        w.SQL().Add(write);
        EXPECT_THROW(w.Open(), DatabaseError) << write;
    }
    test::RunSql(path_, "UPDATE FORUM_MEMBERS SET M_NAME='Ann' WHERE MEMBER_ID=1");
    q.Open();
    EXPECT_EQ(q.Fields(0).text(), "Ann") << "a change by another connection is seen by the next statement";
    EXPECT_EQ(Rows("select count(*) from FORUM_TOPICS").at(0).at(0), "3");
}

TEST(Connection, RefusesADamagedArchive) {
    test::TempDir dir;
    std::string path = dir.File("damaged.mdb");
    test::MakeArchive(path, "INSERT INTO FORUM_MEMBERS VALUES (1,'a','b',1)");
    std::string bytes = test::ReadFile(path);
    for (size_t i = 100; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5);
    { std::ofstream(path, std::ios::binary) << bytes; }
    Connection c;
    EXPECT_THROW(c.Open(path), DatabaseError);
}

// A step that yields no row for longer than the bound is stopped with a message in words,
// while a long reading that yields rows all the time, and a pause between two rows, are not.
TEST_F(Engine, AStepThatNeverYieldsARowIsStoppedAndRowsKeepTheReadingAlive) {
    connection_.LimitStepTime(std::chrono::milliseconds(300));
    Query endless(&connection_);
    endless.SQL().Add(
        "select count(*) from (with recursive r(n) as (select 1 union all select n + 1 from r) select n from r)");
    try {
        endless.Open();
        FAIL() << "an endless statement ended";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("ran too long"), std::string::npos) << e.what();
    }
    Query rows(&connection_);
    rows.SQL().Add("with recursive r(n) as (select 1 union all select n + 1 from r where n < 3000000) select n from r");
    rows.Open();
    std::int64_t count = 0;
    for (; !rows.Eof(); rows.Next()) {
        if (++count == 10) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_EQ(count, 3000000);
}

// Archives are data: with trusted schema off, a file's views may not call a function with
// side effects, and with defensive mode on, no statement may write the schema.
TEST_F(Engine, AFilesCodeMayNotCallUnsafeFunctionsNorWriteTheSchema) {
    test::RunSql(path_, "create view touchy as select load_extension('/nonexistent/evil') as x");
    Connection reopened(path_);
    Query view(&reopened);
    view.SQL().Add("select * from touchy");
    EXPECT_THROW(view.Open(), DatabaseError);
    EXPECT_THROW(ExecuteStatements(reopened.handle(),
                                   "PRAGMA writable_schema = ON; update sqlite_master set sql = 'x' where name = 'touchy'"),
                 DatabaseError);
}

}  // namespace
}  // namespace zenta
