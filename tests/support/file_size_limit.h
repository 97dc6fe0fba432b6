#pragma once

#include <QByteArray>
#include <QString>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

namespace qm3270::test {

// Runs `save` in a child process that may write at most `bytes` into a file,
// as a disk with that much room left would: with SIGXFSZ ignored, the write
// beyond the limit fails with EFBIG instead of killing the child. Tests run as
// root, where neither a read-only folder nor a quota stops a write; this does.
// `save` returns the failure it saw as text, "" for none; that text comes back
// here, or nothing when the child did not finish.
template <typename Save>
std::optional<QString> failureUnderFileSizeLimit(rlim_t bytes, Save save) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(1);
        }
        const QByteArray failure = QString(save()).toUtf8();
        const bool sent = ::write(channel[1], failure.constData(),
                                  static_cast<size_t>(failure.size())) == failure.size();
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray failure;
    char buffer[512];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        failure.append(buffer, count);
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(failure);
}

}  // namespace qm3270::test
