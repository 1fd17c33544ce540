/* Vectors: immutable-once-shared lists of objects.
 *
 * A vector holds objects (never NULL) at positions 0..length-1 and keeps a
 * reference to each. Mutators take the address of the caller's handle and
 * copy first when another holder shares the vector; the copy shares all
 * unchanged parts with the original, so a change costs O(log n) however
 * long the vector is, and a vector that was handed out never changes under
 * its holder. A small vector (up to eight elements) is a single allocation,
 * so a mutator that adds or removes an element may replace even a sole
 * holder's handle, which the mutator updates:
 *
 *     PB_VECTOR* v = pbVectorCreate();
 *     pbVectorAppendObj( &v, pbStringObj( name ) );
 *     PB_VECTOR* snapshot = pbVectorCreateFrom( v );   // O(1)
 *     pbVectorDelAt( &v, 0 );                          // snapshot unchanged
 *     PB_OBJ* first = pbVectorObjAt( snapshot, 0 );    // a new reference
 *     pbObjRelease( first );
 *     pbVectorRelease( snapshot );
 *     pbVectorRelease( v );
 *
 * Positions given to a function must lie in the vector (0 <= index <
 * length; up to length for an insert); anything else stops the process.
 * Vectors compare element by element with pbObjCompare, then by length
 * (a prefix orders first). Reads and positional changes are O(log n). */
#ifndef PB_VECTOR_H
#define PB_VECTOR_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_VECTOR PB_VECTOR;

PB_STDFUNCS_DECLARE(pbVector, PB_VECTOR);

PB_EXPORT PB_VECTOR* pbVectorCreate(void);
/* A vector with the elements of source (shares them; O(1)). */
PB_EXPORT PB_VECTOR* pbVectorCreateFrom(PB_VECTOR* source);

PB_EXPORT PB_INT pbVectorLength(PB_VECTOR* vec);
/* The object at index (a new reference). */
PB_EXPORT PB_OBJ* pbVectorObjAt(PB_VECTOR* vec, PB_INT index);

PB_EXPORT void pbVectorAppendObj(PB_VECTOR** vec, PB_OBJ* obj);
PB_EXPORT void pbVectorPrependObj(PB_VECTOR** vec, PB_OBJ* obj);
/* Inserts obj before index (0 <= index <= length). */
PB_EXPORT void pbVectorInsertObj(PB_VECTOR** vec, PB_INT index, PB_OBJ* obj);
PB_EXPORT void pbVectorSetObjAt(PB_VECTOR** vec, PB_INT index, PB_OBJ* obj);
/* Removes the object at index; later objects move down. */
PB_EXPORT void pbVectorDelAt(PB_VECTOR** vec, PB_INT index);
PB_EXPORT void pbVectorClear(PB_VECTOR** vec);

/* True when every element is of sort (also for an empty vector). */
PB_EXPORT PB_BOOL pbVectorContainsOnly(PB_VECTOR* vec, PB_SORT* sort);
/* The first index whose element equals obj (pbObjCompare), or -1. O(n). */
PB_EXPORT PB_INT pbVectorIndexOfObj(PB_VECTOR* vec, PB_OBJ* obj);

PB_END_DECLS

#endif
