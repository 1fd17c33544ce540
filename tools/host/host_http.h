// The host's read-only HTTP endpoint on a loopback address:
//   /status   every module's and named object's status (JSON)
//   /config   the gathered configuration without private data (JSON)
//   /metrics  status items as Prometheus text exposition
//   /healthz  "ok" while the service runs
// Only GET and HEAD are answered; nothing here changes the process.
// Requests are served on the HTTP library's own thread.
#pragma once

#include <string>

struct MHD_Daemon;

namespace vorlix::host {

class HttpEndpoint {
public:
    HttpEndpoint() = default;
    HttpEndpoint(const HttpEndpoint&) = delete;
    HttpEndpoint& operator=(const HttpEndpoint&) = delete;
    ~HttpEndpoint() { stop(); }

    // listen is "ADDRESS:PORT" (IPv4, or [IPv6]); the address must be a
    // loopback address; port 0 picks a free one. False with *error set
    // when the endpoint cannot listen.
    bool start(const std::string& listen, std::string* error);
    void stop();
    // The address and port it listens on ("127.0.0.1:8080").
    const std::string& address() const { return address_; }

private:
    MHD_Daemon* daemon_ = nullptr;
    std::string address_;
};

}  // namespace vorlix::host
