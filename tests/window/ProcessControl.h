#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace voroquarn::testing {

// What /proc tells of a process: its state letter (R, S, T, Z, ...) and the processor
// time it has used so far, user and system, in milliseconds. A process that has ended
// but is not yet waited for keeps both, with state Z.
struct ProcessStat {
    char state = '?';
    qint64 cpuMs = 0;
};
std::optional<ProcessStat> processStat(qint64 pid);

// The processor time a running process has used so far, in milliseconds; -1 once it
// has ended.
qint64 cpuTimeMs(qint64 pid);

// Whether every thread of the process sleeps, waiting for something: none runs or waits
// for a processor.
bool sleeps(qint64 pid);

// Ends, when it goes, every process below the test's own that was started while it
// lived and is still there: those the test started, those they started, and those that
// came to the test as orphans (with PR_SET_CHILD_SUBREAPER), also when they run as
// another user. Each is killed by its id and, where it is the test's child, collected.
// For a test whose processes start others, so that a failing assertion leaves nothing
// running; declared before any QProcess of the test, it goes after them, and takes only
// what they leave.
class EndsDescendants {
public:
    EndsDescendants();
    ~EndsDescendants();
    EndsDescendants(const EndsDescendants&) = delete;
    EndsDescendants& operator=(const EndsDescendants&) = delete;

private:
    std::vector<qint64> before_;  // there already, such as the window manager
};

// The processes below the test's own, nearest first.
std::vector<qint64> descendants();

// Holds a process still and lets it go again, with SIGSTOP and SIGCONT.
//
// The program draws a whole diagram in a fraction of a second, too fast to act on its
// window reliably while it draws. Letting it run in short slices, and looking at its
// window while it stands still in between, catches it at a chosen point of the drawing;
// whatever the test then does to the window waits, like any event, until the program
// runs again and reads it.
class ProcessFreezer {
public:
    explicit ProcessFreezer(qint64 pid) : pid_(pid) {}
    ~ProcessFreezer();
    ProcessFreezer(const ProcessFreezer&) = delete;
    ProcessFreezer& operator=(const ProcessFreezer&) = delete;

    // Stops the process; returns once every one of its threads stands still, or false
    // when it is gone or does not stop.
    bool stop();
    void resume();

    // Lets the process run for sliceUs microseconds at a time, stopping it after each
    // slice, until `reached` holds; `reached` is asked only while the process stands
    // still. Returns true with the process stopped, or false (with it running) when it
    // ends or the time runs out first. The test diagram's whole drawing takes about
    // 6 ms of processor time, so a slice is a small part of it; the slices end on time
    // however busy the machine is where the calling thread may take real-time
    // scheduling meanwhile (as root).
    bool runInSlicesUntil(const std::function<bool()>& reached, int timeoutMs, int sliceUs = 300);

private:
    qint64 pid_;
    bool stopped_ = false;
};

// Holds a single thread of a process still, under ptrace, while the others go on. The
// program draws on its main thread (whose id is the process id), while a thread of
// Qt's reads the events from the X server: holding one of them and letting the other run
// decides which of the two sees something first.
class ThreadHold {
public:
    // Takes hold of the thread; call it with the process stopped by a ProcessFreezer,
    // which may then resume the other threads.
    explicit ThreadHold(qint64 tid);
    ~ThreadHold() { release(); }
    ThreadHold(const ThreadHold&) = delete;
    ThreadHold& operator=(const ThreadHold&) = delete;

    bool isHeld() const { return held_; }
    // Lets the held thread run until it is about to make a system call that `wanted`
    // picks by its number and arguments, and holds it there; false when that does not
    // happen within the time.
    using CallFilter = std::function<bool(std::uint64_t number, const std::uint64_t* arguments)>;
    bool runUntilSystemCall(const CallFilter& wanted, int timeoutMs);
    // Runs it until it is about to write to the file descriptor `fd`.
    bool runUntilItWritesTo(int fd, int timeoutMs);
    // Runs it until it is about to look for events without waiting, as Qt's event
    // dispatcher does in every QCoreApplication::processEvents: in the middle of
    // handling events, outside any library call of libxcb's.
    bool runUntilItLooksForEvents(int timeoutMs);
    // Lets the held thread run on to the end of the process, counting the system calls
    // `counted` picks, and lets go of it at its end; stops counting and lets go once
    // the count passes `limit`. Returns the count, or -1 when the process has not ended
    // within the time.
    int countSystemCallsToTheEnd(const CallFilter& counted, int limit, int timeoutMs);
    // Whether a system call looks for events, waiting or not.
    static bool looksForEvents(std::uint64_t number, const std::uint64_t* arguments);

    // Lets the thread run on; if the process was killed meanwhile, collects the thread's
    // end, which the kernel reports to the test as the thread's tracer.
    void release();

private:
    bool runUntilSystemCall(const CallFilter& wanted, int timeoutMs, bool* ended);

    qint64 tid_;
    bool held_ = false;
};

// The process's end of its connection to the X server, duplicated into the test, to see
// what waits in it unread. Looking takes nothing away from the process.
class XSocketOf {
public:
    explicit XSocketOf(qint64 pid);
    ~XSocketOf();
    XSocketOf(const XSocketOf&) = delete;
    XSocketOf& operator=(const XSocketOf&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The number of the connection's descriptor in the process.
    int descriptorInProcess() const { return descriptorInProcess_; }
    // The bytes the X server has sent that the process has not read yet.
    QByteArray unread() const;

private:
    int fd_ = -1;
    int descriptorInProcess_ = -1;
};

}  // namespace voroquarn::testing
