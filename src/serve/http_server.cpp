#include "serve/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>

#include "base/errors.h"
#include "serve/gzip.h"

namespace zenta::serve {

using Clock = std::chrono::steady_clock;

// One request from its line to its end; the library keeps it as the request's context.
struct HttpServer::Exchange {
    Clock::time_point start = Clock::now();
    std::string uri;  // as sent, still percent-encoded
    std::string method;
    bool headersCame = false;
    int status = 0;  // set once the response is queued
    std::string logNote;
    std::string body;  // the response's bytes, which the library sends from here
};

namespace {

// Below this a compressed page saves nothing worth the time.
constexpr std::size_t kSmallestCompressed = 1024;

// A numeric address and the port as a socket address; refused with a clear message.
sockaddr_storage SocketAddress(const std::string& address, std::uint16_t port, socklen_t& length) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found)
        throw Error("\"" + address + "\" is not a numeric IPv4 or IPv6 address to listen on");
    sockaddr_storage storage{};
    std::memcpy(&storage, found->ai_addr, found->ai_addrlen);
    length = found->ai_addrlen;
    freeaddrinfo(found);
    return storage;
}

int Listen(const std::string& address, std::uint16_t port, std::uint16_t& bound) {
    socklen_t length = 0;
    sockaddr_storage storage = SocketAddress(address, port, length);
    int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || listen(fd, 128) != 0) {
        std::string reason = std::strerror(errno);
        if (fd >= 0) close(fd);
        throw Error("Cannot listen on " + address + " port " + std::to_string(port) + ": " + reason);
    }
    getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    bound = ntohs(storage.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                                : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    return fd;
}

// The URI for the log: bytes that could disturb a terminal or a log reader percent-encoded,
// and no longer than a line.
std::string Printable(const std::string& uri) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : uri.substr(0, 300)) {
        if (c > 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    if (uri.size() > 300) out += "...";
    return out;
}

MHD_Result CollectArgument(void* cls, MHD_ValueKind, const char* key, size_t keySize, const char* value,
                           size_t valueSize) {
    auto& arguments = *static_cast<std::map<std::string, std::string>*>(cls);
    arguments.emplace(std::string(key, keySize), value ? std::string(value, valueSize) : std::string());
    return MHD_YES;
}

}  // namespace

// The library's callbacks, each passing on to the server or to the request deadlines.
struct Callbacks {
    static void* RequestLine(void* cls, const char* uri, MHD_Connection*) {
        (void)cls;
        auto* exchange = new HttpServer::Exchange;
        exchange->uri = uri ? uri : "";
        return exchange;
    }

    static MHD_Result Access(void* cls, MHD_Connection* connection, const char* url, const char* method,
                             const char* /*version*/, const char* /*upload*/, size_t* uploadSize, void** context) {
        auto& server = *static_cast<HttpServer*>(cls);
        auto* exchange = static_cast<HttpServer::Exchange*>(*context);
        if (!exchange) *context = exchange = new HttpServer::Exchange;
        if (exchange->status != 0) {
            *uploadSize = 0;  // a body that follows the response is read and dropped
            return MHD_YES;
        }
        if (!exchange->headersCame) {
            exchange->headersCame = true;
            auto* watched = static_cast<RequestDeadlines::Watched*>(
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT)->socket_context);
            if (!server.deadlines_.RequestArrived(watched)) return MHD_NO;
            // A request without a body is answered at the next call, once the library holds it
            // whole, so that the connection may stay open for the next one. A request with a
            // body is answered at once, and the connection closed after it.
            bool body = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING) ||
                        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if (!body) return MHD_YES;
        }
        server.Serve(*exchange, connection, url, method);
        return MHD_YES;
    }

    static void Completed(void* cls, MHD_Connection* connection, void** context, MHD_RequestTerminationCode) {
        auto& server = *static_cast<HttpServer*>(cls);
        auto* exchange = static_cast<HttpServer::Exchange*>(*context);
        if (exchange && exchange->status != 0) server.Log(*exchange);
        delete exchange;
        *context = nullptr;
        auto* watched = static_cast<RequestDeadlines::Watched*>(
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT)->socket_context);
        server.deadlines_.ResponseSent(watched);
    }

    static void Connection(void* cls, MHD_Connection* connection, void** socketContext,
                           MHD_ConnectionNotificationCode code) {
        auto& server = *static_cast<HttpServer*>(cls);
        auto* watched = static_cast<RequestDeadlines::Watched*>(*socketContext);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            *socketContext = server.deadlines_.Opened(
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)->connect_fd);
        } else {
            server.deadlines_.Closed(watched);
            *socketContext = nullptr;
        }
    }
};

HttpServer::HttpServer(const ServerOptions& options, RequestHandler handler, std::ostream& log)
    : handler_(std::move(handler)), log_(log), deadlines_(options.limits.requestTime) {
    int fd = Listen(options.bind, options.port, port_);
    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL, 0, nullptr, nullptr, &Callbacks::Access,
                               this, MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE, threads,
                               MHD_OPTION_CONNECTION_LIMIT, options.limits.connections,
                               MHD_OPTION_PER_IP_CONNECTION_LIMIT, options.limits.connectionsPerClient,
                               MHD_OPTION_CONNECTION_MEMORY_LIMIT, options.limits.requestBytes,
                               MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(options.limits.idleTime.count()),
                               MHD_OPTION_URI_LOG_CALLBACK, &Callbacks::RequestLine, this, MHD_OPTION_NOTIFY_COMPLETED,
                               &Callbacks::Completed, this, MHD_OPTION_NOTIFY_CONNECTION, &Callbacks::Connection, this,
                               // Malformed requests (no Host in HTTP/1.1, a header line without a colon) are refused.
                               MHD_OPTION_STRICT_FOR_CLIENT, 1, MHD_OPTION_END);
    if (!daemon_) {
        close(fd);
        throw Error("Cannot start serving on " + options.bind + " port " + std::to_string(port_));
    }
}

HttpServer::~HttpServer() { MHD_stop_daemon(daemon_); }

void HttpServer::Serve(Exchange& exchange, void* connection, const char* path, const char* method) {
    auto* c = static_cast<MHD_Connection*>(connection);
    Request request;
    request.method = method;
    request.path = path;
    MHD_get_connection_values_n(c, MHD_GET_ARGUMENT_KIND, &CollectArgument, &request.arguments);
    exchange.method = request.method;
    Response response;
    try {
        response = handler_(request);
    } catch (const std::exception& e) {
        response = Response(500, "text/plain; charset=utf-8", "500 Internal Server Error\n");
        response.logNote = e.what();
    }
    const char* accepted = MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_ACCEPT_ENCODING);
    bool compressed = response.body.size() >= kSmallestCompressed && response.contentType.starts_with("text/") &&
                      accepted && AcceptsGzip(accepted);
    exchange.body = compressed ? Gzip(response.body) : std::move(response.body);
    exchange.status = response.status;
    exchange.logNote = std::move(response.logNote);
    MHD_Response* r =
        MHD_create_response_from_buffer(exchange.body.size(), exchange.body.data(), MHD_RESPMEM_PERSISTENT);
    MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, response.contentType.c_str());
    if (compressed) MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_ENCODING, "gzip");
    if (response.contentType.starts_with("text/")) MHD_add_response_header(r, MHD_HTTP_HEADER_VARY, "Accept-Encoding");
    for (const auto& [name, value] : response.headers) MHD_add_response_header(r, name.c_str(), value.c_str());
    MHD_queue_response(c, static_cast<unsigned>(response.status), r);
    MHD_destroy_response(r);
}

void HttpServer::Log(const Exchange& exchange) {
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - exchange.start).count();
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    char took[32];
    std::snprintf(took, sizeof took, "%.1f ms", ms);
    std::string line = std::string(when) + " " + std::to_string(exchange.status) + " " + Printable(exchange.method) +
                       " " + Printable(exchange.uri) + " " + took;
    if (!exchange.logNote.empty()) line += " (" + exchange.logNote + ")";
    line += "\n";
    std::lock_guard lock(logMutex_);
    log_ << line << std::flush;
}

}  // namespace zenta::serve
