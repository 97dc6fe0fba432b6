#include "fake_port.h"

namespace qm3270::test {

FakePort::FakePort(QObject* parent) : Port(parent) {
    clock_.start();
}

bool FakePort::open(const QString& device, PortOpenFailure* failure) {
    openAttempts_ << device;
    drop();
    device_ = device;
    if (const auto refused = refused_.constFind(device); refused != refused_.constEnd()) {
        if (failure != nullptr) {
            *failure = *refused;
        }
        return false;
    }
    open_ = true;
    return true;
}

void FakePort::close() {
    ++closes_;
    drop();
}

void FakePort::drop() {
    open_ = false;
    incoming_.clear();
}

void FakePort::send(const QByteArray& text) {
    if (!open_) {
        return;
    }
    sent_.append({text, clock_.elapsed()});
    if (onSend) {
        onSend(text);
    }
}

QString FakePort::readOne() {
    ++reads_;
    if (!open_ || incoming_.isEmpty()) {
        return {};
    }
    const char c = incoming_.front();
    incoming_.remove(0, 1);
    return QString(QLatin1Char(c));
}

void FakePort::discardInput() {
    ++discards_;
    incoming_.clear();
}

void FakePort::deliver(const QByteArray& text) {
    if (!open_) {
        return;
    }
    incoming_ += text;
    Q_EMIT received();
}

void FakePort::failLine() {
    if (!open_) {
        return;
    }
    drop();
    Q_EMIT failed(QStringLiteral("the device has gone away"));
}

QByteArray FakePort::sentText() const {
    QByteArray all;
    for (const Sent& s : sent_) {
        all += s.text;
    }
    return all;
}

}  // namespace qm3270::test
