// The text reader's side of line delivery, called by its stream.
#pragma once

#include "tr/tr_text_reader.h"

namespace tr {

// Appends a line to the reader. Called with the stream's lock held, also
// while the reader is being freed and waits for that lock to unregister.
void textReaderDeliver(TR_TEXT_READER* reader, PB_STRING* line);

}  // namespace tr
