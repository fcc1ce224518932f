#include "render/topic_page.h"

#include <array>
#include <utility>

#include "archive/query.h"
#include "base/codepage.h"
#include "base/errors.h"

namespace zenta {
namespace {

// The fixed pieces that are not ASCII, converted once to the narrow code page.
struct NarrowPieces {
    std::string replies = ToNarrow("->回复:");
    std::string postedOn = ToNarrow("　发言日期:");
    std::string repliedOn = ToNarrow("　日期:");
    std::string fullWidthSpace = ToNarrow("　");
    std::array<std::string, 3> kinds = {ToNarrow("【问题】"), ToNarrow("【发表】"), ToNarrow("【转贴】")};
    std::string unknownKind = ToNarrow("【未知】");
    std::array<std::string, 4> languages = {ToNarrow("【Delphi】"), ToNarrow("【BCB】"), ToNarrow("【Kylix】"),
                                            ToNarrow("【Linux】")};
    std::string unspecifiedLanguage = ToNarrow("【未指定】");
    std::string gold = ToNarrow("【黄金文章】"), ordinary = ToNarrow("【普通文章】");
};

const NarrowPieces& Pieces() {
    static const NarrowPieces pieces;
    return pieces;
}

// Header values are shown as text; a Null shows as nothing rather than hiding the topic.
std::string HeaderText(const Value& value) { return value.AsString(); }

// The label of a code from 1 to N; any other number, a Null or a text that is no number
// gives `other`.
template <size_t N>
std::string CodeLabel(const Value& code, const std::array<std::string, N>& labels, const std::string& other) {
    try {
        std::int32_t number = code.ColumnNumber();
        if (number >= 1 && number <= static_cast<std::int32_t>(N)) return labels[number - 1];
    } catch (const ConversionError&) {
    }
    return other;
}

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE; }

// Whether `at` starts a character, reading from `known` (<= at), which does. A byte outside
// 81..FE always ends its character, so only the run of 81..FE bytes before `at` matters:
// read from its start, those bytes pair up, and `at` starts a character when they all do.
bool StartsCharacter(std::string_view text, size_t known, size_t at) {
    size_t run = 0;
    while (at - run > known && IsLeadByte(text[at - run - 1])) ++run;
    return run % 2 == 0;
}

// Writes `text` with each `pattern` on a character boundary replaced into `out` (its room kept
// from earlier use); false, leaving `out` alone, when there is none, so the caller skips a copy.
bool ReplaceInto(std::string_view text, std::string_view pattern, std::string_view replacement, std::string& out) {
    size_t at = pattern.empty() ? std::string_view::npos : text.find(pattern);
    if (at == std::string_view::npos) return false;
    out.clear();
    out.reserve(text.size() + text.size() / 8);
    size_t known = 0;   // a position known to start a character
    size_t copied = 0;  // text before this is in `out` already
    for (; at != std::string_view::npos; at = text.find(pattern, known)) {
        if (StartsCharacter(text, known, at)) {
            out.append(text, copied, at - copied);
            out += replacement;
            known = copied = at + pattern.size();
        } else {
            known = at + 1;  // `at` is the second byte of a character
        }
    }
    out.append(text, copied, text.size() - copied);
    return true;
}

}  // namespace

std::vector<ReplyRow> ReadReplies(Connection& connection, const TopicRow& row) {
    const Value& topicId = row[topic_row::kTopicId];
    // A Null cannot stand for a topic: the conversion error, as when the id was statement text.
    if (topicId.IsNull()) throw ConversionError();
    Query query(&connection);
    query.SQL().Add(
        "select a.R_MESSAGE,(mid(cstr(a.r_date),1,4)+'-'+mid(cstr(a.r_date),5,2)+'-'+mid(cstr(a.r_date),7,2)) as "
        "r_date,"
        "b.M_NAME as R_AUTHOR from FORUM_REPLY a,FORUM_MEMBERS b where a.R_AUTHOR=b.MEMBER_ID and  a.TOPIC_ID=?");
    query.SQL().Add(" order by a.R_DATE  ");
    query.Parameters() = {topicId};
    query.Open();
    std::vector<ReplyRow> replies;
    for (; !query.Eof(); query.Next())
        replies.push_back({query.FieldByName("R_MESSAGE").AsString(), query.FieldByName("R_date").AsString(),
                           query.FieldByName("R_AUTHOR").AsString()});
    return replies;
}

std::string KindLabel(const Value& kind) { return CodeLabel(kind, Pieces().kinds, Pieces().unknownKind); }

std::string LanguageLabel(const Value& language) {
    return CodeLabel(language, Pieces().languages, Pieces().unspecifiedLanguage);
}

std::string GradeLabel(const Value& grade) {
    // Only the ASCII letters are upper-cased, so "Y" and "y" are the only gold texts.
    std::string text = grade.AsString();
    return text == "Y" || text == "y" ? Pieces().gold : Pieces().ordinary;
}

std::string ReplaceAllOnCharacters(std::string_view text, std::string_view pattern, std::string_view replacement) {
    std::string out;
    if (!ReplaceInto(text, pattern, replacement, out)) out = text;
    return out;
}

std::string BuildTopicPage(const TopicRow& row, const std::vector<ReplyRow>& replies) {
    // The page's size is known before it is built: one allocation, not a doubling per megabyte.
    size_t size = 1024 + row[topic_row::kMessage].AsString().size();
    for (const ReplyRow& reply : replies) size += 160 + reply.author.size() + reply.date.size() + reply.message.size();
    std::string page;
    page.reserve(size);
    page +=
        "<body bgcolor=\"#C0C0C0\"><table border=\"0\" width=\"100%\" bgcolor=\"#FFFFFF\" cellspacing=\"1\">"
        "<tr><td width=\"100%\" bgcolor=\"#339966\">";
    using namespace topic_row;
    page += HeaderText(row[kTitle]);
    page += Pieces().replies;
    page += HeaderText(row[kReplies]);
    page += "<br>";
    page += HeaderText(row[kSpeaker]);
    page += "-" + KindLabel(row[kKind]) + "-" + LanguageLabel(row[kLanguage]) + "-" + GradeLabel(row[kGood]) + ":";
    page += HeaderText(row[kReadingTimes]);
    page += Pieces().postedOn;
    page += HeaderText(row[kSpeakDate]);
    page += "</td></tr><tr><td width=\"100%\" bgcolor=\"#C0C0C0\">";
    page += row[kMessage].AsString();
    page += "</td></tr>";
    for (const ReplyRow& reply : replies) {
        page += "<tr><td width=\"100%\" bgcolor=\"#808000\">";
        page += reply.author;
        page += Pieces().repliedOn;
        page += reply.date;
        page += "</td></tr><tr><td width=\"100%\" bgcolor=\"#FFFFFF\">";
        page += reply.message;
        page += "</td></tr>";
    }
    page += "</table></body>";

    const std::pair<std::string_view, std::string_view> passes[] = {
        {"\r\n", "<br>"},       {Pieces().fullWidthSpace, "<br>"},
        {"[img]", "<img src="}, {"[/img]", ">"},
        {"[url]", "<a href="},  {"[/url]", "></a>"}};
    // Each pass in turn, over what the one before made; two buffers take turns, and a pass
    // that finds nothing copies nothing.
    std::string other;
    for (const auto& [pattern, replacement] : passes)
        if (ReplaceInto(page, pattern, replacement, other)) page.swap(other);
    return page;
}

std::string MakeTopicPage(Connection& connection, const TopicRow& row) {
    return BuildTopicPage(row, ReadReplies(connection, row));
}

}  // namespace zenta
