// Text readers: lines written to a stream while the reader listens.
#include "tr/tr_text_reader.h"

#include <mutex>
#include <vector>

#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "tr/tr_module.h"
#include "tr/tr_stream.hpp"
#include "tr/tr_text_reader.hpp"

namespace tr {
struct TextReaderLines {
    std::mutex mutex;                      // guards lines
    std::vector<pb::Ref<PB_STRING>> lines; // guarded by mutex
};
}  // namespace tr

struct TR_TEXT_READER {
    PB_OBJ obj;
    TR_STREAM* stream;               // set once at creation (owned)
    tr::TextReaderLines* collected;  // owned; see its own guards
};

namespace {
void readerFree(PB_OBJ* obj);
}  // namespace

PB_SORT_DEFINE(tr___sort_TR_TEXT_READER, &tr___module, "TR_TEXT_READER", readerFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(trTextReader, TR_TEXT_READER, tr___sort_TR_TEXT_READER)

namespace {

void readerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, tr___sort_TR_TEXT_READER);
    auto* r = reinterpret_cast<TR_TEXT_READER*>(obj);
    // Unregistering waits for a line being delivered to this reader.
    tr::streamDelReader(r->stream, r);
    delete r->collected;
    r->collected = nullptr;
    pb::releaseField(r->stream);
}

}  // namespace

void tr::textReaderDeliver(TR_TEXT_READER* reader, PB_STRING* line) {
    std::lock_guard guard(reader->collected->mutex);
    reader->collected->lines.push_back(pb::retain(line));
}

extern "C" PB_EXPORT TR_TEXT_READER* trTextReaderCreate(TR_STREAM* stream) {
    PB_ASSERT(stream);
    auto* r = reinterpret_cast<TR_TEXT_READER*>(pb___ObjCreate(sizeof(TR_TEXT_READER), &tr___sort_TR_TEXT_READER));
    r->stream = trStreamRetain(stream);
    r->collected = new tr::TextReaderLines();
    tr::streamAddReader(stream, r);
    return r;
}

extern "C" PB_EXPORT TR_STREAM* trTextReaderStream(TR_TEXT_READER* reader) {
    PB_ASSERT(reader);
    return trStreamRetain(reader->stream);
}

extern "C" PB_EXPORT PB_INT trTextReaderLinesCount(TR_TEXT_READER* reader) {
    PB_ASSERT(reader);
    std::lock_guard guard(reader->collected->mutex);
    return PB_INT(reader->collected->lines.size());
}

extern "C" PB_EXPORT PB_STRING* trTextReaderLineAt(TR_TEXT_READER* reader, PB_INT index) {
    PB_ASSERT(reader);
    std::lock_guard guard(reader->collected->mutex);
    PB_ASSERT(index >= 0 && index < PB_INT(reader->collected->lines.size()));
    return pbStringRetain(reader->collected->lines[size_t(index)].get());
}

extern "C" PB_EXPORT void trTextReaderClear(TR_TEXT_READER* reader) {
    PB_ASSERT(reader);
    std::vector<pb::Ref<PB_STRING>> dropped;
    std::lock_guard guard(reader->collected->mutex);
    dropped.swap(reader->collected->lines);
}
