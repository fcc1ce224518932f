// The HTTP front: libmicrohttpd on one listening address with a pool of threads and limits
// on what a client may send and for how long. Every request that the library parses is
// handed to one function that returns the whole response; the front compresses it when the
// client asks for gzip and logs one line a request (time, status, method, path, milliseconds).
// HEAD gets the headers of GET without the body.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "serve/request_deadlines.h"

struct MHD_Daemon;

namespace zenta::serve {

struct ServerLimits {
    unsigned connections = 512;            // open at once, every client together
    unsigned connectionsPerClient = 128;   // open at once from one address
    std::size_t requestBytes = 16 * 1024;  // a request's line and headers together
    std::chrono::seconds requestTime{20};  // to send a request's line and headers (see RequestDeadlines)
    std::chrono::seconds idleTime{30};     // without a byte either way
};

struct ServerOptions {
    std::string bind = "127.0.0.1";  // a numeric IPv4 or IPv6 address
    std::uint16_t port = 8080;       // 0: any free port
    unsigned threads = 0;            // 0: one a processor
    ServerLimits limits;
};

struct Request {
    std::string method;
    std::string path;                              // percent-decoded, without the query
    std::map<std::string, std::string> arguments;  // the query's, decoded; the first of a name
};

struct Response {
    Response() = default;
    Response(int status, std::string contentType, std::string body)
        : status(status), contentType(std::move(contentType)), body(std::move(body)) {}

    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string logNote;  // for the log line only, never sent
};

using RequestHandler = std::function<Response(const Request&)>;

class HttpServer {
public:
    // Listens and serves at once, on the library's own threads. A failure to listen raises
    // Error naming the address and the reason.
    HttpServer(const ServerOptions& options, RequestHandler handler, std::ostream& log);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // The port listened on (the one chosen when the options asked for any).
    std::uint16_t port() const { return port_; }

    struct Exchange;

private:
    friend struct Callbacks;
    void Serve(Exchange& exchange, void* connection, const char* path, const char* method);
    void Log(const Exchange& exchange);

    RequestHandler handler_;
    std::ostream& log_;
    std::mutex logMutex_;
    RequestDeadlines deadlines_;
    MHD_Daemon* daemon_ = nullptr;
    std::uint16_t port_ = 0;
};

}  // namespace zenta::serve
