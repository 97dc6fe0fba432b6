#include "app/program_end.h"

#include "channels/channel_store.h"
#include "ui/main_window.h"
#include "ui/quit_when_all_closed.h"

#include <QApplication>

#include <cstdlib>
#include <functional>
#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>
#endif

namespace qm3270 {

namespace {

// The platform's exit() on a lost display unwinds nothing: the store is never
// destroyed, so its pending edit has to be written from here. Only the store is
// touched; an open cell editor would need the display it has just lost.
ChannelStore* storeAtExit = nullptr;

void commitAtExit() {
    if (storeAtExit != nullptr) {
        storeAtExit->commitPending();
    }
}

struct CommitAtExit {
    explicit CommitAtExit(ChannelStore& store) {
        static const bool registered = std::atexit(commitAtExit) == 0;
        if (registered) {
            storeAtExit = &store;
        }
    }
    ~CommitAtExit() { storeAtExit = nullptr; }
    CommitAtExit(const CommitAtExit&) = delete;
    CommitAtExit& operator=(const CommitAtExit&) = delete;
};

#ifdef Q_OS_UNIX

// A signal handler may do next to nothing safely: this one writes one byte
// into a pipe, and the event loop, woken by it, does the rest.
std::array<int, 2> signalPipe{-1, -1};  // read end, write end

void writeSignalNumber(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<char>(number);  // any byte would do
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

class TerminationSignals {
public:
    explicit TerminationSignals(const std::function<void()>& terminate) {
        if (::pipe(signalPipe.data()) != 0) {
            return;  // the signals keep their default action
        }
        for (const int fd : signalPipe) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [terminate] {
                             std::array<char, 16> bytes{};
                             while (::read(signalPipe[0], bytes.data(), bytes.size()) > 0) {
                             }
                             terminate();
                         });
        struct sigaction action {};
        action.sa_handler = writeSignalNumber;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            // A signal ignored by whoever started the program (nohup, a
            // background job) stays ignored.
            ::sigaction(kSignals.at(i), nullptr, &previous_.at(i));
            if (previous_.at(i).sa_handler != SIG_IGN) {
                ::sigaction(kSignals.at(i), &action, nullptr);
            }
        }
    }
    ~TerminationSignals() {
        if (!notifier_) {
            return;
        }
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals.at(i), &previous_.at(i), nullptr);
        }
        notifier_.reset();
        for (int& fd : signalPipe) {
            ::close(fd);
            fd = -1;
        }
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};
    std::array<struct sigaction, 3> previous_{};
    std::unique_ptr<QSocketNotifier> notifier_;
};

#endif

}  // namespace

int runUntilEnd(MainWindow& window, ChannelStore& store) {
    QApplication::setQuitOnLastWindowClosed(false);
    QuitWhenAllClosed quitWhenAllClosed([] { QCoreApplication::quit(); });
    qApp->installEventFilter(&quitWhenAllClosed);

    // Asked to end, the program closes every window. The main window holds out
    // while a write runs and closes when it has ended; the rest follow then.
    bool ending = false;
    const QObject scope;  // no call of the lambdas below outlives this function
    QObject::connect(
        &window, &MainWindow::closed, &scope,
        [&ending] {
            if (ending) {
                QCoreApplication::quit();
            }
        },
        Qt::QueuedConnection);
#ifdef Q_OS_UNIX
    // A display, a trace or a pipe whose other end has gone is an error that
    // the program answers (a lost display ends it through its platform, with
    // the pending edit kept), not a signal that kills it before it can.
    ::signal(SIGPIPE, SIG_IGN);
    const TerminationSignals termination([&ending] {
        ending = true;
        QCoreApplication::quit();
    });
#endif
    const CommitAtExit commitAtExit(store);
    return QApplication::exec();
}

}  // namespace qm3270
