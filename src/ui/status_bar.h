#pragma once

#include <QStatusBar>
#include <QString>
#include <QTime>

#include <functional>

class QLabel;

namespace qm3270 {

// Under the designed client area: the port on the left ("端口：/dev/ttyUSB0（CH340）"),
// on the right the last operation's outcome ("上次：14:03:12 数据传送完毕..."),
// which stays until the next one. A running activity (a continuous write's
// count) may take the right part over; when it ends, the last outcome is back.
class StatusBar : public QStatusBar {
    Q_OBJECT

public:
    using Clock = std::function<QTime()>;

    explicit StatusBar(QWidget* parent = nullptr, Clock clock = &QTime::currentTime);

    void setPortText(const QString& text);
    // An operation ended with `text` (its status text or its message's first line).
    void showOutcome(const QString& text);
    // Shown instead of the outcome until cleared with "".
    void setActivity(const QString& text);

    QString portText() const;
    QString rightText() const;

private:
    void showRight();

    Clock clock_;
    QLabel* port_;
    QLabel* right_;
    QString outcome_;
    QString activity_;
};

}  // namespace qm3270
