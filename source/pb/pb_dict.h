/* Dictionaries: immutable-once-shared maps from keys to objects, ordered by
 * key.
 *
 * A key is an integer (IntKey functions) or an object (ObjKey functions);
 * a string key (StringKey functions, or their Cstr forms taking UTF-8) is
 * an object key that is a string, so pbDictStringKey( d, s ) and
 * pbDictObjKey( d, pbStringObj( s ) ) find the same entry. Entries are
 * ordered by key: integer keys first, ascending; then object keys by
 * pbObjCompare (strings among themselves by code point). Positions
 * 0..length-1 follow that order. Lookups and changes are O(log n).
 *
 * Values are objects, never NULL; the dictionary keeps a reference to each
 * key object and value. Mutators take the address of the caller's handle
 * and copy first when another holder shares the dictionary; the copy shares
 * all unchanged parts with the original, so a change costs O(log n) however
 * large the dictionary is. A small dictionary (up to eight entries) is a
 * single allocation, so a mutator that adds or removes an entry may replace
 * even a sole holder's handle, which the mutator updates:
 *
 *     PB_DICT* d = pbDictCreate();
 *     pbDictSetStringKeyCstr( &d, "cs", -1, pbModuleObj( module ) );
 *     pbDictSetIntKey( &d, 7, pbStringObj( name ) );
 *     PB_OBJ* v = pbDictStringKeyCstr( d, "cs", -1 );   // a new reference or NULL
 *     for ( PB_INT i = 0; i < pbDictLength( d ); ++i ) {
 *         PB_OBJ* value = pbDictValueAt( d, i );
 *         ...
 *         pbObjRelease( value );
 *     }
 *     pbObjRelease( v );
 *     pbDictRelease( d );
 *
 * Reading an absent key gives NULL or PB_FALSE; deleting an absent key does
 * nothing. A position outside 0..length-1 stops the process.
 * Dictionaries compare entry by entry in position order (key, then value),
 * then by length; pbDictEquals is true for the same keys with equal values. */
#ifndef PB_DICT_H
#define PB_DICT_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_DICT PB_DICT;

PB_STDFUNCS_DECLARE(pbDict, PB_DICT);

PB_EXPORT PB_DICT* pbDictCreate(void);
/* A dictionary with the entries of source (shares them; O(1)). */
PB_EXPORT PB_DICT* pbDictCreateFrom(PB_DICT* source);

PB_EXPORT PB_INT pbDictLength(PB_DICT* dict);

/* Integer keys. Set replaces the value of an existing key. */
PB_EXPORT void pbDictSetIntKey(PB_DICT** dict, PB_INT key, PB_OBJ* value);
PB_EXPORT PB_OBJ* pbDictIntKey(PB_DICT* dict, PB_INT key);
PB_EXPORT PB_BOOL pbDictHasIntKey(PB_DICT* dict, PB_INT key);
PB_EXPORT void pbDictDelIntKey(PB_DICT** dict, PB_INT key);

/* String keys; the Cstr forms take UTF-8 (length -1: up to the NUL). */
PB_EXPORT void pbDictSetStringKey(PB_DICT** dict, PB_STRING* key, PB_OBJ* value);
PB_EXPORT PB_OBJ* pbDictStringKey(PB_DICT* dict, PB_STRING* key);
PB_EXPORT PB_BOOL pbDictHasStringKey(PB_DICT* dict, PB_STRING* key);
PB_EXPORT void pbDictDelStringKey(PB_DICT** dict, PB_STRING* key);
PB_EXPORT void pbDictSetStringKeyCstr(PB_DICT** dict, const char* key, PB_INT length, PB_OBJ* value);
PB_EXPORT PB_OBJ* pbDictStringKeyCstr(PB_DICT* dict, const char* key, PB_INT length);
PB_EXPORT PB_BOOL pbDictHasStringKeyCstr(PB_DICT* dict, const char* key, PB_INT length);
PB_EXPORT void pbDictDelStringKeyCstr(PB_DICT** dict, const char* key, PB_INT length);

/* Object keys (any sort, strings included). */
PB_EXPORT void pbDictSetObjKey(PB_DICT** dict, PB_OBJ* key, PB_OBJ* value);
PB_EXPORT PB_OBJ* pbDictObjKey(PB_DICT* dict, PB_OBJ* key);
PB_EXPORT PB_BOOL pbDictHasObjKey(PB_DICT* dict, PB_OBJ* key);
PB_EXPORT void pbDictDelObjKey(PB_DICT** dict, PB_OBJ* key);

/* Positional access, 0 <= index < length. pbDictKeyAt gives the key
 * object (a new reference), or NULL when the key is an integer;
 * pbDictIntKeyAt requires an integer key there (pbDictKeyIsIntAt). */
PB_EXPORT PB_BOOL pbDictKeyIsIntAt(PB_DICT* dict, PB_INT index);
PB_EXPORT PB_OBJ* pbDictKeyAt(PB_DICT* dict, PB_INT index);
PB_EXPORT PB_INT pbDictIntKeyAt(PB_DICT* dict, PB_INT index);
PB_EXPORT PB_OBJ* pbDictValueAt(PB_DICT* dict, PB_INT index);
PB_EXPORT void pbDictDelAt(PB_DICT** dict, PB_INT index);

PB_EXPORT void pbDictClear(PB_DICT** dict);

/* For the libraries of this project: the value under key, borrowed, when
 * the caller's handle is the dictionary's only holder and nothing else
 * holds the value or the part of the dictionary that leads to it, so the
 * caller may change the value in place; else NULL. */
PB_EXPORT PB_OBJ* pb___DictSoleValueObjKey(PB_DICT* dict, PB_OBJ* key);

PB_END_DECLS

#endif
