#pragma once
// A component that runs one piece of work at a time on a background thread and reports back on
// the user-interface thread. Plain C++: the application supplies the one function that queues a
// call for its user-interface thread (a queued invocation in the app, a plain queue in tests).

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TAloneThread;
class TOneThread;

// Advisory on Linux, Windows' thread priorities on Windows: see ApplyThreadPriority.
enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The data slot: one untyped pointer-sized value shared by the component and its workers.
using TThreadData = void*;
using TThreadList = std::vector<std::shared_ptr<TAloneThread>>;

using TNotifyThreadEvent = std::function<void(TAloneThread& Sender)>;
using TExecuteEvent = std::function<void(TThreadData& Data, TAloneThread& Thread)>;
using TStartEvent = std::function<void(TThreadData& Data)>;
using TPreStartEvent = std::function<void(const TThreadList& ThreadList, TThreadData& OldData)>;

// Queues a call for the user-interface thread and returns at once; the component does the waiting,
// so that a Stop that waits on that thread can serve the same calls itself.
using TPostToUiThread = std::function<void(std::function<void()>)>;

// Gives the calling thread the nice value or scheduling class closest to the level; raising above
// normal needs privileges the editor rarely has, and is then left at normal. On Windows the level
// goes to SetThreadPriority as the thread priority of the same name. False when not applied.
bool ApplyThreadPriority(TThreadPriority priority);

// Calls that workers hand to the user-interface thread, shared by the component, its workers and
// the calls posted to the application, so that none of them outlives what it touches.
class TUiCallQueue {
public:
    // Runs every queued call; only on the user-interface thread.
    void ServePending();

private:
    friend class TAloneThread;
    friend class TOneThread;

    struct PendingCall {
        std::function<void()> call;
        std::exception_ptr failure;
        bool done = false;
    };

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::shared_ptr<PendingCall>> FCalls;
    // Every worker of the component whose thread has not ended, listed or not.
    std::vector<TAloneThread*> FLive;
};

// The worker: one thread that runs the component's onExecute once, then removes itself from the
// component's list, delivers onTerminate on the user-interface thread and disposes of itself.
class TAloneThread : public std::enable_shared_from_this<TAloneThread> {
public:
    TAloneThread(TOneThread& owner, TThreadPriority priority);
    TAloneThread(const TAloneThread&) = delete;
    TAloneThread& operator=(const TAloneThread&) = delete;

    TOneThread& Owner() const { return FOwner; }
    TThreadPriority Priority() const { return FPriority; }
    // The stop request that the work is expected to honour soon.
    bool Terminated() const { return FTerminated.load(); }
    void Terminate() { FTerminated.store(true); }

    // Runs call on the user-interface thread and waits for it; a failure inside is raised here.
    void Synchronize(const std::function<void()>& call);

private:
    friend class TOneThread;

    // Starts the suspended worker; raises std::system_error when no thread can be made.
    void Start();
    void Body();
    void ThreadMain();

    TOneThread& FOwner;
    TThreadPriority FPriority;
    std::shared_ptr<TUiCallQueue> FQueue;
    std::atomic<bool> FTerminated{false};
};

// The component: owned by its window, runs work through workers that it lists but does not own.
class TOneThread {
public:
    explicit TOneThread(TPostToUiThread postToUi);
    // Stops every worker and waits for it, serving their calls meanwhile.
    ~TOneThread();
    TOneThread(const TOneThread&) = delete;
    TOneThread& operator=(const TOneThread&) = delete;

    TNotifyThreadEvent onTerminate;
    TExecuteEvent onExecute;
    TStartEvent onStart;
    TPreStartEvent onPreStart;
    TThreadPriority Priority = TThreadPriority::tpNormal;
    bool NoCreateOnRun = false;

    void Run(TThreadData data);
    // Asks every listed worker to stop; with wait, also waits until every worker of this component
    // has ended, serving their calls into the user-interface thread meanwhile. Empties the list.
    void Stop(bool wait);
    void StopAndWait() { Stop(true); }

    // The workers that have not removed themselves (a copy).
    TThreadList Workers() const;
    TThreadData Data() const { return FData; }

private:
    friend class TAloneThread;

    void RemoveWorker(const TAloneThread* worker);
    // Waits on the user-interface thread until no worker is alive.
    void WaitForWorkers();

    TPostToUiThread FPostToUi;
    std::shared_ptr<TUiCallQueue> FQueue = std::make_shared<TUiCallQueue>();
    TThreadData FData = nullptr;
    // Serialises the workers' bodies; never taken by the user-interface thread.
    std::mutex FLock;
    // Guards the worker list only, so that Run and Stop never wait for a body.
    mutable std::mutex FListLock;
    TThreadList FWorkers;
};
