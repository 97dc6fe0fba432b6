#include "channels/channel_store.h"
#include "channels/channel_table_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace qm3270;

namespace {

struct Shown {
    UserMessage message;
    QString cellWhileShown;  // what the edited cell showed while the box was up
};

}  // namespace

class ChannelTableModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QString error;
        store_ = ChannelStore::open(QStringLiteral(":memory:"), &error);
        QVERIFY2(store_, qPrintable(error));
        shown_.clear();
        model_ = std::make_unique<ChannelTableModel>(*store_, [this](const UserMessage& message) {
            shown_.append(
                {message, model_->index(editing_.row(), editing_.column()).data().toString()});
        });
        tester_ = std::make_unique<QAbstractItemModelTester>(
            model_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        tester_.reset();
        model_.reset();
        store_.reset();
    }

    void gridShowsTheStore() {
        const QStringList captions = {QStringLiteral(" 信道号"), QStringLiteral(" 接收频率 (MHz)"),
                                      QStringLiteral(" 发送频率 (MHz)"), QStringLiteral(" 拍频")};
        QCOMPARE(model_->rowCount(), kChannelCount);
        QCOMPARE(model_->columnCount(), kColumnCount);
        for (int column = 0; column < kColumnCount; ++column) {
            QCOMPARE(model_->headerData(column, Qt::Horizontal).toString(), captions.at(column));
        }
        QCOMPARE(model_->index(11, kChannelNumber).data().toString(), QStringLiteral("12"));

        QVERIFY(store_->setField(3, kReceive, std::nullopt));
        QCOMPARE(model_->index(3, kReceive).data(Qt::EditRole).toString(), QString(""));
    }

    void cellEdit_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("receiveBefore");
        QTest::addColumn<QString>("transmitBefore");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("receiveAfter");
        QTest::addColumn<QString>("transmitAfter");
        QTest::addColumn<bool>("message");

        QTest::newRow("new receive replaces transmit") << int(kReceive) << ""
                                                       << "150.00000"
                                                       << "145"
                                                       << "145.00000"
                                                       << "145.00000" << false;
        QTest::newRow("receive out of range empties only receive") << int(kReceive) << "145.00000"
                                                                   << "150.00000"
                                                                   << "600"
                                                                   << ""
                                                                   << "150.00000" << true;
        QTest::newRow("receive cut down onto 5 kHz") << int(kReceive) << ""
                                                     << ""
                                                     << "145.0175"
                                                     << "145.01500"
                                                     << "145.01500" << false;
        QTest::newRow("emptied receive empties transmit") << int(kReceive) << "145.00000"
                                                          << "150.00000"
                                                          << ""
                                                          << ""
                                                          << "" << false;
        QTest::newRow("transmit snapped, receive kept") << int(kTransmit) << "145.00000"
                                                        << ""
                                                        << "145.013"
                                                        << "145.00000"
                                                        << "145.01000" << false;
        QTest::newRow("transmit without receive stays empty") << int(kTransmit) << ""
                                                              << ""
                                                              << "145"
                                                              << ""
                                                              << "" << false;
        QTest::newRow("transmit out of range") << int(kTransmit) << "145.00000"
                                               << "150.00000"
                                               << "500.004"
                                               << "145.00000"
                                               << "" << true;
    }
    void cellEdit() {
        QFETCH(int, column);
        QFETCH(QString, receiveBefore);
        QFETCH(QString, transmitBefore);
        QFETCH(QString, typed);
        QFETCH(QString, receiveAfter);
        QFETCH(QString, transmitAfter);
        QFETCH(bool, message);

        const int row = 6;
        QVERIFY(store_->setField(row, kReceive, receiveBefore));
        QVERIFY(store_->setField(row, kTransmit, transmitBefore));
        QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);

        editing_ = model_->index(row, column);
        QVERIFY(model_->setData(editing_, typed));

        QCOMPARE(model_->index(row, kReceive).data().toString(), receiveAfter);
        QCOMPARE(model_->index(row, kTransmit).data().toString(), transmitAfter);
        QCOMPARE(shown_.size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(shown_.first().message.text, QStringLiteral("数据超出范围 ！！"));
            QCOMPARE(shown_.first().message.title, QStringLiteral("错误警告 "));
            QCOMPARE(shown_.first().cellWhileShown, typed);
        }
        // The grid repaints every cell that changed.
        for (const int cell : {int(kReceive), int(kTransmit)}) {
            const bool moved =
                cell == kReceive ? receiveAfter != receiveBefore : transmitAfter != transmitBefore;
            if (!moved) {
                continue;
            }
            const auto covers = [&](const QList<QVariant>& signal) {
                const auto from = signal.at(0).value<QModelIndex>();
                const auto to = signal.at(1).value<QModelIndex>();
                return from.row() <= row && row <= to.row() && from.column() <= cell &&
                       cell <= to.column();
            };
            QVERIFY(std::any_of(changed.cbegin(), changed.cend(), covers));
        }
        // The edited row is the grid's current row; its edit waits for the row change.
        QCOMPARE(store_->currentRow(), row);
    }

    void channelAndBeatKeepWhatIsTyped_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::newRow("channel number as a word") << int(kChannelNumber) << "七";
        QTest::newRow("beat any text") << int(kBeat) << "ON, maybe";
        QTest::newRow("beat looks like a frequency") << int(kBeat) << "600";
    }
    void channelAndBeatKeepWhatIsTyped() {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QVERIFY(store_->setField(2, kReceive, QStringLiteral("145.00000")));
        QVERIFY(store_->setField(2, kTransmit, QStringLiteral("150.00000")));
        editing_ = model_->index(2, column);
        QVERIFY(model_->setData(editing_, typed));
        QCOMPARE(store_->record(2)[column], Field(typed));
        QCOMPARE(store_->record(2)[kReceive], Field(QStringLiteral("145.00000")));
        QCOMPARE(store_->record(2)[kTransmit], Field(QStringLiteral("150.00000")));
        QVERIFY(shown_.isEmpty());
    }

    void lockedGridRefusesEdits() {
        const QModelIndex cell = model_->index(0, kReceive);
        QVERIFY(model_->flags(cell) & Qt::ItemIsEditable);
        model_->setLocked(true);
        QVERIFY(!(model_->flags(cell) & Qt::ItemIsEditable));
        QVERIFY(!model_->setData(cell, QStringLiteral("145")));
        QCOMPARE(store_->record(0)[kReceive], Field(QString("")));
        QVERIFY(!store_->hasPendingEdit());
        model_->setLocked(false);
        QVERIFY(model_->setData(cell, QStringLiteral("145")));
        QCOMPARE(store_->record(0)[kReceive], Field(QStringLiteral("145.00000")));
    }

    void changesFromElsewhereReachTheGrid() {
        QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);
        QVERIFY(store_->setField(9, kBeat, QStringLiteral("on")));  // a beat pick
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 9);
        QCOMPARE(model_->index(9, kBeat).data().toString(), QStringLiteral("on"));
    }

private:
    std::unique_ptr<ChannelStore> store_;
    std::unique_ptr<ChannelTableModel> model_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
    QList<Shown> shown_;
    QModelIndex editing_;
};

QTEST_GUILESS_MAIN(ChannelTableModelTest)
#include "tst_channel_table_model.moc"
