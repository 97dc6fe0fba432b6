#include "cli_runner.h"

#include <QProcess>

#include <signal.h>
#include <sys/resource.h>

#include <functional>

namespace {

CliRun run(const QStringList& arguments, const QByteArray& input, const QStringList& environment,
           const std::function<void()>& inChild, int milliseconds = 30000) {
    QProcess process;
    if (inChild) {
        process.setChildProcessModifier(inChild);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    }
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QM3270_BINARY_DIR "/src/cli/qm3270-cli"), arguments);
    CliRun result;
    if (!process.waitForStarted()) {
        result.err = process.errorString();
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(milliseconds) || process.exitStatus() != QProcess::NormalExit) {
        result.err = QStringLiteral("did not finish");
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

}  // namespace

CliRun runCli(const QStringList& arguments, const QByteArray& input,
              const QStringList& environment) {
    return run(arguments, input, environment, {});
}

CliRun runCliFor(const QStringList& arguments, int milliseconds) {
    return run(arguments, {}, {}, {}, milliseconds);
}

CliRun runCliWithFileSizeLimit(const QStringList& arguments, long bytes) {
    // Between fork and exec: both survive the exec, and both are safe to call there.
    return run(arguments, {}, {}, [bytes] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
}
