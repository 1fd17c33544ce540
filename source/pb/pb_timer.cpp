// Timers and the timer queue that the timer thread (threaded mode) or the
// clock's driver (manual mode) fires them from.
#include "pb/pb_timer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "pb/pb_cxxobj.hpp"
#include "pb/pb_module.h"
#include "pb/pb_process.h"
#include "pb/pb_runtime_clock.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"

struct PB_TIMER {
    PB_OBJ obj;
    PB_PROCESS* process;          // set once at creation; retained, or NULL
    PB_SIGNAL* signal;            // set once at creation; retained, or NULL
    void (*func)(void* context);  // set once at creation, or NULL
    void* context;                // set once at creation
    bool scheduled;               // on the timer queue; guarded by the timer-queue lock
    PB_INT due;                   // due time while scheduled; guarded by the timer-queue lock
    uint64_t seq;                 // schedule order while scheduled; guarded by the timer-queue lock
};

namespace {

// Queue entries order by due time, then by the order of scheduling.
struct Entry {
    PB_INT due;
    uint64_t seq;
    PB_TIMER* timer;
    bool operator<(const Entry& other) const {
        return due != other.due ? due < other.due : seq < other.seq;
    }
};

// The queue holds no references: a timer whose last reference goes away
// takes itself off the queue in its free function. Until it has done so,
// the queue's pointer stays valid only while the lock is held, so the
// timer is fired with a reference taken under the lock, if it can still be
// taken (pb___ObjTryRetain).
struct TimerQueue {
    std::mutex lock;                  // the timer-queue lock (a leaf, see pb_runtime_clock.hpp)
    std::condition_variable changed;  // the timer thread waits here for an earlier timer or a stop
    std::set<Entry> entries;          // guarded by lock
    uint64_t nextSeq = 0;             // guarded by lock
    bool stopping = false;            // guarded by lock; the timer thread leaves when set
    std::thread thread;               // guarded by lock; not joinable when not started
};

// Never destroyed: the timer thread may outlive static destruction at exit.
TimerQueue& queue() {
    static TimerQueue* q = new TimerQueue;
    return *q;
}

void unscheduleLocked(TimerQueue& q, PB_TIMER* t) {
    if (!t->scheduled) return;
    q.entries.erase(Entry{t->due, t->seq, t});
    t->scheduled = false;
}

PB_TIMER* takeDueLocked(TimerQueue& q, PB_INT limit, PB_INT* due) {
    while (!q.entries.empty() && q.entries.begin()->due <= limit) {
        Entry e = *q.entries.begin();
        q.entries.erase(q.entries.begin());
        e.timer->scheduled = false;
        if (pb___ObjTryRetain(&e.timer->obj)) {
            *due = e.due;
            return e.timer;
        }
    }
    return nullptr;
}

// Fires due timers until stopped, sleeping until the earliest due time or a
// change of the queue. Waits are capped so that a far-off due time cannot
// overflow the wait's deadline.
void timerThreadMain() {
    pb::clockMarkExecutorThread();
    TimerQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    while (!q.stopping) {
        if (q.entries.empty()) {
            q.changed.wait(lock);
            continue;
        }
        PB_INT now = pb::clockNow();
        PB_INT first = q.entries.begin()->due;
        if (first > now) {
            PB_INT wait = std::min<PB_INT>(first - now, 60 * 1000);
            q.changed.wait_for(lock, std::chrono::milliseconds(wait));
            continue;
        }
        PB_INT due = 0;
        PB_TIMER* t = takeDueLocked(q, now, &due);
        if (!t) continue;
        lock.unlock();
        pb::timerFire(t);
        pbObjRelease(&t->obj);
        lock.lock();
    }
}

void scheduleAt(PB_TIMER* t, PB_INT due) {
    bool threaded = !pb::clockManual();
    TimerQueue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    unscheduleLocked(q, t);
    t->due = due;
    t->seq = q.nextSeq++;
    t->scheduled = true;
    q.entries.insert(Entry{t->due, t->seq, t});
    if (threaded) {
        if (!q.thread.joinable() && !q.stopping) q.thread = std::thread(timerThreadMain);
        if (q.entries.begin()->timer == t) q.changed.notify_one();
    }
}

void timerFree(PB_OBJ* obj);

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_TIMER, &pb___module, "PB_TIMER", timerFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbTimer, PB_TIMER, pb___sort_PB_TIMER)

namespace {

void timerFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_TIMER);
    auto* t = reinterpret_cast<PB_TIMER*>(obj);
    {
        TimerQueue& q = queue();
        std::lock_guard<std::mutex> guard(q.lock);
        unscheduleLocked(q, t);
    }
    pb::releaseField(t->process);
    pb::releaseField(t->signal);
    pb::destroyObject<PB_TIMER>(obj);
}

PB_TIMER* create() { return pb::createObject<PB_TIMER>(&pb___sort_PB_TIMER); }

}  // namespace

extern "C" PB_EXPORT PB_TIMER* pbTimerCreateWithProcess(PB_PROCESS* process) {
    PB_ASSERT(process);
    PB_TIMER* t = create();
    t->process = pbProcessRetain(process);
    return t;
}

extern "C" PB_EXPORT PB_TIMER* pbTimerCreateWithSignal(PB_SIGNAL* signal) {
    PB_ASSERT(signal);
    PB_TIMER* t = create();
    t->signal = pbSignalRetain(signal);
    return t;
}

extern "C" PB_EXPORT PB_TIMER* pbTimerCreateWithCallback(void (*func)(void* context), void* context) {
    PB_ASSERT(func);
    PB_TIMER* t = create();
    t->func = func;
    t->context = context;
    return t;
}

extern "C" PB_EXPORT void pbTimerSchedule(PB_TIMER* timer, PB_INT ms) {
    PB_ASSERT(timer);
    PB_ASSERT(ms >= 0);
    PB_INT now = pb::clockNow();
    PB_ASSERT(PB_INT_ADD_OK(now, ms));
    scheduleAt(timer, now + ms);
}

extern "C" PB_EXPORT void pbTimerScheduleAt(PB_TIMER* timer, PB_INT timestamp) {
    PB_ASSERT(timer);
    scheduleAt(timer, timestamp);
}

extern "C" PB_EXPORT void pbTimerUnschedule(PB_TIMER* timer) {
    PB_ASSERT(timer);
    TimerQueue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    unscheduleLocked(q, timer);
}

extern "C" PB_EXPORT PB_BOOL pbTimerScheduled(PB_TIMER* timer) {
    PB_ASSERT(timer);
    TimerQueue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    return timer->scheduled ? PB_TRUE : PB_FALSE;
}

namespace pb {

PB_TIMER* timerTakeDue(PB_INT limit, PB_INT* due) {
    TimerQueue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    return takeDueLocked(q, limit, due);
}

void timerFire(PB_TIMER* timer) {
    if (timer->process) pbProcessSchedule(timer->process);
    else if (timer->signal) pbSignalAssert(timer->signal);
    else timer->func(timer->context);
}

bool timerQueueEmpty() {
    TimerQueue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    return q.entries.empty();
}

void timerThreadStop() {
    TimerQueue& q = queue();
    std::unique_lock<std::mutex> lock(q.lock);
    if (!q.thread.joinable()) return;
    std::thread thread = std::move(q.thread);
    q.stopping = true;
    q.changed.notify_all();
    lock.unlock();
    thread.join();
    lock.lock();
    q.stopping = false;
}

}  // namespace pb
