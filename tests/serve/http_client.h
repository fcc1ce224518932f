// The serve tests' side of the wire: a server over an archive on a free port of 127.0.0.1,
// cpp-httplib's client for ordinary requests, raw bytes for the hostile ones, and readers of
// the served HTML (tree lines, table rows, links).
#pragma once

#include <httplib.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "serve/http_server.h"
#include "serve/site.h"

namespace zenta::test {

class ServedArchive {
public:
    explicit ServedArchive(const std::string& archive, const serve::ServerLimits& limits = {});
    std::uint16_t port() const { return server_->port(); }
    std::unique_ptr<httplib::Client> Client() const;
    // A GET without compression; fails the test when no response comes.
    httplib::Result Get(const std::string& target) const;

private:
    std::ostringstream log_;
    serve::Site site_;
    std::unique_ptr<serve::HttpServer> server_;
};

// Sends the bytes on a new connection and returns the status of the response (0 when the
// server closed the connection without one).
int RawStatus(std::uint16_t port, const std::string& bytes);

// The tree page's nodes as `zenta-cli tree` prints them: two spaces a level, a node a line.
std::string TreeLines(const std::string& html);

// The cells of the table's body rows, as text.
std::vector<std::vector<std::string>> TableRows(const std::string& html);

// The target of the link with that rel ("next", "prev"), or "" when there is none.
std::string LinkTarget(const std::string& html, const std::string& rel);

// Text with its character references resolved and its tags dropped.
std::string PlainText(const std::string& html);

}  // namespace zenta::test
