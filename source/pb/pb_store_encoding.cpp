// The JSON byte form of stores: a deterministic emitter of our own and a
// strict, bounded decoder that walks simdjson's parse straight into stores.
#include "pb/pb_store_encoding.h"

#define SIMDJSON_EXCEPTIONS 0
#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <memory>
#include <optional>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "pb/pb_buffer.hpp"
#include "pb/pb_store_encoding.hpp"
#include "pb/pb_json.hpp"
#include "pb/pb_mem_allocator.hpp"
#include "pb/pb_name.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store.hpp"
#include "pb/pb_string.h"
#include "pb/pb_string.hpp"

namespace {

constexpr std::string_view kHeaderKey = "vorlixStoreHeader";
constexpr std::string_view kStoreKey = "store";

// ---------------------------------------------------------------- emitter

// The encoded bytes, in one growing allocation. A small result is copied
// into its buffer and the allocation kept for the thread's next encode; a
// large one becomes the buffer itself, without a copy. (Growing a large
// allocation moves its pages rather than copying them.)
class Output {
public:
    static constexpr size_t kAdoptAbove = size_t(1) << 20;

    Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() { pb___MemFree(data_); }

    void clear() { size_ = 0; }
    void push_back(char c) {
        if (size_ == capacity_) grow(1);
        data_[size_++] = c;
    }
    void append(const char* p, size_t n) {
        if (capacity_ - size_ < n) grow(n);
        std::memcpy(data_ + size_, p, n);
        size_ += n;
    }
    void append(std::string_view s) { append(s.data(), s.size()); }
    void append(size_t n, char c) {
        if (capacity_ - size_ < n) grow(n);
        std::memset(data_ + size_, c, n);
        size_ += n;
    }

    PB_BUFFER* takeBuffer() {
        if (size_ <= kAdoptAbove) return pbBufferCreateFromBytes(data_, PB_INT(size_));
        PB_BUFFER* b = pb::bufferCreateAdopting(data_, PB_INT(size_), PB_INT(capacity_));
        expect_ = size_;
        data_ = nullptr;
        size_ = capacity_ = 0;
        return b;
    }

private:
    void grow(size_t n) {
        // After a large result the next one starts with room for about as much.
        size_t cap = capacity_ ? capacity_ * 2 : expect_ + expect_ / 8 + 4096;
        while (cap - size_ < n) cap *= 2;
        data_ = static_cast<char*>(pb___MemRealloc(data_, cap));
        capacity_ = cap;
    }
    char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t expect_ = 0;  // the size of the last result handed over, or 0
};

Output& scratch();

class Emitter {
public:
    // A compact emitter writes one line: no whitespace between tokens.
    explicit Emitter(bool compact) : out(scratch()), compact_(compact) { out.clear(); }

    Output& out;

    void string(PB_STRING* s) { pb::jsonAppendString(pbStringBacking(s), pbStringLength(s), out); }

    void ascii(std::string_view s) { out.append(s); }

    void integer(PB_INT v) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        out.append(buf, size_t(r.ptr - buf));
    }

    void newline(int depth) {
        if (compact_) return;
        // A line break and the indent of most depths in one copy.
        static constexpr char kBreak[] = "\n                                                                ";
        size_t n = 1 + size_t(depth) * 2;
        if (n < sizeof kBreak) {
            out.append(kBreak, n);
        } else {
            out.push_back('\n');
            out.append(n - 1, ' ');
        }
    }

    // Writes a store as a JSON object or array, one entry per line.
    void store(PB_STORE* s, int depth) {
        bool array = pbStoreIsArray(s);
        out.push_back(array ? '[' : '{');
        Frame frame{this, depth + 1};
        pb::storeForEach(s, &Emitter::entry, &frame);
        if (pbStoreLength(s)) newline(depth);
        out.push_back(array ? ']' : '}');
    }

private:
    bool compact_;

    struct Frame {
        Emitter* emitter;
        int depth;  // of the entries
    };

    static void entry(const pb::StoreEntryView& e, void* context) {
        auto* frame = static_cast<Frame*>(context);
        Emitter& self = *frame->emitter;
        if (e.index) self.out.push_back(',');
        self.newline(frame->depth);
        if (e.key) {
            self.string(e.key);
            self.out.push_back(':');
        }
        switch (e.type) {
        case PB_STORE_TYPE_STRING: self.string(e.string); break;
        case PB_STORE_TYPE_INT: self.integer(e.number); break;
        case PB_STORE_TYPE_BOOL: self.ascii(e.number ? "true" : "false"); break;
        default: self.store(e.store, frame->depth); break;
        }
    }
};

Output& scratch() {
    thread_local Output output;
    return output;
}

// A headerless map store whose first key is the header key must be wrapped,
// or it would read back as a wrapper.
bool needsWrapper(PB_STORE* store) {
    if (pbStoreIsArray(store) || pbStoreLength(store) == 0) return false;
    auto first = pb::adopt(pbStoreAddressAt(store, 0));
    return pbStringEqualsCstr(first.get(), kHeaderKey.data(), PB_INT(kHeaderKey.size()));
}

// ---------------------------------------------------------------- decoder

using simdjson::dom::element;
using simdjson::dom::element_type;

// Builds stores from a parsed document; any deviation from the store form
// makes the whole decode fail. Each JSON object or array becomes one store,
// built in one pass from its entries. Short strings (keys above all) repeat
// in configurations, so one decode shares one string object per text, and
// checks a shared key as an address only once. A short text that recurs
// is interned: the process's one immortal string for it is held and let go
// without touching a counter. A thread's decodes reuse the builder's lists
// and cache; each decode leaves them holding nothing.
class Builder {
public:
    Builder() : scratch_(threadScratch()) {}
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;
    ~Builder() {
        for (auto& entries : scratch_.levels) {
            entries.clear();
            // The lists of a large document are not kept for the thread's life.
            if (entries.capacity() > kKeptEntries) pb::StoreBuildEntries().swap(entries);
        }
        if (scratch_.order.capacity() > kKeptEntries) Indexes().swap(scratch_.order);
        for (uint32_t at : scratch_.filled) scratch_.shared[at] = Slot();
        scratch_.filled.clear();
    }

    // The store for a JSON object or array at depth (the outermost store
    // at 0), or NULL.
    PB_STORE* store(element e, int depth) {
        if (depth >= PB_STORE_ENCODING_MAX_DEPTH) return nullptr;
        // One list of entries per depth, reused by the stores at that depth.
        pb::StoreBuildEntries& entries = scratch_.levels[depth];
        entries.clear();
        if (e.type() == element_type::ARRAY) {
            simdjson::dom::array items;
            if (e.get_array().get(items) != simdjson::SUCCESS) return nullptr;
            entries.reserve(items.size());
            for (element item : items) {
                entries.emplace_back();
                if (!value(item, depth, entries.back())) return nullptr;
            }
            return pb::storeCreateFromEntries(true, entries);
        }
        simdjson::dom::object object;
        if (e.get_object().get(object) != simdjson::SUCCESS) return nullptr;
        entries.reserve(object.size());
        // Documents written by the encoder arrive in key order; others are
        // sorted here, where the keys' hints make most comparisons cheap.
        bool ordered = true;
        for (auto field : object) {
            pb::StoreBuildEntry& entry = entries.emplace_back();
            if (!key(field.key, entry)) return nullptr;  // not an address
            if (ordered && entries.size() > 1) ordered = keyLess(entries[entries.size() - 2], entry);
            if (!value(field.value, depth, entry)) return nullptr;
        }
        if (ordered) return pb::storeCreateFromEntries(false, entries, true);
        // The entries stay where they are; their indexes are sorted.
        Indexes& order = scratch_.order;
        order.resize(entries.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = uint32_t(i);
        auto less = [&](uint32_t a, uint32_t b) { return keyLess(entries[a], entries[b]); };
        std::sort(order.begin(), order.end(), less);
        for (size_t i = 1; i < order.size(); ++i)
            if (!less(order[i - 1], order[i])) return nullptr;  // a duplicate key
        return pb::storeCreateFromEntries(false, entries, true, order.data());
    }

private:
    static constexpr size_t kKeptEntries = 256;  // entries of one list that a thread keeps room for

    // Keys and short values repeat in configurations: a cache of the texts
    // seen last (two slots for each hash) lets one decode share one string
    // per text.
    static constexpr size_t kShared = 32;  // texts up to this many bytes are shared
    static constexpr int kSlotBits = 11;
    static constexpr size_t kSlots = size_t(1) << kSlotBits;
    // Decoded texts may take up to half the process's interned strings.
    static constexpr size_t kInternedMax = PB___STRING_INTERN_MAX / 2;
    // The first and the last eight bytes of a short text (fewer, zero-padded,
    // when it is shorter): together with its length they tell most texts
    // apart, and for texts of up to 16 bytes they are all of it.
    struct Ends {
        uint64_t head = 0, tail = 0;
        explicit Ends(std::string_view v) {
            const char* p = v.data();
            size_t n = v.size();
            if (n >= 8) {
                std::memcpy(&head, p, 8);
                std::memcpy(&tail, p + n - 8, 8);
            } else if (n >= 4) {
                uint32_t a, b;
                std::memcpy(&a, p, 4);
                std::memcpy(&b, p + n - 4, 4);
                head = a;
                tail = b;
            } else if (n > 0) {
                head = uint8_t(p[0]) | uint64_t(uint8_t(p[n / 2])) << 8 | uint64_t(uint8_t(p[n - 1])) << 16;
            }
        }
    };

    struct Slot {
        std::string_view text;  // points into the parser's tape, valid for the decode
        Ends ends{std::string_view()};  // of text
        pb::Ref<PB_STRING> string;
        enum : uint8_t { kUnknown, kAddress, kNotAddress } address = kUnknown;  // as a key
        bool repeated = false;  // the text came again while in the slot
        bool newer = false;     // filled after the other slot of its pair
        bool interned = false;  // string is interned, or interning was refused
        pb::StringHints hints;  // as a key
    };

    using Indexes = std::vector<uint32_t, pb::MemAllocator<uint32_t>>;
    struct Scratch {
        pb::StoreBuildEntries levels[PB_STORE_ENCODING_MAX_DEPTH];  // the list of each depth
        std::vector<Slot> shared = std::vector<Slot>(kSlots);
        Indexes order;  // the key order of an object's entries, while it is built
        std::vector<uint32_t> filled;  // the slots filled by this decode (at most kSlots)
    };
    static Scratch& threadScratch() {
        thread_local Scratch scratch;
        return scratch;
    }
    Scratch& scratch_;

    // The slot of a short text, filled with its string. Most texts are
    // found: that way is kept inline, filling a slot is not.
    [[gnu::always_inline]] Slot& slot(std::string_view v) {
        Ends ends(v);
        uint64_t hash = (ends.head ^ std::rotl(ends.tail, 29) ^ v.size()) * 0x9E3779B97F4A7C15u;
        // Two slots per text: one that recurred is not given up for one
        // that has not (keys that name objects come once each).
        size_t at = size_t(hash >> (64 - kSlotBits)) & ~size_t(1);
        Slot* pair = &scratch_.shared[at];
        for (int k = 0; k < 2; ++k) {
            Slot& s = pair[k];
            if (s.string && s.text.size() == v.size() && s.ends.head == ends.head && s.ends.tail == ends.tail &&
                (v.size() <= 16 || s.text == v)) {
                s.repeated = true;
                return s;
            }
        }
        return fill(at, v, ends);
    }

    // Gives a text one of the slots of the pair at at: an empty one, else
    // one whose text has not recurred (the older of two such), else the first.
    [[gnu::noinline]] Slot& fill(size_t at, std::string_view v, const Ends& ends) {
        Slot* pair = &scratch_.shared[at];
        auto rank = [](const Slot& s) { return !s.string ? 0 : s.repeated ? 3 : s.newer ? 2 : 1; };
        int k = rank(pair[0]) <= rank(pair[1]) ? 0 : 1;
        pair[1 - k].newer = false;
        Slot& slot = pair[k];
        if (!slot.string) scratch_.filled.push_back(uint32_t(at + size_t(k)));
        slot.newer = true;
        slot.text = v;
        slot.ends = ends;
        slot.string = pb::adopt(pbStringCreateFromCstr(v.data(), PB_INT(v.size())));
        slot.address = Slot::kUnknown;
        slot.repeated = slot.interned = false;
        return slot;
    }

    // Interns the string of a slot whose text recurs, once per decode.
    static void intern(Slot& s) {
        if (!s.repeated || s.interned) return;
        s.interned = true;
        if (PB_STRING* shared = pb::stringInternUpTo(s.text.data(), PB_INT(s.text.size()), kInternedMax))
            s.string = pb::adopt(shared);
    }

    pb::Ref<PB_STRING> text(std::string_view v) {
        if (v.size() > kShared) return pb::adopt(pbStringCreateFromCstr(v.data(), PB_INT(v.size())));
        Slot& s = slot(v);
        intern(s);
        return s.string;
    }

    // Sets the key of entry, with its hints; false when it is not an address.
    bool key(std::string_view v, pb::StoreBuildEntry& entry) {
        if (v.size() > kShared) {
            entry.key = pb::adopt(pbStringCreateFromCstr(v.data(), PB_INT(v.size())));
            if (!pbStoreAddressOk(entry.key.get())) return false;
            entry.hints = pb::stringHints(pb::stringChars(entry.key.get()), pb::stringLength(entry.key.get()));
            return true;
        }
        Slot& s = slot(v);
        if (s.address == Slot::kUnknown) {
            s.address = pbStoreAddressOk(s.string.get()) ? Slot::kAddress : Slot::kNotAddress;
            s.hints = pb::stringHints(pb::stringChars(s.string.get()), pb::stringLength(s.string.get()));
        }
        if (s.address == Slot::kAddress) intern(s);
        entry.key = s.string;
        entry.hints = s.hints;
        return s.address == Slot::kAddress;
    }

    // Key order, mostly told by the hints alone.
    static bool keyLess(const pb::StoreBuildEntry& a, const pb::StoreBuildEntry& b) {
        if (a.hints.high && b.hints.high) {  // 0: no summary
            if (a.hints.high != b.hints.high) return a.hints.high < b.hints.high;
            if (a.hints.low != b.hints.low) return a.hints.low < b.hints.low;
        }
        return pb::compareStrings(a.key.get(), b.key.get()) < 0;
    }

    bool value(element v, int depth, pb::StoreBuildEntry& out) {
        switch (v.type()) {
        case element_type::STRING: {
            auto s = text(v.get_string().value_unsafe());
            out.type = PB_STORE_TYPE_STRING;
            out.object = pb::adopt(pbStringObj(s.leak()));
            return true;
        }
        case element_type::INT64:
            out.type = PB_STORE_TYPE_INT;
            out.number = v.get_int64().value_unsafe();
            return true;
        case element_type::BOOL:
            out.type = PB_STORE_TYPE_BOOL;
            out.number = v.get_bool().value_unsafe() ? 1 : 0;
            return true;
        case element_type::OBJECT:
        case element_type::ARRAY: {
            PB_STORE* sub = store(v, depth + 1);
            if (!sub) return false;
            out.type = PB_STORE_TYPE_STORE;
            out.object = pb::adopt(pbStoreObj(sub));
            return true;
        }
        default: return false;  // null, fractions, integers beyond 64 bits
        }
    }
};

// Reads the wrapper {"vorlixStoreHeader":{...},"store":...}. Returns false
// when the document is a wrapper that is malformed.
bool readWrapper(simdjson::dom::object top, PB_STORE** store, PB_STORE_HEADER** header) {
    if (top.size() != 2) return false;
    auto it = top.begin();
    element headerElement = it.value();
    ++it;
    if (it.key() != kStoreKey) return false;
    element body = it.value();
    if (headerElement.type() != element_type::OBJECT) return false;
    simdjson::dom::object headerObject;
    if (headerElement.get_object().get(headerObject) != simdjson::SUCCESS) return false;
    pb::Ref<PB_STORE_HEADER> h;
    if (headerObject.size() == 1) {
        auto field = *headerObject.begin();
        if (field.key != "type" || field.value.type() != element_type::STRING) return false;
        std::string_view type = field.value.get_string().value_unsafe();
        if (!pbNameUpperCaseOkCstr(type.data(), PB_INT(type.size()), PB_TRUE)) return false;
        h = pb::adopt(pbStoreHeaderCreateCstr(type.data(), PB_INT(type.size())));
    } else if (headerObject.size() != 0) {
        return false;
    }
    PB_STORE* s = Builder().store(body, 0);
    if (!s) return false;
    // A headerless wrapper holds only what needs it; anything else is not
    // what the emitter writes.
    if (!h && !needsWrapper(s)) {
        pbStoreRelease(s);
        return false;
    }
    *store = s;
    *header = h.leak();
    return true;
}

// The parser of one large document. Its buffers are fresh memory, and a
// document of tens of megabytes touches tens of megabytes of them: paged
// in 4 KB at a time, that costs more than the parse itself. So they are
// replaced by blocks of the runtime's own (mappings at large-page
// boundaries, in large pages), sized as the parser sizes its own, and
// given back with the parser.
class LargeParser {
public:
    LargeParser() = default;
    LargeParser(const LargeParser&) = delete;
    LargeParser& operator=(const LargeParser&) = delete;
    ~LargeParser() {
        giveBack(parser.doc.tape, tape_);
        giveBack(parser.doc.string_buf, strings_);
        if (parser.implementation) giveBack(parser.implementation->structural_indexes, indexes_);
    }

    // Sizes the parser for a document of length bytes; false when memory is short.
    bool size(size_t length, size_t depth) {
        if (parser.allocate(length, depth) != simdjson::SUCCESS || parser.doc.allocate(length) != simdjson::SUCCESS)
            return false;
        size_t slots = (length + 63) / 64 * 64 + 64;  // of the tape and the structural indexes
        tape_ = take(parser.doc.tape, slots);
        strings_ = take(parser.doc.string_buf, 5 * length / 3 + simdjson::SIMDJSON_PADDING + 64);
        indexes_ = take(parser.implementation->structural_indexes, slots);
        return true;
    }

    simdjson::dom::parser parser;

private:
    template <class T>
    static T* take(std::unique_ptr<T[]>& buffer, size_t count) {
        buffer.reset(static_cast<T*>(pb___MemAlloc(count * sizeof(T))));
        return buffer.get();
    }
    template <class T>
    static void giveBack(std::unique_ptr<T[]>& buffer, T* ours) {
        if (ours && buffer.get() == ours) pb___MemFree(buffer.release());
    }
    uint64_t* tape_ = nullptr;
    uint8_t* strings_ = nullptr;
    uint32_t* indexes_ = nullptr;
};

simdjson::dom::parser& threadParser() {
    thread_local simdjson::dom::parser parser;
    return parser;
}

PB_BUFFER* encode(PB_STORE* store, PB_STORE_HEADER* header, bool compact) {
    Emitter e(compact);
    if (header || needsWrapper(store)) {
        e.ascii("{");
        e.newline(1);
        e.ascii("\"vorlixStoreHeader\":");
        if (header) {
            auto type = pb::adopt(pbStoreHeaderType(header));
            e.ascii("{\"type\":");
            e.string(type.get());
            e.ascii("}");
        } else {
            e.ascii("{}");
        }
        e.ascii(",");
        e.newline(1);
        e.ascii("\"store\":");
        e.store(store, 1);
        e.newline(0);
        e.ascii("}");
    } else {
        e.store(store, 0);
    }
    if (!compact) e.out.push_back('\n');
    return e.out.takeBuffer();
}

}  // namespace

extern "C" PB_EXPORT PB_BUFFER* pbStoreEncode(PB_STORE* store, PB_STORE_HEADER* header) {
    PB_ASSERT(store);
    return encode(store, header, false);
}

extern "C" PB_EXPORT PB_BUFFER* pbStoreEncodeCompact(PB_STORE* store, PB_STORE_HEADER* header) {
    PB_ASSERT(store);
    return encode(store, header, true);
}

namespace {
PB_STORE* decodeBytes(const void* bytes, PB_INT length, bool padded, PB_STORE_HEADER** header,
                      pb::Ref<PB_BUFFER>* source = nullptr);
}  // namespace

extern "C" PB_EXPORT PB_STORE* pbStoreTryDecodeBytes(const void* bytes, PB_INT length, PB_STORE_HEADER** header) {
    PB_ASSERT(bytes || length == 0);
    PB_ASSERT(length >= 0);
    return decodeBytes(bytes, length, false, header);
}

namespace {

// Decodes length bytes; padded: SIMDJSON_PADDING readable bytes follow them.
// source, when given, holds the bytes and is released once they are parsed:
// the parsed document keeps copies of the texts it needs.
PB_STORE* decodeBytes(const void* bytes, PB_INT length, bool padded, PB_STORE_HEADER** header,
                      pb::Ref<PB_BUFFER>* source) {
    if (header) *header = nullptr;
    if (length == 0 || length > PB_STORE_ENCODING_MAX_BYTES) return nullptr;

    // A thread keeps a parser for small documents and, once it has decoded
    // a larger one, a parser in large pages for documents of up to kKept
    // bytes (configurations of some thousand objects, loaded and loaded
    // again). Larger documents get a parser of their own, so that a thread
    // does not keep their buffers for the rest of its life.
    constexpr size_t kSmall = size_t(1) << 20;
    constexpr size_t kKept = size_t(4) << 20;
    constexpr size_t kDepth = PB_STORE_ENCODING_MAX_DEPTH + 3;
    size_t n = size_t(length);
    std::optional<LargeParser> own;
    simdjson::dom::parser* parser = &threadParser();
    void* copy = nullptr;
    if (n <= kSmall) {
        if (parser->max_depth() != kDepth && parser->allocate(kSmall, kDepth) != simdjson::SUCCESS) return nullptr;
    } else {
        LargeParser* large;
        if (n <= kKept) {
            thread_local std::optional<LargeParser> kept;
            if (!kept && !kept.emplace().size(kKept, kDepth)) {
                kept.reset();
                return nullptr;
            }
            large = &*kept;
        } else {
            if (!own.emplace().size(n, kDepth)) return nullptr;
            large = &*own;
        }
        parser = &large->parser;
        // Bytes without room after them are copied into a block of our own
        // (in large pages too) rather than into the parser's.
        if (!padded) {
            copy = pb___MemAlloc(n + simdjson::SIMDJSON_PADDING);
            std::memcpy(copy, bytes, n);
            std::memset(static_cast<char*>(copy) + n, 0, simdjson::SIMDJSON_PADDING);
            bytes = copy;
            padded = true;
        }
    }
    element root;
    bool parsed = parser->parse(static_cast<const uint8_t*>(bytes), size_t(length), !padded).get(root) == simdjson::SUCCESS;
    pb___MemFree(copy);
    if (source) source->reset();
    if (!parsed) return nullptr;

    if (root.type() == element_type::OBJECT) {
        simdjson::dom::object top;
        if (root.get_object().get(top) != simdjson::SUCCESS) return nullptr;
        if (top.begin() != top.end() && top.begin().key() == kHeaderKey) {
            PB_STORE* store = nullptr;
            PB_STORE_HEADER* h = nullptr;
            if (!readWrapper(top, &store, &h)) return nullptr;
            if (header) *header = h;
            else if (h) pbStoreHeaderRelease(h);
            return store;
        }
    }
    return Builder().store(root, 0);
}

}  // namespace

namespace {
// A buffer with room enough after its bytes is parsed in place, not copied.
PB_STORE* decodeBuffer(PB_BUFFER* buffer, PB_STORE_HEADER** header, pb::Ref<PB_BUFFER>* source) {
    bool padded = pb::bufferCapacity(buffer) - pbBufferLength(buffer) >= PB_INT(simdjson::SIMDJSON_PADDING);
    return decodeBytes(pbBufferBacking(buffer), pbBufferLength(buffer), padded, header, source);
}
}  // namespace

extern "C" PB_EXPORT PB_STORE* pbStoreTryDecode(PB_BUFFER* buffer, PB_STORE_HEADER** header) {
    PB_ASSERT(buffer);
    return decodeBuffer(buffer, header, nullptr);
}

PB_STORE* pb::storeTryDecodeReleasing(Ref<PB_BUFFER> buffer, PB_STORE_HEADER** header) {
    PB_ASSERT(buffer);
    return decodeBuffer(buffer.get(), header, &buffer);
}

// ------------------------------------------------------- decode errors

namespace {

namespace od = simdjson::ondemand;

// A key as messages quote it: the first kQuotedKeyMax characters in the
// escapes the encoding writes, with DEL and the C1 controls escaped too so
// that no control character reaches a terminal, and "..." after a cut.
constexpr size_t kQuotedKeyMax = 64;

std::string quotedKey(std::string_view key) {
    size_t cut = 0;
    for (size_t chars = 0; cut < key.size() && chars < kQuotedKeyMax; ++chars)
        for (++cut; cut < key.size() && (uint8_t(key[cut]) & 0xC0) == 0x80;) ++cut;
    auto text = pb::adopt(pbStringCreateFromCstr(key.data(), PB_INT(cut)));
    std::string escaped;
    pb::jsonAppendString(pbStringBacking(text.get()), pbStringLength(text.get()), escaped);
    auto bytes = reinterpret_cast<const uint8_t*>(escaped.data());
    PB_INT n = PB_INT(escaped.size());
    std::string out;
    for (PB_INT i = 0; i < n; ++i) {
        unsigned c = bytes[i];
        bool control = c == 0x7F;
        if (c == 0xC2 && i + 1 < n && bytes[i + 1] <= 0x9F) {  // U+0080..U+009F
            c = bytes[++i];
            control = true;
        }
        if (!control) {
            out.push_back(char(c));
            continue;
        }
        static const char hex[] = "0123456789abcdef";
        out += "\\u00";
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 15]);
    }
    if (cut < key.size()) out += "...";
    return out;
}

// Walks a document on demand, checking what the decoder checks, and stops
// at the first fault; where() then gives its byte offset.
class ErrorFinder {
public:
    explicit ErrorFinder(const simdjson::padded_string& json) : json_(json) {}

    // The first fault, or empty when there is none.
    std::string find() {
        if (auto e = parser_.iterate(json_).get(doc_)) {
            // The whole input is checked for UTF-8 before any walk.
            auto bytes = reinterpret_cast<const unsigned char*>(json_.data());
            PB_INT bad = e == simdjson::UTF8_ERROR ? pb::utf8InvalidAt(bytes, PB_INT(json_.size())) : -1;
            return bad < 0 ? fail(e) : fault(json_.data() + bad, simdjson::error_message(e));
        }
        iterated_ = true;
        od::value root;
        if (auto e = doc_.get_value().get(root)) return simdjson::error_message(e);
        if (auto fault = walk(root, 0, true); !fault.empty()) return fault;
        const char* rest = nullptr;
        if (!doc_.current_location().get(rest)) return simdjson::error_message(simdjson::TRAILING_CONTENT);
        return {};
    }

    // The byte offset of the fault find() reported, or -1.
    PB_INT where() {
        if (at_) return PB_INT(at_ - json_.data());
        const char* at = nullptr;
        if (!iterated_ || doc_.current_location().get(at)) return -1;
        return PB_INT(at - json_.data());
    }

private:
    std::string fail(simdjson::error_code e) { return simdjson::error_message(e); }
    std::string fault(const char* at, std::string text) {
        at_ = at;
        return text;
    }

    // Walks the value at depth (as the decoder counts: a wrapper's fields
    // lie at the depth of the wrapper, the outermost store at 0).
    std::string walk(od::value v, int depth, bool top = false) {
        const char* at = nullptr;
        if (v.current_location().get(at)) at = nullptr;
        od::json_type type;
        if (auto e = v.type().get(type)) return fail(e);
        switch (type) {
        case od::json_type::object: {
            if (depth >= PB_STORE_ENCODING_MAX_DEPTH) return fault(at, "nested too deep");
            od::object object;
            bool wrapper = false;
            if (auto e = v.get_object().get(object)) return fail(e);
            std::vector<std::string> keys;
            for (auto result : object) {
                od::field field;
                if (auto e = std::move(result).get(field)) return fail(e);
                std::string_view key;
                if (auto e = field.unescaped_key().get(key)) return fail(e);
                if (!pbStoreAddressOkCstr(key.data(), PB_INT(key.size())))
                    return fault(at, "key " + quotedKey(key) + " is not a store address");
                for (const auto& seen : keys)
                    if (seen == key) return fault(at, "duplicate key " + quotedKey(key));
                if (top && keys.empty() && key == kHeaderKey) wrapper = true;
                keys.emplace_back(key);
                if (auto inner = walk(field.value(), wrapper ? depth : depth + 1); !inner.empty()) return inner;
            }
            return {};
        }
        case od::json_type::array: {
            if (depth >= PB_STORE_ENCODING_MAX_DEPTH) return fault(at, "nested too deep");
            od::array array;
            if (auto e = v.get_array().get(array)) return fail(e);
            for (auto result : array) {
                od::value item;
                if (auto e = std::move(result).get(item)) return fail(e);
                if (auto inner = walk(item, depth + 1); !inner.empty()) return inner;
            }
            return {};
        }
        case od::json_type::number: {
            // Fractions, exponents and integers beyond 64 bits either way.
            int64_t n;
            auto e = v.get_int64().get(n);
            if (e == simdjson::INCORRECT_TYPE || e == simdjson::NUMBER_OUT_OF_RANGE)
                return fault(at, "not a 64-bit integer");
            if (e) return fault(at, simdjson::error_message(e));
            return {};
        }
        case od::json_type::string: {
            std::string_view s;
            if (auto e = v.get_string().get(s)) return fail(e);
            return {};
        }
        case od::json_type::boolean: {
            bool b;
            if (auto e = v.get_bool().get(b)) return fail(e);
            return {};
        }
        case od::json_type::null: return fault(at, "null is not a store value");
        }
        return {};
    }

    const simdjson::padded_string& json_;
    od::parser parser_;
    od::document doc_;
    const char* at_ = nullptr;
    bool iterated_ = false;
};

// The offset of the opening quote of a string that is never closed, or -1.
PB_INT unclosedString(const char* p, size_t n) {
    PB_INT open = -1;
    for (size_t i = 0; i < n; ++i) {
        if (open < 0) {
            if (p[i] == '"') open = PB_INT(i);
        } else if (p[i] == '\\') {
            ++i;
        } else if (p[i] == '"') {
            open = -1;
        }
    }
    return open;
}

}  // namespace

// The line and column (both from 1, the column in code points) of the
// fault's byte offset, which editors show.
extern "C" PB_EXPORT PB_STRING* pbStoreDecodeError(PB_BUFFER* buffer) {
    PB_ASSERT(buffer);
    const char* bytes = reinterpret_cast<const char*>(pbBufferBacking(buffer));
    PB_INT length = pbBufferLength(buffer);
    auto store = pb::adopt(pbStoreTryDecode(buffer, nullptr));
    if (store) return nullptr;
    if (length == 0) return pbStringCreateFromCstr("empty document", -1);
    if (length > PB_STORE_ENCODING_MAX_BYTES) return pbStringCreateFromCstr("document too long", -1);

    simdjson::padded_string json(bytes, size_t(length));
    ErrorFinder finder(json);
    std::string text = finder.find();
    PB_INT at = text.empty() ? -1 : finder.where();
    if (text.empty()) text = "not a store document";
    if (at < 0) at = unclosedString(bytes, size_t(length));
    if (at < 0 || at > length) return pbStringCreateFromCstr(text.c_str(), PB_INT(text.size()));
    PB_INT line = 1, column = 1;
    for (PB_INT i = 0; i < at; ++i) {
        if (bytes[i] == '\n') {
            ++line;
            column = 1;
        } else if ((uint8_t(bytes[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    std::string where = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + text;
    return pbStringCreateFromCstr(where.c_str(), PB_INT(where.size()));
}
