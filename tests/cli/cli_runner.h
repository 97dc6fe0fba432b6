#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs the built qm3270-cli as a shell would and keeps what it said.
struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

// `environment` entries ("NAME=VALUE") replace the test's own.
CliRun runCli(const QStringList& arguments, const QByteArray& input = {},
              const QStringList& environment = {});

// runCli() for a run that may take up to `milliseconds` (runCli waits 30 s).
CliRun runCliFor(const QStringList& arguments, int milliseconds);

// runCli() with at most `bytes` writable into any file, as a disk with that much
// room left allows (`ulimit -f` with SIGXFSZ ignored: the write fails instead).
CliRun runCliWithFileSizeLimit(const QStringList& arguments, long bytes);
