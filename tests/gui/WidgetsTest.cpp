// The shared pieces other windows build on: the IPv4 address control, the message routine and
// the busy runner.
#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "core/text/ExtraText.h"
#include "gui/app/Busy.h"
#include "gui/app/MessageBox.h"
#include "gui/app/Texts.h"
#include "gui/widgets/Ipv4Edit.h"
#include "gui/widgets/ReportList.h"

using namespace kvt;
using namespace kvt::gui;

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void ipv4Text_data() {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::newRow("plain") << "192.168.1.20"
                               << "192.168.1.20" << false;
        QTest::newRow("empty clears") << ""
                                      << "0.0.0.0" << true;
        QTest::newRow("missing fields read 0") << "10.1"
                                               << "10.1.0.0" << false;
        QTest::newRow("out of range stays empty") << "300.1.2.256"
                                                  << "0.1.2.0" << false;
        QTest::newRow("garbage") << "a.b.c.d"
                                 << "0.0.0.0" << true;
        QTest::newRow("leading zeros") << "010.001.0.7"
                                       << "10.1.0.7" << false;
    }
    void ipv4Text() {
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(bool, blank);
        Ipv4Edit edit;
        edit.setText(QStringLiteral("1.2.3.4"));  // setText replaces every field
        edit.setText(set);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.isBlank(), blank);
    }

    void ipv4TypingKeepsOctetsInRange() {
        Ipv4Edit edit;
        edit.show();
        QApplication::setActiveWindow(&edit);
        QVERIFY(QTest::qWaitForWindowActive(&edit));
        QSignalSpy changed(&edit, &Ipv4Edit::fieldChanged);
        QLineEdit* first = edit.fieldEdit(0);
        first->setFocus();
        QTest::keyClicks(first, QStringLiteral("256"));  // the 6 is refused
        QCOMPARE(first->text(), QStringLiteral("25"));
        QTest::keyClick(first, Qt::Key_Period);  // a dot moves on
        QCOMPARE(QApplication::focusWidget(), edit.fieldEdit(1));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("168"));
        QCOMPARE(edit.fieldEdit(1)->text(), QStringLiteral("168"));
        // Three digits complete an octet: the next field takes the keys.
        QCOMPARE(QApplication::focusWidget(), edit.fieldEdit(2));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
        QCOMPARE(edit.text(), QStringLiteral("25.168.7.0"));
        QVERIFY(changed.count() >= 3);
        QCOMPARE(changed.last().at(0).toInt(), 2);

        edit.setEnabled(false);
        for (int i = 0; i < 4; ++i) QVERIFY(!edit.fieldEdit(i)->isEnabled());
        edit.setField(3, 9);
        QCOMPARE(edit.field(3), 9);
    }

    void columnWidthsFollowTheFont() {
        QTableWidget list;
        // At the product's small font the widths are its own.
        QFont small = list.font();
        small.setPixelSize(8);
        list.setFont(small);
        QCOMPARE(scaledColumnWidth(&list, 115), 115);
        QCOMPARE(scaledColumnWidth(&list, 40), 40);
        // A large font widens all columns alike, enough for a MAC address.
        QFont large = list.font();
        large.setPixelSize(24);
        list.setFont(large);
        const int mac = scaledColumnWidth(&list, 115);
        QVERIFY(list.fontMetrics().horizontalAdvance(QStringLiteral("00-00-00-00-00-00")) < mac);
        QVERIFY(std::abs(scaledColumnWidth(&list, 230) - 2 * mac) <= 1);
    }

    void messagesCarryTheCaptionAndCanBeAnswered() {
        {
            MessageBoxRecorder boxes;
            boxes.answerNext(MessageBox::Answer::No);
            QCOMPARE(MessageBox::show(nullptr, 15002, MessageBox::Buttons::YesNo),
                     MessageBox::Answer::No);
            // Without a queued answer: the first button.
            QCOMPARE(MessageBox::show(nullptr, 199), MessageBox::Answer::Ok);
            QCOMPARE(MessageBox::show(nullptr, kMsgSaveFailed, MessageBox::Buttons::YesNo),
                     MessageBox::Answer::Yes);
            QCOMPARE(boxes.ids(), (std::vector<std::uint32_t>{15002, 199, kMsgSaveFailed}));
            QCOMPARE(boxes.shown()[0].text, QStringLiteral("是否复位远程设备?"));
            QCOMPARE(boxes.shown()[2].text,
                     QString::fromStdString(messageTextUtf8(kMsgSaveFailed)));
            QVERIFY(!boxes.shown()[2].text.isEmpty());
        }
        // A real box (the recorder is gone): it has the caption, whatever raised it.
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            caption = box->windowTitle();
            box->button(QMessageBox::Ok)->click();
        });
        QCOMPARE(MessageBox::show(nullptr, 200), MessageBox::Answer::Ok);
        QCOMPARE(caption, QStringLiteral("KVT-640"));
    }

    void busyRunnerKeepsTheLoopRunningAndWaitsForTheWork() {
        QWidget owner;
        std::atomic<bool> release{false};
        int ticks = 0;
        QTimer timer;
        timer.setInterval(5);
        // Timers still run during the work: the window repaints; the timer lets the work end.
        connect(&timer, &QTimer::timeout, [&] {
            if (++ticks == 3) release = true;
        });
        timer.start();
        bool workThreadDiffers = false;
        const auto uiThread = std::this_thread::get_id();
        runBusy(&owner, [&] {
            workThreadDiffers = std::this_thread::get_id() != uiThread;
            for (int i = 0; i < 2000 && !release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        QVERIFY(workThreadDiffers);
        QVERIFY(release);
        QVERIFY(ticks >= 3);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // A quick work (done before the loop starts) still returns.
        int done = 0;
        runBusy(nullptr, [&] { ++done; });
        QCOMPARE(done, 1);

        bool caught = false;
        try {
            runBusy(&owner, [] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
        QVERIFY(caught);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
