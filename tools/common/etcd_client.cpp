// etcd's v3 JSON gateway through libcurl.
#include "etcd_client.h"

#include <curl/curl.h>
#include <simdjson.h>

#include <cstdlib>

#include "pb/pb_buffer.h"
#include "pb/pb_ref.hpp"
#include "rfc/rfc_base.h"
#include "text.h"

namespace vorlix::tools {

namespace {

std::string base64(std::string_view bytes) {
    auto buffer = pb::adopt(pbBufferCreateFromBytes(bytes.data(), PB_INT(bytes.size())));
    return utf8(pb::adopt(rfcBaseEncodeToString(buffer.get(), RFC_BASE_64)).get());
}

std::optional<std::string> unbase64(std::string_view text) {
    auto buffer = pb::adopt(rfcBaseTryDecodeString(makeString(std::string(text)).get(), RFC_BASE_64));
    if (!buffer) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(pbBufferBacking(buffer.get())), size_t(pbBufferLength(buffer.get())));
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
    bool broken = false;
};

size_t streamed(char* data, size_t size, size_t count, void* out) {
    auto* stream = static_cast<Stream*>(out);
    for (const auto& message : stream->splitter.feed(std::string_view(data, size * count))) {
        simdjson::dom::element doc;
        if (stream->parser.parse(message).get(doc)) continue;
        auto result = doc["result"];
        if (result.error()) {
            stream->broken = true;  // {"error": ...}: the watch ended
            continue;
        }
        if (result["created"].is_bool() && result["created"].get_bool().value_unsafe()) (*stream->onCreated)();
        simdjson::dom::array events;
        if (result["events"].get_array().get(events)) continue;
        for (auto event : events) {
            std::vector<EtcdKv> kvs;
            simdjson::dom::element kv;
            if (text(event, "type") == "DELETE" || event["kv"].get(kv) ||
                !EtcdClient::parseKvs("{\"kvs\":[" + simdjson::to_string(kv) + "]}", &kvs, nullptr) || kvs.empty())
                (*stream->onChange)(nullptr);
            else
                (*stream->onChange)(&kvs.front());
        }
    }
    return size * count;
}

int progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return (*static_cast<const std::function<bool()>*>(stop))() ? 1 : 0;
}

}  // namespace

EtcdClient::EtcdClient(std::string url, long connectTimeoutMs, long requestTimeoutMs)
    : url_(std::move(url)), connectTimeoutMs_(connectTimeoutMs), requestTimeoutMs_(requestTimeoutMs) {
    while (!url_.empty() && url_.back() == '/') url_.pop_back();
    curl_ = curl_easy_init();
}

EtcdClient::~EtcdClient() { curl_easy_cleanup(static_cast<CURL*>(curl_)); }

bool EtcdClient::post(const char* path, const std::string& body, std::string* response) {
    CURL* curl = static_cast<CURL*>(curl_);
    if (!curl) {
        error_ = "cannot set up an HTTP connection";
        return false;
    }
    curl_easy_reset(curl);
    std::string target = url_ + path;
    response->clear();
    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, requestTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
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
    kvs->clear();
    auto header = doc["header"];
    if (revision && !header.error()) *revision = number(header.value_unsafe(), "revision");
    simdjson::dom::array array;
    if (doc["kvs"].get_array().get(array)) return true;  // none
    for (auto item : array) {
        auto key = unbase64(text(item, "key"));
        auto value = unbase64(text(item, "value"));
        if (!key || !value) return false;
        kvs->push_back({*key, *value, number(item, "create_revision"), number(item, "mod_revision"),
                        number(item, "version"), number(item, "lease")});
    }
    return true;
}

bool EtcdClient::get(const std::string& key, std::optional<EtcdKv>* kv) {
    std::string response;
    if (!post("/v3/kv/range", "{\"key\":\"" + base64(key) + "\"}", &response)) return false;
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
        if (parseKvs(simdjson::to_string(range.value_unsafe()), &kvs, nullptr) && !kvs.empty()) *current = kvs.front();
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
    curl_easy_reset(curl);
    std::string target = url_ + "/v3/watch";
    std::string body = "{\"create_request\":{\"key\":\"" + base64(key) + "\"}}";
    Stream stream;
    stream.onCreated = &onCreated;
    stream.onChange = &onChange;
    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &streamed);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &stream);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop);
    CURLcode code = curl_easy_perform(curl);
    if (stop()) return true;
    error_ = code == CURLE_OK ? (stream.broken ? "etcd ended the watch" : "etcd closed the watch")
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
