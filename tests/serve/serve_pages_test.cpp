// Every page kind, fetched over HTTP, is what zenta-cli gives for the same archive: the tree's
// lines, the listing's and the search's rows in order (across pages), the topic page's bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "base/codepage.h"
#include "base/value.h"
#include "http_client.h"
#include "serve/html.h"
#include "support/test_archive.h"
#include "support/topic_board.h"

namespace zenta {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string Cli(const std::string& arguments) {
    std::string out, err;
    EXPECT_EQ(test::RunCli(arguments, &out, &err), 0) << arguments << ": " << err;
    return out;
}

// zenta-cli's JSON rows as the served table shows them: Null as nothing, the message's start.
Rows CliRows(const std::string& jsonLines) {
    Rows rows;
    std::istringstream in(jsonLines);
    for (std::string line; std::getline(in, line);) {
        rows.emplace_back();
        const nlohmann::ordered_json row = nlohmann::ordered_json::parse(line);
        for (const auto& [name, value] : row.items()) {
            std::string text;
            if (value.is_number_integer())
                text = std::to_string(value.get<std::int64_t>());
            else if (value.is_number())
                text = FormatJetNumber(value.get<double>());
            else if (value.is_string())
                text = value.get<std::string>();
            if (name == "t_message") text = FromNarrow(NarrowStart(ToNarrow(text), 160));
            rows.back().push_back(text);
        }
    }
    return rows;
}

std::string Inflated(const std::string& gzip) {
    z_stream stream{};
    inflateInit2(&stream, 15 + 16);
    std::string out(1 << 22, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gzip.data()));
    stream.avail_in = static_cast<uInt>(gzip.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

class ServePages : public ::testing::Test {
protected:
    // Follows the next-page links from `first`, checking each previous-page link on the way
    // back, and returns every row in order.
    Rows WalkPages(const test::ServedArchive& served, const std::string& first) {
        std::vector<std::string> targets = {first};
        std::vector<Rows> pages;
        for (std::string target = first; !target.empty();) {
            auto result = served.Get(target);
            if (!result) return {};
            EXPECT_EQ(result->status, 200) << target;
            pages.push_back(test::TableRows(result->body));
            EXPECT_LE(pages.back().size(), 50u) << target;
            target = test::LinkTarget(result->body, "next");
            if (!target.empty()) targets.push_back(target);
        }
        // Back from the last page: each previous page is the page that led to it.
        for (size_t i = pages.size() - 1; i > 0; --i) {
            auto result = served.Get(targets[i]);
            if (!result) return {};
            auto previous = served.Get(test::LinkTarget(result->body, "prev"));
            if (!previous) return {};
            EXPECT_EQ(test::TableRows(previous->body), pages[i - 1]) << "the page before " << targets[i];
        }
        Rows all;
        for (const Rows& page : pages) all.insert(all.end(), page.begin(), page.end());
        return all;
    }

    test::TempDir dir_;
};

TEST_F(ServePages, TheSampleBoardsPagesAreTheCommandLinesOwn) {
    ASSERT_TRUE(test::FixturesAvailable());
    std::string archive = dir_.File("sample.mdb");
    Cli("convert --quiet " + Quoted(test::FixturePath("sample.mdb")) + " " + Quoted(archive));
    test::ServedArchive served(archive);

    auto tree = served.Get("/");
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(test::TreeLines(tree->body), Cli("tree " + Quoted(archive)));

    // Every captioned link of the tree lists what `zenta-cli list` lists for that caption.
    std::set<std::string> captions;
    std::regex link("href=\"/forum\\?caption=([^\"]*)\">([^<]*)</a>");
    for (std::sregex_iterator it(tree->body.begin(), tree->body.end(), link), end; it != end; ++it)
        captions.insert(test::PlainText((*it)[2].str()));
    ASSERT_GE(captions.size(), 5u);
    std::set<std::string> topics;
    for (const std::string& caption : captions) {
        Rows rows = WalkPages(served, "/forum?caption=" + serve::EncodeUrlComponent(caption));
        EXPECT_EQ(rows, CliRows(Cli("list " + Quoted(archive) + " " + Quoted(caption)))) << caption;
        for (const auto& row : rows) topics.insert(row.at(4));
    }
    ASSERT_GE(topics.size(), 10u);

    // Each listed topic's page: the bytes of `zenta-cli page`, declared GB18030, compressed
    // when asked, and under the policy that forbids scripts and frames.
    for (const std::string& id : topics) {
        std::string expected = Cli("page " + Quoted(archive) + " " + id);
        auto page = served.Get("/topic/" + id);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->status, 200);
        EXPECT_EQ(page->body, expected) << id;
        EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=GB18030");
        std::string policy = page->get_header_value("Content-Security-Policy");
        EXPECT_NE(policy.find("script-src 'none'"), std::string::npos) << policy;
        EXPECT_NE(policy.find("frame-src 'none'"), std::string::npos) << policy;
        EXPECT_NE(policy.find("sandbox"), std::string::npos) << policy;
        auto gzip = served.Client()->Get("/topic/" + id, {{"Accept-Encoding", "gzip, deflate"}});
        ASSERT_TRUE(gzip);
        if (expected.size() >= 1024) {
            EXPECT_EQ(gzip->get_header_value("Content-Encoding"), "gzip") << id;
            EXPECT_EQ(Inflated(gzip->body), expected) << id;
        }
    }
}

TEST_F(ServePages, SearchesAndPagedListingsGiveTheCommandLinesRowsInOrder) {
    // The small board, with 120 more topics in one forum so that its listing runs to three
    // pages, and titles that the searches below page through as well.
    std::string archive = dir_.File("board.mdb");
    std::string more = test::kTopicBoardSql;
    more +=
        "INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_date, t_message) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120) "
        "SELECT 1000 + i, 1, 1, 1 + (i % 2) * 5, '第' || i || ' 问题 100% a_b', '20040101', "
        "printf('%.*c', 200 + i, '啊') FROM n;";
    test::MakeArchive(archive, more);
    test::ServedArchive served(archive);

    Rows listed = WalkPages(served, "/forum?caption=" + serve::EncodeUrlComponent("Delphi 基础"));
    EXPECT_EQ(listed.size(), 125u);
    EXPECT_EQ(listed, CliRows(Cli("list " + Quoted(archive) + " " + Quoted("Delphi 基础"))));

    struct Case {
        const char* by;
        const char* words;
    } cases[] = {
        {"title", "It's"}, {"title", "100%"},    {"title", "a_b"}, {"title", "%"},
        {"title", "_"},    {"title", "问题"},    {"title", "第1"}, {"author", "啊"},
        {"author", "Tom"}, {"author", "O'Neil"}, {"title", "+"},   {"title", " quote "},
    };
    for (const Case& c : cases) {
        std::string target = "/search?by=" + std::string(c.by) + "&words=" + serve::EncodeUrlComponent(c.words);
        EXPECT_EQ(WalkPages(served, target),
                  CliRows(Cli("search " + Quoted(archive) + " --" + c.by + " " + Quoted(c.words))))
            << c.by << " " << c.words;
    }
}

TEST_F(ServePages, AMalformedOrBlankSearchIsRefusedWithItsReason) {
    std::string archive = dir_.File("board.mdb");
    test::MakeArchive(archive, test::kTopicBoardSql);
    test::ServedArchive served(archive);
    struct Case {
        const char* target;
        int status;
        const char* says;
    } cases[] = {
        {"/search", 200, "Type the words"},
        {"/search?words=", 400, "Please Input Query Condition"},
        {"/search?words=%20%09", 400, "Please Input Query Condition"},
        {"/search?by=content&words=x", 400, "no such kind"},
        {"/search?words=x&below=12a", 400, "not a TOPIC_ID"},
        {"/forum", 400, "caption"},
        {"/forum?caption=x&below=1&above=2", 400, "at most one key"},
        {"/forum?caption=nothing%20here", 200, "No topics."},
    };
    for (const Case& c : cases) {
        auto result = served.Get(c.target);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status) << c.target;
        EXPECT_NE(result->body.find(c.says), std::string::npos) << c.target << ": " << result->body;
    }
}

TEST_F(ServePages, AMergeWhileServingIsSeenByTheNextRequest) {
    std::string archive = dir_.File("board.mdb");
    std::string source = dir_.File("more.mdb");
    test::MakeArchive(archive, test::kTopicBoardSql);
    test::MakeArchive(source,
                      "INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message) "
                      "VALUES (500, 2, 1, 1, 'merged while serving', 'new')");
    test::ServedArchive served(archive);
    std::string target = "/forum?caption=" + serve::EncodeUrlComponent("Delphi's Tips");
    auto before = served.Get(target);
    ASSERT_TRUE(before);
    ASSERT_EQ(test::TableRows(before->body).size(), 2u);
    ASSERT_EQ(served.Get("/topic/500")->status, 404);

    Cli("merge " + Quoted(archive) + " " + Quoted(source));
    auto after = served.Get(target);
    ASSERT_TRUE(after);
    Rows rows = test::TableRows(after->body);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "merged while serving");
    EXPECT_EQ(served.Get("/topic/500")->status, 200);
}

}  // namespace
}  // namespace zenta
