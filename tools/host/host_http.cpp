// The host's HTTP endpoint on libmicrohttpd.
#include "host_http.h"

#include <arpa/inet.h>
#include <cstring>
#include <microhttpd.h>
#include <netinet/in.h>

#include "../common/config_public.h"
#include "../common/status_export.h"
#include "../common/text.h"

namespace vorlix::host {

namespace {

MHD_Result respond(MHD_Connection* connection, unsigned status, const std::string& body, const char* type) {
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result handle(void*, MHD_Connection* connection, const char* url, const char* method, const char*,
                  const char*, size_t*, void**) {
    constexpr const char* json = "application/json";
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0 && std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0) {
        MHD_Response* response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
        MHD_Result result = MHD_queue_response(connection, MHD_HTTP_METHOD_NOT_ALLOWED, response);
        MHD_destroy_response(response);
        return result;
    }
    std::string path = url;
    if (path == "/status") return respond(connection, MHD_HTTP_OK, tools::storeJson(tools::statusStore().get()) + "\n", json);
    if (path == "/config")
        return respond(connection, MHD_HTTP_OK, tools::storeJson(tools::configWithoutPrivateData().get()) + "\n", json);
    if (path == "/metrics")
        return respond(connection, MHD_HTTP_OK, tools::metricsText(), "text/plain; version=0.0.4; charset=utf-8");
    if (path == "/healthz") return respond(connection, MHD_HTTP_OK, "ok\n", "text/plain; charset=utf-8");
    return respond(connection, MHD_HTTP_NOT_FOUND, "not found: try /status, /config, /metrics or /healthz\n",
                   "text/plain; charset=utf-8");
}

// Splits "ADDRESS:PORT" / "[ADDRESS]:PORT".
bool split(const std::string& listen, std::string* host, unsigned* port) {
    size_t colon = listen.rfind(':');
    if (colon == std::string::npos || colon + 1 >= listen.size()) return false;
    *host = listen.substr(0, colon);
    if (host->size() >= 2 && host->front() == '[' && host->back() == ']') *host = host->substr(1, host->size() - 2);
    std::string digits = listen.substr(colon + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 5) return false;
    *port = unsigned(std::stoul(digits));
    return *port <= 65535;
}

}  // namespace

bool HttpEndpoint::start(const std::string& listen, std::string* error) {
    std::string host;
    unsigned port = 0;
    if (!split(listen, &host, &port)) {
        *error = "--http wants ADDRESS:PORT, for example 127.0.0.1:9464, not \"" + listen + "\"";
        return false;
    }
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr* addr = nullptr;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ERROR_LOG;
    if (inet_pton(AF_INET, host.c_str(), &v4.sin_addr) == 1) {
        if ((ntohl(v4.sin_addr.s_addr) >> 24) != 127) {
            *error = "the endpoint listens on loopback addresses only (127.0.0.0/8, ::1), not " + host;
            return false;
        }
        v4.sin_family = AF_INET;
        v4.sin_port = htons(uint16_t(port));
        addr = reinterpret_cast<const sockaddr*>(&v4);
    } else if (inet_pton(AF_INET6, host.c_str(), &v6.sin6_addr) == 1) {
        if (!IN6_IS_ADDR_LOOPBACK(&v6.sin6_addr)) {
            *error = "the endpoint listens on loopback addresses only (127.0.0.0/8, ::1), not " + host;
            return false;
        }
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(uint16_t(port));
        addr = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        *error = "--http wants a numeric loopback address (127.0.0.1 or [::1]), not \"" + host + "\"";
        return false;
    }
    daemon_ = MHD_start_daemon(flags, uint16_t(port), nullptr, nullptr, &handle, nullptr, MHD_OPTION_SOCK_ADDR, addr,
                               MHD_OPTION_CONNECTION_LIMIT, 16u, MHD_OPTION_CONNECTION_TIMEOUT, 10u, MHD_OPTION_END);
    if (!daemon_) {
        *error = "cannot listen on " + listen + " (address in use?)";
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    unsigned bound = info ? info->port : port;
    address_ = (addr->sa_family == AF_INET6 ? "[" + host + "]" : host) + ":" + std::to_string(bound);
    return true;
}

void HttpEndpoint::stop() {
    if (daemon_) MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

}  // namespace vorlix::host
