#include "http_client.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <regex>

namespace zenta::test {
namespace {

serve::ServerOptions Options(const serve::ServerLimits& limits) {
    serve::ServerOptions options;
    options.port = 0;
    options.threads = 2;
    options.limits = limits;
    return options;
}

}  // namespace

ServedArchive::ServedArchive(const std::string& archive, const serve::ServerLimits& limits) : site_(archive) {
    server_ = std::make_unique<serve::HttpServer>(
        Options(limits), [this](const serve::Request& request) { return site_.Handle(request); }, log_);
}

std::unique_ptr<httplib::Client> ServedArchive::Client() const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port());
    client->set_decompress(false);
    client->set_read_timeout(10, 0);
    return client;
}

httplib::Result ServedArchive::Get(const std::string& target) const {
    httplib::Result result = Client()->Get(target);
    EXPECT_TRUE(result) << target << ": " << httplib::to_string(result.error());
    return result;
}

int RawStatus(std::uint16_t port, const std::string& bytes) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // The server may answer and close before it has read everything: later writes may fail.
    for (size_t sent = 0; sent < bytes.size();) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    std::string reply;
    char buffer[4096];
    for (ssize_t n; reply.find("\r\n") == std::string::npos && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<size_t>(n));
    close(fd);
    std::smatch status;
    return std::regex_search(reply, status, std::regex("^HTTP/1\\.[01] (\\d{3})")) ? std::stoi(status[1]) : 0;
}

std::string PlainText(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), "");
    const std::pair<const char*, const char*> references[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : references)
        for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += std::strlen(to))
            text.replace(at, std::strlen(from), to);
    return text;
}

std::string TreeLines(const std::string& html) {
    std::string lines;
    int depth = 0;
    std::regex token("<ul[^>]*>|</ul>|<li>((?:(?!<ul|</li>)[\\s\\S])*)");
    for (std::sregex_iterator it(html.begin(), html.end(), token), end; it != end; ++it) {
        std::string found = it->str();
        if (found.starts_with("<ul")) {
            ++depth;
        } else if (found == "</ul>") {
            --depth;
        } else {
            lines += std::string(2 * (depth - 1), ' ') + PlainText((*it)[1].str()) + "\n";
        }
    }
    return lines;
}

std::vector<std::vector<std::string>> TableRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    size_t body = html.find("<tbody>");
    if (body == std::string::npos) return rows;
    std::string table = html.substr(body, html.find("</tbody>") - body);
    std::regex row("<tr>([\\s\\S]*?)</tr>"), cell("<td[^>]*>([\\s\\S]*?)</td>");
    for (std::sregex_iterator r(table.begin(), table.end(), row), end; r != end; ++r) {
        std::string cells = (*r)[1].str();
        rows.emplace_back();
        for (std::sregex_iterator c(cells.begin(), cells.end(), cell); c != end; ++c)
            rows.back().push_back(PlainText((*c)[1].str()));
    }
    return rows;
}

std::string LinkTarget(const std::string& html, const std::string& rel) {
    std::smatch link;
    if (!std::regex_search(html, link, std::regex("rel=\"" + rel + "\" href=\"([^\"]*)\""))) return "";
    return PlainText(link[1].str());
}

}  // namespace zenta::test
