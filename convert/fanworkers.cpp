#include "fanworkers.h"

FanWorkers::FanWorkers(int threads)
{
    for (int i = 1; i < threads; ++i)
        m_helpers.emplace_back([this] { helperLoop(); });
}

FanWorkers::~FanWorkers()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    for (std::thread& helper : m_helpers)
        helper.join();
}

void FanWorkers::run(int items, const std::function<void(int)>& job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_job = &job;
        m_items = items;
        m_next = 0;
        ++m_round;
    }
    if (items > 1)
        m_wake.notify_all();
    work();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_busy == 0; });
    m_job = nullptr;
}

void FanWorkers::work()
{
    for (;;) {
        int item;
        const std::function<void(int)>* job;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_next >= m_items)
                return;
            item = m_next++;
            job = m_job;
        }
        (*job)(item);
    }
}

void FanWorkers::helperLoop()
{
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_quit || (m_round != seen && m_next < m_items); });
        if (m_quit)
            return;
        seen = m_round;
        ++m_busy;
        lock.unlock();
        work();
        lock.lock();
        if (--m_busy == 0)
            m_done.notify_all();
    }
}
