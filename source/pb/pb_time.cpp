// Calendar dates: validation, order and text form.
#include "pb/pb_time.h"

#include "pb/pb_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

struct PB_TIME {
    PB_OBJ obj;
    PB_INT year;  // set once at creation, likewise month and day
    PB_INT month;
    PB_INT day;
};

namespace {

bool validDate(PB_INT y, PB_INT m, PB_INT d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + ((m == 2 && leap) ? 1 : 0);
}

PB_INT dayNumber(PB_TIME* t) { return (t->year * 12 + t->month) * 31 + t->day; }

PB_INT timeCompare(PB_OBJ* a, PB_OBJ* b) {
    PB_INT da = dayNumber(reinterpret_cast<PB_TIME*>(a)), db = dayNumber(reinterpret_cast<PB_TIME*>(b));
    return da < db ? -1 : (da > db ? 1 : 0);
}

PB_STRING* timeToString(PB_OBJ* obj) {
    auto* t = reinterpret_cast<PB_TIME*>(obj);
    return pbStringCreateFromFormatCstr("%04i-%02i-%02i", -1, t->year, t->month, t->day);
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_TIME, &pb___module, "PB_TIME", nullptr, timeCompare, timeToString);
PB_STDFUNCS_DEFINE(pbTime, PB_TIME, pb___sort_PB_TIME)

extern "C" PB_EXPORT PB_TIME* pbTimeCreate(PB_INT year, PB_INT month, PB_INT day) {
    PB_ASSERT(validDate(year, month, day));
    auto* t = reinterpret_cast<PB_TIME*>(pb___ObjCreate(sizeof(PB_TIME), &pb___sort_PB_TIME));
    t->year = year;
    t->month = month;
    t->day = day;
    return t;
}

extern "C" PB_EXPORT PB_TIME* pbTimeTryCreateFromString(PB_STRING* text) {
    PB_ASSERT(text);
    if (pbStringLength(text) != 10) return nullptr;
    const PB_CHAR* c = pbStringBacking(text);
    PB_INT parts[3] = {0, 0, 0};
    static const int starts[] = {0, 5, 8}, lengths[] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < lengths[p]; ++i) {
            PB_CHAR ch = c[starts[p] + i];
            if (ch < '0' || ch > '9') return nullptr;
            parts[p] = parts[p] * 10 + PB_INT(ch - '0');
        }
    }
    if (c[4] != '-' || c[7] != '-' || !validDate(parts[0], parts[1], parts[2])) return nullptr;
    return pbTimeCreate(parts[0], parts[1], parts[2]);
}

extern "C" PB_EXPORT PB_TIME* pbTimeTryCreateFromCstr(const char* text, PB_INT length) {
    PB_ASSERT(text);
    auto s = pb::adopt(pbStringCreateFromCstr(text, length));
    return pbTimeTryCreateFromString(s.get());
}

extern "C" PB_EXPORT PB_INT pbTimeYear(PB_TIME* time) {
    PB_ASSERT(time);
    return time->year;
}

extern "C" PB_EXPORT PB_INT pbTimeMonth(PB_TIME* time) {
    PB_ASSERT(time);
    return time->month;
}

extern "C" PB_EXPORT PB_INT pbTimeDay(PB_TIME* time) {
    PB_ASSERT(time);
    return time->day;
}
