// Dictionaries ordered by key on the persistent sequence, with copy-on-write mutators.
#include "pb/pb_dict.h"

#include <new>
#include <utility>

#include "pb/pb_module.h"
#include "pb/pb_pseq.hpp"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"
#include "pb/pb_string.hpp"

namespace {

// One entry; a default entry holds nothing.
struct Entry {
    pb::Ref<PB_OBJ> key;    // the object key, or NULL for an integer key
    PB_INT intKey = 0;      // the integer key when key is NULL; else the summary of a
                            // string key (pb::stringHints, bytes 0-7), 0 for other objects
    pb::Ref<PB_OBJ> value;  // never NULL in a dictionary
    uint32_t hintLow = 0;   // bytes 8-11 of a string key's summary
    uint8_t shortLength = 0;  // a string key's length when its summary holds all of it
    pb::StringHints hints() const { return key ? pb::StringHints{uint64_t(intKey), hintLow, shortLength} : pb::StringHints{}; }
};
static_assert(sizeof(Entry) == 32, "a dictionary entry is four words");

using Entries = pb::PSeq<Entry>;

bool isString(const PB_OBJ* obj) { return obj->sort == &pb___sort_PB_STRING; }

// A key to look for: an object, or an integer when obj is NULL. A string
// key is compared with string keys through its code units, read once here.
struct Key {
    Key(PB_OBJ* o, PB_INT i) : obj(o), intKey(i) {
        if (o && isString(o)) {
            string = reinterpret_cast<PB_STRING*>(o);
            hints = pb::stringHints(pb::stringChars(string), pb::stringLength(string));
        }
    }
    // The key of an entry, with the summary that the entry holds already.
    explicit Key(const Entry& e) : obj(e.key.obj()), intKey(e.key ? 0 : e.intKey) {
        if (obj && isString(obj)) {
            string = reinterpret_cast<PB_STRING*>(obj);
            hints = e.hints();
        }
    }
    PB_OBJ* obj;
    PB_INT intKey;
    PB_STRING* string = nullptr;  // obj as a string, or NULL
    pb::StringHints hints;        // of a string key
};

// Integer keys order before object keys.
PB_INT compareKeys(PB_OBJ* objA, PB_INT intA, PB_OBJ* objB, PB_INT intB) {
    if (!objA && !objB) return intA < intB ? -1 : (intA > intB ? 1 : 0);
    if (!objA) return -1;
    if (!objB) return 1;
    return pbObjCompare(objA, objB);
}

// An entry's key against a sought key: string keys directly, others through
// the general order (which orders strings the same way).
PB_INT compareWith(const Entry& e, const Key& key) {
    if (e.key.obj() == key.obj && key.obj) return 0;
    int told = pb::compareHints(e.hints(), key.hints);
    if (told != pb::kHintsUntold) return told;
    if (key.string && e.key && isString(e.key.obj())) {
        auto* s = reinterpret_cast<PB_STRING*>(e.key.obj());
        return pb::compareChars(pb::stringChars(s), pb::stringLength(s), pb::stringChars(key.string),
                                pb::stringLength(key.string));
    }
    return compareKeys(e.key.obj(), e.intKey, key.obj, key.intKey);
}

}  // namespace

struct PB_DICT {
    PB_OBJ obj;
    uint8_t room;     // entries that fit in the dictionary's own allocation (after it); set once
    Entries entries;  // ordered by key; changed only through a solely held handle (copy-on-write)
};

namespace {

PB_INT dictCompare(PB_OBJ* a, PB_OBJ* b);
void dictFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_DICT, &pb___module, "PB_DICT", dictFree, dictCompare, nullptr);
PB_STDFUNCS_DEFINE(pbDict, PB_DICT, pb___sort_PB_DICT)

namespace {

// A dictionary with room for `room` entries in its own allocation: a small
// dictionary is one allocation.
PB_DICT* create(int room = 0) { return pb::createWithRoom(&pb___sort_PB_DICT, &PB_DICT::entries, room); }

PB_DICT* createLike(PB_DICT*, int room) { return create(room); }

// Gives a solely held dictionary that will hold n entries the room that fits them.
void fit(PB_DICT** dict, PB_INT n) { pb::fitRoom(dict, &PB_DICT::entries, n, createLike); }

void dictFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_DICT);
    reinterpret_cast<PB_DICT*>(obj)->entries.~Entries();
}

// Entry by entry (key, then value), then the shorter first.
PB_INT dictCompare(PB_OBJ* a, PB_OBJ* b) {
    const Entries& ea = reinterpret_cast<PB_DICT*>(a)->entries;
    const Entries& eb = reinterpret_cast<PB_DICT*>(b)->entries;
    if (ea.sharesRootWith(eb)) return 0;
    Entries::Cursor ca(ea), cb(eb);
    for (; !ca.done() && !cb.done(); ca.next(), cb.next()) {
        const Entry& x = *ca;
        const Entry& y = *cb;
        if (PB_INT c = compareKeys(x.key.obj(), x.intKey, y.key.obj(), y.intKey)) return c;
        if (PB_INT c = pbObjCompare(x.value.obj(), y.value.obj())) return c;
    }
    return ca.done() ? (cb.done() ? 0 : -1) : 1;
}

// The position of key (found) or where it would go (not found).
PB_INT locate(PB_DICT* dict, Key key, const Entry** found) {
    auto cmp = [&](const Entry& e) { return compareWith(e, key); };
    const Entry* at = nullptr;
    PB_INT pos = dict->entries.lowerBound(cmp, &at, key.hints);
    *found = at && cmp(*at) == 0 ? at : nullptr;
    return pos;
}

// The entry of key, or NULL (without its position).
const Entry* entryWith(PB_DICT* dict, Key key) {
    PB_ASSERT(dict);
    auto cmp = [&](const Entry& e) { return compareWith(e, key); };
    const Entry* at = dict->entries.lowerBoundElement(cmp, key.hints);
    return at && cmp(*at) == 0 ? at : nullptr;
}

PB_OBJ* lookup(PB_DICT* dict, Key key) {
    const Entry* e = entryWith(dict, key);
    return e ? pbObjRetain(e->value.obj()) : nullptr;
}

bool has(PB_DICT* dict, Key key) { return entryWith(dict, key) != nullptr; }

// Sets an entry. The entry holds its references before the copy-on-write
// step, so a dictionary stored into itself is copied (no reference cycle).
void set(PB_DICT** dict, Entry entry) {
    PB_COW(dict, pbDictCreateFrom);
    const Entry* e;
    PB_INT pos = locate(*dict, Key(entry), &e);
    if (e) {
        (*dict)->entries.replace(pos, std::move(entry));
    } else {
        fit(dict, (*dict)->entries.size() + 1);
        (*dict)->entries.insert(pos, std::move(entry));
    }
}

// Removes an entry; an absent key leaves the dictionary (and the handle) alone.
void del(PB_DICT** dict, Key key) {
    PB_ASSERT(dict);
    PB_ASSERT(*dict);
    const Entry* e;
    PB_INT pos = locate(*dict, key, &e);
    if (!e) return;
    PB_COW(dict, pbDictCreateFrom);
    (*dict)->entries.erase(pos);
    fit(dict, (*dict)->entries.size());
}

Entry entryOf(PB_OBJ* key, PB_INT intKey, PB_OBJ* value) {
    Entry e;
    e.key = pb::retain(key);
    e.intKey = intKey;
    if (key) {
        pb::StringHints h;
        if (isString(key)) {
            auto* s = reinterpret_cast<PB_STRING*>(key);
            h = pb::stringHints(pb::stringChars(s), pb::stringLength(s));
        }
        e.intKey = PB_INT(h.high);
        e.hintLow = h.low;
        e.shortLength = h.shortLength;
    }
    e.value = pb::retain(value);
    return e;
}

const Entry& entryAt(PB_DICT* dict, PB_INT index) {
    PB_ASSERT(dict);
    PB_ASSERT(index >= 0 && index < dict->entries.size());
    return dict->entries.at(index);
}

pb::Ref<PB_STRING> keyString(const char* key, PB_INT length) {
    PB_ASSERT(key || length == 0);
    return pb::adopt(pbStringCreateFromCstr(key, length));
}

}  // namespace

extern "C" PB_EXPORT PB_DICT* pbDictCreate(void) { return create(); }

extern "C" PB_EXPORT PB_DICT* pbDictCreateFrom(PB_DICT* source) {
    PB_ASSERT(source);
    return pb::copyWithRoom(source, &PB_DICT::entries, createLike);
}

extern "C" PB_EXPORT PB_INT pbDictLength(PB_DICT* dict) {
    PB_ASSERT(dict);
    return dict->entries.size();
}

extern "C" PB_EXPORT void pbDictSetIntKey(PB_DICT** dict, PB_INT key, PB_OBJ* value) {
    PB_ASSERT(value);
    set(dict, entryOf(nullptr, key, value));
}

extern "C" PB_EXPORT PB_OBJ* pbDictIntKey(PB_DICT* dict, PB_INT key) { return lookup(dict, Key{nullptr, key}); }

extern "C" PB_EXPORT PB_BOOL pbDictHasIntKey(PB_DICT* dict, PB_INT key) { return has(dict, Key{nullptr, key}); }

extern "C" PB_EXPORT void pbDictDelIntKey(PB_DICT** dict, PB_INT key) { del(dict, Key{nullptr, key}); }

extern "C" PB_EXPORT void pbDictSetObjKey(PB_DICT** dict, PB_OBJ* key, PB_OBJ* value) {
    PB_ASSERT(key);
    PB_ASSERT(value);
    set(dict, entryOf(key, 0, value));
}

extern "C" PB_EXPORT PB_OBJ* pbDictObjKey(PB_DICT* dict, PB_OBJ* key) {
    PB_ASSERT(key);
    return lookup(dict, Key{key, 0});
}

extern "C" PB_EXPORT PB_BOOL pbDictHasObjKey(PB_DICT* dict, PB_OBJ* key) {
    PB_ASSERT(key);
    return has(dict, Key{key, 0});
}

extern "C" PB_EXPORT void pbDictDelObjKey(PB_DICT** dict, PB_OBJ* key) {
    PB_ASSERT(key);
    del(dict, Key{key, 0});
}

extern "C" PB_EXPORT void pbDictSetStringKey(PB_DICT** dict, PB_STRING* key, PB_OBJ* value) {
    pbDictSetObjKey(dict, pbStringObj(key), value);
}

extern "C" PB_EXPORT PB_OBJ* pbDictStringKey(PB_DICT* dict, PB_STRING* key) {
    return pbDictObjKey(dict, pbStringObj(key));
}

extern "C" PB_EXPORT PB_BOOL pbDictHasStringKey(PB_DICT* dict, PB_STRING* key) {
    return pbDictHasObjKey(dict, pbStringObj(key));
}

extern "C" PB_EXPORT void pbDictDelStringKey(PB_DICT** dict, PB_STRING* key) {
    pbDictDelObjKey(dict, pbStringObj(key));
}

extern "C" PB_EXPORT void pbDictSetStringKeyCstr(PB_DICT** dict, const char* key, PB_INT length, PB_OBJ* value) {
    pbDictSetObjKey(dict, keyString(key, length).obj(), value);
}

extern "C" PB_EXPORT PB_OBJ* pbDictStringKeyCstr(PB_DICT* dict, const char* key, PB_INT length) {
    return pbDictObjKey(dict, keyString(key, length).obj());
}

extern "C" PB_EXPORT PB_BOOL pbDictHasStringKeyCstr(PB_DICT* dict, const char* key, PB_INT length) {
    return pbDictHasObjKey(dict, keyString(key, length).obj());
}

extern "C" PB_EXPORT void pbDictDelStringKeyCstr(PB_DICT** dict, const char* key, PB_INT length) {
    pbDictDelObjKey(dict, keyString(key, length).obj());
}

extern "C" PB_EXPORT PB_BOOL pbDictKeyIsIntAt(PB_DICT* dict, PB_INT index) { return !entryAt(dict, index).key; }

extern "C" PB_EXPORT PB_OBJ* pbDictKeyAt(PB_DICT* dict, PB_INT index) {
    const Entry& e = entryAt(dict, index);
    return e.key ? pbObjRetain(e.key.obj()) : nullptr;
}

extern "C" PB_EXPORT PB_INT pbDictIntKeyAt(PB_DICT* dict, PB_INT index) {
    const Entry& e = entryAt(dict, index);
    PB_ASSERT(pbDictKeyIsIntAt(dict, index));
    return e.intKey;
}

extern "C" PB_EXPORT PB_OBJ* pbDictValueAt(PB_DICT* dict, PB_INT index) {
    return pbObjRetain(entryAt(dict, index).value.obj());
}

extern "C" PB_EXPORT void pbDictDelAt(PB_DICT** dict, PB_INT index) {
    PB_COW(dict, pbDictCreateFrom);
    PB_ASSERT(index >= 0 && index < (*dict)->entries.size());
    (*dict)->entries.erase(index);
    fit(dict, (*dict)->entries.size());
}

extern "C" PB_EXPORT PB_OBJ* pb___DictSoleValueObjKey(PB_DICT* dict, PB_OBJ* key) {
    PB_ASSERT(dict);
    PB_ASSERT(key);
    if (pbObjRefCount(pbDictObj(dict)) != 1) return nullptr;
    // Callers mostly pass the key object that the entry holds: a small
    // dictionary is scanned for it before the ordered search.
    const Entry* e = nullptr;
    PB_INT pos = 0;
    PB_INT n = dict->entries.size();
    for (PB_INT i = 0; n <= 8 && i < n && !e; ++i) {
        if (dict->entries.at(i).key.obj() == key) {
            pos = i;
            e = &dict->entries.at(i);
        }
    }
    if (!e) pos = locate(dict, Key{key, 0}, &e);
    if (!e || pbObjRefCount(e->value.obj()) != 1) return nullptr;
    Entry* sole = dict->entries.soleAt(pos);
    return sole ? sole->value.obj() : nullptr;
}

extern "C" PB_EXPORT void pbDictClear(PB_DICT** dict) {
    PB_COW(dict, pbDictCreateFrom);
    (*dict)->entries.clear();
    fit(dict, 0);
}
