// The time a client has to send a request's line and headers, counted from the opening of its
// connection or from the end of its last response. A client that sends too slowly (one byte a
// second keeps the library's own idle timeout from ever firing) gets 408 and is cut off,
// so that it holds a connection for a bounded time whatever it sends. While the server works
// on a request or sends its response the clock is stopped; the library's idle timeout covers
// a client that does not read.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace zenta::serve {

class RequestDeadlines {
public:
    explicit RequestDeadlines(std::chrono::seconds allowed);
    ~RequestDeadlines();
    RequestDeadlines(const RequestDeadlines&) = delete;
    RequestDeadlines& operator=(const RequestDeadlines&) = delete;

    // One a connection, from its opening to its closing; the socket stays open all that time.
    struct Watched;
    Watched* Opened(int socket);
    void Closed(Watched* watched);

    // A request's headers have come: false when its time was up and it has been cut off.
    bool RequestArrived(Watched* watched);
    // Its response is sent: the clock runs again for the next request on the connection.
    void ResponseSent(Watched* watched);

private:
    void Sweep();

    const std::chrono::seconds allowed_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::unordered_set<Watched*> watched_;
    std::thread sweeper_;
};

}  // namespace zenta::serve
