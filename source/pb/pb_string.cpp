// Strings of code points with copy-on-write mutators, UTF-8 conversion,
// formatting and scans.
#include "pb/pb_string.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "pb/pb_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.hpp"
#include "pb/pb_utf8.hpp"


namespace {

PB_INT stringCompare(PB_OBJ* a, PB_OBJ* b);
void stringFree(PB_OBJ* obj);
// A string is its own string form.
PB_STRING* stringToString(PB_OBJ* obj) { return reinterpret_cast<PB_STRING*>(pbObjRetain(obj)); }

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_STRING, &pb___module, "PB_STRING", stringFree, stringCompare, stringToString);
PB_STDFUNCS_DEFINE(pbString, PB_STRING, pb___sort_PB_STRING)

namespace {

// Strings created with room for up to this many code points carry them in
// the same allocation: one allocation per string, and a key's characters
// next to its length when a lookup compares them.
constexpr PB_INT kInlineCapacity = 64;

PB_CHAR* inlineChars(PB_STRING* s) { return reinterpret_cast<PB_CHAR*>(s + 1); }

PB_STRING* create(PB_INT capacity) {
    if (capacity > 0 && capacity <= kInlineCapacity) {
        auto* s = reinterpret_cast<PB_STRING*>(pb___ObjCreate(sizeof(PB_STRING) + size_t(capacity) * sizeof(PB_CHAR),
                                                              &pb___sort_PB_STRING));
        s->chars = inlineChars(s);
        s->capacity = capacity;
        return s;
    }
    auto* s = reinterpret_cast<PB_STRING*>(pb___ObjCreate(sizeof(PB_STRING), &pb___sort_PB_STRING));
    if (capacity > 0) {
        s->chars = static_cast<PB_CHAR*>(pb___MemAlloc(size_t(capacity) * sizeof(PB_CHAR)));
        s->capacity = capacity;
    }
    return s;
}

void reserve(PB_STRING* s, PB_INT need) {
    if (need <= s->capacity) return;
    PB_INT cap = s->capacity < 8 ? 8 : s->capacity;
    while (cap < need) cap *= 2;
    if (s->chars == inlineChars(s)) {  // moves to the heap
        auto* heap = static_cast<PB_CHAR*>(pb___MemAlloc(size_t(cap) * sizeof(PB_CHAR)));
        std::memcpy(heap, s->chars, size_t(s->length) * sizeof(PB_CHAR));
        s->chars = heap;
    } else {
        s->chars = static_cast<PB_CHAR*>(pb___MemRealloc(s->chars, size_t(cap) * sizeof(PB_CHAR)));
    }
    s->capacity = cap;
}

void appendChars(PB_STRING* s, const PB_CHAR* chars, PB_INT n) {
    if (n <= 0) return;
    reserve(s, s->length + n);
    std::memcpy(s->chars + s->length, chars, size_t(n) * sizeof(PB_CHAR));
    s->length += n;
}

void appendUtf8(PB_STRING* s, const char* text, PB_INT length) {
    if (length < 0) length = PB_INT(std::strlen(text));
    reserve(s, s->length + length);  // never more code points than bytes
    s->length += pb::utf8Decode(reinterpret_cast<const unsigned char*>(text), length, s->chars + s->length);
}

void appendAscii(PB_STRING* s, const char* text) { appendUtf8(s, text, -1); }

PB_INT stringCompare(PB_OBJ* a, PB_OBJ* b) {
    return pb::compareStrings(reinterpret_cast<PB_STRING*>(a), reinterpret_cast<PB_STRING*>(b));
}

void stringFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_STRING);
    auto* s = reinterpret_cast<PB_STRING*>(obj);
    if (s->chars != inlineChars(s)) pb___MemFree(s->chars);
    s->chars = nullptr;
}

// Pads the text appended since 'start' to 'width' code points.
void pad(PB_STRING* s, PB_INT start, PB_INT width, bool left, PB_CHAR fill) {
    PB_INT have = s->length - start;
    if (width <= have) return;
    PB_INT extra = width - have;
    reserve(s, s->length + extra);
    if (left) {
        for (PB_INT i = 0; i < extra; ++i) s->chars[s->length + i] = ' ';
    } else {
        std::memmove(s->chars + start + extra, s->chars + start, size_t(have) * sizeof(PB_CHAR));
        PB_INT at = start;
        // Zero padding goes after a sign.
        if (fill == '0' && have > 0 && s->chars[start + extra] == '-') {
            s->chars[start] = '-';
            s->chars[start + extra] = '0';
            at = start + 1;
        }
        for (PB_INT i = 0; i < extra; ++i) s->chars[at + i] = fill;
    }
    s->length += extra;
}

// The formatter, over a format given as code points.
PB_STRING* format(const PB_CHAR* f, PB_INT n, va_list args) {
    PB_STRING* s = create(n + 16);
    for (PB_INT i = 0; i < n; ++i) {
        if (f[i] != '%' || i + 1 >= n) {
            appendChars(s, &f[i], 1);
            continue;
        }
        PB_INT specStart = i;
        ++i;
        bool left = false, zero = false, tilde = false;
        for (; i < n; ++i) {
            if (f[i] == '-') left = true;
            else if (f[i] == '0') zero = true;
            else break;
        }
        PB_INT width = 0;
        while (i < n && f[i] >= '0' && f[i] <= '9') width = width * 10 + PB_INT(f[i++] - '0');
        if (i < n && f[i] == '~') { tilde = true; ++i; }
        bool isLong = false;
        if (i < n && f[i] == 'l') { isLong = true; ++i; }
        if (i >= n) { appendChars(s, f + specStart, n - specStart); break; }
        PB_INT start = s->length;
        PB_CHAR fill = ' ';
        char num[64];
        switch (f[i]) {
        case '%': appendAscii(s, "%"); break;
        case 's': {
            PB_STRING* arg = va_arg(args, PB_STRING*);
            if (arg) appendChars(s, arg->chars, arg->length);
            else appendAscii(s, "<null>");
            break;
        }
        case 'c':
            if (isLong) {
                const char* arg = va_arg(args, const char*);
                appendUtf8(s, arg ? arg : "<null>", -1);
            } else {
                PB_CHAR ch = PB_CHAR(va_arg(args, PB_INT));
                appendChars(s, &ch, 1);
            }
            break;
        case 'i':
        case 'd':
            std::snprintf(num, sizeof num, "%" PRId64, va_arg(args, PB_INT));
            appendAscii(s, num);
            if (zero) fill = '0';
            break;
        case 'x':
            std::snprintf(num, sizeof num, "%" PRIx64, uint64_t(va_arg(args, PB_INT)));
            appendAscii(s, num);
            if (zero) fill = '0';
            break;
        case 'p':
            std::snprintf(num, sizeof num, "%" PRIxPTR, uintptr_t(va_arg(args, void*)));
            appendAscii(s, num);
            break;
        case 'o': {
            PB_OBJ* arg = va_arg(args, PB_OBJ*);
            if (arg) {
                PB_STRING* t = pbObjToString(arg);
                appendChars(s, t->chars, t->length);
                pbObjRelease(&t->obj);
            } else if (!tilde) {
                appendAscii(s, "<null>");
            }
            break;
        }
        default:
            appendChars(s, f + specStart, i - specStart + 1);
            continue;
        }
        pad(s, start, width, left, left ? ' ' : fill);
    }
    return s;
}

PB_INT lengthOfWide(const wchar_t* text, PB_INT length) {
    return length < 0 ? PB_INT(std::wcslen(text)) : length;
}

PB_CHAR upper(PB_CHAR c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    return c;
}

PB_CHAR lower(PB_CHAR c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    return c;
}

// The scan window [offset, end) of a string.
bool window(PB_STRING* str, PB_INT offset, PB_INT length, PB_INT* end) {
    PB_ASSERT(str);
    PB_ASSERT(offset >= 0);
    if (offset > str->length) return false;
    *end = (length < 0 || length > str->length - offset) ? str->length : offset + length;
    return true;
}

}  // namespace

extern "C" PB_EXPORT PB_STRING* pbStringCreate(void) { return create(0); }

extern "C" PB_EXPORT PB_STRING* pbStringCreateFrom(PB_STRING* source) {
    PB_ASSERT(source);
    PB_STRING* s = create(source->length);
    appendChars(s, source->chars, source->length);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromCstr(const char* text, PB_INT length) {
    PB_ASSERT(text || length == 0);
    if (text && length < 0) length = PB_INT(std::strlen(text));
    PB_STRING* s = create(text ? length : 0);  // never more code points than bytes
    if (text) appendUtf8(s, text, length);
    return s;
}

namespace {

std::mutex internMutex;  // guards interned
// Guarded by internMutex; the keys view the text kept after each string.
std::unordered_map<std::string_view, PB_STRING*>* interned = nullptr;

// An immortal string outside the live counts, followed in its allocation by
// its code points and then its UTF-8 text.
PB_STRING* createImmortal(const char* text, PB_INT length) {
    size_t bytes = sizeof(PB_STRING) + size_t(length) * sizeof(PB_CHAR) + size_t(length) + 1;
    auto* s = static_cast<PB_STRING*>(std::calloc(1, bytes));
    PB_ASSERT_CTX("out of memory", s);
    s->obj.sort = &pb___sort_PB_STRING;
    s->obj.refs = PB___OBJ_REFS_STATIC;
    s->chars = inlineChars(s);
    s->capacity = length;
    s->length = pb::utf8Decode(reinterpret_cast<const unsigned char*>(text), length, s->chars);
    std::memcpy(reinterpret_cast<char*>(s->chars + length), text, size_t(length));
    return s;
}

}  // namespace

PB_STRING* pb::stringInternUpTo(const char* text, PB_INT length, size_t limit) {
    std::string_view key(text, size_t(length));
    std::lock_guard guard(internMutex);
    if (!interned) interned = new std::unordered_map<std::string_view, PB_STRING*>();
    auto it = interned->find(key);
    if (it != interned->end()) return it->second;
    if (interned->size() >= limit) return nullptr;
    PB_STRING* s = createImmortal(text, length);
    interned->emplace(std::string_view(reinterpret_cast<const char*>(s->chars + length), size_t(length)), s);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pb___StringInternCstr(const char* text, PB_INT length) {
    PB_ASSERT(text);
    if (length < 0) length = PB_INT(std::strlen(text));
    return pb::stringInternUpTo(text, length, PB___STRING_INTERN_MAX);
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromWcstr(const wchar_t* text, PB_INT length) {
    PB_ASSERT(text || length == 0);
    if (!text) return create(0);
    length = lengthOfWide(text, length);
    PB_STRING* s = create(length);
    for (PB_INT i = 0; i < length; ++i) {
        auto c = PB_CHAR(text[i]);
        s->chars[i] = (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) ? PB_CHAR_REPLACEMENT : c;
    }
    s->length = length;
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromChars(const PB_CHAR* chars, PB_INT length) {
    PB_ASSERT(length >= 0);
    PB_ASSERT(chars || length == 0);
    PB_STRING* s = create(length);
    appendChars(s, chars, length);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromFormatArgList(PB_STRING* fmt, va_list args) {
    PB_ASSERT(fmt);
    return format(fmt->chars, fmt->length, args);
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromFormat(PB_STRING* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    PB_STRING* s = pbStringCreateFromFormatArgList(fmt, args);
    va_end(args);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromFormatCstrArgList(const char* fmt, PB_INT length,
                                                                    va_list args) {
    PB_ASSERT(fmt);
    PB_STRING* f = pbStringCreateFromCstr(fmt, length);
    PB_STRING* s = format(f->chars, f->length, args);
    pbObjRelease(&f->obj);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromFormatCstr(const char* fmt, PB_INT length, ...) {
    va_list args;
    va_start(args, length);
    PB_STRING* s = pbStringCreateFromFormatCstrArgList(fmt, length, args);
    va_end(args);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromFormatWcstrArgList(const wchar_t* fmt, PB_INT length,
                                                                     va_list args) {
    PB_ASSERT(fmt);
    PB_STRING* f = pbStringCreateFromWcstr(fmt, length);
    PB_STRING* s = format(f->chars, f->length, args);
    pbObjRelease(&f->obj);
    return s;
}

extern "C" PB_EXPORT PB_STRING* pbStringCreateFromFormatWcstr(const wchar_t* fmt, PB_INT length, ...) {
    va_list args;
    va_start(args, length);
    PB_STRING* s = pbStringCreateFromFormatWcstrArgList(fmt, length, args);
    va_end(args);
    return s;
}

extern "C" PB_EXPORT PB_INT pbStringLength(PB_STRING* str) {
    PB_ASSERT(str);
    return str->length;
}

extern "C" PB_EXPORT PB_CHAR pbStringCharAt(PB_STRING* str, PB_INT index) {
    PB_ASSERT(str);
    PB_ASSERT(index >= 0 && index < str->length);
    return str->chars[index];
}

extern "C" PB_EXPORT const PB_CHAR* pbStringBacking(PB_STRING* str) {
    PB_ASSERT(str);
    return str->chars;
}

extern "C" PB_EXPORT void pbStringSetCharAt(PB_STRING** str, PB_INT index, PB_CHAR ch) {
    PB_COW(str, pbStringCreateFrom);
    PB_ASSERT(index >= 0 && index < (*str)->length);
    (*str)->chars[index] = ch;
}

extern "C" PB_EXPORT void pbStringAppend(PB_STRING** str, PB_STRING* tail) {
    PB_ASSERT(tail);
    pb::Ref<PB_STRING> keep = pb::retain(tail);  // tail may be *str itself
    PB_COW(str, pbStringCreateFrom);
    appendChars(*str, tail->chars, tail->length);
}

extern "C" PB_EXPORT void pbStringAppendCstr(PB_STRING** str, const char* text, PB_INT length) {
    PB_ASSERT(text || length == 0);
    PB_COW(str, pbStringCreateFrom);
    if (text) appendUtf8(*str, text, length);
}

extern "C" PB_EXPORT void pbStringAppendChar(PB_STRING** str, PB_CHAR ch) {
    PB_COW(str, pbStringCreateFrom);
    appendChars(*str, &ch, 1);
}

extern "C" PB_EXPORT void pbStringTrim(PB_STRING** str, PB_INT offset, PB_INT length) {
    PB_ASSERT(offset >= 0);
    PB_COW(str, pbStringCreateFrom);
    PB_STRING* s = *str;
    if (offset > s->length) offset = s->length;
    if (length < 0 || length > s->length - offset) length = s->length - offset;
    std::memmove(s->chars, s->chars + offset, size_t(length) * sizeof(PB_CHAR));
    s->length = length;
}

extern "C" PB_EXPORT void pbStringToUpper(PB_STRING** str) {
    PB_COW(str, pbStringCreateFrom);
    for (PB_INT i = 0; i < (*str)->length; ++i) (*str)->chars[i] = upper((*str)->chars[i]);
}

extern "C" PB_EXPORT void pbStringToLower(PB_STRING** str) {
    PB_COW(str, pbStringCreateFrom);
    for (PB_INT i = 0; i < (*str)->length; ++i) (*str)->chars[i] = lower((*str)->chars[i]);
}

extern "C" PB_EXPORT PB_BOOL pbStringEqualsCstr(PB_STRING* str, const char* text, PB_INT length) {
    PB_ASSERT(str);
    PB_STRING* other = pbStringCreateFromCstr(text, length);
    bool eq = stringCompare(&str->obj, &other->obj) == 0;
    pbObjRelease(&other->obj);
    return eq;
}

extern "C" PB_EXPORT PB_INT pbStringFindChar(PB_STRING* str, PB_INT offset, PB_CHAR ch) {
    PB_ASSERT(str);
    for (PB_INT i = offset < 0 ? 0 : offset; i < str->length; ++i)
        if (str->chars[i] == ch) return i;
    return -1;
}

extern "C" PB_EXPORT char* pbStringConvertToCstr(PB_STRING* str, PB_INT* length) {
    PB_ASSERT(str);
    std::string out;
    pb::utf8Encode(str->chars, str->length, out);
    char* mem = static_cast<char*>(pb___MemAlloc(out.size() + 1));
    std::memcpy(mem, out.data(), out.size() + 1);
    if (length) *length = PB_INT(out.size());
    return mem;
}

extern "C" PB_EXPORT PB_BOOL pbStringScanBool(PB_STRING* str, PB_INT offset, PB_INT length, PB_INT flags,
                                              PB_BOOL* value, PB_INT* consumed) {
    PB_INT end;
    if (!window(str, offset, length, &end)) return PB_FALSE;
    static const struct { const char* word; PB_BOOL value; } words[] = {
        {"false", 0}, {"true", 1}, {"yes", 1}, {"off", 0}, {"on", 1}, {"no", 0}, {"1", 1}, {"0", 0}};
    for (const auto& w : words) {
        PB_INT n = PB_INT(std::strlen(w.word));
        if (end - offset < n) continue;
        bool match = true;
        for (PB_INT i = 0; i < n && match; ++i) {
            PB_CHAR c = str->chars[offset + i];
            if (flags & PB_STRING_SCAN_BOOL_IGNORE_CASE) c = lower(c);
            match = c == PB_CHAR(w.word[i]);
        }
        if (!match) continue;
        if (value) *value = w.value;
        if (consumed) *consumed = n;
        return PB_TRUE;
    }
    return PB_FALSE;
}

extern "C" PB_EXPORT PB_BOOL pbStringScanInt(PB_STRING* str, PB_INT offset, PB_INT length, PB_INT base,
                                             PB_INT* value, PB_INT* consumed) {
    PB_ASSERT(base == -1 || (base >= 2 && base <= 36));
    PB_INT end;
    if (!window(str, offset, length, &end)) return PB_FALSE;
    PB_INT i = offset;
    bool negative = false;
    if (i < end && (str->chars[i] == '-' || str->chars[i] == '+')) negative = str->chars[i++] == '-';
    if (base == -1) {
        base = 10;
        if (i + 2 < end + 1 && i + 1 < end && str->chars[i] == '0' &&
            (str->chars[i + 1] == 'x' || str->chars[i + 1] == 'X') && i + 2 < end) {
            base = 16;
            i += 2;
        }
    }
    // Accumulate negatively so that PB_INT_MIN scans.
    PB_INT acc = 0;
    PB_INT digits = 0;
    for (; i < end; ++i) {
        PB_CHAR c = str->chars[i];
        PB_INT d = (c >= '0' && c <= '9') ? PB_INT(c - '0')
                 : (c >= 'a' && c <= 'z') ? PB_INT(c - 'a' + 10)
                 : (c >= 'A' && c <= 'Z') ? PB_INT(c - 'A' + 10) : 99;
        if (d >= base) break;
        if (acc < (PB_INT_MIN + d) / base) return PB_FALSE;
        acc = acc * base - d;
        ++digits;
    }
    if (!digits) return PB_FALSE;
    if (!negative && acc == PB_INT_MIN) return PB_FALSE;
    if (value) *value = negative ? acc : -acc;
    if (consumed) *consumed = i - offset;
    return PB_TRUE;
}
