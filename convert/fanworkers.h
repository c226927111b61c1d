#ifndef ROTAVIS_FANWORKERS_H
#define ROTAVIS_FANWORKERS_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs a job for each of n items on the calling thread and on helper threads that live as
// long as this, each item once, and returns when all are done.
class FanWorkers
{
public:
    // `threads` counts the calling thread: 1 runs everything on the caller.
    explicit FanWorkers(int threads);
    ~FanWorkers();
    FanWorkers(const FanWorkers&) = delete;
    FanWorkers& operator=(const FanWorkers&) = delete;

    void run(int items, const std::function<void(int item)>& job);

private:
    void helperLoop();
    void work();

    std::vector<std::thread> m_helpers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(int)>* m_job = nullptr;
    int m_items = 0;
    int m_next = 0;
    int m_busy = 0;       // helpers inside the current round
    unsigned m_round = 0; // bumped for every run()
    bool m_quit = false;
};

#endif
