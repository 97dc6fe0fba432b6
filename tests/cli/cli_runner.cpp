#include "cli_runner.h"

#include <QProcess>

CliRun runCli(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(QStringLiteral(QM3270_BINARY_DIR "/src/cli/qm3270-cli"), arguments);
    CliRun run;
    if (!process.waitForStarted()) {
        run.err = process.errorString();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit) {
        run.err = QStringLiteral("did not finish");
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
