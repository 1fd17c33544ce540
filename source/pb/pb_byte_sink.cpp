// Byte sinks on a buffer or on a file descriptor, with sticky errors.
#include "pb/pb_byte_sink.h"

#include <cerrno>
#include <mutex>
#include <unistd.h>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_stdfunc.hpp"

struct PB_BYTE_SINK {
    PB_OBJ obj;
    std::mutex lock;
    PB_BUFFER* buffer = nullptr;  // buffer sink: collected bytes; guarded by lock
    int fd = -1;                  // file sink: owned descriptor; set once at creation
    bool error = false;           // guarded by lock
};

namespace {

void sinkFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_BYTE_SINK);
    auto* sink = reinterpret_cast<PB_BYTE_SINK*>(obj);
    pb::releaseField(sink->buffer);
    if (sink->fd >= 0) ::close(sink->fd);
    sink->fd = -1;
    pb::destroyObject<PB_BYTE_SINK>(obj);
}

bool writeAll(int fd, const uint8_t* p, PB_INT n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, size_t(n));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= PB_INT(w);
    }
    return true;
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_BYTE_SINK, &pb___module, "PB_BYTE_SINK", sinkFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbByteSink, PB_BYTE_SINK, pb___sort_PB_BYTE_SINK)

extern "C" PB_EXPORT PB_BYTE_SINK* pbByteSinkCreateWithBuffer(void) {
    auto* sink = pb::createObject<PB_BYTE_SINK>(&pb___sort_PB_BYTE_SINK);
    sink->buffer = pbBufferCreate();
    return sink;
}

extern "C" PB_EXPORT PB_BYTE_SINK* pb___ByteSinkCreateWithFd(int fd) {
    PB_ASSERT(fd >= 0);
    auto* sink = pb::createObject<PB_BYTE_SINK>(&pb___sort_PB_BYTE_SINK);
    sink->fd = fd;
    return sink;
}

extern "C" PB_EXPORT void pbByteSinkWrite(PB_BYTE_SINK* sink, const void* bytes, PB_INT length) {
    PB_ASSERT(sink);
    PB_ASSERT(bytes || length == 0);
    PB_ASSERT(length >= 0);
    std::lock_guard guard(sink->lock);
    if (sink->error || length == 0) return;
    if (sink->buffer) pbBufferAppendBytes(&sink->buffer, bytes, length);
    else if (!writeAll(sink->fd, static_cast<const uint8_t*>(bytes), length)) sink->error = true;
}

extern "C" PB_EXPORT void pbByteSinkWriteBuffer(PB_BYTE_SINK* sink, PB_BUFFER* buffer) {
    PB_ASSERT(buffer);
    pbByteSinkWrite(sink, pbBufferBacking(buffer), pbBufferLength(buffer));
}

extern "C" PB_EXPORT void pbByteSinkFlush(PB_BYTE_SINK* sink) {
    PB_ASSERT(sink);
    std::lock_guard guard(sink->lock);
    if (!sink->error && sink->fd >= 0 && ::fsync(sink->fd) != 0) sink->error = true;
}

extern "C" PB_EXPORT PB_BOOL pbByteSinkError(PB_BYTE_SINK* sink) {
    PB_ASSERT(sink);
    std::lock_guard guard(sink->lock);
    return sink->error;
}

extern "C" PB_EXPORT PB_BUFFER* pbByteSinkBuffer(PB_BYTE_SINK* sink) {
    PB_ASSERT(sink);
    std::lock_guard guard(sink->lock);
    return sink->buffer ? pbBufferRetain(sink->buffer) : nullptr;
}

extern "C" PB_EXPORT void pb___ByteSinkInjectError(PB_BYTE_SINK* sink) {
    PB_ASSERT(sink);
    std::lock_guard guard(sink->lock);
    sink->error = true;
}
