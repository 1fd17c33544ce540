// A small client of etcd's v3 API through its JSON gateway over HTTP
// (libcurl; keys and values travel base64-encoded, revisions as decimal
// strings). One client is one connection: use one per thread.
//
// Every call is bounded: connecting gives up after connectTimeoutMs and a
// request after requestTimeoutMs, except watch, which streams until its
// stop predicate says so (asked at least once a second) or etcd goes away.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::tools {

// How to reach etcd beyond its URL. With a user, the client logs in
// (etcd's /v3/auth/authenticate), sends the token it gets with every call
// and logs in again when etcd no longer takes it. The TLS files are PEM:
// the CA that signed etcd's certificate (default: the system's), and a
// client certificate and its key for etcd's --client-cert-auth.
struct EtcdAccess {
    std::string user, password;
    std::string caFile, certFile, keyFile;

    // Completes the access given on a command line: the password comes
    // from passwordFile (its first line) or else from the environment
    // variable VORLIX_FLEET_PASSWORD, never from the command line. Returns
    // what is wrong (empty when nothing is).
    std::string complete(const std::string& passwordFile);
};

struct EtcdKv {
    std::string key, value;
    long long createRevision = 0, modRevision = 0, version = 0, lease = 0;
};

class EtcdClient {
public:
    explicit EtcdClient(std::string url, EtcdAccess access = {}, long connectTimeoutMs = 1000,
                        long requestTimeoutMs = 3000);
    ~EtcdClient();
    EtcdClient(const EtcdClient&) = delete;
    EtcdClient& operator=(const EtcdClient&) = delete;

    const std::string& url() const { return url_; }
    // What went wrong in the last call that returned false.
    const std::string& error() const { return error_; }
    // The store revision reported by the last successful call.
    long long revision() const { return revision_; }

    // One key: *kv is empty when the key does not exist. Without withValue
    // only its revisions are read (the value stays empty).
    bool get(const std::string& key, std::optional<EtcdKv>* kv, bool withValue = true);
    // Every key starting with prefix, in key order.
    bool list(const std::string& prefix, std::vector<EtcdKv>* kvs);
    // Writes value unconditionally, attached to lease unless it is 0.
    bool put(const std::string& key, const std::string& value, long long lease = 0);
    // Writes value only if key's mod revision is still expected (0: only
    // if the key does not exist). *swapped tells whether it was written;
    // when it was not, *current holds what the key holds now. On success
    // revision() is the revision of the write.
    bool compareAndPut(const std::string& key, const std::string& value, long long expected, bool* swapped,
                       std::optional<EtcdKv>* current);
    bool remove(const std::string& key);

    bool grantLease(long long ttlSeconds, long long* id);
    // *ttl is the lease's remaining time; 0 when it has expired.
    bool keepAlive(long long id, long long* ttl);
    bool revokeLease(long long id);

    // Watches key from now on: onCreated once the watch stands, then
    // onChange(kv) for each write, with the value written, or with a null
    // kv for a deletion. Returns false when
    // the stream breaks (etcd stopped, connection lost) and true when stop
    // returned true.
    bool watch(const std::string& key, const std::function<void()>& onCreated,
               const std::function<void(const EtcdKv*)>& onChange, const std::function<bool()>& stop);

    // Splits a stream of concatenated JSON objects that arrives in pieces of
    // any size; each byte is looked at once, however large an object is.
    class JsonSplitter {
    public:
        // The objects that the bytes so far complete.
        std::vector<std::string> feed(std::string_view bytes);

    private:
        std::string buffer_;
        size_t scanned_ = 0;
        int depth_ = 0;
        bool inString_ = false, escaped_ = false;
    };
    // The key-values of a range response's "kvs" array; false when body is
    // not such a response.
    static bool parseKvs(std::string_view body, std::vector<EtcdKv>* kvs, long long* revision);

private:
    // One call; logs in first when a user is set and there is no token
    // yet, and once more when etcd refuses the token.
    bool post(const char* path, const std::string& body, std::string* response);
    bool send(const char* path, const std::string& body, std::string* response);
    bool authenticate();
    // Resets the connection's options for a request to path: TLS files,
    // timeouts, the token.
    void prepare(const char* path, const std::string& body);

    std::string url_, error_, token_;
    EtcdAccess access_;
    bool tokenRefused_ = false;  // the last call failed on the token
    void* headers_ = nullptr;    // curl_slist*: the token's header
    long connectTimeoutMs_, requestTimeoutMs_;
    long long revision_ = 0;
    void* curl_;  // CURL*
};

}  // namespace vorlix::tools
