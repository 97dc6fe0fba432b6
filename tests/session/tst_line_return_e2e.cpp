// A real line lost and back: qm3270-radio on a pseudo-terminal behind a link,
// stopped (the cable pulled) and started again on the same link (plugged back).

#include "link/port_lister.h"
#include "link/port_selection.h"
#include "link/ready_watch.h"
#include "link/serial_port.h"
#include "radio_process.h"
#include "session/port_keeper.h"
#include "session/port_memory.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qm3270;

namespace {
const QString kRadio = QStringLiteral(QM3270_BINARY_DIR "/src/sim/qm3270-radio");
}

class LineReturnTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pulledAndPluggedBack() {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("radio"));
        const QStringList arguments{QStringLiteral("--link"), link};
        auto radio = std::make_unique<RadioProcess>(kRadio, arguments);
        QVERIFY(!radio->device().isEmpty());

        SerialPort port;
        PortSelection selection(port, &SerialPort::deviceForNumber);
        PortMemory memory(nullptr);
        PortKeeper keeper(selection, systemPortLister(), memory, false);
        keeper.openAtStartUp(link,
                             [](const UserMessage& message) { QFAIL(qPrintable(message.text)); });
        ReadyWatch watch(port, LinkTiming{});
        QSignalSpy ready(&watch, &ReadyWatch::ready);
        QObject::connect(&keeper, &PortKeeper::returned, &watch, &ReadyWatch::start);
        watch.start();
        QTRY_COMPARE(ready.count(), 1);
        QCOMPARE(keeper.statusText(), "端口：" + link);

        radio.reset();
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(keeper.statusText(), "端口：" + link + "（已断开）", 500);
        qInfo("lost after %lld ms", clock.elapsed());

        radio = std::make_unique<RadioProcess>(kRadio, arguments);
        clock.restart();
        QTRY_COMPARE_WITH_TIMEOUT(keeper.statusText(), "端口：" + link, 2000);
        qInfo("back after %lld ms", clock.elapsed());
        QTRY_COMPARE(ready.count(), 2);  // polled again, and the radio answered
    }
};

QTEST_GUILESS_MAIN(LineReturnTest)
#include "tst_line_return_e2e.moc"
