#pragma once

#include <QObject>

#include <functional>

namespace qm3270 {

// Ends the program when the last of its windows has closed. Qt's own rule
// ignores windows that belong to another (the port dialog belongs to the main
// window), and would end the program with the dialog still on screen.
// Install once on the application, after QApplication::setQuitOnLastWindowClosed(false).
class QuitWhenAllClosed : public QObject {
    Q_OBJECT

public:
    explicit QuitWhenAllClosed(std::function<void()> quit, QObject* parent = nullptr);

    static bool anyWindowOpen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();

    std::function<void()> quit_;
    bool checkQueued_ = false;
};

}  // namespace qm3270
