// The page's server runs every link call on one thread of its own, one job
// at a time. A request takes the link (a ticket) before it does anything
// that leads to a call, receiving an upload included; a second request while
// one holds it is told who is busy. Each call reports to the event hub.
#ifndef TESSALINK_UI_LINK_WORKER_H
#define TESSALINK_UI_LINK_WORKER_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "event_hub.h"
#include "job_window.h"
#include "request.h"
#include "tessalink.h"

namespace ui {

struct JobInfo {
    uint64_t id = 0;
    std::string kind;  // "list", "get", "put", "delete", "release", "backup", ...
    std::string name;  // the file it is about (UTF-8), if one
    JobProgress progress;
};

// How a call ended, and what its window saw: what the words of a failure
// are made from.
struct CallOutcome {
    int32_t result = KIVO_OK;
    cli::CallWatch watch;
};

class LinkWorker;

// Holds the link for one job from its start to its end.
class JobTicket {
public:
    ~JobTicket();
    JobTicket(const JobTicket &) = delete;
    JobTicket &operator=(const JobTicket &) = delete;

    const JobInfo &Info() const { return m_info; }
    // Whether the job was cancelled (the page's Cancel, or the server stops).
    bool Cancelled() const { return m_cancel.load(); }

    // Applies link (on the link thread) and runs call there with the job's
    // window; waits for it. knownTotal: the bytes of the whole call, when
    // known better than each message; 0 otherwise.
    CallOutcome Run(const cli::LinkSettings &link, uint64_t knownTotal, const std::function<int32_t(KIVO_HWND)> &call);

    // Tells the page how the job ended: code and words ("" for success).
    void Finish(int32_t code, const std::string &message, const std::string &hint);

private:
    friend class LinkWorker;
    JobTicket(LinkWorker &worker, JobInfo info);

    LinkWorker &m_worker;
    JobInfo m_info;
    std::atomic<bool> m_cancel{false};
    bool m_finished = false;
};

class LinkWorker {
public:
    explicit LinkWorker(EventHub &events);
    ~LinkWorker();
    LinkWorker(const LinkWorker &) = delete;
    LinkWorker &operator=(const LinkWorker &) = delete;

    // The link for a job, or null when another job holds it (then busyWith
    // tells which).
    std::unique_ptr<JobTicket> Take(const std::string &kind, const std::string &name, JobInfo &busyWith);

    // Cancels the running job; false when none runs.
    bool Cancel();
    std::optional<JobInfo> Current();

    // Cancels the running job, waits for its call to return and ends the
    // link thread; no job is taken after.
    void Stop();

    // "state": {"busy", "job"} as the events and the status give it.
    std::string StateJson();

private:
    friend class JobTicket;
    void Release(JobTicket &ticket);
    void Progressed(const JobProgress &progress);
    int32_t RunOnLinkThread(const std::function<int32_t()> &call);
    void LinkThread();

    EventHub &m_events;
    std::mutex m_lock;
    std::condition_variable m_changed;
    JobTicket *m_current = nullptr;
    uint64_t m_lastId = 0;
    bool m_stopping = false;
    bool m_threadEnded = false;
    // The one call handed to the link thread, and its result.
    std::function<int32_t()> m_call;
    std::optional<int32_t> m_callResult;
    std::thread m_thread;
};

// A job as JSON: {"id", "kind", "name", "bytes", "total", "waiting"}.
std::string JobJson(const JobInfo &job);

}  // namespace ui

#endif
