// Worker threads: work handed to this thread runs here, waiting for a worker that hands work over
// does not lock both, and what a worker raises stays with it.
#include <windows.h>

#include "Threads.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class Counter : public TThread {
public:
    Counter(int rounds, std::vector<DWORD>& threads) : TThread(true), threads_(threads), rounds_(rounds) {}

protected:
    void Execute() override
    {
        for (int i = 0; i < rounds_ && !Terminated(); ++i)
            Synchronize([this] { threads_.push_back(GetCurrentThreadId()); });
    }

private:
    std::vector<DWORD>& threads_;
    int rounds_;
};

class Failing : public TThread {
public:
    Failing() : TThread(false) {}

protected:
    void Execute() override { throw std::runtime_error("kaputt"); }
};

}  // namespace

TEST(Threads, SynchronizedWorkRunsOnThisThreadWhileWeWait)
{
    std::vector<DWORD> threads;
    Counter counter(20, threads);
    EXPECT_FALSE(counter.Finished()) << "made suspended";
    counter.Start();
    counter.WaitFor();   // takes the worker's hand-overs meanwhile
    EXPECT_TRUE(counter.Finished());
    ASSERT_EQ(threads.size(), 20u);
    for (DWORD thread : threads)
        EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST(Threads, AThreadNeverStartedEndsWithoutRunning)
{
    std::vector<DWORD> ran;
    {
        Counter counter(5, ran);
    }   // the destructor would hang, or run the work, if a suspended thread's end were not handled
    EXPECT_TRUE(ran.empty());
}

TEST(Threads, WhatAWorkerRaisesStaysWithIt)
{
    Failing failing;
    failing.WaitFor();
    EXPECT_EQ(failing.FatalError(), "kaputt");
}
