// The worker thread component: runs in a row, a stop before the lock, failures in the events,
// destroying the owner mid-work, and priorities. The test's own thread plays the user-interface
// thread: posted calls wait in a queue that the test serves in a plain loop.

#include "support/OneThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

constexpr auto kPatience = std::chrono::seconds(10);

// The user-interface thread's queue of posted calls.
class UiLoop {
public:
    TPostToUiThread poster()
    {
        return [this](std::function<void()> call) {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_calls.push_back(std::move(call));
        };
    }

    // Serves posted calls until done() holds; false when it never does.
    template <class Predicate>
    bool serveUntil(Predicate done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::deque<std::function<void()>> calls;
            {
                std::lock_guard<std::mutex> guard(m_mutex);
                calls.swap(m_calls);
            }
            for (auto& call : calls)
                call();
            std::this_thread::yield();
        }
        return true;
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};

// What the events saw, in order, from both threads.
struct Record {
    std::mutex mutex;
    std::vector<std::string> events;
    std::atomic<int> executed{0};
    std::atomic<int> terminated{0};

    void add(const std::string& event)
    {
        std::lock_guard<std::mutex> guard(mutex);
        events.push_back(event);
    }
    std::vector<std::string> snapshot()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return events;
    }
};

std::string text(TThreadData data)
{
    return std::to_string(reinterpret_cast<std::intptr_t>(data));
}

// onTerminate records whether it ran on the thread that plays the user-interface thread.
void recordEvents(TOneThread& component, Record& record)
{
    const std::thread::id ui = std::this_thread::get_id();
    component.onPreStart = [&record](const TThreadList& list, TThreadData& old) {
        record.add("prestart " + std::to_string(list.size()) + " old " + text(old));
    };
    component.onStart = [&record](TThreadData& data) { record.add("start " + text(data)); };
    component.onTerminate = [&record, ui](TAloneThread&) {
        record.add(std::this_thread::get_id() == ui ? "terminate" : "terminate off the ui thread");
        ++record.terminated;
    };
}

TThreadData dataOf(std::intptr_t value)
{
    return reinterpret_cast<TThreadData>(value);
}

}  // namespace

// A second run while the first worker is busy: without NoCreateOnRun the first is stopped and
// waited for (its end reported meanwhile), then a new worker runs with the new data; with it,
// nothing new starts and the running worker sees the new data through its reference.
struct SecondRunCase {
    const char* name;
    bool noCreateOnRun;
    std::vector<std::string> expectedEvents;
};

class SecondRun : public ::testing::TestWithParam<SecondRunCase> {};

TEST_P(SecondRun, StopsOrKeepsTheRunningWorker)
{
    const SecondRunCase& row = GetParam();
    UiLoop ui;
    Record record;
    std::promise<void> secondRunDone;
    std::shared_future<void> afterSecondRun = secondRunDone.get_future().share();
    TOneThread component(ui.poster());
    component.NoCreateOnRun = row.noCreateOnRun;
    recordEvents(component, record);
    component.onExecute = [&](TThreadData& data, TAloneThread& thread) {
        // Bodies never overlap; the count moves only after the event is recorded.
        const int index = record.executed.load() + 1;
        record.add("execute " + std::to_string(index) + " data " + text(data));
        record.executed = index;
        while (index == 1 && !row.noCreateOnRun && !thread.Terminated())
            std::this_thread::yield();
        if (index == 1 && row.noCreateOnRun)
            afterSecondRun.wait();
        record.add("end " + std::to_string(index) + " data " + text(data));
    };

    component.Run(dataOf(1));
    ASSERT_TRUE(ui.serveUntil([&] { return record.executed.load() == 1; }));
    component.Run(dataOf(2));
    secondRunDone.set_value();
    const int workers = row.noCreateOnRun ? 1 : 2;
    ASSERT_TRUE(ui.serveUntil([&] { return record.terminated.load() == workers; }));
    component.StopAndWait();
    EXPECT_EQ(record.snapshot(), row.expectedEvents);
    EXPECT_TRUE(component.Workers().empty());
    EXPECT_EQ(text(component.Data()), "2");
}

INSTANTIATE_TEST_SUITE_P(
    NoCreateOnRun, SecondRun,
    ::testing::Values(SecondRunCase{"Off", false,
                                    {"prestart 0 old 0", "start 1", "execute 1 data 1", "prestart 1 old 1",
                                     "end 1 data 1", "terminate", "start 2", "execute 2 data 2", "end 2 data 2",
                                     "terminate"}},
                      SecondRunCase{"On", true,
                                    {"prestart 0 old 0", "start 1", "execute 1 data 1", "prestart 1 old 1",
                                     "start 2", "end 1 data 2", "terminate"}}),
    [](const ::testing::TestParamInfo<SecondRunCase>& info) { return std::string(info.param.name); });

// A worker stopped while it still waits for the lock skips its work, yet leaves the list and
// reports its end.
TEST(OneThread, StopBeforeTheLockSkipsTheWork)
{
    UiLoop ui;
    Record record;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    TOneThread component(ui.poster());
    recordEvents(component, record);
    component.onExecute = [&](TThreadData&, TAloneThread&) {
        ++record.executed;
        released.wait();  // ignores the stop request: holds the lock until released
    };

    component.Run(nullptr);
    ASSERT_TRUE(ui.serveUntil([&] { return record.executed.load() == 1; }));
    component.Stop(false);
    EXPECT_TRUE(component.Workers().empty());
    component.Run(nullptr);  // waits for the lock
    EXPECT_EQ(component.Workers().size(), 1u);
    component.Stop(false);
    release.set_value();
    ASSERT_TRUE(ui.serveUntil([&] { return record.terminated.load() == 2; }));
    component.StopAndWait();
    EXPECT_EQ(record.executed.load(), 1);
    EXPECT_TRUE(component.Workers().empty());
}

// Failures inside onExecute or onTerminate reach no one; the worker still leaves the list and the
// component runs again.
struct FailureCase {
    const char* name;
    bool executeFails;
    bool terminateFails;
};

class EventFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(EventFailure, IsSwallowedAndTheWorkerLeaves)
{
    const FailureCase& row = GetParam();
    UiLoop ui;
    std::atomic<int> executed{0};
    std::atomic<int> terminated{0};
    TOneThread component(ui.poster());
    component.onExecute = [&](TThreadData&, TAloneThread&) {
        ++executed;
        if (row.executeFails)
            throw std::runtime_error("work failed");
    };
    component.onTerminate = [&](TAloneThread&) {
        ++terminated;
        if (row.terminateFails)
            throw std::runtime_error("report failed");
    };
    for (int run = 1; run <= 2; ++run) {
        component.Run(nullptr);
        ASSERT_TRUE(ui.serveUntil([&] { return terminated.load() == run && component.Workers().empty(); }));
    }
    EXPECT_EQ(executed.load(), 2);
}

INSTANTIATE_TEST_SUITE_P(OneThread, EventFailure,
                         ::testing::Values(FailureCase{"Execute", true, false}, FailureCase{"Terminate", false, true},
                                           FailureCase{"Both", true, true}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.name);
                         });

// Destroying the owner during a long onExecute requests the stop and blocks until the handler has
// returned, serving the handler's calls into the user-interface thread meanwhile (else it would
// deadlock), and delivering onTerminate before it returns.
TEST(OneThread, DestroyingTheOwnerWaitsForTheWork)
{
    UiLoop ui;
    std::atomic<bool> returned{false};
    int servedCalls = 0;  // only touched on this thread
    bool terminated = false;
    auto component = std::make_unique<TOneThread>(ui.poster());
    component->onExecute = [&](TThreadData&, TAloneThread& thread) {
        while (!thread.Terminated())
            thread.Synchronize([&] { ++servedCalls; });
        thread.Synchronize([&] { ++servedCalls; });  // one more after the request
        returned = true;
    };
    component->onTerminate = [&](TAloneThread&) { terminated = true; };
    component->Run(nullptr);
    ASSERT_TRUE(ui.serveUntil([&] { return servedCalls > 0; }));
    const int servedByTheLoop = servedCalls;
    component.reset();  // nothing serves the loop now: only the destructor's wait does
    EXPECT_TRUE(returned.load());
    EXPECT_TRUE(terminated);
    EXPECT_GT(servedCalls, servedByTheLoop);
}

#ifndef _WIN32
// Lowering a worker's priority is always allowed; the level shows as the worker's nice value,
// never above the process's own.
struct PriorityCase {
    const char* name;
    TThreadPriority priority;
    int expectedNice;
};

class Priority : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(Priority, LowersTheWorkersNiceValue)
{
    const PriorityCase& row = GetParam();
    UiLoop ui;
    std::atomic<int> nice{0};
    std::atomic<bool> done{false};
    TOneThread component(ui.poster());
    component.Priority = row.priority;
    component.onExecute = [&](TThreadData&, TAloneThread&) {
        nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
        done = true;
    };
    const int processNice = ::getpriority(PRIO_PROCESS, 0);
    component.Run(nullptr);
    ASSERT_TRUE(ui.serveUntil([&] { return done.load(); }));
    component.StopAndWait();
    EXPECT_EQ(nice.load(), std::max(processNice, row.expectedNice));
}

INSTANTIATE_TEST_SUITE_P(OneThread, Priority,
                         ::testing::Values(PriorityCase{"Normal", TThreadPriority::tpNormal, 0},
                                           PriorityCase{"Lower", TThreadPriority::tpLower, 5},
                                           PriorityCase{"Lowest", TThreadPriority::tpLowest, 10}),
                         [](const ::testing::TestParamInfo<PriorityCase>& info) {
                             return std::string(info.param.name);
                         });
#else
// On Windows every level is the worker thread's priority of the same name.
struct PriorityCase {
    const char* name;
    TThreadPriority priority;
    int expectedLevel;
};

class Priority : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(Priority, SetsTheWorkersThreadPriority)
{
    UiLoop ui;
    std::atomic<int> level{THREAD_PRIORITY_ERROR_RETURN};
    std::atomic<bool> done{false};
    TOneThread component(ui.poster());
    component.Priority = GetParam().priority;
    component.onExecute = [&](TThreadData&, TAloneThread&) {
        level = ::GetThreadPriority(::GetCurrentThread());
        done = true;
    };
    component.Run(nullptr);
    ASSERT_TRUE(ui.serveUntil([&] { return done.load(); }));
    component.StopAndWait();
    EXPECT_EQ(level.load(), GetParam().expectedLevel);
}

INSTANTIATE_TEST_SUITE_P(OneThread, Priority,
    ::testing::Values(PriorityCase{"Idle", TThreadPriority::tpIdle, THREAD_PRIORITY_IDLE},
                      PriorityCase{"Lowest", TThreadPriority::tpLowest, THREAD_PRIORITY_LOWEST},
                      PriorityCase{"Lower", TThreadPriority::tpLower, THREAD_PRIORITY_BELOW_NORMAL},
                      PriorityCase{"Normal", TThreadPriority::tpNormal, THREAD_PRIORITY_NORMAL},
                      PriorityCase{"Higher", TThreadPriority::tpHigher, THREAD_PRIORITY_ABOVE_NORMAL},
                      PriorityCase{"Highest", TThreadPriority::tpHighest, THREAD_PRIORITY_HIGHEST},
                      PriorityCase{"TimeCritical", TThreadPriority::tpTimeCritical, THREAD_PRIORITY_TIME_CRITICAL}),
    [](const auto& info) { return std::string(info.param.name); });
#endif
