#include "archive/board_generator.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "archive/schema.h"
#include "archive/sqlite_handles.h"
#include "base/errors.h"

namespace zenta {
namespace {

// splitmix64: small, fast, and the same on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::int64_t Below(std::int64_t n) {
        return n <= 0 ? 0 : static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(n));
    }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }
    // An index below n drawn with weight 1/(index + 1), the first the most likely.
    size_t ZipfIndex(size_t n) {
        std::vector<double>& sums = zipfSums_[n];
        for (size_t i = sums.size(); i < n; ++i)
            sums.push_back((i ? sums.back() : 0.0) + 1.0 / static_cast<double>(i + 1));
        double at = static_cast<double>(Next() >> 11) * 0x1.0p-53 * sums.back();
        return std::min(n - 1, static_cast<size_t>(std::upper_bound(sums.begin(), sums.end(), at) - sums.begin()));
    }
    template <class T, size_t N>
    const T& PickZipf(const T (&items)[N]) {
        return items[ZipfIndex(N)];
    }

private:
    std::uint64_t state_;
    std::map<size_t, std::vector<double>> zipfSums_;  // cumulative weights by item count
};

// The words of titles and messages, most common first: a word is drawn with a weight falling
// as 1/rank (Zipf's law, as in real text), so that a search meets common, middling and rare
// words as on a real board, code identifiers among them.
const char* const kChinese[] = {
    "请问",   "如何",   "数据库", "控件",   "编译",   "出错",   "谢谢",   "大家",   "帮忙",       "看看",   "这个",
    "问题",   "怎么",   "解决",   "窗体",   "线程",   "内存",   "报表",   "字符串", "指针",       "组件",   "安装",
    "升级",   "版本",   "网络",   "源代码", "例子",   "文件",   "打印",   "界面",   "数组",       "函数",   "变量",
    "类型",   "转换",   "事件",   "消息",   "循环",   "调试",   "异常",   "连接",   "查询",       "记录",   "字段",
    "表格",   "排序",   "释放",   "创建",   "注册表", "服务器", "客户端", "多线程", "动态链接库", "对象",   "属性",
    "方法",   "继承",   "接口",   "指令",   "汇编",   "编辑框", "按钮",   "菜单",   "工具栏",     "状态栏", "对话框",
    "剪贴板", "快捷键", "鼠标",   "键盘",   "显示器", "分辨率", "图标",   "位图",   "图像",       "声音",   "视频",
    "压缩",   "加密",   "解密",   "算法",   "效率",   "速度",   "优化",   "重复",   "死锁",       "同步",   "信号",
    "管道",   "端口",   "协议",   "邮件",   "下载",   "上传",   "主页",   "脚本",   "存储过程",   "触发器", "索引",
    "事务",   "回滚",   "游标",   "视图",   "主键",   "外键",   "中文",   "乱码",   "字体",       "颜色",   "打包",
    "发布",   "注释",   "规范",   "教程",   "书籍",   "面试",   "工资",   "毕业",   "项目",       "需求",   "测试",
    "文档",   "缺陷",   "补丁",   "兼容",   "移植",   "跨平台", "虚拟机", "进程"};
const char* const kEnglish[] = {
    "Delphi",        "BCB",         "Kylix",         "Linux",         "TDataSet",    "TQuery",      "ADO",
    "VCL",           "DLL",         "API",           "thread",        "memory",      "form",        "report",
    "socket",        "query",       "string",        "bug",           "help",        "compile",     "TStringList",
    "ADOQuery1.SQL", "std::string", "TForm1",        "Button1Click",  "ShowMessage", "WinAPI",      "COM",
    "ActiveX",       "OLE",         "TTable",        "TDatabase",     "BDE",         "Interbase",   "Oracle",
    "MySQL",         "SQL",         "Windows",       "Win2000",       "XP",          "Access",      "Excel",
    "FastReport",    "QuickReport", "TClientSocket", "TServerSocket", "TThread",     "Synchronize", "CreateProcess",
    "GetMessage",    "PostMessage", "SendMessage",   "HWND",          "LPCTSTR",     "AnsiString",  "TList",
    "TObject",       "inherited",   "override",      "virtual",       "pointer",     "record",      "array",
    "integer",       "cardinal",    "PChar",         "Format",        "IntToStr",    "StrToInt",    "try",
    "except",        "finally"};
// Common characters, most common first: most words of a message are runs of them, so that the
// texts hold as many different pairs of characters as real Chinese text does.
const char* const kCharacters =
    "的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以"
    "会家可下而过天去能对小多然于心学么之都好看起发当没成只如事把还用第样道想作种开美"
    "总从无情己面最女但现前些所同日手又行意动方期它头经长儿回位分爱老因很给名法间斯知"
    "世什两次使身者被高已亲其进此话常与活正感见明问力理尔点文几定本公特做外孩相西果走"
    "将月十实向声车全信重三机工物气每并别真打太新比才便夫再书部水像眼等体却加电主界门"
    "利海受听表德少克代员许稳先口由死安写性马光白或住难望教命花结乐色更拉东神记处让母"
    "父应直字场平报友关放至张认接告入笑内英军候民岁往何度山觉路带万男边风解叫任金快原"
    "吃妈变通师立象数四失满战远格士音轻目条呢";
const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴"};
const char* const kGiven[] = {"小明", "大伟", "晓东", "建国", "海涛", "丽", "强", "军", "勇", "静"};
const char* const kHandles[] = {"delphi", "bcb", "coder", "hacker", "newbie", "guru", "linux", "kylix"};
const char* const kTopics[] = {"Delphi", "C++ Builder", "Kylix", "Linux", "数据库",
                               "网络",   "控件",        "报表",  "游戏",  "综合"};
const char* const kAreas[] = {"技术讨论", "专区", "基础", "高级", "开发", "编程", "问答", "资源", "灌水", "公告"};

// One to three characters of kCharacters, drawn by the same law as the words.
std::string Characters(Random& r) {
    static const std::vector<std::string> characters = [] {
        std::vector<std::string> split;
        for (const char* c = kCharacters; *c; c += 3) split.emplace_back(c, 3);  // each is three bytes in UTF-8
        return split;
    }();
    std::string text;
    for (int n = 1 + static_cast<int>(r.Below(3)); n > 0; --n) text += characters[r.ZipfIndex(characters.size())];
    return text;
}

std::string Phrase(Random& r, int words) {
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (r.Chance(70)) {
            text += Characters(r);
        } else if (r.Chance(30)) {
            if (!text.empty()) text += ' ';
            text += r.PickZipf(kEnglish);
            text += ' ';
        } else {
            text += r.PickZipf(kChinese);
        }
    }
    return text;
}

std::string Message(Random& r) {
    std::string text;
    int sentences = 2 + static_cast<int>(r.Below(8));
    for (int i = 0; i < sentences; ++i) {
        if (i > 0) text += r.Chance(70) ? "\r\n" : "　";
        text += Phrase(r, 3 + static_cast<int>(r.Below(8)));
        text += r.Chance(50) ? "。" : "？";
        if (r.Chance(4)) text += "[img]http://img.zenta.example/" + std::to_string(r.Below(1000)) + ".gif[/img]";
        if (r.Chance(4)) text += "[url]http://www.zenta.example/t/" + std::to_string(r.Below(100000)) + "[/url]";
    }
    return text;
}

// Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// Seconds since 2000-01-01 as yyyymmddhhmmss.
std::string DateCode(std::int64_t seconds) {
    int y, m, d;
    CivilFromDays(10957 + seconds / 86400, y, m, d);
    std::int64_t s = seconds % 86400;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d", y, m, d, static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    return buffer;
}

struct Category {
    std::int64_t id, parent;
    int level;
};

BoardFacts Fill(sqlite3* db, const BoardShape& shape) {
    Random r(shape.seed);
    const std::int64_t topics = std::max<std::int64_t>(0, shape.topics);
    const std::int64_t replies = shape.replies >= 0 ? shape.replies : topics * 3;
    const std::int64_t categoryCount =
        shape.categories > 0 ? shape.categories : std::clamp<std::int64_t>(topics / 2000, 12, 300);
    const std::int64_t forumCount = shape.forums > 0 ? shape.forums : std::clamp<std::int64_t>(topics / 500, 8, 2000);
    const std::int64_t members = std::max<std::int64_t>(20, topics / 20);
    BoardFacts facts;

    // Categories: a chain five levels deep first, then each new one under an earlier one.
    std::vector<Category> categories;
    const std::int64_t topLevel = std::max<std::int64_t>(2, categoryCount / 8);
    for (std::int64_t id = 1; id <= categoryCount; ++id) {
        Category c{id, 0, 1};
        if (id >= 2 && id <= 5) {
            c.parent = id - 1;
            c.level = static_cast<int>(id);
        } else if (id > topLevel + 4) {
            const Category& p = categories[r.Below(static_cast<std::int64_t>(categories.size()))];
            if (p.level < 5) c = Category{id, p.id, p.level + 1};
        }
        categories.push_back(c);
    }
    Statement category(db, "INSERT INTO FORUM_CATEGORY VALUES (?,?,?,?,?)");
    for (const Category& c : categories)
        category.BindInteger(1, c.id)
            .BindText(2, std::string(r.Pick(kTopics)) + " " + r.Pick(kAreas) + " " + std::to_string(c.id))
            .BindInteger(3, c.parent)
            .BindInteger(4, r.Below(10))
            .BindInteger(5, 1)
            .Run();

    // Forums: the first, the busiest, sits on the top level where the tree shows it.
    std::vector<std::int64_t> forumCategory(forumCount + 1);
    std::vector<std::int64_t> forumTopics(forumCount + 1);
    std::vector<std::int64_t> topicForum(topics + 1);
    for (std::int64_t t = 1; t <= topics; ++t) {
        std::int64_t f = r.Chance(10) ? 1 : 1 + r.Below(forumCount);
        topicForum[t] = f;
        ++forumTopics[f];
    }
    Statement forum(db, "INSERT INTO FORUM_FORUM VALUES (?,?,?,?,?)");
    for (std::int64_t f = 1; f <= forumCount; ++f) {
        forumCategory[f] = f == 1 ? 1 : categories[r.Below(categoryCount)].id;
        std::string name = std::string(r.Pick(kTopics)) + r.Pick(kAreas) + " " + std::to_string(f);
        if (forumTopics[f] > facts.largestForumTopics) {
            facts.largestForumTopics = forumTopics[f];
            facts.largestForum = name;
        }
        forum.BindInteger(1, f)
            .BindInteger(2, forumCategory[f])
            .BindText(3, name)
            .BindText(4, Phrase(r, 6))
            .BindInteger(5, forumTopics[f])
            .Run();
    }

    Statement member(db, "INSERT INTO FORUM_MEMBERS VALUES (?,?,?,?)");
    for (std::int64_t m = 1; m <= members; ++m) {
        std::string name = r.Chance(60) ? std::string(r.Pick(kSurnames)) + r.Pick(kGiven) + std::to_string(m)
                                        : std::string(r.Pick(kHandles)) + "_" + std::to_string(m);
        member.BindInteger(1, m)
            .BindText(2, name)
            .BindText(3, "user" + std::to_string(m) + "@mail.zenta.example")
            .BindInteger(4, r.Below(500))
            .Run();
    }
    // About one author in a hundred has left no member row behind.
    auto author = [&] { return r.Chance(1) ? members + 1 + r.Below(10) : 1 + r.Below(members); };

    // Replies: one topic of the busiest forum draws 5,000 of them when there are enough.
    std::vector<std::int64_t> replyTopic(replies);
    std::vector<std::int64_t> topicReplies(topics + 1);
    std::int64_t busiest = 0;
    for (std::int64_t t = topics; t >= 1 && busiest == 0; --t)
        if (topicForum[t] == 1) busiest = t;
    for (std::int64_t i = 0; i < replies && topics > 0; ++i) {
        std::int64_t t = (busiest && i < std::min<std::int64_t>(5000, replies / 2)) ? busiest : 1 + r.Below(topics);
        replyTopic[i] = t;
        ++topicReplies[t];
    }
    for (std::int64_t t = 1; t <= topics; ++t)
        if (topicReplies[t] > facts.busiestTopicReplies) {
            facts.busiestTopicReplies = topicReplies[t];
            facts.busiestTopic = t;
        }

    const std::int64_t span = 4LL * 365 * 86400;
    std::vector<std::int64_t> topicTime(topics + 1);
    Statement topic(db, "INSERT INTO FORUM_TOPICS VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (std::int64_t t = 1; t <= topics; ++t) {
        topicTime[t] = span * (t - 1) / std::max<std::int64_t>(1, topics) + r.Below(3600);
        std::string date = DateCode(topicTime[t]);
        std::int64_t f = topicForum[t];
        topic.BindInteger(1, t)
            .BindInteger(2, f)
            .BindInteger(3, forumCategory[f])
            .BindInteger(4, author())
            .BindText(5, Phrase(r, 2 + static_cast<int>(r.Below(6))))
            .BindInteger(6, r.Below(5000))
            .BindText(7, date)
            .BindText(8, Message(r))
            .BindInteger(9, 1 + r.Below(3))
            .BindInteger(10, 1 + r.Below(4))
            .BindText(11, r.Chance(5) ? "Y" : "N")
            .BindInteger(12, topicReplies[t])
            .BindText(13, date)
            .Run();
    }

    Statement reply(db, "INSERT INTO FORUM_REPLY VALUES (?,?,?,?,?,?)");
    for (std::int64_t i = 0; i < replies && topics > 0; ++i) {
        std::int64_t t = replyTopic[i];
        reply.BindInteger(1, i + 1)
            .BindInteger(2, t)
            .BindInteger(3, author())
            .BindText(4, Message(r))
            .BindText(5, DateCode(topicTime[t] + 60 + r.Below(90 * 86400)))
            .BindInteger(6, topicForum[t])
            .Run();
    }
    return facts;
}

}  // namespace

BoardFacts GenerateBoardArchive(const std::string& path, const BoardShape& shape) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) throw Error("\"" + path + "\" exists already; it is not overwritten");
    const std::string part = path + ".part";
    std::filesystem::remove(part, ec);
    BoardFacts facts;
    WriteNewArchive(part, [&](sqlite3* db) {
        ExecuteStatements(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
        CreateArchiveTables(db);
        facts = Fill(db, shape);
        CreateArchiveIndexes(db);
        ExecuteStatements(db, "COMMIT; ANALYZE");
    });
    std::filesystem::rename(part, path, ec);
    if (ec) throw Error("Cannot move \"" + part + "\" to \"" + path + "\": " + ec.message());
    return facts;
}

}  // namespace zenta
