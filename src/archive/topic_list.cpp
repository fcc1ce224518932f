#include "archive/topic_list.h"

#include <algorithm>

#include "archive/query.h"
#include "base/trim.h"

namespace zenta {
namespace {

// The select list both forms share; its doubled spaces are the board's own.
constexpr const char* kSelectHead =
    "select t_subject as Title,t_view_count as ReadingTimes,M_NAME as Speaker,"
    "(mid(cstr(t_date),1,4)+'-'+mid(cstr(t_date),5,2)+'-'+mid(cstr(t_date),7,2))  as SpeakDate,"
    "TOPIC_ID,t_message, t_kind,t_language,t_good,T_REPLIES";

std::string ListingSelect() { return std::string(kSelectHead) + " from "; }
std::string SearchSelect() { return std::string(kSelectHead) + "  "; }

constexpr const char* kListingJoin = " FORUM_TOPICS ,FORUM_MEMBERS where  ";

// The trigram index answers a `like` pattern only through a run of three characters
// without wildcards; with shorter runs it would read every title, as the plain scan does.
constexpr size_t kTrigram = 3;

size_t LongestLiteralRun(const std::string& narrow) {
    size_t longest = 0, run = 0;
    for (size_t i = 0; i < narrow.size(); ++i) {
        unsigned char c = narrow[i];
        if (c == '%' || c == '_') {
            run = 0;
            continue;
        }
        if (c >= 0x81 && c <= 0xFE) ++i;  // the second byte of a two-byte character
        longest = std::max(longest, ++run);
    }
    return longest;
}

bool HasTitleIndex(Connection& connection) {
    Query query(&connection);
    query.SQL().Add("select name from sqlite_master where type='table' and name='topic_title_trigrams'");
    query.Open();
    return !query.Eof();
}

// Binds the connection, then replaces the statement, as every refill of `rs` begins.
// Every statement picks the keys of its topics in a subquery, so that the engine walks
// them from the highest and yields the first rows at once, instead of sorting every row
// with its text first; the rows and their order are those of the board's statements.
void Reset(Query& rs, Connection& connection) {
    rs.SetConnection(&connection);
    rs.Close();
    rs.SQL().Clear();
    rs.Parameters().clear();
}

}  // namespace

void ListForumTopics(Query& rs, Connection& connection, const std::string& caption) {
    Value name = Value::Text(Trim(caption));
    Reset(rs, connection);
    rs.SQL().Add(ListingSelect());
    rs.SQL().Add(kListingJoin);
    rs.SQL().Add(
        "(T_AUTHOR=MEMBER_ID) and  TOPIC_ID in (select TOPIC_ID from FORUM_TOPICS where "
        "(CAT_ID in (select CAT_ID from FORUM_FORUM where F_SUBJECT=?)) and "
        "(FORUM_ID in (select FORUM_ID from FORUM_FORUM where F_SUBJECT=?))) order by TOPIC_ID desc");
    rs.Parameters() = {name, name};
    rs.Open();
}

bool SearchTopics(Query& rs, Connection& connection, SearchBy by, const std::string& words) {
    std::string trimmed = Trim(words);
    if (trimmed.empty()) return false;
    Value pattern = Value::Text("%" + trimmed + "%");
    std::string statement = SearchSelect();
    std::vector<Value> parameters = {pattern};
    if (by == SearchBy::Title) {
        statement += std::string(" from FORUM_TOPICS ,FORUM_MEMBERS where ") + " T_AUTHOR=MEMBER_ID and  t_SUBJECT like ?";
        // The index names a superset of the matching topics (it folds more letter cases
        // than `like` does), and the `like` above keeps exactly the matching ones.
        if (LongestLiteralRun(trimmed) >= kTrigram && HasTitleIndex(connection)) {
            statement += " and TOPIC_ID in (select rowid from topic_title_trigrams where t_subject like ?)";
            parameters.push_back(pattern);
        }
        statement += " order by TOPIC_ID desc";
    } else {
        statement += std::string("from FORUM_TOPICS ,FORUM_MEMBERS where") +
                     " T_AUTHOR=MEMBER_ID and  TOPIC_ID in (select TOPIC_ID from FORUM_TOPICS where "
                     "T_AUTHOR in (select MEMBER_ID from FORUM_MEMBERS where M_NAME like ?)) order by TOPIC_ID desc";
    }
    Reset(rs, connection);
    rs.SQL().Add(statement);
    rs.Parameters() = std::move(parameters);
    rs.Open();
    return true;
}

void OpenTopicRow(Query& rs, Connection& connection, std::int64_t topicId) {
    Reset(rs, connection);
    rs.SQL().Add(ListingSelect());
    rs.SQL().Add(kListingJoin);
    rs.SQL().Add("(T_AUTHOR=MEMBER_ID) and (TOPIC_ID=?)");
    rs.Parameters() = {Value::Integer(topicId)};
    rs.Open();
}

TopicRow ReadTopicRow(const Query& rs) {
    TopicRow row;
    for (size_t i = 0; i < row.size(); ++i) row[i] = rs.Fields(static_cast<int>(i));
    return row;
}

}  // namespace zenta
