// Trace streams: current properties, configuration, mark and links, with
// every change told to the sink and text lines handed to listening readers.
#include "tr/tr_stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.hpp"
#include "tr/tr_json_writer.hpp"
#include "tr/tr_module.h"
#include "tr/tr_property_value.hpp"
#include "tr/tr_sink.hpp"
#include "tr/tr_stream.hpp"
#include "tr/tr_text_reader.hpp"

namespace tr {

// A stream's address for links that must not keep it alive; the stream
// clears it when it is freed.
struct WeakCell {
    std::mutex mutex;            // guards stream
    TR_STREAM* stream = nullptr; // guarded by mutex; NULL once freed
};

struct Link {
    PB_INT kind;
    pb::Ref<PB_STRING> annotation;  // may be NULL
    pb::Ref<TR_STREAM> strong;      // the target, or NULL for a link that closes a cycle
    std::shared_ptr<WeakCell> weak; // the target's cell, for the other kind
};

// A new value of type (a string, store or buffer) holding object.
TR_PROPERTY_VALUE* objectValue(PB_INT type, PB_OBJ* object) {
    if (type == TR_PROPERTY_VALUE_TYPE_STRING) return trPropertyValueCreateString(pbStringFrom(object));
    if (type == TR_PROPERTY_VALUE_TYPE_STORE) return trPropertyValueCreateStore(reinterpret_cast<PB_STORE*>(object));
    return trPropertyValueCreateBuffer(pbBufferFrom(object));
}

// One property: its key and its value. The value is a value object, or,
// when a typed setter was given a string, store or buffer while no sink
// was open, that object alone with its type in the low bits of the word:
// the value object is then made when someone first reads the property and
// kept from then on, so that every reader sees the same one. Most
// properties are never read, and most streams hold several.
class Property {
public:
    Property() = default;
    // Both take the caller's references.
    Property(PB_STRING* key, TR_PROPERTY_VALUE* value) : key_(key), word_(reinterpret_cast<uintptr_t>(value)) {}
    Property(PB_STRING* key, PB_INT type, PB_OBJ* object) : key_(key), word_(reinterpret_cast<uintptr_t>(object)) {
        PB_ASSERT((word_ & kTagMask) == 0);
        word_ |= uintptr_t(type - TR_PROPERTY_VALUE_TYPE_INT);  // 1 for a string, 2 a store, 3 a buffer
    }
    Property(Property&& other) noexcept
        : key_(std::exchange(other.key_, nullptr)), word_(std::exchange(other.word_, 0)) {}
    Property& operator=(Property&& other) noexcept {
        std::swap(key_, other.key_);
        std::swap(word_, other.word_);
        return *this;
    }
    ~Property() {
        if (key_) pbStringRelease(key_);
        if (word_) pbObjRelease(reinterpret_cast<PB_OBJ*>(word_ & ~kTagMask));
    }

    PB_STRING* key() const { return key_; }
    // The value object; NULL while only the bare object is held.
    TR_PROPERTY_VALUE* made() const { return word_ & kTagMask ? nullptr : reinterpret_cast<TR_PROPERTY_VALUE*>(word_); }
    // The value object, made now when only the bare object is held.
    TR_PROPERTY_VALUE* value() {
        if (TR_PROPERTY_VALUE* v = made()) return v;
        auto* object = reinterpret_cast<PB_OBJ*>(word_ & ~kTagMask);
        TR_PROPERTY_VALUE* v = objectValue(PB_INT(word_ & kTagMask) + TR_PROPERTY_VALUE_TYPE_INT, object);
        pbObjRelease(object);
        word_ = reinterpret_cast<uintptr_t>(v);
        return v;
    }
    // Gives the property the value in other (same key); other takes the old.
    void swapValue(Property& other) { std::swap(word_, other.word_); }
    // For a property made without a key: takes a reference to key.
    void setKey(PB_STRING* key) { key_ = pbStringRetain(key); }

private:
    static constexpr uintptr_t kTagMask = 3;
    PB_STRING* key_ = nullptr;  // owned
    uintptr_t word_ = 0;        // owned: a TR_PROPERTY_VALUE*, or a tagged bare object
};

struct StreamState {
    std::mutex mutex;                      // guards the fields below it, up to readerCount
    std::vector<Property> properties;      // guarded by mutex; sorted by key
    pb::Ref<PB_STORE> configuration;       // guarded by mutex; may be NULL
    pb::Ref<TR_MARK> mark;                 // guarded by mutex; may be NULL
    std::vector<Link> links;               // guarded by mutex; at most TR_STREAM_LINKS_MAX (a vector: most
                                           // streams have no links and allocate nothing for them), oldest
                                           // first from firstLink on, round the end
    size_t firstLink = 0;                  // guarded by mutex; 0 until the links are full
    std::vector<TR_TEXT_READER*> readers;  // guarded by mutex; not owned: a reader unregisters before it dies
    std::atomic<int> readerCount{0};       // readers.size(), read without the lock to skip unread text
    // Made by the first link that must not keep this stream alive; set and
    // read under linkGraphMutex while the stream lives, read alone once it
    // is freed.
    std::shared_ptr<WeakCell> cell;
};

}  // namespace tr

struct TR_STREAM {
    PB_OBJ obj;
    PB_INT id;               // set once at creation; unique in the process
    PB_STRING* name;         // set once at creation (owned)
    tr::StreamState state[1];  // made with the stream, in the same allocation; see its own guards
};

namespace {

std::atomic<PB_INT> lastStreamId{0};

// Serialises link additions, so that the cycle test of one addition stays
// true until the link is in place.
std::mutex linkGraphMutex;

void streamFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(tr___sort_TR_STREAM, &tr___module, "TR_STREAM", streamFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(trStream, TR_STREAM, tr___sort_TR_STREAM)

namespace {

// Writes one event of the stream to the sink: body holds the fields after
// "event", each with a leading comma.
void emit(TR_STREAM* s, const char* event, const std::string& body = std::string()) {
    std::string line = "\"stream\":" + std::to_string(s->id) + ",\"name\":";
    tr::jsonAppendString(line, s->name);
    line += ",\"event\":\"";
    line += event;
    line += '"';
    line += body;
    tr::sinkWrite(line);
}

void streamFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, tr___sort_TR_STREAM);
    auto* s = reinterpret_cast<TR_STREAM*>(obj);
    if (s->state->cell) {
        std::lock_guard guard(s->state->cell->mutex);
        s->state->cell->stream = nullptr;
    }
    // Readers hold their stream, so none can be listening any more.
    PB_ASSERT(s->state->readers.empty());
    if (tr::sinkActive()) emit(s, "streamEnded");
    // Links go oldest first, as they came.
    auto& links = s->state->links;
    std::rotate(links.begin(), links.begin() + std::ptrdiff_t(s->state->firstLink), links.end());
    s->state->~StreamState();
    pb::releaseField(s->name);
}

// A new reference to the stream in cell, or NULL once its last reference
// is gone (also while it is being freed).
TR_STREAM* retainIfAlive(tr::WeakCell& cell) {
    std::lock_guard guard(cell.mutex);
    if (!cell.stream || !pb___ObjTryRetain(&cell.stream->obj)) return nullptr;
    return cell.stream;
}

// Whether 'goal' can be reached from 'start' over links that keep their
// target alive. Called with linkGraphMutex held: every stream reached is
// kept alive by the link that reached it, and no such link goes away.
bool reaches(TR_STREAM* start, TR_STREAM* goal) {
    if (start == goal) return true;
    {
        // Most targets are new streams without links of their own.
        std::lock_guard guard(start->state->mutex);
        const auto& links = start->state->links;
        if (std::none_of(links.begin(), links.end(), [](const tr::Link& link) { return bool(link.strong); }))
            return false;
    }
    std::unordered_set<TR_STREAM*> seen{start};
    std::vector<TR_STREAM*> todo{start};
    while (!todo.empty()) {
        TR_STREAM* s = todo.back();
        todo.pop_back();
        if (s == goal) return true;
        std::lock_guard guard(s->state->mutex);
        for (const auto& link : s->state->links) {
            TR_STREAM* next = link.strong.get();
            if (next && seen.insert(next).second) todo.push_back(next);
        }
    }
    return false;
}

// Property keys and stream names given as C text are nearly always the
// same few literals: they share one immortal string each instead of a new
// string per call. Each thread remembers the last of them by the address
// of their text, checked by content, so that a literal seen before costs no
// lookup; the shared strings live as long as the process, so a remembered
// one needs no reference.
pb::Ref<PB_STRING> keyOf(const char* key, PB_INT keyLength) {
    PB_ASSERT(key);
    struct Known {
        const char* address;
        PB_STRING* shared;
        size_t length;
        char text[40];  // a copy of the first length bytes
    };
    thread_local Known known[16];
    Known& k = known[(reinterpret_cast<uintptr_t>(key) >> 4) % 16];
    size_t length = keyLength < 0 ? std::strlen(key) : size_t(keyLength);
    if (k.address == key && k.length == length && std::memcmp(k.text, key, length) == 0)
        return pb::adopt(pbStringRetain(k.shared));
    PB_STRING* shared = pb___StringInternCstr(key, keyLength);
    if (!shared) return pb::adopt(pbStringCreateFromCstr(key, keyLength));
    if (length <= sizeof k.text) {
        k.address = key;
        k.shared = shared;
        k.length = length;
        std::memcpy(k.text, key, length);
    }
    return pb::adopt(shared);
}

// The first property whose key is not below key. Callers mostly pass the
// key string that the property holds, so a short list is scanned for that
// string first.
std::vector<tr::Property>::iterator findKey(std::vector<tr::Property>& properties, PB_STRING* key) {
    if (properties.size() <= 8) {
        for (auto it = properties.begin(); it != properties.end(); ++it)
            if (it->key() == key) return it;
    }
    return std::lower_bound(properties.begin(), properties.end(), key, [](const tr::Property& p, PB_STRING* k) {
        return p.key() != k && pb::compareStrings(p.key(), k) < 0;
    });
}

// Whether the property found for key has that key.
bool hasKey(const tr::Property& p, PB_STRING* key) {
    return p.key() == key || pb::compareStrings(p.key(), key) == 0;
}

void delProperty(TR_STREAM* stream, PB_STRING* key) {
    PB_ASSERT(stream);
    PB_ASSERT(key);
    std::string body;
    bool sink = tr::sinkActive();
    if (sink) {
        body = ",\"key\":";
        tr::jsonAppendString(body, key);
    }
    tr::Property dropped;
    std::lock_guard guard(stream->state->mutex);
    auto& properties = stream->state->properties;
    auto it = findKey(properties, key);
    if (it == properties.end() || !hasKey(*it, key)) return;
    dropped = std::move(*it);
    properties.erase(it);
    if (sink) emit(stream, "propertyDeleted", body);
}

// Puts the value in value (a property made without a key) into the stream
// under key, in place of the value of the same key if there is one. body:
// the event's fields when the sink is open, else NULL.
void put(TR_STREAM* stream, PB_STRING* key, tr::Property value, const std::string* body) {
    PB_ASSERT(stream);
    // Declared before the lock: the value replaced is released after it.
    tr::Property replaced(std::move(value));
    std::lock_guard guard(stream->state->mutex);
    auto& properties = stream->state->properties;
    auto it = findKey(properties, key);
    if (it != properties.end() && hasKey(*it, key)) {
        it->swapValue(replaced);
    } else {
        if (properties.capacity() == 0) {  // room for a usual record's properties in one allocation
            properties.reserve(8);
            it = properties.begin();
        }
        replaced.setKey(key);
        properties.insert(it, std::move(replaced));
    }
    if (body) emit(stream, "propertySet", *body);
}

void setProperty(TR_STREAM* stream, PB_STRING* key, TR_PROPERTY_VALUE* value) {
    PB_ASSERT(stream);
    PB_ASSERT(key);
    if (!value) {
        delProperty(stream, key);
        return;
    }
    std::string body;
    bool sink = tr::sinkActive();
    if (sink) {
        body = ",\"key\":";
        tr::jsonAppendString(body, key);
        tr::jsonAppendPropertyValue(body, value);
    }
    put(stream, key, tr::Property(nullptr, trPropertyValueRetain(value)), sink ? &body : nullptr);
}

// Sets a boolean or integer property. With the sink off nothing needs the
// value beyond the stream, so a value of the same type that the stream
// alone holds takes the new scalar in place; otherwise a new value is set.
void setScalar(TR_STREAM* stream, PB_STRING* key, PB_INT type, PB_INT scalar) {
    PB_ASSERT(stream);
    PB_ASSERT(key);
    if (!tr::sinkActive()) {
        std::lock_guard guard(stream->state->mutex);
        auto& properties = stream->state->properties;
        auto it = findKey(properties, key);
        if (it != properties.end() && hasKey(*it, key) && it->made() &&
            tr::propertyValueReuseScalar(it->made(), type, scalar))
            return;
    }
    auto value = pb::adopt(type == TR_PROPERTY_VALUE_TYPE_BOOL ? trPropertyValueCreateBool(scalar)
                                                               : trPropertyValueCreateInt(scalar));
    setProperty(stream, key, value.get());
}

// Sets a property from a value object that the caller still owns.
void setAdopted(TR_STREAM* stream, const char* key, PB_INT keyLength, TR_PROPERTY_VALUE* value) {
    auto hold = pb::adopt(value);
    setProperty(stream, keyOf(key, keyLength).get(), value);
}

// Sets a string, store or buffer property (object NULL: deletes it). With
// the sink off the stream holds the object alone until the property is
// read; an open sink is told the value at once.
void setObject(TR_STREAM* stream, const char* key, PB_INT keyLength, PB_INT type, PB_OBJ* object) {
    pb::Ref<PB_STRING> k = keyOf(key, keyLength);
    if (!object || tr::sinkActive()) {
        auto value = pb::adopt(object ? tr::objectValue(type, object) : nullptr);
        setProperty(stream, k.get(), value.get());
        return;
    }
    put(stream, k.get(), tr::Property(nullptr, type, pbObjRetain(object)), nullptr);
}

bool textWanted(TR_STREAM* stream) {
    PB_ASSERT(stream);
    return tr::sinkActive() || stream->state->readerCount.load(std::memory_order_acquire) > 0;
}

void text(TR_STREAM* stream, PB_STRING* line) {
    std::string body;
    bool sink = tr::sinkActive();
    if (sink) {
        body = ",\"value\":";
        tr::jsonAppendString(body, line);
    }
    std::lock_guard guard(stream->state->mutex);
    for (TR_TEXT_READER* reader : stream->state->readers) tr::textReaderDeliver(reader, line);
    if (sink) emit(stream, "text", body);
}

// The link at index, read under the stream's lock.
template <class F>
auto withLink(TR_STREAM* stream, PB_INT index, F f) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    const auto& links = stream->state->links;
    PB_ASSERT(index >= 0 && index < PB_INT(stream->state->links.size()));
    return f(links[(stream->state->firstLink + size_t(index)) % links.size()]);
}

}  // namespace

extern "C" PB_EXPORT TR_STREAM* trStreamCreate(PB_STRING* name) {
    PB_ASSERT(name);
    auto* s = reinterpret_cast<TR_STREAM*>(pb___ObjCreate(sizeof(TR_STREAM), &tr___sort_TR_STREAM));
    s->id = lastStreamId.fetch_add(1, std::memory_order_relaxed) + 1;
    s->name = pbStringRetain(name);
    new (s->state) tr::StreamState();
    if (tr::sinkActive()) emit(s, "streamCreated");
    return s;
}

extern "C" PB_EXPORT TR_STREAM* trStreamCreateCstr(const char* name, PB_INT length) {
    PB_ASSERT(name);
    return trStreamCreate(keyOf(name, length).get());
}

extern "C" PB_EXPORT void trStreamSetProperty(TR_STREAM* stream, PB_STRING* key, TR_PROPERTY_VALUE* value) {
    setProperty(stream, key, value);
}

extern "C" PB_EXPORT void trStreamSetPropertyBool(TR_STREAM* stream, PB_STRING* key, PB_BOOL value) {
    setScalar(stream, key, TR_PROPERTY_VALUE_TYPE_BOOL, value ? PB_TRUE : PB_FALSE);
}

extern "C" PB_EXPORT void trStreamSetPropertyInt(TR_STREAM* stream, PB_STRING* key, PB_INT value) {
    setScalar(stream, key, TR_PROPERTY_VALUE_TYPE_INT, value);
}

extern "C" PB_EXPORT void trStreamSetPropertyCstr(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                                  TR_PROPERTY_VALUE* value) {
    setProperty(stream, keyOf(key, keyLength).get(), value);
}

extern "C" PB_EXPORT void trStreamSetPropertyCstrString(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                                        PB_STRING* value) {
    setObject(stream, key, keyLength, TR_PROPERTY_VALUE_TYPE_STRING, value ? pbStringObj(value) : nullptr);
}

extern "C" PB_EXPORT void trStreamSetPropertyCstrBool(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                                      PB_BOOL value) {
    setAdopted(stream, key, keyLength, trPropertyValueCreateBool(value));
}

extern "C" PB_EXPORT void trStreamSetPropertyCstrInt(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                                     PB_INT value) {
    setAdopted(stream, key, keyLength, trPropertyValueCreateInt(value));
}

extern "C" PB_EXPORT void trStreamSetPropertyCstrStore(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                                       PB_STORE* value) {
    setObject(stream, key, keyLength, TR_PROPERTY_VALUE_TYPE_STORE, reinterpret_cast<PB_OBJ*>(value));
}

extern "C" PB_EXPORT void trStreamSetPropertyCstrBuffer(TR_STREAM* stream, const char* key, PB_INT keyLength,
                                                        PB_BUFFER* value) {
    setObject(stream, key, keyLength, TR_PROPERTY_VALUE_TYPE_BUFFER, value ? pbBufferObj(value) : nullptr);
}

extern "C" PB_EXPORT void trStreamDelProperty(TR_STREAM* stream, PB_STRING* key) { delProperty(stream, key); }

extern "C" PB_EXPORT void trStreamDelPropertyCstr(TR_STREAM* stream, const char* key, PB_INT keyLength) {
    delProperty(stream, keyOf(key, keyLength).get());
}

extern "C" PB_EXPORT void trStreamText(TR_STREAM* stream, PB_STRING* line) {
    PB_ASSERT(line);
    if (textWanted(stream)) text(stream, line);
}

extern "C" PB_EXPORT void trStreamTextCstr(TR_STREAM* stream, const char* line, PB_INT length) {
    PB_ASSERT(line);
    if (!textWanted(stream)) return;
    auto s = pb::adopt(pbStringCreateFromCstr(line, length));
    text(stream, s.get());
}

extern "C" PB_EXPORT void trStreamTextFormatCstr(TR_STREAM* stream, const char* format, PB_INT length, ...) {
    PB_ASSERT(format);
    if (!textWanted(stream)) return;
    va_list args;
    va_start(args, length);
    auto s = pb::adopt(pbStringCreateFromFormatCstrArgList(format, length, args));
    va_end(args);
    text(stream, s.get());
}

extern "C" PB_EXPORT void trStreamSetConfiguration(TR_STREAM* stream, PB_STORE* configuration) {
    PB_ASSERT(stream);
    std::string body;
    bool sink = tr::sinkActive();
    if (sink) {
        body = ",\"value\":";
        tr::jsonAppendStore(body, configuration);
    }
    pb::Ref<PB_STORE> old = pb::retain(configuration);
    std::lock_guard guard(stream->state->mutex);
    std::swap(old, stream->state->configuration);
    if (sink) emit(stream, "configurationSet", body);
}

extern "C" PB_EXPORT void trStreamSetExplicitMark(TR_STREAM* stream, TR_MARK* mark) {
    PB_ASSERT(stream);
    pb::Ref<TR_MARK> old = pb::retain(mark);
    std::lock_guard guard(stream->state->mutex);
    std::swap(old, stream->state->mark);
    if (tr::sinkActive()) emit(stream, "markSet", ",\"value\":" + (mark ? std::to_string(trMarkId(mark)) : "null"));
}

extern "C" PB_EXPORT PB_INT trStreamId(TR_STREAM* stream) {
    PB_ASSERT(stream);
    return stream->id;
}

extern "C" PB_EXPORT PB_STRING* trStreamName(TR_STREAM* stream) {
    PB_ASSERT(stream);
    return pbStringRetain(stream->name);
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trStreamProperty(TR_STREAM* stream, PB_STRING* key) {
    PB_ASSERT(stream);
    PB_ASSERT(key);
    std::lock_guard guard(stream->state->mutex);
    auto& properties = stream->state->properties;
    auto it = findKey(properties, key);
    if (it == properties.end() || !hasKey(*it, key)) return nullptr;
    return trPropertyValueRetain(it->value());
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trStreamPropertyCstr(TR_STREAM* stream, const char* key,
                                                              PB_INT keyLength) {
    return trStreamProperty(stream, keyOf(key, keyLength).get());
}

extern "C" PB_EXPORT PB_INT trStreamPropertiesCount(TR_STREAM* stream) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    return PB_INT(stream->state->properties.size());
}

extern "C" PB_EXPORT PB_STRING* trStreamPropertyKeyAt(TR_STREAM* stream, PB_INT index) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    PB_ASSERT(index >= 0 && index < PB_INT(stream->state->properties.size()));
    return pbStringRetain(stream->state->properties[size_t(index)].key());
}

extern "C" PB_EXPORT TR_PROPERTY_VALUE* trStreamPropertyValueAt(TR_STREAM* stream, PB_INT index) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    PB_ASSERT(index >= 0 && index < PB_INT(stream->state->properties.size()));
    return trPropertyValueRetain(stream->state->properties[size_t(index)].value());
}

extern "C" PB_EXPORT PB_STORE* trStreamConfiguration(TR_STREAM* stream) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    return pb::Ref<PB_STORE>(stream->state->configuration).leak();
}

extern "C" PB_EXPORT TR_MARK* trStreamExplicitMark(TR_STREAM* stream) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    return pb::Ref<TR_MARK>(stream->state->mark).leak();
}

extern "C" PB_EXPORT PB_INT trStreamLinksCount(TR_STREAM* stream) {
    PB_ASSERT(stream);
    std::lock_guard guard(stream->state->mutex);
    return PB_INT(stream->state->links.size());
}

extern "C" PB_EXPORT TR_STREAM* trStreamLinkAt(TR_STREAM* stream, PB_INT index) {
    return withLink(stream, index, [](const tr::Link& link) {
        return link.strong ? trStreamRetain(link.strong.get()) : retainIfAlive(*link.weak);
    });
}

extern "C" PB_EXPORT PB_INT trStreamLinkKindAt(TR_STREAM* stream, PB_INT index) {
    return withLink(stream, index, [](const tr::Link& link) { return link.kind; });
}

extern "C" PB_EXPORT PB_STRING* trStreamLinkAnnotationAt(TR_STREAM* stream, PB_INT index) {
    return withLink(stream, index, [](const tr::Link& link) { return pb::Ref<PB_STRING>(link.annotation).leak(); });
}

void tr::streamLink(TR_STREAM* from, TR_STREAM* to, PB_INT kind, PB_STRING* annotation) {
    std::string body;
    bool sink = sinkActive();
    if (sink) {
        body = ",\"kind\":" + std::to_string(kind);
        if (annotation) {
            body += ",\"annotation\":";
            jsonAppendString(body, annotation);
        }
        body += ",\"target\":" + std::to_string(to->id) + ",\"targetName\":";
        jsonAppendString(body, to->name);
    }
    Link dropped;  // released after the locks
    std::lock_guard graphGuard(linkGraphMutex);
    Link link{kind, pb::retain(annotation), nullptr, nullptr};
    if (reaches(to, from)) {
        auto& cell = to->state->cell;
        if (!cell) {
            cell = std::make_shared<WeakCell>();
            cell->stream = to;
        }
        link.weak = cell;
    } else {
        link.strong = pb::retain(to);
    }
    std::lock_guard guard(from->state->mutex);
    auto& links = from->state->links;
    if (links.size() < TR_STREAM_LINKS_MAX) {
        links.push_back(std::move(link));
    } else {  // the newest takes the place of the oldest
        size_t& first = from->state->firstLink;
        dropped = std::exchange(links[first], std::move(link));
        first = (first + 1) % links.size();
    }
    if (sink) emit(from, "anchorCompleted", body);
}

void tr::streamAddReader(TR_STREAM* stream, TR_TEXT_READER* reader) {
    std::lock_guard guard(stream->state->mutex);
    stream->state->readers.push_back(reader);
    stream->state->readerCount.store(int(stream->state->readers.size()), std::memory_order_release);
}

void tr::streamDelReader(TR_STREAM* stream, TR_TEXT_READER* reader) {
    std::lock_guard guard(stream->state->mutex);
    auto& readers = stream->state->readers;
    readers.erase(std::remove(readers.begin(), readers.end(), reader), readers.end());
    stream->state->readerCount.store(int(readers.size()), std::memory_order_release);
}
