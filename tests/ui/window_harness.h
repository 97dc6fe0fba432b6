#pragma once

#include "channels/channel_store.h"
#include "fake_port.h"
#include "fake_port_lister.h"
#include "timer_firing.h"
#include "ui/channel_grid.h"
#include "ui/main_window.h"
#include "ui_doubles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace qm3270::test {

// One main window over its own store and a fake line, started as the program
// starts it and made the active window, so that keys go where a user's would.
struct WindowHarness {
    explicit WindowHarness(const QString& dbPath = QStringLiteral(":memory:"),
                           LinkTiming timing = LinkTiming{}, QDate today = QDate(2026, 12, 7)) {
        QString error;
        store = ChannelStore::open(dbPath, &error);
        QVERIFY2(store, qPrintable(error));
        MainWindowServices services{
            .store = *store,
            .port = port,
            .messages = messages,
            .files = files,
            .deviceForNumber = [](int number) { return QStringLiteral("COM%1").arg(number); },
            .timing = timing,
            .today = today,
            .explicitPort = std::nullopt,
            .lister = lister};
        window = std::make_unique<MainWindow>(services);
        window->startUp();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename T>
    T* find(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    ChannelGrid* grid() const { return find<ChannelGrid>("DataGrid1"); }
    QComboBox* box(const char* name) const { return find<QComboBox>(name); }
    QAction* action(const char* name) const { return find<QAction>(name); }
    QString field(int row, int column) const {
        return store->record(row)[column].value_or(QStringLiteral("<Null>"));
    }
    void selectRow(int row) const { grid()->setCurrentIndex(grid()->model()->index(row, 1)); }
    void trigger(const char* name) const { action(name)->trigger(); }
    bool fire(const char* timer) const { return fireTimer(window.get(), timer); }

    // Types into a cell through the grid's own editor and presses Enter.
    void typeIntoCell(int row, int column, const QString& text, bool pressEnter = true) const {
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(grid()->indexWidget(index));
        QVERIFY(editor);
        editor->setText(text);
        if (pressEnter) {
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!grid()->indexWidget(index));  // the delegate commits on the next turn
        }
    }

    // A left click on the middle of a cell, as the mouse gives it.
    void clickCell(int row, int column) const {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Keys go to whichever widget has the focus at each key, as typing does.
    static void type(const QString& keys) { QTest::keyClicks(nullptr, keys); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
    }

    std::unique_ptr<ChannelStore> store;
    RecordingPresenter messages;
    ScriptedFileChooser files;
    FakePort port;
    FakePortLister lister;  // nothing plugged in
    std::unique_ptr<MainWindow> window;
};

}  // namespace qm3270::test
