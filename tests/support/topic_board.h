// A small board for the topic list, the topic page and their commands: the notable rows of
// the shared sample board that matter to them (quotes, shared names, missing authors,
// names ending in 啊, wildcard characters, labels, codes, CR LF, Nulls).
#pragma once

namespace zenta::test {

// UTF-8 statements for MakeArchive.
inline constexpr const char* kTopicBoardSql = R"(
INSERT INTO FORUM_MEMBERS (MEMBER_ID, M_NAME) VALUES
  (1, 'Tom'), (6, '来啊'), (7, '好人啊'), (9, 'Tom O''Neil'), (12, '王　五'), (17, 'bcb_fan'), (18, '100%Delphi');
INSERT INTO FORUM_CATEGORY (cat_id, cat_name, cat_pid, cat_order) VALUES
  (1, 'Delphi', 0, 1), (3, '站务', 0, 2), (9, '问答', 0, 3), (11, 'VCL', 1, 1), (13, '网络编程', 1, 2),
  (14, '答疑', 9, 1), (15, 'BCB 高级', 9, 2);
INSERT INTO FORUM_FORUM (FORUM_ID, CAT_ID, F_SUBJECT) VALUES
  (1, 1, 'Delphi 基础'), (2, 1, 'Delphi''s Tips'), (5, 3, '站务公告'), (7, 9, '常见问题'), (8, 11, 'VCL 组件开发'),
  (11, 14, '常见问题'), (12, 15, 'BCB 高级');
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_view_count, t_date, t_message,
                          t_kind, t_language, t_good, T_REPLIES) VALUES
  (101, 1, 1, 1, 'Hello world', 42, '20021231143000', 'first'||char(13)||char(10)||'second', 1, 1, 'Y', 3),
  (103, 1, 1, 4, 'Lost author', 1, '20020101', 'nobody', 1, 1, 'N', 0),
  (104, 1, 1, 6, 'ABC 问题', 5, '20020423', '啊　啊、', 2, 2, 'y', 0),
  (106, 2, 1, 6, 'It''s a quote', 7, '200211101658', NULL, 3, 3, NULL, 0),
  (107, 2, 1, 9, 'quote two', NULL, NULL, '[IMG]x[/IMG]', NULL, NULL, NULL, NULL),
  (121, 1, 1, 7, NULL, 0, '20030101', '', 0, 0, '', 0),
  (133, 8, 3, 1, 'Misfiled', 0, '20030101', 'm', 4, 5, 'N', 0),
  (134, 7, 14, 1, 'FAQ in the other category', 0, '20030101', 'm', 1, 4, 'N', 0),
  (135, 7, 9, 1, 'FAQ seven', 0, '20030101', 'm', 1, 4, 'N', 0),
  (136, 11, 14, 7, 'FAQ eleven', 0, '20030101', 'm', 1, 4, 'N', 0),
  (137, 12, 15, 12, 'BCB topic', 0, '20030101', 'm', 1, 2, 'N', 0),
  (154, 1, 1, 17, '100% a_b', 0, '20030101', 'm', 1, 1, 'N', 0),
  (155, 1, 1, 18, 'axb', 0, '20030101', 'm', 1, 1, 'N', 0);
INSERT INTO FORUM_REPLY (REPLY_ID, TOPIC_ID, R_AUTHOR, R_MESSAGE, R_DATE) VALUES
  (1, 101, 6, 'late', '200301051200'),
  (2, 101, 1, 'early', '20030104235900'),
  (3, 101, 4, 'no member row', '20030103'),
  (4, 101, 7, NULL, '20030105'),
  (5, 101, NULL, 'no author', '20030102'),
  (6, 104, 9, 'other topic', '20030101');
)";

}  // namespace zenta::test
