#include "archive/topic_list.h"

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

// Binds the connection, then replaces the statement, as every refill of `rs` begins.
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
        "(T_AUTHOR=MEMBER_ID) and  (CAT_ID in (select CAT_ID from FORUM_FORUM where F_SUBJECT=?)) and "
        "(FORUM_ID in (select FORUM_ID from FORUM_FORUM where F_SUBJECT=?)) order by TOPIC_ID desc");
    rs.Parameters() = {name, name};
    rs.Open();
}

bool SearchTopics(Query& rs, Connection& connection, SearchBy by, const std::string& words) {
    std::string trimmed = Trim(words);
    if (trimmed.empty()) return false;
    std::string statement = SearchSelect();
    if (by == SearchBy::Title)
        statement += std::string(" from FORUM_TOPICS ,FORUM_MEMBERS where ") +
                     " T_AUTHOR=MEMBER_ID and  t_SUBJECT like ? order by TOPIC_ID desc";
    else
        statement += std::string("from FORUM_TOPICS ,FORUM_MEMBERS where") +
                     " T_AUTHOR=MEMBER_ID and  (T_AUTHOR in (select MEMBER_ID from FORUM_MEMBERS where M_NAME like ?)) "
                     "order by TOPIC_ID desc";
    Reset(rs, connection);
    rs.SQL().Add(statement);
    rs.Parameters() = {Value::Text("%" + trimmed + "%")};
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
