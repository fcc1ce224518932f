#include "serve/request_deadlines.h"

#include <sys/socket.h>

namespace zenta::serve {

using Clock = std::chrono::steady_clock;

struct RequestDeadlines::Watched {
    int socket;
    Clock::time_point deadline;
    bool working = false;  // between a request's headers and its response's end
    bool cut = false;
};

RequestDeadlines::RequestDeadlines(std::chrono::seconds allowed) : allowed_(allowed), sweeper_([this] { Sweep(); }) {}

RequestDeadlines::~RequestDeadlines() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    sweeper_.join();
    for (Watched* watched : watched_) delete watched;
}

RequestDeadlines::Watched* RequestDeadlines::Opened(int socket) {
    auto* watched = new Watched{socket, Clock::now() + allowed_};
    std::lock_guard lock(mutex_);
    watched_.insert(watched);
    return watched;
}

void RequestDeadlines::Closed(Watched* watched) {
    if (!watched) return;
    std::lock_guard lock(mutex_);
    watched_.erase(watched);
    delete watched;
}

bool RequestDeadlines::RequestArrived(Watched* watched) {
    if (!watched) return true;
    std::lock_guard lock(mutex_);
    if (watched->cut) return false;
    watched->working = true;
    return true;
}

void RequestDeadlines::ResponseSent(Watched* watched) {
    if (!watched) return;
    std::lock_guard lock(mutex_);
    watched->working = false;
    watched->deadline = Clock::now() + allowed_;
}

void RequestDeadlines::Sweep() {
    static constexpr char kTimeout[] =
        "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Type: text/plain\r\nContent-Length: 20\r\n\r\n"
        "408 Request Timeout\n";
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, std::chrono::milliseconds(250));
        Clock::time_point now = Clock::now();
        for (Watched* watched : watched_) {
            if (watched->working || watched->cut || now < watched->deadline) continue;
            // The library is only reading this socket (no response has begun), and the lock
            // keeps it from closing the socket meanwhile: the status goes out whole or not at
            // all, then both directions end and the library closes the connection.
            send(watched->socket, kTimeout, sizeof kTimeout - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            shutdown(watched->socket, SHUT_RDWR);
            watched->cut = true;
        }
    }
}

}  // namespace zenta::serve
