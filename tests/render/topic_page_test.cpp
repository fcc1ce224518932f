// The topic page: exact bytes of every piece, the labels, the conversions and the replies.
#include <gtest/gtest.h>

#include "archive/connection.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "render/topic_page.h"
#include "support/test_archive.h"
#include "support/topic_board.h"

namespace zenta {
namespace {

Value Text(const char* utf8) { return Value::Text(ToNarrow(utf8)); }

TopicRow SampleRow() {
    return {Text("标题"), Value::Integer(42), Text("Tom"),       Text("2002-12-31"), Value::Integer(101),
            Text("正文"), Value::Integer(1),  Value::Integer(1), Text("Y"),          Value::Integer(3)};
}

constexpr const char* kHead =
    "<body bgcolor=\"#C0C0C0\"><table border=\"0\" width=\"100%\" bgcolor=\"#FFFFFF\" cellspacing=\"1\">"
    "<tr><td width=\"100%\" bgcolor=\"#339966\">";
constexpr const char* kTextCell = "</td></tr><tr><td width=\"100%\" bgcolor=\"#C0C0C0\">";

// The page as UTF-8, for readable comparisons.
std::string Page(const TopicRow& row, const std::vector<ReplyRow>& replies = {}) {
    return FromNarrow(BuildTopicPage(row, replies));
}

// The text between the page's topic text cell and its end.
std::string TextCell(const std::string& page) {
    size_t from = page.find(kTextCell) + std::string(kTextCell).size();
    return page.substr(from, page.find("</td></tr>", from) - from);
}

TEST(TopicPage, APageWithoutRepliesHasEveryPieceInOrder) {
    std::string expected = std::string(kHead) +
                           "标题->回复:3<br>Tom-【问题】-【Delphi】-【黄金文章】:42<br>发言日期:2002-12-31" +
                           kTextCell + "正文</td></tr></table></body>";
    EXPECT_EQ(Page(SampleRow()), expected);
}

TEST(TopicPage, TheFixedChinesePiecesAreGbkBytes) {
    std::string page = BuildTopicPage(SampleRow(), {});
    EXPECT_NE(page.find("->\xBB\xD8\xB8\xB4:3<br>"), std::string::npos);            // ->回复:
    EXPECT_NE(page.find("-\xA1\xBE\xCE\xCA\xCC\xE2\xA1\xBF-"), std::string::npos);  // 【问题】
}

TEST(TopicPage, RepliesFollowInTheOrderGivenEachInTwoRows) {
    std::vector<ReplyRow> replies = {{ToNarrow("先"), "2003-01-04", ToNarrow("来啊")}, {"", "", "Tom"}};
    std::string page = Page(SampleRow(), replies);
    std::string tail = std::string("正文</td></tr>") +
                       "<tr><td width=\"100%\" bgcolor=\"#808000\">来啊<br>日期:2003-01-04</td></tr>"
                       "<tr><td width=\"100%\" bgcolor=\"#FFFFFF\">先</td></tr>"
                       "<tr><td width=\"100%\" bgcolor=\"#808000\">Tom<br>日期:</td></tr>"
                       "<tr><td width=\"100%\" bgcolor=\"#FFFFFF\"></td></tr></table></body>";
    ASSERT_GE(page.size(), tail.size());
    EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
}

TEST(TopicPage, EachLabelIsChosenOnItsOwn) {
    struct Case {
        Value value;
        const char* kind;
        const char* language;
        const char* grade;
    } cases[] = {
        {Value::Integer(1), "【问题】", "【Delphi】", "【普通文章】"},
        {Value::Integer(2), "【发表】", "【BCB】", "【普通文章】"},
        {Value::Integer(3), "【转贴】", "【Kylix】", "【普通文章】"},
        {Value::Integer(4), "【未知】", "【Linux】", "【普通文章】"},
        {Value::Integer(0), "【未知】", "【未指定】", "【普通文章】"},
        {Value::Integer(5), "【未知】", "【未指定】", "【普通文章】"},
        {Value(), "【未知】", "【未指定】", "【普通文章】"},
        {Text("2"), "【发表】", "【BCB】", "【普通文章】"},
        {Text("abc"), "【未知】", "【未指定】", "【普通文章】"},
        {Text("Y"), "【未知】", "【未指定】", "【黄金文章】"},
        {Text("y"), "【未知】", "【未指定】", "【黄金文章】"},
        {Text("Yes"), "【未知】", "【未指定】", "【普通文章】"},
        {Text(" Y"), "【未知】", "【未指定】", "【普通文章】"},
        {Text(""), "【未知】", "【未指定】", "【普通文章】"},
    };
    for (const Case& c : cases) {
        std::string shown = c.value.IsNull() ? "Null" : FromNarrow(c.value.AsString());
        EXPECT_EQ(FromNarrow(KindLabel(c.value)), c.kind) << shown;
        EXPECT_EQ(FromNarrow(LanguageLabel(c.value)), c.language) << shown;
        EXPECT_EQ(FromNarrow(GradeLabel(c.value)), c.grade) << shown;
    }
}

TEST(TopicPage, ANullKindLeavesTheLaterLabelsInPlace) {
    TopicRow row = SampleRow();
    row[topic_row::kKind] = Value();
    EXPECT_NE(Page(row).find("Tom-【未知】-【Delphi】-【黄金文章】:42"), std::string::npos);
}

TEST(TopicPage, NullsInTheHeaderShowAsEmptyText) {
    TopicRow row = SampleRow();
    for (int position : {0, 1, 2, 3, 5, 8, 9}) row[position] = Value();
    std::string expected = std::string(kHead) +
                           "->回复:<br>-【问题】-【Delphi】-【普通文章】:<br>发言日期:" + kTextCell +
                           "</td></tr></table></body>";
    EXPECT_EQ(Page(row), expected);
}

TEST(TopicPage, LineBreaksFullWidthSpacesAndBoardCodesBecomeHtml) {
    struct Case {
        const char* text;
        const char* shown;
        const char* why;
    } cases[] = {
        {"a\r\nb\nc\rd", "a<br>b\nc\rd", "CR LF breaks the line; a lone LF or CR stays"},
        {"a\r\r\n\r\nb", "a\r<br><br>b", "each CR LF pair, after a lone CR"},
        {"甲　乙　　丙", "甲<br>乙<br><br>丙", "each full-width space"},
        {"啊　x", "啊<br>x", "啊 (B0 A1) stays whole before a full-width space"},
        {"啊、", "啊、", "A1 A1 across two characters is no full-width space"},
        {"[img]pic.gif[/img]", "<img src=pic.gif>", "an image, address unquoted"},
        {"[IMG]x[/IMG]", "[IMG]x[/IMG]", "codes in capitals stay"},
        {"[img]x[/IMG]", "<img src=x[/IMG]", "each code on its own, case exact"},
        {"[url]http://a.example/[/url]", "<a href=http://a.example/></a>", "a link without text"},
        {"[url=http://b.example/]text[/url]", "[url=http://b.example/]text></a>", "a code with a parameter stays"},
        {"[Url]x[/url]", "[Url]x></a>", "only the exact lower-case code"},
        {"<b>&amp;</b>", "<b>&amp;</b>", "HTML passes unescaped"},
    };
    for (const Case& c : cases) {
        TopicRow row = SampleRow();
        row[topic_row::kMessage] = Text(c.text);
        EXPECT_EQ(TextCell(Page(row)), c.shown) << c.why;
    }
}

TEST(TopicPage, ANameEndingInTheSecondByteA1KeepsItsCharacter) {
    TopicRow row = SampleRow();
    row[topic_row::kSpeaker] = Text("来啊");
    row[topic_row::kTitle] = Text("布丁");
    std::string page = Page(row, {{"", "2003-01-01", ToNarrow("好人啊")}});
    EXPECT_NE(page.find("布丁->回复:3<br>来啊-【问题】"), std::string::npos);
    EXPECT_NE(page.find(":42<br>发言日期:2002-12-31"), std::string::npos);
    EXPECT_NE(page.find("好人啊<br>日期:2003-01-01"), std::string::npos);
}

TEST(TopicPage, ReplaceAllMatchesOnlyOnCharacterBoundaries) {
    // 啊 is B0 A1; the full-width space is A1 A1; 、 is A1 A2.
    std::string space = ToNarrow("　");
    EXPECT_EQ(ReplaceAllOnCharacters(ToNarrow("啊、啊　"), space, "_"), ToNarrow("啊、啊_"));
    EXPECT_EQ(ReplaceAllOnCharacters(ToNarrow("好人啊　好"), space, "_"), ToNarrow("好人啊_好"));
    EXPECT_EQ(ReplaceAllOnCharacters("\xB0\x41\xA1\xA1", space, "_"), "\xB0\x41_");  // a trail byte below 81
    EXPECT_EQ(ReplaceAllOnCharacters("\x81\xA1\xA1\xA1\xA1", space, "_"), "\x81\xA1_\xA1");
    EXPECT_EQ(ReplaceAllOnCharacters("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAllOnCharacters("[url][url]", "[url]", "[url]"), "[url][url]");
    // A lead byte at the very end stands alone and is copied.
    EXPECT_EQ(ReplaceAllOnCharacters("x\xB0", "x", "y"), "y\xB0");
}

class TopicReplies : public ::testing::Test {
protected:
    void SetUp() override {
        test::MakeArchive(dir_.File("a.mdb"), test::kTopicBoardSql);
        connection_.Open(dir_.File("a.mdb"));
    }
    test::TempDir dir_;
    Connection connection_;
};

TEST_F(TopicReplies, RepliesComeInRawDateOrderWithoutThoseOfMissingAuthors) {
    std::vector<ReplyRow> replies = ReadReplies(connection_, SampleRow());
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].message, "early");
    EXPECT_EQ(replies[0].date, "2003-01-04");
    EXPECT_EQ(replies[0].author, "Tom");
    EXPECT_EQ(replies[1].message, "");  // a Null message reads as empty text
    EXPECT_EQ(FromNarrow(replies[1].author), "好人啊");
    EXPECT_EQ(replies[2].message, "late");
    EXPECT_EQ(replies[2].date, "2003-01-05");
}

TEST_F(TopicReplies, ATopicWithoutRepliesEndsWithItsTextCell) {
    TopicRow row = SampleRow();
    row[topic_row::kTopicId] = Value::Integer(106);
    EXPECT_TRUE(ReadReplies(connection_, row).empty());
    std::string page = FromNarrow(MakeTopicPage(connection_, row));
    EXPECT_TRUE(page.ends_with("正文</td></tr></table></body>"));
}

TEST_F(TopicReplies, ATopicIdIsAValueNeverPartOfTheStatement) {
    // Pasted into the statement, this id read the replies of every topic.
    TopicRow row = SampleRow();
    row[topic_row::kTopicId] = Value::Text("101 or 1=1");
    EXPECT_TRUE(ReadReplies(connection_, row).empty());
    row[topic_row::kTopicId] = Value::Text("101");  // a text of digits still names the topic
    EXPECT_EQ(ReadReplies(connection_, row).size(), 3u);
}

TEST_F(TopicReplies, ANullTopicIdIsAConversionError) {
    TopicRow row = SampleRow();
    row[topic_row::kTopicId] = Value();
    EXPECT_THROW(MakeTopicPage(connection_, row), ConversionError);
}

}  // namespace
}  // namespace zenta
