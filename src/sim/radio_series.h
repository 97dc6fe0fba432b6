#pragma once

#include "sim/radio_engine.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <vector>

namespace qm3270 {

class PtyRadio;

// A line of radios on one simulated cable, the way a shop programs a fleet:
// the first radio is switched on at start(); once the program is done with it
// the radio is switched off, and after the swap time the next one is switched
// on, with its own memory and its own faults. After the last one the cable
// stays silent.
//
// The program is done with a radio once the answer to a read that followed a
// complete write has gone out (the verify), or once, after the radio heard
// anything but ready polls, nothing but polls has come for kIdleDone. A radio
// switched off by a fault never answers: it is done kIdleDone after it was
// switched on.
class RadioSeries : public QObject {
    Q_OBJECT

public:
    struct Radio {
        RadioEngine::Faults faults;
        RadioEngine::Frames memory = RadioEngine::unprogrammedMemory();
        QString memoryFile;  // saved after each complete write; empty keeps it in memory
    };

    static constexpr std::chrono::milliseconds kIdleDone{3000};

    RadioSeries(PtyRadio& pty, std::vector<Radio> radios, std::chrono::milliseconds swapTime,
                QObject* parent = nullptr);

    void start();
    int current() const { return current_; }  // 1-based; 0 while none is on

Q_SIGNALS:
    void switchedOn(int number);
    void switchedOff(int number);

private:
    void switchOn();
    void switchOff();
    void heard(const QByteArray& characters);
    void answerSent();

    PtyRadio& pty_;
    std::vector<Radio> radios_;
    QTimer swapTimer_;
    QTimer idleTimer_;
    int current_ = 0;
    int next_ = 1;
    bool written_ = false;      // a complete write reached this radio
    bool justWritten_ = false;  // ... with the characters heard last
    bool verifyAsked_ = false;  // and a read came after it
};

}  // namespace qm3270
