// Paths and whole-file operations; atomic replacement of files.
#include "pb/pb_path.h"

#include <atomic>
#include <mutex>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "pb/pb_random.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_store_encoding.hpp"
#include "pb/pb_string.h"

namespace {

// Injected failures per step: the next calls that pass, then the calls
// that fail. anyInjected keeps the check off the lock while no test uses it.
std::mutex injectedMutex;
std::atomic<bool> anyInjected{false};
PB_INT passStep[PB___PATH_FILE_STEP_COUNT];  // guarded by injectedMutex
PB_INT failStep[PB___PATH_FILE_STEP_COUNT];  // guarded by injectedMutex

std::string utf8(PB_STRING* s) {
    PB_INT n = 0;
    char* c = pbStringConvertToCstr(s, &n);
    std::string out(c, size_t(n));
    pb___MemFree(c);
    return out;
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

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Claims one injected failure of the step, if one is due; errno is then
// EIO as after a failed system call.
bool injected(int step) {
    if (!anyInjected.load(std::memory_order_acquire)) return false;
    std::lock_guard<std::mutex> guard(injectedMutex);
    if (passStep[step] > 0) {
        --passStep[step];
        return false;
    }
    if (failStep[step] == 0) return false;
    --failStep[step];
    errno = EIO;
    return true;
}

bool syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = !injected(PB___PATH_FILE_STEP_SYNC_FOLDER) && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

extern "C" PB_EXPORT void pbPathAppendComponentFilename(PB_STRING** path, PB_STRING* filename) {
    PB_ASSERT(path);
    PB_ASSERT(*path);
    PB_ASSERT(filename);
    PB_INT n = pbStringLength(filename);
    PB_ASSERT(n > 0 && pbStringFindChar( filename, 0, '/' ) < 0 && pbStringFindChar( filename, 0, 0 ) < 0);
    PB_ASSERT(!pbStringEqualsCstr( filename, ".", -1 ) && !pbStringEqualsCstr( filename, "..", -1 ));
    PB_INT len = pbStringLength(*path);
    if (len > 0 && pbStringCharAt(*path, len - 1) != '/') pbStringAppendChar(path, '/');
    pbStringAppend(path, filename);
}

extern "C" PB_EXPORT PB_BUFFER* pbPathFileReadBuffer(PB_STRING* path) {
    PB_ASSERT(path);
    int fd = ::open(utf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    PB_BUFFER* buffer = pbBufferCreate();
    uint8_t chunk[65536];
    const bool readFails = injected(PB___PATH_FILE_STEP_READ);  // once per file
    for (;;) {
        ssize_t r = readFails ? -1 : ::read(fd, chunk, sizeof chunk);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            pbBufferRelease(buffer);
            buffer = nullptr;
            break;
        }
        if (r == 0) break;
        pbBufferAppendBytes(&buffer, chunk, PB_INT(r));
    }
    ::close(fd);
    return buffer;
}

extern "C" PB_EXPORT PB_STORE* pbPathFileReadStore(PB_STRING* path, PB_STORE_HEADER** header) {
    PB_ASSERT(path);
    if (header) *header = nullptr;
    // A file beyond the decoder's bound is refused before it is read.
    struct stat st;
    if (::stat(utf8(path).c_str(), &st) == 0 && st.st_size > PB_STORE_ENCODING_MAX_BYTES) return nullptr;
    auto buffer = pb::adopt(pbPathFileReadBuffer(path));
    if (!buffer) return nullptr;
    return pb::storeTryDecodeReleasing(std::move(buffer), header);
}

extern "C" PB_EXPORT PB_BOOL pbPathFileWriteBuffer(PB_STRING* path, PB_BUFFER* buffer) {
    PB_ASSERT(path);
    PB_ASSERT(buffer);
    std::string target = utf8(path);
    std::string temp = target + ".tmp-" + std::to_string(::getpid()) + "-" +
                       std::to_string(pbRandomNonNegativeIntRange(0, PB_INT_MAX));
    // Files may hold private data: they are the owner's alone, and a file
    // whose mode was narrowed further keeps the narrower mode.
    mode_t mode = 0600;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) mode &= st.st_mode;
    if (injected(PB___PATH_FILE_STEP_OPEN)) return PB_FALSE;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return PB_FALSE;
    bool ok = ::fchmod(fd, mode) == 0;
    // An injected write failure comes after half the bytes, as a full disk.
    bool writeFails = injected(PB___PATH_FILE_STEP_WRITE);
    PB_INT length = pbBufferLength(buffer);
    ok = ok && writeAll(fd, pbBufferBacking(buffer), writeFails ? length / 2 : length) && !writeFails;
    ok = ok && !injected(PB___PATH_FILE_STEP_SYNC) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && !injected(PB___PATH_FILE_STEP_RENAME) && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return PB_FALSE;
    }
    // The rename is durable once the folder is synced; the new content is
    // in place either way.
    syncFolder(folderOf(target));
    return PB_TRUE;
}

extern "C" PB_EXPORT PB_BOOL pbPathFileDelete(PB_STRING* path) {
    PB_ASSERT(path);
    std::string p = utf8(path);
    return ::unlink(p.c_str()) == 0 || errno == ENOENT;
}

extern "C" PB_EXPORT PB_BOOL pbPathFileExists(PB_STRING* path) {
    PB_ASSERT(path);
    struct stat st;
    return ::stat(utf8(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

extern "C" PB_EXPORT PB_BYTE_SINK* pbPathFileOpenByteSink(PB_STRING* path) {
    PB_ASSERT(path);
    int fd = ::open(utf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    return pb___ByteSinkCreateWithFd(fd);
}

extern "C" PB_EXPORT void pb___PathFileFailStep(PB_INT step, PB_INT pass, PB_INT count) {
    PB_ASSERT(step >= 0 && step < PB___PATH_FILE_STEP_COUNT);
    PB_ASSERT(pass >= 0);
    PB_ASSERT(count >= 0);
    std::lock_guard<std::mutex> guard(injectedMutex);
    passStep[step] = pass;
    failStep[step] = count;
    bool any = false;
    for (int i = 0; i < PB___PATH_FILE_STEP_COUNT; ++i) any = any || failStep[i] > 0;
    anyInjected.store(any, std::memory_order_release);
}

extern "C" PB_EXPORT void pb___PathFileFailNextWrites(PB_INT count) {
    PB_ASSERT(count >= 0);
    pb___PathFileFailStep(PB___PATH_FILE_STEP_RENAME, 0, count);
}

extern "C" PB_EXPORT void pb___PathFileFailWritesAfter(PB_INT pass, PB_INT count) {
    PB_ASSERT(pass >= 0);
    PB_ASSERT(count >= 0);
    pb___PathFileFailStep(PB___PATH_FILE_STEP_RENAME, pass, count);
}
