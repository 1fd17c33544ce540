// Stream operations shared with the anchor and text reader sources.
#pragma once

#include "tr/tr_stream.h"
#include "tr/tr_text_reader.h"

namespace tr {

// Records a link from 'from' to 'to' with kind and annotation (may be
// NULL) on 'from', and tells the sink. The link keeps 'to' alive unless
// 'to' already reaches 'from' through links, so streams never keep
// themselves alive.
void streamLink(TR_STREAM* from, TR_STREAM* to, PB_INT kind, PB_STRING* annotation);

// Text readers register while they live; the stream holds them weakly and
// hands them each line under its lock.
void streamAddReader(TR_STREAM* stream, TR_TEXT_READER* reader);
void streamDelReader(TR_STREAM* stream, TR_TEXT_READER* reader);

}  // namespace tr
