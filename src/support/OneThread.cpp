#include "support/OneThread.h"

#include <algorithm>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace {

#if defined(__linux__)
// Nice values for the levels above idle; a thread's nice value is its own on Linux.
constexpr int kNiceLowest = 10;
constexpr int kNiceLower = 5;
constexpr int kNiceNormal = 0;
constexpr int kNiceHigher = -5;
constexpr int kNiceHighest = -10;
constexpr int kNiceTimeCritical = -20;

int niceFor(TThreadPriority priority)
{
    switch (priority) {
    case TThreadPriority::tpLowest: return kNiceLowest;
    case TThreadPriority::tpLower: return kNiceLower;
    case TThreadPriority::tpHigher: return kNiceHigher;
    case TThreadPriority::tpHighest: return kNiceHighest;
    case TThreadPriority::tpTimeCritical: return kNiceTimeCritical;
    default: return kNiceNormal;
    }
}
#endif

} // namespace

bool ApplyThreadPriority(TThreadPriority priority)
{
#if defined(__linux__)
    if (priority == TThreadPriority::tpIdle) {
        // The idle class runs only when nothing else wants the processor, like the idle level.
        sched_param param{};
        return pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0;
    }
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    return ::setpriority(PRIO_PROCESS, tid, niceFor(priority)) == 0;
#elif defined(_WIN32)
    // The levels are Windows' own thread priorities, relative to the process's priority class.
    int level = THREAD_PRIORITY_NORMAL;
    switch (priority) {
    case TThreadPriority::tpIdle: level = THREAD_PRIORITY_IDLE; break;
    case TThreadPriority::tpLowest: level = THREAD_PRIORITY_LOWEST; break;
    case TThreadPriority::tpLower: level = THREAD_PRIORITY_BELOW_NORMAL; break;
    case TThreadPriority::tpNormal: level = THREAD_PRIORITY_NORMAL; break;
    case TThreadPriority::tpHigher: level = THREAD_PRIORITY_ABOVE_NORMAL; break;
    case TThreadPriority::tpHighest: level = THREAD_PRIORITY_HIGHEST; break;
    case TThreadPriority::tpTimeCritical: level = THREAD_PRIORITY_TIME_CRITICAL; break;
    }
    return ::SetThreadPriority(::GetCurrentThread(), level) != 0;
#else
    // Other platforms: the levels are advisory and every worker runs at the normal level.
    return priority == TThreadPriority::tpNormal;
#endif
}

void TUiCallQueue::ServePending()
{
    for (;;) {
        std::shared_ptr<PendingCall> next;
        {
            std::lock_guard<std::mutex> guard(FMutex);
            if (FCalls.empty())
                return;
            next = std::move(FCalls.front());
            FCalls.pop_front();
        }
        try {
            next->call();
        } catch (...) {
            next->failure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> guard(FMutex);
            next->done = true;
        }
        FChanged.notify_all();
    }
}

TAloneThread::TAloneThread(TOneThread& owner, TThreadPriority priority)
    : FOwner(owner), FPriority(priority), FQueue(owner.FQueue)
{
}

void TAloneThread::Synchronize(const std::function<void()>& call)
{
    auto pending = std::make_shared<TUiCallQueue::PendingCall>();
    pending->call = call;
    {
        std::lock_guard<std::mutex> guard(FQueue->FMutex);
        FQueue->FCalls.push_back(pending);
    }
    // Wakes a Stop that is waiting on the user-interface thread, and asks the application's loop.
    FQueue->FChanged.notify_all();
    std::weak_ptr<TUiCallQueue> queue = FQueue;
    try {
        if (FOwner.FPostToUi) {
            FOwner.FPostToUi([queue]() {
                if (auto alive = queue.lock())
                    alive->ServePending();
            });
        }
    } catch (...) {
        // The call stays queued: a Stop that waits still serves it.
    }
    std::unique_lock<std::mutex> lock(FQueue->FMutex);
    FQueue->FChanged.wait(lock, [&pending] { return pending->done; });
    if (pending->failure)
        std::rethrow_exception(pending->failure);
}

void TAloneThread::Start()
{
    auto self = shared_from_this();
    {
        std::lock_guard<std::mutex> guard(FQueue->FMutex);
        FQueue->FLive.push_back(this);
    }
    try {
        std::thread([self]() { self->ThreadMain(); }).detach();
    } catch (...) {
        std::lock_guard<std::mutex> guard(FQueue->FMutex);
        FQueue->FLive.erase(std::remove(FQueue->FLive.begin(), FQueue->FLive.end(), this), FQueue->FLive.end());
        throw;
    }
}

void TAloneThread::Body()
{
    std::lock_guard<std::mutex> guard(FOwner.FLock);
    try {
        if (!Terminated() && FOwner.onExecute)
            FOwner.onExecute(FOwner.FData, *this);
    } catch (...) {
        // The work's failure ends the body quietly.
    }
    FOwner.RemoveWorker(this);
}

void TAloneThread::ThreadMain()
{
    ApplyThreadPriority(FPriority);
    Body();
    if (FOwner.onTerminate) {
        try {
            Synchronize([this]() { FOwner.onTerminate(*this); });
        } catch (...) {
            // A failing onTerminate reaches no one.
        }
    }
    // From here the component may go away: only the shared queue is touched.
    std::shared_ptr<TUiCallQueue> queue = FQueue;
    {
        std::lock_guard<std::mutex> guard(queue->FMutex);
        queue->FLive.erase(std::remove(queue->FLive.begin(), queue->FLive.end(), this), queue->FLive.end());
    }
    queue->FChanged.notify_all();
}

TOneThread::TOneThread(TPostToUiThread postToUi) : FPostToUi(std::move(postToUi))
{
}

TOneThread::~TOneThread()
{
    StopAndWait();
}

void TOneThread::Run(TThreadData data)
{
    if (onPreStart)
        onPreStart(Workers(), FData);
    if (!NoCreateOnRun && !Workers().empty())
        StopAndWait();
    FData = data;
    if (onStart)
        onStart(FData);
    if (NoCreateOnRun && !Workers().empty())
        return;

    auto worker = std::make_shared<TAloneThread>(*this, Priority);
    {
        std::lock_guard<std::mutex> guard(FListLock);
        FWorkers.push_back(worker);
    }
    try {
        worker->Start();
    } catch (...) {
        // No thread: the worker must not stay listed, or NoCreateOnRun would block every later run.
        RemoveWorker(worker.get());
    }
}

void TOneThread::Stop(bool wait)
{
    for (const std::shared_ptr<TAloneThread>& worker : Workers()) {
        if (worker)
            worker->Terminate();
    }
    if (wait)
        WaitForWorkers();
    std::lock_guard<std::mutex> guard(FListLock);
    FWorkers.clear();
}

TThreadList TOneThread::Workers() const
{
    std::lock_guard<std::mutex> guard(FListLock);
    return FWorkers;
}

void TOneThread::RemoveWorker(const TAloneThread* worker)
{
    std::lock_guard<std::mutex> guard(FListLock);
    FWorkers.erase(std::remove_if(FWorkers.begin(), FWorkers.end(),
                                  [worker](const std::shared_ptr<TAloneThread>& w) { return w.get() == worker; }),
                   FWorkers.end());
}

void TOneThread::WaitForWorkers()
{
    // Only the workers alive now: one that a served call starts is not waited for.
    std::vector<TAloneThread*> waited;
    {
        std::lock_guard<std::mutex> guard(FQueue->FMutex);
        waited = FQueue->FLive;
    }
    auto anyAlive = [this, &waited]() {
        for (TAloneThread* worker : waited) {
            if (std::find(FQueue->FLive.begin(), FQueue->FLive.end(), worker) != FQueue->FLive.end())
                return true;
        }
        return false;
    };
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(FQueue->FMutex);
            FQueue->FChanged.wait(lock, [&] { return !FQueue->FCalls.empty() || !anyAlive(); });
            if (FQueue->FCalls.empty())
                return;
        }
        // A worker waits for this call before it can end.
        FQueue->ServePending();
    }
}
