#include "link/traced_port.h"

namespace qm3270 {

TracedPort::TracedPort(Port& inner, QObject* parent) : Port(parent), inner_(inner) {
    connect(&inner_, &Port::received, this, [this] {
        takeWaiting();
        if (!waiting_.isEmpty()) {
            Q_EMIT received();
        }
    });
    connect(&inner_, &Port::failed, this, [this](const QString& reason) {
        waiting_.clear();
        Q_EMIT failed(reason);
    });
}

bool TracedPort::openTrace(const QString& path, QString* error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error != nullptr) {
            *error = file_.errorString();
        }
        return false;
    }
    clock_.start();
    return true;
}

bool TracedPort::open(const QString& device, PortOpenFailure* failure) {
    waiting_.clear();
    return inner_.open(device, failure);
}

void TracedPort::close() {
    waiting_.clear();
    inner_.close();
}

bool TracedPort::isOpen() const {
    return inner_.isOpen();
}

QString TracedPort::device() const {
    return inner_.device();
}

void TracedPort::send(const QByteArray& text) {
    trace(u'>', QString::fromLatin1(text));
    inner_.send(text);
}

QString TracedPort::readOne() {
    if (waiting_.isEmpty()) {
        takeWaiting();  // arrived without a word from the inner port
    }
    if (waiting_.isEmpty()) {
        return {};
    }
    QString first = waiting_.left(1);
    waiting_.remove(0, 1);
    return first;
}

int TracedPort::waitingCount() const {
    return static_cast<int>(waiting_.size()) + inner_.waitingCount();
}

void TracedPort::discardInput() {
    // The characters a transfer throws away (a late poll answer, an echo) are
    // often the very ones a bug report is about.
    takeWaiting();
    waiting_.clear();
    inner_.discardInput();
}

bool TracedPort::outputDrained() const {
    return inner_.outputDrained();
}

void TracedPort::takeWaiting() {
    QString burst;
    while (inner_.waitingCount() > 0) {
        const QString c = inner_.readOne();
        if (c.isEmpty()) {
            break;
        }
        burst += c;
    }
    if (!burst.isEmpty()) {
        trace(u'<', burst);
        waiting_ += burst;
    }
}

QString TracedPort::traceLine(qint64 milliseconds, QChar direction, QStringView characters) {
    QString line = QString::number(milliseconds) + u' ' + direction + u' ';
    for (const QChar c : characters) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\') {
            line += c;
        } else {
            line += QStringLiteral("\\x") +
                    QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
        }
    }
    return line;
}

void TracedPort::trace(QChar direction, QStringView characters) {
    if (!file_.isOpen()) {
        return;
    }
    // Written and flushed line by line: the trace of a run that crashes or
    // hangs is there up to its last burst.
    const QByteArray line = (traceLine(clock_.elapsed(), direction, characters) + u'\n').toLatin1();
    if (file_.write(line) != line.size() || !file_.flush()) {
        const QString reason = file_.errorString();
        file_.close();
        Q_EMIT traceFailed(reason);
    }
}

}  // namespace qm3270
