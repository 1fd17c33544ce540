/* Objects and sorts: the reference-counted object model of the runtime.
 *
 * Every object starts with a PB_OBJ header: its sort and an atomic 32-bit
 * reference count that is 1 when pb___ObjCreate returns. Whoever drops the
 * count to 0 frees the object; the sort's free function releases what the
 * object holds first. Static objects (sorts, module descriptors) are
 * immortal: retain and release leave them alone.
 *
 * A sort describes a class: its module, its upper-case name, its free
 * function, an optional compare function and an optional string function.
 * Contract of the callbacks: the free function releases every reference the
 * object holds (and nothing else); the compare function is a total order on
 * two objects of its own sort that is 0 exactly for equal values. Objects of
 * a sort without a compare function compare by identity (address order).
 * Objects of different sorts order by sort name, then by sort address. A
 * sort without a string function gives "<SORT_NAME 0x...>".
 *
 * The runtime counts the live objects of every sort; tests use the counts to
 * find leaks (pbSortLiveCount, pbObjLiveTotal).
 *
 * Ownership: a function that returns an object gives the caller a new
 * reference; arguments are borrowed. */
#ifndef PB_OBJ_H
#define PB_OBJ_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

typedef struct PB_OBJ PB_OBJ;
typedef struct PB_SORT PB_SORT;
typedef struct PB_MODULE PB_MODULE;
typedef struct PB_STRING PB_STRING;

/* The callbacks of a sort, called with no lock of the runtime held.
 *
 * Releases every reference the object holds; called once, by the release
 * that drops the last reference (on whichever thread that is), before the
 * memory goes. */
typedef void (*PB_OBJ_FREE_FUNC)(PB_OBJ* obj);
/* Called for two distinct objects of the sort, both borrowed; returns <0,
 * 0 or >0, a total order consistent with equality. */
typedef PB_INT (*PB_OBJ_COMPARE_FUNC)(PB_OBJ* objA, PB_OBJ* objB);
/* Returns a new string that the caller releases; obj is borrowed. */
typedef PB_STRING* (*PB_OBJ_TO_STRING_FUNC)(PB_OBJ* obj);

struct PB_OBJ {
    PB_SORT* sort;   /* set once at creation */
    int32_t refs;    /* atomic reference count; PB___OBJ_REFS_STATIC: immortal */
    int32_t reserved;
};

#define PB___OBJ_REFS_STATIC (-1)

struct PB_SORT {
    PB_OBJ obj;                          /* immortal header */
    PB_MODULE* module;                   /* owning module */
    const char* name;                    /* upper-case name, e.g. "CS_OPTIONS" */
    PB_OBJ_FREE_FUNC freeFunc;           /* may be NULL: the object holds nothing */
    PB_OBJ_COMPARE_FUNC compareFunc;     /* may be NULL: identity order */
    PB_OBJ_TO_STRING_FUNC toStringFunc;  /* may be NULL: "<NAME 0x...>" */
    /* Runtime-owned from here on; zero in a static definition. */
    int64_t liveCount;                   /* atomic: objects alive now */
    PB_SORT* nextSeen;                   /* list of sorts that had objects */
    int32_t seen;                        /* atomic: on that list */
    int32_t reserved;
};

extern PB_EXPORT PB_SORT pb___sort_PB_SORT;

/* Defines a sort descriptor variable (in one source file of its class). */
#define PB_SORT_DEFINE(var, module, name, freeFunc, compareFunc, toStringFunc) \
    PB_SORT var = { { &pb___sort_PB_SORT, PB___OBJ_REFS_STATIC, 0 }, (module), (name), \
                    (freeFunc), (compareFunc), (toStringFunc), 0, NULL, 0, 0 }

/* A new zero-filled object of size bytes (at least sizeof(PB_OBJ)) with a
 * reference count of 1. Running out of memory stops the process. */
PB_EXPORT PB_OBJ* pb___ObjCreate(size_t size, PB_SORT* sort);
/* The same, under the name that modules written outside the runtime use to
 * create objects of their own sorts. */
PB_EXPORT PB_OBJ* pbObjCreate(size_t size, PB_SORT* sort);
/* Runs the sort's free function and returns the memory. Called by the
 * release that brings the count to 0; never directly otherwise. */
PB_EXPORT void pb___ObjFree(PB_OBJ* obj);

/* Adds a reference and returns obj. Precondition: obj not NULL. */
PB_EXPORT PB_OBJ* pbObjRetain(PB_OBJ* obj);
/* Adds a reference unless the last one is already gone, for holders of a
 * pointer that keeps no reference (a weak entry guarded by a lock that
 * the object's free function also takes). Returns PB_FALSE when the count
 * had reached 0: the object is being freed and must not be used once that
 * lock is left. Immortal objects always give PB_TRUE. */
PB_EXPORT PB_BOOL pb___ObjTryRetain(PB_OBJ* obj);
/* Drops a reference; the last one frees the object. NULL is ignored. */
PB_EXPORT void pbObjRelease(PB_OBJ* obj);
/* The current reference count (a snapshot); immortal objects give a large
 * value. Copy-on-write setters copy when it is above 1. */
PB_EXPORT PB_INT pbObjRefCount(PB_OBJ* obj);

PB_EXPORT PB_SORT* pbObjSort(PB_OBJ* obj);
/* Total order over objects: NULL first, identity 0, then sort order, then
 * the sort's compare function or address order. Returns -1, 0 or 1. */
PB_EXPORT PB_INT pbObjCompare(PB_OBJ* objA, PB_OBJ* objB);
PB_EXPORT PB_BOOL pbObjEquals(PB_OBJ* objA, PB_OBJ* objB);
/* The object's string form. Precondition: obj not NULL. */
PB_EXPORT PB_STRING* pbObjToString(PB_OBJ* obj);

PB_EXPORT PB_OBJ* pbSortObj(PB_SORT* sort);
PB_EXPORT PB_SORT* pbSortFrom(PB_OBJ* obj);
/* The sort's name as a new string; pbSortToString gives the same text. */
PB_EXPORT PB_STRING* pbSortName(PB_SORT* sort);
PB_EXPORT const char* pbSortNameCstr(PB_SORT* sort);
PB_EXPORT PB_STRING* pbSortToString(PB_SORT* sort);
PB_EXPORT PB_MODULE* pbSortModule(PB_SORT* sort);

/* Live objects of one sort, and of all sorts together. */
PB_EXPORT PB_INT pbSortLiveCount(PB_SORT* sort);
PB_EXPORT PB_INT pbObjLiveTotal(void);
/* Calls fn for every sort that has ever had an object, newest first. */
PB_EXPORT void pbSortForEachSeen(void (*fn)(PB_SORT* sort, void* context), void* context);

/* Memory that stops the process when it cannot be had. */
PB_EXPORT void* pb___MemAlloc(size_t size);
PB_EXPORT void* pb___MemRealloc(void* ptr, size_t size);
PB_EXPORT void pb___MemFree(void* ptr);

/* Declares the standard operations of a class in a public header:
 * <p>Sort, <p>Obj, <p>From, <p>Retain, <p>Release, <p>Compare, <p>Equals,
 * <p>ToString. The definitions come from PB_STDFUNCS_DEFINE (pb_stdfunc.hpp). */
#define PB_STDFUNCS_DECLARE(p, TYPE) \
    PB_EXPORT PB_SORT* p##Sort(void); \
    PB_EXPORT PB_OBJ* p##Obj(TYPE* obj); \
    PB_EXPORT TYPE* p##From(PB_OBJ* obj); \
    PB_EXPORT TYPE* p##Retain(TYPE* obj); \
    PB_EXPORT void p##Release(TYPE* obj); \
    PB_EXPORT PB_INT p##Compare(TYPE* objA, TYPE* objB); \
    PB_EXPORT PB_BOOL p##Equals(TYPE* objA, TYPE* objB); \
    PB_EXPORT PB_STRING* p##ToString(TYPE* obj)

PB_END_DECLS

#endif
