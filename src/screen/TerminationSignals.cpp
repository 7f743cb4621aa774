#include "screen/TerminationSignals.h"

#include <csignal>
#include <cstdlib>
#include <sys/signalfd.h>
#include <unistd.h>

namespace voroquarn {

namespace {

sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

TerminationSignals::TerminationSignals()
{
    const sigset_t set = terminationSignals();
    if (sigprocmask(SIG_BLOCK, &set, nullptr) == 0) {
        fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    }
    if (fd_ < 0) {
        // Without a descriptor the signals keep their usual effect.
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
    }
}

TerminationSignals::~TerminationSignals()
{
    notifier_.reset();
    if (fd_ >= 0) {
        close(fd_);
    }
}

void TerminationSignals::watch(std::function<void(int signal)> onSignal)
{
    if (fd_ < 0) {
        return;
    }
    onSignal_ = std::move(onSignal);
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        signalfd_siginfo info{};
        while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (onSignal_) {
                onSignal_(static_cast<int>(info.ssi_signo));
            }
        }
    });
}

void TerminationSignals::endBy(int signal)
{
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);  // only if the signal did not end the program
}

}  // namespace voroquarn
