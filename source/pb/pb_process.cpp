// Processes and the run queue that the worker threads (threaded mode) or
// the clock's driver (manual mode) take them from.
#include "pb/pb_process.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_runtime_clock.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

// A process is in one of these states, all changed under the run-queue
// lock: idle; queued (on the run queue, which then holds a reference);
// running (the runner holds the queue's reference), possibly with "again"
// set when it was scheduled meanwhile; halted (never queued again).
struct PB_PROCESS {
    PB_OBJ obj;
    void (*func)(PB_OBJ* object);  // set once at creation
    PB_OBJ* object;                // set once at creation; not retained
    PB_STRING* name;               // set once at creation
    PB_PROCESS* next;              // run-queue link; guarded by the run-queue lock
    PB_PROCESS* prev;              // run-queue link; guarded by the run-queue lock
    bool queued;                   // guarded by the run-queue lock
    bool running;                  // guarded by the run-queue lock
    bool again;                    // scheduled while running; guarded by the run-queue lock
    bool halted;                   // guarded by the run-queue lock
    std::thread::id runner;        // thread of the current run; guarded by the run-queue lock
};

namespace {

constexpr int workerCount = 2;

struct RunQueue {
    std::mutex lock;                    // the run-queue lock (a leaf, see pb_runtime_clock.hpp)
    std::condition_variable work;       // workers wait here for a queued process or a stop
    std::condition_variable finished;   // halting threads wait here for a run to end
    PB_PROCESS* head = nullptr;         // guarded by lock; oldest queued process
    PB_PROCESS* tail = nullptr;         // guarded by lock
    int haltWaiters = 0;                // guarded by lock; threads waiting on finished
    bool stopping = false;              // guarded by lock; workers leave when set
    std::vector<std::thread> workers;   // guarded by lock; empty when not started
};

// Never destroyed: worker threads may outlive static destruction at exit.
RunQueue& queue() {
    static RunQueue* q = new RunQueue;
    return *q;
}

void push(RunQueue& q, PB_PROCESS* p) {
    p->next = nullptr;
    p->prev = q.tail;
    if (q.tail) q.tail->next = p;
    else q.head = p;
    q.tail = p;
}

void unlink(RunQueue& q, PB_PROCESS* p) {
    if (p->prev) p->prev->next = p->next;
    else q.head = p->next;
    if (p->next) p->next->prev = p->prev;
    else q.tail = p->prev;
    p->next = p->prev = nullptr;
}

// Runs the head of the non-empty queue on the calling thread, with the lock
// held on entry and on return (it is released during the run). Afterwards
// the process is queued again when it was scheduled while it ran; otherwise
// the queue's reference is dropped, here under the lock, which is safe
// because freeing a process takes no lock, and which means that whoever
// sees the run finished also sees the reference gone.
void runHead(RunQueue& q, std::unique_lock<std::mutex>& lock) {
    PB_PROCESS* p = q.head;
    unlink(q, p);
    p->queued = false;
    p->running = true;
    p->runner = std::this_thread::get_id();
    lock.unlock();
    p->func(p->object);
    lock.lock();
    p->running = false;
    p->runner = std::thread::id();
    if (p->again && !p->halted) {
        p->again = false;
        p->queued = true;
        push(q, p);
    } else {
        p->again = false;
        pbObjRelease(&p->obj);
    }
    if (q.haltWaiters > 0) q.finished.notify_all();
}

void workerMain() {
    pb::clockMarkExecutorThread();
    RunQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    for (;;) {
        q.work.wait(lock, [&] { return q.stopping || q.head; });
        if (q.stopping) return;
        runHead(q, lock);
    }
}

void startWorkersLocked(RunQueue& q) {
    if (!q.workers.empty() || q.stopping) return;
    for (int i = 0; i < workerCount; ++i) q.workers.emplace_back(workerMain);
}

PB_STRING* processToString(PB_OBJ* obj) {
    auto* p = reinterpret_cast<PB_PROCESS*>(obj);
    return pbStringCreateFromFormatCstr("<PB_PROCESS %s>", -1, p->name);
}

void processFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_PROCESS, &pb___module, "PB_PROCESS", processFree, nullptr, processToString);
PB_STDFUNCS_DEFINE(pbProcess, PB_PROCESS, pb___sort_PB_PROCESS)

namespace {

// The run queue holds a reference while a process is queued or running, so
// a process being freed is idle or halted.
void processFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_PROCESS);
    auto* p = reinterpret_cast<PB_PROCESS*>(obj);
    pb::releaseField(p->name);
    pb::destroyObject<PB_PROCESS>(obj);
}

}  // namespace

extern "C" PB_EXPORT PB_PROCESS* pb___ProcessCreate(PB_INT flags, void (*func)(PB_OBJ* object), PB_OBJ* object,
                                                    const char* name) {
    PB_ASSERT(flags == 0);
    PB_ASSERT(func);
    auto* p = pb::createObject<PB_PROCESS>(&pb___sort_PB_PROCESS);
    p->func = func;
    p->object = object;
    p->name = pbStringCreateFromCstr(name ? name : "", -1);
    return p;
}

extern "C" PB_EXPORT PB_PROCESS* pbProcessCreate(void (*func)(PB_OBJ* object), PB_OBJ* object, const char* name) {
    return pb___ProcessCreate(0, func, object, name);
}

extern "C" PB_EXPORT void pbProcessSchedule(PB_PROCESS* process) {
    PB_ASSERT(process);
    bool threaded = !pb::clockManual();
    RunQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    if (process->halted || process->queued) return;
    if (process->running) {
        process->again = true;
        return;
    }
    pbObjRetain(&process->obj);
    process->queued = true;
    push(q, process);
    if (!threaded) return;
    startWorkersLocked(q);
    // Wake a worker after leaving the lock, so that it does not wake only
    // to wait for the lock.
    lock.unlock();
    q.work.notify_one();
}

// Marks the process halted, takes it off the run queue, and waits for a run
// in progress on another thread. The caller's reference keeps the process
// alive while it waits.
extern "C" PB_EXPORT void pbProcessHalt(PB_PROCESS* process) {
    PB_ASSERT(process);
    RunQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    process->halted = true;
    process->again = false;
    bool dropQueueRef = process->queued;
    if (process->queued) {
        unlink(q, process);
        process->queued = false;
    }
    if (process->running && process->runner != std::this_thread::get_id()) {
        ++q.haltWaiters;
        q.finished.wait(lock, [&] { return !process->running; });
        --q.haltWaiters;
    }
    lock.unlock();
    if (dropQueueRef) pbObjRelease(&process->obj);
}

extern "C" PB_EXPORT PB_BOOL pbProcessHalted(PB_PROCESS* process) {
    PB_ASSERT(process);
    std::lock_guard<std::mutex> guard(queue().lock);
    return process->halted ? PB_TRUE : PB_FALSE;
}

extern "C" PB_EXPORT PB_STRING* pbProcessName(PB_PROCESS* process) {
    PB_ASSERT(process);
    return pbStringRetain(process->name);
}

namespace pb {

bool processRunNext() {
    RunQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    if (!q.head) return false;
    runHead(q, lock);
    return true;
}

bool processQueueEmpty() {
    RunQueue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    return q.head == nullptr;
}

// Processes still queued stay queued; the workers start again with the next
// schedule in the threaded mode.
void processWorkersStop() {
    RunQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    if (q.workers.empty()) return;
    std::vector<std::thread> workers = std::move(q.workers);
    q.workers.clear();
    q.stopping = true;
    q.work.notify_all();
    lock.unlock();
    for (auto& t : workers) t.join();
    lock.lock();
    q.stopping = false;
}

}  // namespace pb
