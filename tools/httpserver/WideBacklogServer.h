#pragma once

#include <httplib.h>

#include <sys/socket.h>

#include <string>

namespace solen {

// A cpp-httplib server whose listen queue holds SOMAXCONN pending connections. The library listens
// with a queue of 5, fixed inside the packaged library (its CPPHTTPLIB_LISTEN_BACKLOG setting does
// not reach that code): when many ads load at once, the connections beyond the queue are dropped
// and their clients try again only a second later. The binding calls here hide the library's and
// lengthen the queue of the bound socket (listening again on a listening socket changes only its
// queue). Threads: as the library's server; bind before listening.
class WideBacklogServer : public httplib::Server {
public:
    // The bound port, or -1.
    int bind_to_any_port(const std::string& host, int socketFlags = 0) {
        const int port = httplib::Server::bind_to_any_port(host, socketFlags);
        if (port > 0) lengthenQueue();
        return port;
    }
    bool bind_to_port(const std::string& host, int port, int socketFlags = 0) {
        if (!httplib::Server::bind_to_port(host, port, socketFlags)) return false;
        lengthenQueue();
        return true;
    }

private:
    // Cannot fail on a socket that listens already; if it did, the short queue would still serve.
    void lengthenQueue() { ::listen(svr_sock_, SOMAXCONN); }
};

}  // namespace solen
