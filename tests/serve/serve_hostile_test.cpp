// Hostile requests each get their status and leave the server serving; a client that sends
// one byte a second holds its connection no longer than the time allowed, and blocks no one.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "http_client.h"
#include "support/test_archive.h"
#include "support/topic_board.h"

namespace zenta {
namespace {

class ServeHostile : public ::testing::Test {
protected:
    void SetUp() override {
        archive_ = dir_.File("board.mdb");
        test::MakeArchive(archive_, test::kTopicBoardSql);
    }

    test::TempDir dir_;
    std::string archive_;
};

std::string Get(const std::string& target, const std::string& headers = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}

TEST_F(ServeHostile, EachBadRequestGetsItsStatusAndTheServerGoesOnServing) {
    test::ServedArchive served(archive_);
    std::string flood;
    for (int i = 0; i < 2000; ++i) flood += "X-Flood-" + std::to_string(i) + ": " + std::string(40, 'f') + "\r\n";
    struct Case {
        std::string request;
        int status;
        const char* what;
    } cases[] = {
        {Get("/../../../../etc/passwd"), 404, "a path with .. names no page and no file"},
        {Get("/%2e%2e/%2e%2e/etc/passwd"), 404, "an encoded .. neither"},
        {Get("/topic/..%2f..%2fetc%2fpasswd"), 404, "nor one in a topic's place"},
        {Get("/style.css/../../etc/passwd"), 404, "nor one after a served name"},
        {Get("/" + std::string(100 * 1024, 'a')), 414, "a 100 KB URL"},
        {Get("/search?words=" + std::string(100 * 1024, 'w')), 414, "a 100 KB query"},
        {Get("/search?words=%C3%28"), 400, "invalid UTF-8 in a query value"},
        {Get("/search?%FF=x&words=y"), 400, "invalid UTF-8 in a query name"},
        {Get("/forum?caption=%ED%A0%80"), 400, "an encoded surrogate"},
        {Get("/forum?caption=%C0%AF"), 400, "an overlong form"},
        {Get("/\xFF\xFE"), 400, "raw bytes that are no UTF-8 in the path"},
        {"DELETE / HTTP/1.1\r\nHost: x\r\n\r\n", 405, "a method other than GET and HEAD"},
        {"POST /search HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nwords", 405, "a POST with a body"},
        {"PUT /topic/101 HTTP/1.1\r\nHost: x\r\nContent-Length: 100000000\r\n\r\nxx", 405,
         "a PUT of a body it never sends"},
        {Get("/topic/999999"), 404, "an unknown topic id"},
        {Get("/topic/103"), 404, "a topic whose author has no member row, which no listing shows"},
        {Get("/topic/99999999999999999999999"), 404, "a topic id beyond any number"},
        {Get("/topic/-1"), 404, "a negative topic id"},
        {Get("/topic/1%00"), 404, "a NUL after the id"},
        {Get("/nowhere"), 404, "an unknown page"},
        {Get("/", flood), 431, "a header flood"},
        {"GET / HTTP/1.1\r\n\r\n", 400, "HTTP/1.1 without a Host"},
        {"GET / HTTP/1.1\r\nHost: x\r\nno colon here\r\n\r\n", 400, "a header line without a colon"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(test::RawStatus(served.port(), c.request), c.status) << c.what;
        auto after = served.Get("/");
        ASSERT_TRUE(after) << "after " << c.what;
        EXPECT_EQ(after->status, 200) << "after " << c.what;
    }
    // An error page names no file of the machine.
    auto missing = served.Get("/topic/999999");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->body.find(dir_.path()), std::string::npos);
    EXPECT_EQ(missing->body.find("board.mdb"), std::string::npos);
}

TEST_F(ServeHostile, HeadGetsTheHeadersOfGetWithoutTheBody) {
    test::ServedArchive served(archive_);
    auto get = served.Get("/topic/101");
    auto head = served.Client()->Head("/topic/101");
    ASSERT_TRUE(get && head);
    EXPECT_EQ(head->status, 200);
    EXPECT_TRUE(head->body.empty());
    EXPECT_EQ(head->get_header_value("Content-Length"), std::to_string(get->body.size()));
}

TEST_F(ServeHostile, AClientSendingOneByteASecondIsCutOffAndBlocksNoOne) {
    serve::ServerLimits limits;
    limits.requestTime = std::chrono::seconds(2);
    test::ServedArchive served(archive_, limits);
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(served.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string request = Get("/");
    auto start = std::chrono::steady_clock::now();
    std::string reply;
    for (char byte : request) {
        if (send(fd, &byte, 1, MSG_NOSIGNAL) != 1) break;
        // Meanwhile everyone else is served at once.
        auto other = served.Get("/style.css");
        ASSERT_TRUE(other);
        EXPECT_EQ(other->status, 200);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(6)) break;
    }
    char buffer[256];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) reply.append(buffer, n);
    close(fd);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(reply.starts_with("HTTP/1.1 408")) << reply;
    EXPECT_LT(took, std::chrono::seconds(7)) << "the slow request was cut off long before it ended";
}

}  // namespace
}  // namespace zenta
