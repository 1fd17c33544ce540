// etcd's v3 JSON gateway through libcurl.
#include "etcd_client.h"

#include <curl/curl.h>
#include <simdjson.h>

#include <array>
#include <cstdlib>
#include <fstream>

#include "text.h"

namespace vorlix::tools {

namespace {

// Keys and values travel base64-encoded (standard alphabet, padded); a
// configuration of 10 000 objects is a megabyte and more, so both ways
// work on the bytes directly.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
        for (int shift : {18, 12, 6, 0}) out += kAlphabet[(v >> shift) & 63];
    }
    if (size_t rest = bytes.size() - i) {
        unsigned v = at(i) << 16 | (rest == 2 ? at(i + 1) << 8 : 0);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> unbase64(std::string_view text) {
    static const auto values = [] {
        std::array<signed char, 256> table;
        table.fill(-1);
        for (int k = 0; k < 64; ++k) table[static_cast<unsigned char>(kAlphabet[k])] = static_cast<signed char>(k);
        return table;
    }();
    if (text.size() % 4) return std::nullopt;
    size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned v = 0;
    size_t data = text.size() - padding;
    for (size_t i = 0; i < data; ++i) {
        int value = values[static_cast<unsigned char>(text[i])];
        if (value < 0) return std::nullopt;
        v = v << 6 | unsigned(value);
        if (i % 4 == 3) {
            out += char(v >> 16);
            out += char(v >> 8);
            out += char(v);
            v = 0;
        }
    }
    if (padding == 2) out += char(v >> 4);
    if (padding == 1) {
        out += char(v >> 10);
        out += char(v >> 2);
    }
    return out;
}

// The gateway writes 64-bit numbers as strings; fields at zero are left out.
long long number(simdjson::dom::element object, const char* field) {
    auto value = object[field];
    if (value.error()) return 0;
    if (value.is_string()) return std::atoll(std::string(value.get_string().value_unsafe()).c_str());
    if (value.is_int64()) return value.get_int64().value_unsafe();
    return 0;
}

std::string text(simdjson::dom::element object, const char* field) {
    auto value = object[field].get_string();
    return value.error() ? std::string() : std::string(value.value_unsafe());
}

// One key-value of the gateway's answers; false when its key or value is
// not base64.
bool kvFrom(simdjson::dom::element item, EtcdKv* kv) {
    auto key = unbase64(text(item, "key"));
    auto value = unbase64(text(item, "value"));
    if (!key || !value) return false;
    *kv = {std::move(*key), std::move(*value), number(item, "create_revision"), number(item, "mod_revision"),
           number(item, "version"), number(item, "lease")};
    return true;
}

// The "kvs" of a range answer (none when it has no such array).
bool kvsFrom(simdjson::dom::element range, std::vector<EtcdKv>* kvs) {
    kvs->clear();
    simdjson::dom::array array;
    if (range["kvs"].get_array().get(array)) return true;
    for (auto item : array)
        if (!kvFrom(item, &kvs->emplace_back())) return false;
    return true;
}

// A range end that selects every key starting with prefix.
std::string prefixEnd(std::string prefix) {
    while (!prefix.empty()) {
        if (static_cast<unsigned char>(prefix.back()) < 0xff) {
            prefix.back() = char(prefix.back() + 1);
            return prefix;
        }
        prefix.pop_back();
    }
    return std::string(1, '\0');
}

size_t collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

struct Stream {
    EtcdClient::JsonSplitter splitter;
    simdjson::dom::parser parser;
    const std::function<void()>* onCreated;
    const std::function<void(const EtcdKv*)>* onChange;
    std::string ended;  // why etcd ended the watch, when it did
};

bool flag(simdjson::dom::element object, const char* field) {
    auto value = object[field].get_bool();
    return !value.error() && value.value_unsafe();
}

size_t streamed(char* data, size_t size, size_t count, void* out) {
    auto* stream = static_cast<Stream*>(out);
    for (const auto& message : stream->splitter.feed(std::string_view(data, size * count))) {
        simdjson::dom::element doc;
        if (stream->parser.parse(message).get(doc)) continue;
        auto result = doc["result"];
        // {"error": ...}, or a watch canceled (a refused token, a compacted
        // revision): the stream is of no more use.
        if (result.error() || flag(result.value_unsafe(), "canceled")) {
            stream->ended = result.error() ? text(doc, "error") : text(result.value_unsafe(), "cancel_reason");
            if (stream->ended.empty()) stream->ended = "no reason given";
            return 0;
        }
        if (flag(result.value_unsafe(), "created")) (*stream->onCreated)();
        simdjson::dom::array events;
        if (result["events"].get_array().get(events)) continue;
        for (auto event : events) {
            EtcdKv kv;
            simdjson::dom::element item;
            bool written = text(event, "type") != "DELETE" && !event["kv"].get(item) && kvFrom(item, &kv);
            (*stream->onChange)(written ? &kv : nullptr);
        }
    }
    return size * count;
}

int progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return (*static_cast<const std::function<bool()>*>(stop))() ? 1 : 0;
}

}  // namespace

std::string EtcdAccess::complete(const std::string& passwordFile) {
    if (user.empty()) return passwordFile.empty() ? "" : "--fleet-password-file needs --fleet-user";
    if (!passwordFile.empty()) {
        std::ifstream in(passwordFile);
        if (!in || !std::getline(in, password)) return "cannot read the password from " + passwordFile;
        if (!password.empty() && password.back() == '\r') password.pop_back();
    } else if (const char* env = std::getenv("VORLIX_FLEET_PASSWORD")) {
        password = env;
    } else {
        return "--fleet-user needs a password: --fleet-password-file FILE or VORLIX_FLEET_PASSWORD";
    }
    for (const auto* file : {&caFile, &certFile, &keyFile})
        if (!file->empty() && !std::ifstream(*file)) return "cannot read " + *file;
    return "";
}

EtcdClient::EtcdClient(std::string url, EtcdAccess access, long connectTimeoutMs, long requestTimeoutMs)
    : url_(std::move(url)),
      access_(std::move(access)),
      connectTimeoutMs_(connectTimeoutMs),
      requestTimeoutMs_(requestTimeoutMs) {
    while (!url_.empty() && url_.back() == '/') url_.pop_back();
    curl_ = curl_easy_init();
}

EtcdClient::~EtcdClient() {
    curl_slist_free_all(static_cast<curl_slist*>(headers_));
    curl_easy_cleanup(static_cast<CURL*>(curl_));
}

void EtcdClient::prepare(const char* path, const std::string& body) {
    CURL* curl = static_cast<CURL*>(curl_);
    curl_easy_reset(curl);
    std::string target = url_ + path;
    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!access_.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, access_.caFile.c_str());
    if (!access_.certFile.empty()) curl_easy_setopt(curl, CURLOPT_SSLCERT, access_.certFile.c_str());
    if (!access_.keyFile.empty()) curl_easy_setopt(curl, CURLOPT_SSLKEY, access_.keyFile.c_str());
    curl_slist_free_all(static_cast<curl_slist*>(headers_));
    headers_ = nullptr;
    if (!token_.empty() && std::string_view(path) != "/v3/auth/authenticate") {
        headers_ = curl_slist_append(nullptr, ("Authorization: " + token_).c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers_);
    }
}

bool EtcdClient::authenticate() {
    token_.clear();
    std::string response;
    if (!send("/v3/auth/authenticate",
              "{\"name\":" + jsonQuote(access_.user) + ",\"password\":" + jsonQuote(access_.password) + "}", &response))
        return false;
    simdjson::dom::parser parser;
    token_ = text(parser.parse(response).value_unsafe(), "token");
    if (token_.empty()) error_ = "etcd gave no token to user " + access_.user;
    return !token_.empty();
}

bool EtcdClient::post(const char* path, const std::string& body, std::string* response) {
    if (!access_.user.empty() && token_.empty() && !authenticate()) return false;
    if (send(path, body, response)) return true;
    // A token expires when it is not used for a while (etcd's
    // --auth-token-ttl) and with every restart of etcd.
    if (!tokenRefused_ || access_.user.empty() || !authenticate()) return false;
    return send(path, body, response);
}

bool EtcdClient::send(const char* path, const std::string& body, std::string* response) {
    CURL* curl = static_cast<CURL*>(curl_);
    tokenRefused_ = false;
    if (!curl) {
        error_ = "cannot set up an HTTP connection";
        return false;
    }
    prepare(path, body);
    response->clear();
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, requestTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, response);
    CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        error_ = curl_easy_strerror(code);
        return false;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    simdjson::dom::parser parser;
    simdjson::dom::element doc;
    if (parser.parse(*response).get(doc) || !doc.is_object()) {
        error_ = "etcd answered HTTP " + std::to_string(status) + " without JSON";
        return false;
    }
    if (status != 200) {
        std::string message = text(doc, "message");
        if (message.empty()) message = text(doc, "error");
        error_ = "etcd answered HTTP " + std::to_string(status) + (message.empty() ? "" : ": " + message);
        tokenRefused_ = status == 401 || message.find("auth token") != std::string::npos;
        return false;
    }
    auto header = doc["header"];
    if (!header.error()) revision_ = number(header.value_unsafe(), "revision");
    return true;
}

bool EtcdClient::parseKvs(std::string_view body, std::vector<EtcdKv>* kvs, long long* revision) {
    simdjson::dom::parser parser;
    simdjson::dom::element doc;
    if (parser.parse(body.data(), body.size()).get(doc) || !doc.is_object()) return false;
    auto header = doc["header"];
    if (revision && !header.error()) *revision = number(header.value_unsafe(), "revision");
    return kvsFrom(doc, kvs);
}

bool EtcdClient::get(const std::string& key, std::optional<EtcdKv>* kv, bool withValue) {
    std::string response;
    if (!post("/v3/kv/range", "{\"key\":\"" + base64(key) + "\"" + (withValue ? "}" : ",\"keys_only\":true}"),
              &response))
        return false;
    std::vector<EtcdKv> kvs;
    if (!parseKvs(response, &kvs, &revision_)) {
        error_ = "etcd's range answer is not understood";
        return false;
    }
    *kv = kvs.empty() ? std::nullopt : std::optional<EtcdKv>(kvs.front());
    return true;
}

bool EtcdClient::list(const std::string& prefix, std::vector<EtcdKv>* kvs) {
    std::string response;
    if (!post("/v3/kv/range",
              "{\"key\":\"" + base64(prefix) + "\",\"range_end\":\"" + base64(prefixEnd(prefix)) + "\"}", &response))
        return false;
    if (!parseKvs(response, kvs, &revision_)) {
        error_ = "etcd's range answer is not understood";
        return false;
    }
    return true;
}

bool EtcdClient::put(const std::string& key, const std::string& value, long long lease) {
    std::string body = "{\"key\":\"" + base64(key) + "\",\"value\":\"" + base64(value) + "\"";
    if (lease) body += ",\"lease\":\"" + std::to_string(lease) + "\"";
    std::string response;
    return post("/v3/kv/put", body + "}", &response);
}

bool EtcdClient::compareAndPut(const std::string& key, const std::string& value, long long expected, bool* swapped,
                               std::optional<EtcdKv>* current) {
    std::string k = base64(key);
    std::string body = "{\"compare\":[{\"key\":\"" + k + "\",\"target\":\"MOD\",\"result\":\"EQUAL\",\"mod_revision\":\"" +
                       std::to_string(expected) + "\"}],\"success\":[{\"request_put\":{\"key\":\"" + k +
                       "\",\"value\":\"" + base64(value) + "\"}}],\"failure\":[{\"request_range\":{\"key\":\"" + k +
                       "\"}}]}";
    std::string response;
    if (!post("/v3/kv/txn", body, &response)) return false;
    simdjson::dom::parser parser;
    simdjson::dom::element doc = parser.parse(response).value_unsafe();
    auto succeeded = doc["succeeded"].get_bool();
    *swapped = !succeeded.error() && succeeded.value_unsafe();
    current->reset();
    if (*swapped) return true;
    simdjson::dom::array responses;
    if (doc["responses"].get_array().get(responses)) return true;
    for (auto r : responses) {
        auto range = r["response_range"];
        if (range.error()) continue;
        std::vector<EtcdKv> kvs;
        if (kvsFrom(range.value_unsafe(), &kvs) && !kvs.empty()) *current = std::move(kvs.front());
    }
    return true;
}

bool EtcdClient::remove(const std::string& key) {
    std::string response;
    return post("/v3/kv/deleterange", "{\"key\":\"" + base64(key) + "\"}", &response);
}

bool EtcdClient::grantLease(long long ttlSeconds, long long* id) {
    std::string response;
    if (!post("/v3/lease/grant", "{\"TTL\":\"" + std::to_string(ttlSeconds) + "\"}", &response)) return false;
    simdjson::dom::parser parser;
    *id = number(parser.parse(response).value_unsafe(), "ID");
    if (*id == 0) error_ = "etcd granted no lease";
    return *id != 0;
}

bool EtcdClient::keepAlive(long long id, long long* ttl) {
    std::string response;
    if (!post("/v3/lease/keepalive", "{\"ID\":\"" + std::to_string(id) + "\"}", &response)) return false;
    simdjson::dom::parser parser;
    auto result = parser.parse(response).value_unsafe()["result"];
    *ttl = result.error() ? 0 : number(result.value_unsafe(), "TTL");
    return true;
}

bool EtcdClient::revokeLease(long long id) {
    std::string response;
    return post("/v3/lease/revoke", "{\"ID\":\"" + std::to_string(id) + "\"}", &response);
}

bool EtcdClient::watch(const std::string& key, const std::function<void()>& onCreated,
                       const std::function<void(const EtcdKv*)>& onChange, const std::function<bool()>& stop) {
    CURL* curl = static_cast<CURL*>(curl_);
    if (!curl) {
        error_ = "cannot set up an HTTP connection";
        return false;
    }
    if (!access_.user.empty() && token_.empty() && !authenticate()) return false;
    std::string body = "{\"create_request\":{\"key\":\"" + base64(key) + "\"}}";
    Stream stream;
    stream.onCreated = &onCreated;
    stream.onChange = &onChange;
    prepare("/v3/watch", body);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &streamed);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &stream);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop);
    CURLcode code = curl_easy_perform(curl);
    if (stop()) return true;
    token_.clear();  // log in afresh for the next watch: a refused token ends a watch too
    error_ = !stream.ended.empty() ? "etcd ended the watch: " + stream.ended
             : code == CURLE_OK    ? "etcd closed the watch"
                                   : curl_easy_strerror(code);
    return false;
}

std::vector<std::string> EtcdClient::JsonSplitter::feed(std::string_view bytes) {
    std::vector<std::string> out;
    buffer_.append(bytes);
    size_t used = 0;
    for (; scanned_ < buffer_.size(); ++scanned_) {
        char c = buffer_[scanned_];
        if (inString_) {
            if (escaped_) escaped_ = false;
            else if (c == '\\') escaped_ = true;
            else if (c == '"') inString_ = false;
            continue;
        }
        if (c == '"') {
            inString_ = true;
        } else if (c == '{') {
            if (depth_++ == 0) {
                used = scanned_;  // what lies between objects is dropped
            }
        } else if (c == '}' && depth_ > 0 && --depth_ == 0) {
            out.push_back(buffer_.substr(used, scanned_ + 1 - used));
            used = scanned_ + 1;
        } else if (depth_ == 0) {
            used = scanned_ + 1;
        }
    }
    buffer_.erase(0, used);
    scanned_ -= used;
    return out;
}

}  // namespace vorlix::tools
