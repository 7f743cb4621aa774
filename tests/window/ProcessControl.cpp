#include "ProcessControl.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <csignal>
#include <pthread.h>
#include <sched.h>
#include <ctime>
#include <sys/ioctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <linux/sockios.h>
#include <unistd.h>

#include "support/ProcStat.h"

namespace voroquarn::testing {

namespace {

enum class Threads { Stopped, Running, Gone };

// Whether every thread of the process is in one of the states.
Threads threadsOf(qint64 pid, const char* still = "Tt")
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty()) {
        return Threads::Gone;
    }
    Threads all = Threads::Stopped;
    for (const QString& thread : threads) {
        const auto stat = readProcStat(tasks.filePath(thread + "/stat").toStdString());
        if (!stat || stat->state == 'Z' || stat->state == 'X') {
            // A thread that ends (such as one that loaded fonts) is no longer there to
            // stop; the process is gone only with its main thread.
            if (thread.toLongLong() == pid) {
                return Threads::Gone;
            }
            continue;
        }
        if (std::strchr(still, stat->state) == nullptr) {
            all = Threads::Running;
        }
    }
    return all;
}

}  // namespace

std::vector<qint64> descendants()
{
    std::vector<std::pair<qint64, qint64>> parents;  // process, parent
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (const auto stat = isNumber ? readProcStat("/proc/" + entry.toStdString() + "/stat") : std::nullopt) {
            parents.emplace_back(pid, stat->parent);
        }
    }
    std::vector<qint64> found{::getpid()};
    for (std::size_t next = 0; next < found.size(); ++next) {
        for (const auto& [pid, parent] : parents) {
            if (parent == found[next]) {
                found.push_back(pid);
            }
        }
    }
    found.erase(found.begin());
    return found;
}

EndsDescendants::EndsDescendants() : before_(descendants()) {}

EndsDescendants::~EndsDescendants()
{
    const auto startedSince = [this] {
        std::vector<qint64> started;
        for (const qint64 pid : descendants()) {
            if (std::find(before_.begin(), before_.end(), pid) == before_.end()) {
                started.push_back(pid);
            }
        }
        return started;
    };
    const QDeadlineTimer deadline(5000);
    for (std::vector<qint64> left = startedSince(); !left.empty() && !deadline.hasExpired(); left = startedSince()) {
        for (const qint64 pid : left) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
            ::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG);
        }
        QThread::msleep(20);
    }
}

std::optional<ProcessStat> processStat(qint64 pid)
{
    const auto stat = readProcStat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) {
        return std::nullopt;
    }
    return ProcessStat{stat->state, stat->ticks * 1000 / sysconf(_SC_CLK_TCK)};
}

qint64 cpuTimeMs(qint64 pid)
{
    const auto stat = processStat(pid);
    return stat && stat->state != 'Z' && stat->state != 'X' ? stat->cpuMs : -1;
}

bool sleeps(qint64 pid) { return threadsOf(pid, "S") == Threads::Stopped; }

ProcessFreezer::~ProcessFreezer()
{
    if (stopped_) {
        resume();
    }
}

bool ProcessFreezer::stop()
{
    if (::kill(static_cast<pid_t>(pid_), SIGSTOP) != 0) {
        return false;
    }
    stopped_ = true;
    const QDeadlineTimer deadline(5000);
    for (;;) {
        const Threads threads = threadsOf(pid_);
        if (threads != Threads::Running) {
            return threads == Threads::Stopped;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::usleep(100);
    }
}

void ProcessFreezer::resume()
{
    ::kill(static_cast<pid_t>(pid_), SIGCONT);
    stopped_ = false;
}

namespace {

// The calling thread under real-time scheduling for the object's life, where that is
// allowed; the threads and processes it starts meanwhile get the ordinary scheduling.
class RealTimeMeanwhile {
public:
    RealTimeMeanwhile()
    {
        const sched_param priority{10};
        changed_ = pthread_getschedparam(pthread_self(), &policy_, &before_) == 0 &&
                   pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &priority) == 0;
    }
    ~RealTimeMeanwhile()
    {
        if (changed_) {
            pthread_setschedparam(pthread_self(), policy_, &before_);
        }
    }
    RealTimeMeanwhile(const RealTimeMeanwhile&) = delete;
    RealTimeMeanwhile& operator=(const RealTimeMeanwhile&) = delete;

private:
    int policy_ = SCHED_OTHER;
    sched_param before_{};
    bool changed_ = false;
};

}  // namespace

bool ProcessFreezer::runInSlicesUntil(const std::function<bool()>& reached, int timeoutMs, int sliceUs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // The slices end on time only if this thread gets a processor as soon as it wakes,
    // before the program it is meant to stop: where it may (as root), it runs under
    // real-time scheduling meanwhile, which the processes it starts do not inherit.
    const RealTimeMeanwhile realTime;
    while (!deadline.hasExpired()) {
        resume();
        QThread::usleep(static_cast<unsigned long>(sliceUs));
        if (!stop()) {
            resume();
            return false;
        }
        if (reached()) {
            return true;
        }
    }
    resume();
    return false;
}

ThreadHold::ThreadHold(qint64 tid) : tid_(tid)
{
    const auto thread = static_cast<pid_t>(tid);
    // With TRACESYSGOOD a stop at a system call is told apart from a trap; with
    // TRACEEXIT the thread stops once more as it ends, before the process is reaped.
    if (tid <= 0 ||
        ptrace(PTRACE_SEIZE, thread, nullptr,
               reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXIT)) != 0) {
        return;
    }
    // Seized in the middle of its stop, the thread reports that stop to the test and
    // from then on stays still until the test lets it go, whatever signals come.
    if (ptrace(PTRACE_INTERRUPT, thread, nullptr, nullptr) != 0) {
        ptrace(PTRACE_DETACH, thread, nullptr, nullptr);
        return;
    }
    int status = 0;
    if (waitpid(thread, &status, __WALL) != thread || !WIFSTOPPED(status)) {
        ptrace(PTRACE_DETACH, thread, nullptr, nullptr);
        return;
    }
    held_ = true;
}

bool ThreadHold::runUntilItWritesTo(int fd, int timeoutMs)
{
    return runUntilSystemCall(
        [fd](std::uint64_t number, const std::uint64_t* arguments) {
            return (number == SYS_write || number == SYS_writev || number == SYS_sendmsg) &&
                   arguments[0] == static_cast<std::uint64_t>(fd);
        },
        timeoutMs);
}

bool ThreadHold::runUntilItLooksForEvents(int timeoutMs)
{
    // poll(fds, count, 0) as glib calls it, or ppoll as Qt's own dispatcher does.
    return runUntilSystemCall(
        [](std::uint64_t number, const std::uint64_t* arguments) {
            return (number == SYS_poll && arguments[2] == 0) || number == SYS_ppoll;
        },
        timeoutMs);
}

bool ThreadHold::looksForEvents(std::uint64_t number, const std::uint64_t* /*arguments*/)
{
    return number == SYS_poll || number == SYS_ppoll;
}

int ThreadHold::countSystemCallsToTheEnd(const CallFilter& counted, int limit, int timeoutMs)
{
    int count = 0;
    bool ended = false;
    const bool ran = runUntilSystemCall(
        [&](std::uint64_t number, const std::uint64_t* arguments) {
            count += counted(number, arguments) ? 1 : 0;
            return count > limit;
        },
        timeoutMs, &ended);
    release();
    return ran || ended ? count : -1;
}

bool ThreadHold::runUntilSystemCall(const CallFilter& wanted, int timeoutMs)
{
    return runUntilSystemCall(wanted, timeoutMs, nullptr);
}

bool ThreadHold::runUntilSystemCall(const CallFilter& wanted, int timeoutMs, bool* ended)
{
    const auto thread = static_cast<pid_t>(tid_);
    const QDeadlineTimer deadline(timeoutMs);
    long signal = 0;
    while (held_ && !deadline.hasExpired()) {
        // On to the next entry to or exit from a system call, or the next signal.
        if (ptrace(PTRACE_SYSCALL, thread, nullptr, reinterpret_cast<void*>(signal)) != 0) {
            return false;
        }
        signal = 0;
        int status = 0;
        pid_t stopped = 0;
        while ((stopped = waitpid(thread, &status, __WALL | WNOHANG)) == 0) {
            if (deadline.hasExpired()) {
                // Still running, in a system call that waits: bring it to a stop.
                ptrace(PTRACE_INTERRUPT, thread, nullptr, nullptr);
                waitpid(thread, &status, __WALL);
                return false;
            }
            QThread::usleep(100);
        }
        if (stopped != thread || !WIFSTOPPED(status)) {
            held_ = false;  // the thread has ended
            return false;
        }
        if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info call = {};
            if (ptrace(PTRACE_GET_SYSCALL_INFO, thread, reinterpret_cast<void*>(sizeof call), &call) > 0 &&
                call.op == PTRACE_SYSCALL_INFO_ENTRY && wanted(call.entry.nr, call.entry.args)) {
                return true;
            }
        } else if (status >> 16 == PTRACE_EVENT_EXIT) {
            // Ending: leave it held, so that letting go lets it end and the process be
            // reaped by whoever started it.
            if (ended != nullptr) {
                *ended = true;
            }
            return false;
        } else if (status >> 16 != PTRACE_EVENT_STOP) {
            signal = WSTOPSIG(status);  // a signal on its way to the thread: let it through
        }
    }
    return false;
}

void ThreadHold::release()
{
    if (!held_) {
        return;
    }
    held_ = false;
    const auto thread = static_cast<pid_t>(tid_);
    if (ptrace(PTRACE_DETACH, thread, nullptr, nullptr) == 0) {
        return;
    }
    // The thread is no longer stopped: the process is ending, and the thread's end is
    // told to its tracer, which must collect it before the process can be reaped.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        int status = 0;
        const pid_t ended = waitpid(thread, &status, __WALL | WNOHANG);
        if (ended == thread && (WIFEXITED(status) || WIFSIGNALED(status))) {
            return;
        }
        if (ended < 0) {
            return;
        }
        if (ended == thread && WIFSTOPPED(status) && ptrace(PTRACE_DETACH, thread, nullptr, nullptr) == 0) {
            return;
        }
        QThread::msleep(1);
    }
}

XSocketOf::XSocketOf(qint64 pid)
{
    const auto process = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
    if (process < 0) {
        return;
    }
    // The connection is the socket whose other end is an X server's, named after the
    // display's socket in /tmp/.X11-unix (on Linux also in the abstract namespace).
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& name : fds.entryList(QDir::Files | QDir::System)) {
        if (!QFile::symLinkTarget(fds.filePath(name)).contains("socket:")) {
            continue;
        }
        const auto fd = static_cast<int>(syscall(SYS_pidfd_getfd, process, name.toInt(), 0));
        if (fd < 0) {
            continue;
        }
        sockaddr_un peer = {};
        socklen_t length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
            peer.sun_family == AF_UNIX &&
            QByteArray(peer.sun_path, sizeof peer.sun_path).contains(".X11-unix/X")) {
            fd_ = fd;
            descriptorInProcess_ = name.toInt();
            break;
        }
        ::close(fd);
    }
    ::close(process);
}

XSocketOf::~XSocketOf()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QByteArray XSocketOf::unread() const
{
    int waiting = 0;
    if (fd_ < 0 || ioctl(fd_, SIOCINQ, &waiting) != 0 || waiting <= 0) {
        return {};
    }
    QByteArray bytes(waiting, '\0');
    const ssize_t got = recv(fd_, bytes.data(), static_cast<std::size_t>(waiting), MSG_PEEK | MSG_DONTWAIT);
    bytes.truncate(got > 0 ? static_cast<qsizetype>(got) : 0);
    return bytes;
}

}  // namespace voroquarn::testing
