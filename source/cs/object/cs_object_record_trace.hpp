// The two halves of a record's trace (cs___ObjectRecordTrace). The object
// table makes the record's own stream under its monitor and links the
// object's trace, which runs the sort's trace callback, after leaving it.
#pragma once

#include "cs/object/cs_object_record.h"
#include "tr/tr_anchor.h"
#include "tr/tr_mark.h"
#include "tr/tr_stream.h"

namespace cs {

// A new stream "CS_OBJECT_RECORD" with the record's properties, linked from
// anchor and carrying mark as its explicit mark when they are given.
TR_STREAM* objectRecordTraceStream(CS_OBJECT_RECORD* rec, TR_ANCHOR* anchor, TR_MARK* mark);

// Links the trace of the record's object below stream (anchor kind 12).
void objectRecordTraceLinkObject(CS_OBJECT_RECORD* rec, TR_STREAM* stream);

}  // namespace cs
