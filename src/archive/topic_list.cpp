#include "archive/topic_list.h"

#include <vector>

#include "archive/query.h"
#include "base/codepage.h"
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

// What the trigram index is asked for the words: every run of three characters or more
// between the wildcards, as a phrase; a title that `like` matches holds each of them.
// Empty when no run is that long, as the index could then only name every title. The
// index counts characters as code points, so the runs are measured in UTF-8.
std::string TrigramQuery(const std::string& narrow) {
    std::string words = FromNarrow(narrow);
    std::string query, run;
    size_t characters = 0;
    auto endRun = [&] {
        if (characters >= 3) query += (query.empty() ? "\"" : " AND \"") + run + "\"";
        run.clear();
        characters = 0;
    };
    for (char c : words) {
        if (c == '%' || c == '_') {
            endRun();
            continue;
        }
        if (c == '"') run += '"';  // a quote inside a phrase is doubled
        run += c;
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;  // not a continuation byte
    }
    endRun();
    return ToNarrow(query);
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

// The statement's end: the range's condition on the key (TOPIC_ID, or a column equal to it),
// then the order. Every row is the board's own order, highest TOPIC_ID first.
void EndWithRange(std::string& statement, std::vector<Value>& parameters, const TopicKeyRange& range,
                  const std::string& key = "TOPIC_ID") {
    switch (range.side) {
        case TopicKeyRange::Side::All:
            statement += " order by " + key + " desc";
            return;
        case TopicKeyRange::Side::Below:
            statement += " and (" + key + "<?) order by " + key + " desc";
            break;
        case TopicKeyRange::Side::Above:
            statement += " and (" + key + ">?) order by " + key + " asc";
            break;
    }
    parameters.push_back(Value::Integer(range.key));
}

}  // namespace

void ListForumTopics(Query& rs, Connection& connection, const std::string& caption, const TopicKeyRange& range) {
    Value name = Value::Text(Trim(caption));
    Reset(rs, connection);
    rs.SQL().Add(ListingSelect());
    rs.SQL().Add(kListingJoin);
    // A name that one forum alone bears, the usual case, lists by that forum's own keys: the
    // engine then walks the forum's index from its highest topic and the first rows come at
    // once, however big the forum. The keys of several forums are gathered in a subquery first.
    Query forums(&connection);
    forums.SQL().Add("select FORUM_ID, CAT_ID from FORUM_FORUM where F_SUBJECT=?");
    forums.Parameters() = {name};
    forums.Open();
    std::vector<Value> only;
    if (!forums.Eof()) {
        only = {forums.Fields(0), forums.Fields(1)};
        forums.Next();
        if (!forums.Eof()) only.clear();
    }
    std::string condition;
    std::vector<Value> parameters;
    if (!only.empty()) {
        condition = "(T_AUTHOR=MEMBER_ID) and (FORUM_ID=?) and (CAT_ID=?)";
        parameters = std::move(only);
    } else {
        condition =
            "(T_AUTHOR=MEMBER_ID) and  TOPIC_ID in (select TOPIC_ID from FORUM_TOPICS where "
            "(CAT_ID in (select CAT_ID from FORUM_FORUM where F_SUBJECT=?)) and "
            "(FORUM_ID in (select FORUM_ID from FORUM_FORUM where F_SUBJECT=?)))";
        parameters = {name, name};
    }
    EndWithRange(condition, parameters, range);
    rs.SQL().Add(condition);
    rs.Parameters() = std::move(parameters);
    rs.Open();
}

bool SearchTopics(Query& rs, Connection& connection, SearchBy by, const std::string& words,
                  const TopicKeyRange& range) {
    std::string trimmed = Trim(words);
    if (trimmed.empty()) return false;
    Value pattern = Value::Text("%" + trimmed + "%");
    std::string statement = SearchSelect();
    std::vector<Value> parameters = {pattern};
    std::string key = "TOPIC_ID";
    if (by == SearchBy::Title) {
        // The index names the topics whose titles hold the runs of the words, highest key
        // first; the `like` keeps exactly the matching ones among them. Walking the index's
        // own order yields the first rows at once, however many titles match.
        std::string trigrams = TrigramQuery(trimmed);
        if (!trigrams.empty() && HasTitleIndex(connection)) {
            statement +=
                " from (select rowid as hit from topic_title_trigrams where topic_title_trigrams match ?) "
                "titles, FORUM_TOPICS ,FORUM_MEMBERS where  T_AUTHOR=MEMBER_ID and  t_SUBJECT like ? "
                "and TOPIC_ID=titles.hit";
            parameters.insert(parameters.begin(), Value::Text(trigrams));
            key = "titles.hit";
        } else {
            statement +=
                std::string(" from FORUM_TOPICS ,FORUM_MEMBERS where ") + " T_AUTHOR=MEMBER_ID and  t_SUBJECT like ?";
        }
    } else {
        statement += std::string("from FORUM_TOPICS ,FORUM_MEMBERS where") +
                     " T_AUTHOR=MEMBER_ID and  TOPIC_ID in (select TOPIC_ID from FORUM_TOPICS where "
                     "T_AUTHOR in (select MEMBER_ID from FORUM_MEMBERS where M_NAME like ?))";
    }
    EndWithRange(statement, parameters, range, key);
    Reset(rs, connection);
    rs.SQL().Add(statement);
    rs.Parameters() = std::move(parameters);
    rs.Open();
    return true;
}

void ListTopicsInOrder(Query& rs, Connection& connection, const std::vector<std::int64_t>& topics) {
    std::string ids = "[";
    for (std::int64_t topic : topics) ids += (ids.size() > 1 ? "," : "") + std::to_string(topic);
    ids += "]";
    Reset(rs, connection);
    rs.SQL().Add(SearchSelect());
    // The keys travel as one JSON array; the engine walks it in order and reads each topic by key.
    rs.SQL().Add(" from json_each(?) as ranked cross join FORUM_TOPICS cross join FORUM_MEMBERS");
    rs.SQL().Add(" where TOPIC_ID=ranked.value and T_AUTHOR=MEMBER_ID order by ranked.key");
    rs.Parameters() = {Value::Text(ids)};
    rs.Open();
}

void OpenTopicRow(Query& rs, Connection& connection, const Value& topicId) {
    Reset(rs, connection);
    rs.SQL().Add(ListingSelect());
    rs.SQL().Add(kListingJoin);
    rs.SQL().Add("(T_AUTHOR=MEMBER_ID) and (TOPIC_ID=?)");
    rs.Parameters() = {topicId};
    rs.Open();
}

TopicRow ReadTopicRow(const Query& rs) {
    TopicRow row;
    for (size_t i = 0; i < row.size(); ++i) row[i] = rs.Fields(static_cast<int>(i));
    return row;
}

}  // namespace zenta
