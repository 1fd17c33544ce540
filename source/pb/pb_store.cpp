// Stores (map and array) on the persistent sequence, with copy-on-write setters.
#include "pb/pb_store.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>
#include <utility>

#include "pb/pb_module.h"
#include "pb/pb_pseq.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_store.hpp"
#include "pb/pb_string.h"
#include "pb/pb_string.hpp"
#include "pb/pb_utf8.hpp"

namespace {

constexpr PB_INT kAddressMaxLength = 1024;

// One entry (32 bytes); a default entry holds nothing. The value is a
// number (int entries, bool entries as 0 or 1) or a held object (string and
// store entries), as the type tells. The key's hint lets lookups pass most
// entries without reading their key.
class Entry {
public:
    pb::Ref<PB_STRING> key;  // map stores: the address; array stores: NULL (the position is)
    int16_t type = PB_STORE_TYPE_NONE;

    Entry() = default;
    Entry(PB_INT t, PB_INT number, pb::Ref<PB_OBJ> object) : type(int16_t(t)) {
        if (holdsObject()) value_.object = object.leak();
        else value_.number = number;
    }
    Entry(const Entry& other)
        : key(other.key),
          type(other.type),
          shortLength_(other.shortLength_),
          hintLow_(other.hintLow_),
          hint_(other.hint_),
          value_(other.value_) {
        if (holdsObject() && value_.object) pbObjRetain(value_.object);
    }
    Entry(Entry&& other) noexcept
        : key(std::move(other.key)),
          type(std::exchange(other.type, int16_t(PB_STORE_TYPE_NONE))),
          shortLength_(other.shortLength_),
          hintLow_(other.hintLow_),
          hint_(other.hint_),
          value_(other.value_) {}
    Entry& operator=(const Entry& other) {
        Entry copy(other);
        swap(copy);
        return *this;
    }
    // What this entry held is let go last: it may be what holds other.
    Entry& operator=(Entry&& other) noexcept {
        if (this == &other) return *this;
        PB_OBJ* dropped = holdsObject() ? value_.object : nullptr;
        pb::Ref<PB_STRING> droppedKey = std::exchange(key, std::move(other.key));
        type = std::exchange(other.type, int16_t(PB_STORE_TYPE_NONE));
        shortLength_ = other.shortLength_;
        hintLow_ = other.hintLow_;
        hint_ = other.hint_;
        value_ = other.value_;
        if (dropped) pbObjRelease(dropped);
        return *this;
    }
    ~Entry() {
        if (holdsObject() && value_.object) pbObjRelease(value_.object);
    }

    void setKey(pb::Ref<PB_STRING> k) {
        pb::StringHints h = k ? pb::stringHints(pb::stringChars(k.get()), pb::stringLength(k.get())) : pb::StringHints{};
        setKey(std::move(k), h);
    }
    // The same with the key's summary known already.
    void setKey(pb::Ref<PB_STRING> k, pb::StringHints h) {
        hint_ = h.high;
        hintLow_ = h.low;
        shortLength_ = h.shortLength;
        key = std::move(k);
    }
    // Takes the key of another entry, with its summary.
    void setKeyOf(const Entry& other) {
        key = other.key;
        hint_ = other.hint_;
        hintLow_ = other.hintLow_;
        shortLength_ = other.shortLength_;
    }
    pb::StringHints hints() const { return pb::StringHints{hint_, hintLow_, shortLength_}; }

    PB_INT number() const { return holdsObject() ? 0 : value_.number; }
    PB_OBJ* object() const { return holdsObject() ? value_.object : nullptr; }

private:
    bool holdsObject() const { return type == PB_STORE_TYPE_STRING || type == PB_STORE_TYPE_STORE; }
    void swap(Entry& other) noexcept {
        std::swap(key, other.key);
        std::swap(type, other.type);
        std::swap(shortLength_, other.shortLength_);
        std::swap(hint_, other.hint_);
        std::swap(hintLow_, other.hintLow_);
        std::swap(value_, other.value_);
    }
    uint8_t shortLength_ = 0;  // the key's length when its summary holds all of it
    uint32_t hintLow_ = 0;     // the key's summary (pb::stringHints), bytes 8-11
    uint64_t hint_ = 0;     // and bytes 0-7
    union Value {
        PB_INT number;
        PB_OBJ* object;
    } value_{0};
};
static_assert(sizeof(Entry) == 32, "a store entry is four words");

using Entries = pb::PSeq<Entry>;

}  // namespace

struct PB_STORE {
    PB_OBJ obj;
    PB_BOOL isArray;  // set once at creation
    uint8_t room;     // entries that fit in the store's own allocation (after it); set once
    Entries entries;  // key order (maps) or index order (arrays); changed only through a
                      // solely held handle (copy-on-write)
};

namespace {

PB_INT storeCompare(PB_OBJ* a, PB_OBJ* b);
void storeFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_STORE, &pb___module, "PB_STORE", storeFree, storeCompare, nullptr);
PB_STDFUNCS_DEFINE(pbStore, PB_STORE, pb___sort_PB_STORE)

namespace {

// An address as code points: borrowed from a string, or decoded from UTF-8
// into an inline buffer (the heap for long ones). Lookups by a Cstr address
// thus allocate nothing.
class Address {
public:
    explicit Address(PB_STRING* s)
        : chars_(pb::stringChars(s)), length_(pb::stringLength(s)), hints_(pb::stringHints(chars_, length_)),
          string_(s) {}
    Address(const char* text, PB_INT length) {
        if (!text) length = 0;
        else if (length < 0) length = PB_INT(std::strlen(text));
        PB_CHAR* out = inline_;
        if (length > kInline) out = heap_ = static_cast<PB_CHAR*>(pb___MemAlloc(size_t(length) * sizeof(PB_CHAR)));
        length_ = text ? pb::utf8Decode(reinterpret_cast<const unsigned char*>(text), length, out) : 0;
        chars_ = out;
        if (length_) hints_ = pb::stringHintsOfUtf8(text, length, chars_, length_);
    }
    ~Address() { pb___MemFree(heap_); }
    Address(const Address&) = delete;
    Address& operator=(const Address&) = delete;

    const PB_CHAR* chars() const { return chars_; }
    PB_INT length() const { return length_; }
    pb::StringHints hints() const { return hints_; }
    // Compares an entry's key with the address, by the summaries where they tell.
    PB_INT compare(const Entry& e) const {
        int told = pb::compareHints(e.hints(), hints_);
        if (told != pb::kHintsUntold) return told;
        return pb::compareChars(pb::stringChars(e.key.get()), pb::stringLength(e.key.get()), chars_, length_);
    }

    // The position of the entry at the address in a map store's entries (or
    // -1), and in *at where it would go.
    PB_INT find(const Entries& entries, PB_INT* at = nullptr, const Entry** hit = nullptr) const {
        const Entry* e = nullptr;
        PB_INT pos = entries.lowerBound([&](const Entry& x) { return compare(x); }, &e, hints_);
        if (at) *at = pos;
        if (hit) *hit = e;
        return e && compare(*e) == 0 ? pos : -1;
    }

    // The entry with this key, or NULL.
    const Entry* findEntry(const Entries& entries) const {
        const Entry* e = entries.lowerBoundElement([&](const Entry& x) { return compare(x); }, hints_);
        return e && compare(*e) == 0 ? e : nullptr;
    }

    // The address as a string: the one it came from, or a new one.
    pb::Ref<PB_STRING> toString() const {
        return string_ ? pb::retain(string_) : pb::adopt(pbStringCreateFromChars(chars_, length_));
    }

    // The array index that the address names ("0", "1", ... without
    // leading zeros), or -1.
    PB_INT index() const {
        if (length_ < 1 || length_ > 19 || (length_ > 1 && chars_[0] == '0')) return -1;
        PB_INT value = 0;
        for (PB_INT i = 0; i < length_; ++i) {
            PB_CHAR c = chars_[i];
            if (c < '0' || c > '9') return -1;
            PB_INT digit = PB_INT(c - '0');
            if (value > (PB_INT_MAX - digit) / 10) return -1;
            value = value * 10 + digit;
        }
        return value;
    }

private:
    static constexpr PB_INT kInline = 64;
    const PB_CHAR* chars_ = nullptr;
    PB_INT length_ = 0;
    pb::StringHints hints_;
    PB_STRING* string_ = nullptr;  // borrowed, or NULL
    PB_CHAR* heap_ = nullptr;      // owned, or NULL
    PB_CHAR inline_[kInline];
};

bool addressOk(const PB_CHAR* chars, PB_INT length) {
    if (length < 1 || length > kAddressMaxLength) return false;
    for (PB_INT i = 0; i < length; ++i) {
        PB_CHAR c = chars[i];
        if (c <= 0x1F || (c >= 0x7F && c <= 0x9F)) return false;
    }
    return true;
}


// A store with room for `room` entries in its own allocation: a small
// store is one allocation.
PB_STORE* create(PB_BOOL isArray, int room = 0) {
    PB_STORE* s = pb::createWithRoom(&pb___sort_PB_STORE, &PB_STORE::entries, room);
    s->isArray = isArray;
    return s;
}

PB_STORE* createLike(PB_STORE* like, int room) { return create(like->isArray, room); }

// Gives a solely held store that will hold n entries the room that fits them.
void fit(PB_STORE** store, PB_INT n) { pb::fitRoom(store, &PB_STORE::entries, n, createLike); }

void storeFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_STORE);
    reinterpret_cast<PB_STORE*>(obj)->entries.~Entries();
}

PB_INT compareValues(const Entry& x, const Entry& y) {
    if (x.type != y.type) return x.type < y.type ? -1 : 1;
    if (x.type == PB_STORE_TYPE_INT || x.type == PB_STORE_TYPE_BOOL)
        return x.number() < y.number() ? -1 : (x.number() > y.number() ? 1 : 0);
    return pbObjCompare(x.object(), y.object());
}

// Maps before arrays; then entry by entry (key, type, value); then the
// shorter first. Entries of two arrays at the same position have the same key.
PB_INT storeCompare(PB_OBJ* a, PB_OBJ* b) {
    auto* sa = reinterpret_cast<PB_STORE*>(a);
    auto* sb = reinterpret_cast<PB_STORE*>(b);
    if (sa->isArray != sb->isArray) return sa->isArray ? 1 : -1;
    if (sa->entries.sharesRootWith(sb->entries)) return 0;
    Entries::Cursor ca(sa->entries), cb(sb->entries);
    for (; !ca.done() && !cb.done(); ca.next(), cb.next()) {
        const Entry& x = *ca;
        const Entry& y = *cb;
        if (!sa->isArray) {
            if (PB_INT c = pb::compareStrings(x.key.get(), y.key.get())) return c;
        }
        if (PB_INT c = compareValues(x, y)) return c;
    }
    return ca.done() ? (cb.done() ? 0 : -1) : 1;
}

// The position of the entry at address, or -1.
PB_INT find(PB_STORE* store, const Address& address) {
    if (store->isArray) {
        PB_INT index = address.index();
        return index >= 0 && index < store->entries.size() ? index : -1;
    }
    return address.find(store->entries);
}

// The entry at address, or NULL.
const Entry* entryAt(PB_STORE* store, const Address& address) {
    PB_ASSERT(store);
    if (!store->isArray) return address.findEntry(store->entries);
    PB_INT pos = find(store, address);
    return pos < 0 ? nullptr : &store->entries.at(pos);
}

const Entry& entryAt(PB_STORE* store, PB_INT index) {
    PB_ASSERT(store);
    PB_ASSERT(index >= 0 && index < store->entries.size());
    return store->entries.at(index);
}

// An entry without key holding one value. It takes its reference to an
// object value before the setter's copy-on-write step, so that a store set
// into itself is copied (no reference cycle).
Entry valueEntry(PB_INT type, PB_INT number, PB_OBJ* object) {
    return Entry(type, number, pb::retain(object));
}

Entry stringEntry(PB_STRING* value) {
    PB_ASSERT(value);
    return valueEntry(PB_STORE_TYPE_STRING, 0, pbStringObj(value));
}
Entry intEntry(PB_INT value) { return valueEntry(PB_STORE_TYPE_INT, value, nullptr); }
Entry boolEntry(PB_BOOL value) { return valueEntry(PB_STORE_TYPE_BOOL, value ? 1 : 0, nullptr); }
Entry storeEntry(PB_STORE* value) {
    PB_ASSERT(value);
    return valueEntry(PB_STORE_TYPE_STORE, 0, pbStoreObj(value));
}

// Sets the entry at a valid address of a map store, keeping the key string
// of an entry that is replaced.
void setByAddress(PB_STORE** store, const Address& address, Entry entry) {
    PB_COW(store, pbStoreCreateFrom);
    PB_ASSERT(!pbStoreIsArray(*store));
    Entries& entries = (*store)->entries;
    const Entry* hit = nullptr;
    PB_INT at = 0;
    PB_INT pos = address.find(entries, &at, &hit);
    if (pos >= 0) {
        entry.setKeyOf(*hit);
        entries.replace(pos, std::move(entry));
    } else {
        entry.setKey(address.toString(), address.hints());
        fit(store, entries.size() + 1);
        (*store)->entries.insert(at, std::move(entry));
    }
}

void set(PB_STORE** store, PB_STRING* address, Entry entry) {
    PB_ASSERT(pbStoreAddressOk(address));
    setByAddress(store, Address(address), std::move(entry));
}

void setCstr(PB_STORE** store, const char* address, PB_INT length, Entry entry) {
    PB_ASSERT(pbStoreAddressOkCstr(address, length));
    setByAddress(store, Address(address, length), std::move(entry));
}

void append(PB_STORE** store, Entry entry) {
    PB_COW(store, pbStoreCreateFrom);
    PB_ASSERT(pbStoreIsArray(*store));
    fit(store, (*store)->entries.size() + 1);
    (*store)->entries.append(std::move(entry));
}

// Replaces the value at a position; the key of a map entry stays.
void setAt(PB_STORE** store, PB_INT index, Entry entry) {
    PB_COW(store, pbStoreCreateFrom);
    PB_ASSERT(index >= 0 && index < (*store)->entries.size());
    entry.setKeyOf((*store)->entries.at(index));
    (*store)->entries.replace(index, std::move(entry));
}

// Removes the entry at address; an absent one leaves the store (and the handle) alone.
void del(PB_STORE** store, const Address& address) {
    PB_ASSERT(store);
    PB_ASSERT(*store);
    PB_INT pos = find(*store, address);
    if (pos < 0) return;
    PB_COW(store, pbStoreCreateFrom);
    (*store)->entries.erase(pos);
    fit(store, (*store)->entries.size());
}

PB_STRING* stringOf(const Entry* e) {
    return e && e->type == PB_STORE_TYPE_STRING ? pbStringFrom(pbObjRetain(e->object())) : nullptr;
}

PB_STORE* storeOf(const Entry* e) {
    return e && e->type == PB_STORE_TYPE_STORE ? pbStoreFrom(pbObjRetain(e->object())) : nullptr;
}

PB_BOOL intOf(const Entry* e, PB_INT* value) {
    if (!e || e->type != PB_STORE_TYPE_INT) return PB_FALSE;
    if (value) *value = e->number();
    return PB_TRUE;
}

PB_BOOL boolOf(const Entry* e, PB_BOOL* value) {
    if (!e || e->type != PB_STORE_TYPE_BOOL) return PB_FALSE;
    if (value) *value = PB_BOOL(e->number());
    return PB_TRUE;
}

PB_INT typeOf(const Entry* e) { return e ? e->type : PB_STORE_TYPE_NONE; }

PB_STRING* decimal(PB_INT index) {
    char text[24];
    auto end = std::to_chars(text, text + sizeof text, index).ptr;
    return pbStringCreateFromCstr(text, PB_INT(end - text));
}

}  // namespace

namespace pb {

void storeForEach(PB_STORE* store, void (*fn)(const StoreEntryView& entry, void* context), void* context) {
    PB_ASSERT(store);
    PB_ASSERT(fn);
    PB_INT index = 0;
    for (Entries::Cursor c(store->entries); !c.done(); c.next(), ++index) {
        const Entry& e = *c;
        StoreEntryView view{index, e.key.get(), e.type, e.number(), nullptr, nullptr};
        // The entry's type tells the object's sort; no check needed.
        if (e.type == PB_STORE_TYPE_STRING) view.string = reinterpret_cast<PB_STRING*>(e.object());
        if (e.type == PB_STORE_TYPE_STORE) view.store = reinterpret_cast<PB_STORE*>(e.object());
        fn(view, context);
    }
}

PB_STORE* storeCreateFromEntries(bool array, StoreBuildEntries& entries, bool checked,
                                 const uint32_t* order) {
    auto keyLess = [](const StoreBuildEntry& a, const StoreBuildEntry& b) {
        return pb::compareStrings(a.key.get(), b.key.get()) < 0;
    };
    if (!array && !checked) {
        for (const auto& e : entries)
            if (!e.key || !addressOk(pbStringBacking(e.key.get()), pbStringLength(e.key.get()))) return nullptr;
        // Documents written by the encoder arrive in order; others are sorted.
        if (!std::is_sorted(entries.begin(), entries.end(), keyLess))
            std::stable_sort(entries.begin(), entries.end(), keyLess);
        for (size_t i = 1; i < entries.size(); ++i)
            if (!keyLess(entries[i - 1], entries[i])) return nullptr;  // a duplicate key
        for (auto& e : entries) e.hints = stringHints(stringChars(e.key.get()), stringLength(e.key.get()));
    }
    PB_INT n = PB_INT(entries.size());
    PB_STORE* store = create(array ? PB_TRUE : PB_FALSE, n <= Entries::kEmbedMax ? int(n) : 0);
    size_t next = 0;
    auto take = [&] {
        StoreBuildEntry& e = entries[order ? order[next++] : next++];
        Entry entry(e.type, e.number, std::move(e.object));
        if (!array) entry.setKey(std::move(e.key), e.hints);
        return entry;
    };
    if (n > Entries::kLeafFanout) {
        store->entries.build(n, take);
        return store;
    }
    store->entries.reserve(n);  // a small store: one allocation of its exact size
    for (PB_INT i = 0; i < n; ++i) store->entries.append(take());
    return store;
}


}  // namespace pb

extern "C" PB_EXPORT PB_STORE* pbStoreCreate(void) { return create(PB_FALSE); }

extern "C" PB_EXPORT PB_STORE* pbStoreCreateArray(void) { return create(PB_TRUE); }

extern "C" PB_EXPORT PB_STORE* pbStoreCreateFrom(PB_STORE* source) {
    PB_ASSERT(source);
    return pb::copyWithRoom(source, &PB_STORE::entries, createLike);
}

extern "C" PB_EXPORT PB_BOOL pbStoreIsArray(PB_STORE* store) {
    PB_ASSERT(store);
    return store->isArray;
}

extern "C" PB_EXPORT PB_INT pbStoreLength(PB_STORE* store) {
    PB_ASSERT(store);
    return store->entries.size();
}

extern "C" PB_EXPORT PB_BOOL pbStoreAddressOk(PB_STRING* address) {
    return address && addressOk(pbStringBacking(address), pbStringLength(address));
}

extern "C" PB_EXPORT PB_BOOL pbStoreAddressOkCstr(const char* address, PB_INT length) {
    if (!address) return PB_FALSE;
    Address a(address, length);
    return addressOk(a.chars(), a.length());
}

// Keyed reads.

extern "C" PB_EXPORT PB_BOOL pbStoreHasAddress(PB_STORE* store, PB_STRING* address) {
    PB_ASSERT(address);
    return entryAt(store, Address(address)) != nullptr;
}

extern "C" PB_EXPORT PB_BOOL pbStoreHasAddressCstr(PB_STORE* store, const char* address, PB_INT length) {
    PB_ASSERT(address || length == 0);
    return entryAt(store, Address(address, length)) != nullptr;
}

extern "C" PB_EXPORT PB_INT pbStoreType(PB_STORE* store, PB_STRING* address) {
    PB_ASSERT(address);
    return typeOf(entryAt(store, Address(address)));
}

extern "C" PB_EXPORT PB_INT pbStoreTypeCstr(PB_STORE* store, const char* address, PB_INT length) {
    PB_ASSERT(address || length == 0);
    return typeOf(entryAt(store, Address(address, length)));
}

extern "C" PB_EXPORT PB_STRING* pbStoreValue(PB_STORE* store, PB_STRING* address) {
    PB_ASSERT(address);
    return stringOf(entryAt(store, Address(address)));
}

extern "C" PB_EXPORT PB_STRING* pbStoreValueCstr(PB_STORE* store, const char* address, PB_INT length) {
    PB_ASSERT(address || length == 0);
    return stringOf(entryAt(store, Address(address, length)));
}

extern "C" PB_EXPORT PB_BOOL pbStoreValueInt(PB_STORE* store, PB_STRING* address, PB_INT* value) {
    PB_ASSERT(address);
    return intOf(entryAt(store, Address(address)), value);
}

extern "C" PB_EXPORT PB_BOOL pbStoreValueIntCstr(PB_STORE* store, const char* address, PB_INT length,
                                                 PB_INT* value) {
    PB_ASSERT(address || length == 0);
    return intOf(entryAt(store, Address(address, length)), value);
}

extern "C" PB_EXPORT PB_BOOL pbStoreValueBool(PB_STORE* store, PB_STRING* address, PB_BOOL* value) {
    PB_ASSERT(address);
    return boolOf(entryAt(store, Address(address)), value);
}

extern "C" PB_EXPORT PB_BOOL pbStoreValueBoolCstr(PB_STORE* store, const char* address, PB_INT length,
                                                  PB_BOOL* value) {
    PB_ASSERT(address || length == 0);
    return boolOf(entryAt(store, Address(address, length)), value);
}

extern "C" PB_EXPORT PB_STORE* pbStoreStore(PB_STORE* store, PB_STRING* address) {
    PB_ASSERT(address);
    return storeOf(entryAt(store, Address(address)));
}

extern "C" PB_EXPORT PB_STORE* pbStoreStoreCstr(PB_STORE* store, const char* address, PB_INT length) {
    PB_ASSERT(address || length == 0);
    return storeOf(entryAt(store, Address(address, length)));
}

// Keyed writes.

extern "C" PB_EXPORT void pbStoreSetValue(PB_STORE** store, PB_STRING* address, PB_STRING* value) {
    set(store, address, stringEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueCstr(PB_STORE** store, const char* address, PB_INT length,
                                              PB_STRING* value) {
    setCstr(store, address, length, stringEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueInt(PB_STORE** store, PB_STRING* address, PB_INT value) {
    set(store, address, intEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueIntCstr(PB_STORE** store, const char* address, PB_INT length,
                                                 PB_INT value) {
    setCstr(store, address, length, intEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueBool(PB_STORE** store, PB_STRING* address, PB_BOOL value) {
    set(store, address, boolEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueBoolCstr(PB_STORE** store, const char* address, PB_INT length,
                                                  PB_BOOL value) {
    setCstr(store, address, length, boolEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetStore(PB_STORE** store, PB_STRING* address, PB_STORE* value) {
    set(store, address, storeEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetStoreCstr(PB_STORE** store, const char* address, PB_INT length,
                                              PB_STORE* value) {
    setCstr(store, address, length, storeEntry(value));
}

extern "C" PB_EXPORT void pbStoreDel(PB_STORE** store, PB_STRING* address) {
    PB_ASSERT(address);
    del(store, Address(address));
}

extern "C" PB_EXPORT void pbStoreDelCstr(PB_STORE** store, const char* address, PB_INT length) {
    PB_ASSERT(address || length == 0);
    del(store, Address(address, length));
}

extern "C" PB_EXPORT void pbStoreClear(PB_STORE** store) {
    PB_COW(store, pbStoreCreateFrom);
    (*store)->entries.clear();
    fit(store, 0);
}

// Positional access.

extern "C" PB_EXPORT PB_STRING* pbStoreAddressAt(PB_STORE* store, PB_INT index) {
    const Entry& e = entryAt(store, index);
    return e.key ? pbStringRetain(e.key.get()) : decimal(index);
}

extern "C" PB_EXPORT PB_INT pbStoreTypeAt(PB_STORE* store, PB_INT index) { return entryAt(store, index).type; }

extern "C" PB_EXPORT PB_STRING* pbStoreValueAt(PB_STORE* store, PB_INT index) {
    return stringOf(&entryAt(store, index));
}

extern "C" PB_EXPORT PB_BOOL pbStoreValueIntAt(PB_STORE* store, PB_INT index, PB_INT* value) {
    return intOf(&entryAt(store, index), value);
}

extern "C" PB_EXPORT PB_BOOL pbStoreValueBoolAt(PB_STORE* store, PB_INT index, PB_BOOL* value) {
    return boolOf(&entryAt(store, index), value);
}

extern "C" PB_EXPORT PB_STORE* pbStoreStoreAt(PB_STORE* store, PB_INT index) {
    return storeOf(&entryAt(store, index));
}

extern "C" PB_EXPORT void pbStoreDelAt(PB_STORE** store, PB_INT index) {
    PB_COW(store, pbStoreCreateFrom);
    PB_ASSERT(index >= 0 && index < (*store)->entries.size());
    (*store)->entries.erase(index);
    fit(store, (*store)->entries.size());
}

// Array appends and positional replacement.

extern "C" PB_EXPORT void pbStoreAppendValue(PB_STORE** store, PB_STRING* value) {
    append(store, stringEntry(value));
}

extern "C" PB_EXPORT void pbStoreAppendValueCstr(PB_STORE** store, const char* value, PB_INT length) {
    PB_ASSERT(value || length == 0);
    append(store, stringEntry(pb::adopt(pbStringCreateFromCstr(value, length)).get()));
}

extern "C" PB_EXPORT void pbStoreAppendValueInt(PB_STORE** store, PB_INT value) { append(store, intEntry(value)); }

extern "C" PB_EXPORT void pbStoreAppendValueBool(PB_STORE** store, PB_BOOL value) {
    append(store, boolEntry(value));
}

extern "C" PB_EXPORT void pbStoreAppendStore(PB_STORE** store, PB_STORE* value) {
    append(store, storeEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueAt(PB_STORE** store, PB_INT index, PB_STRING* value) {
    setAt(store, index, stringEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueIntAt(PB_STORE** store, PB_INT index, PB_INT value) {
    setAt(store, index, intEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetValueBoolAt(PB_STORE** store, PB_INT index, PB_BOOL value) {
    setAt(store, index, boolEntry(value));
}

extern "C" PB_EXPORT void pbStoreSetStoreAt(PB_STORE** store, PB_INT index, PB_STORE* value) {
    setAt(store, index, storeEntry(value));
}
