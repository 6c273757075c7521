// The shared pieces other windows build on: the IPv4 address control, the message routine and
// the busy runner.
#include <QAbstractButton>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "core/text/ExtraText.h"
#include "gui/base/Busy.h"
#include "gui/base/MessageBox.h"
#include "gui/base/Texts.h"
#include "gui/widgets/Ipv4Edit.h"
#include "gui/widgets/ReportList.h"

using namespace kvt;
using namespace kvt::gui;

namespace {

// An address control in an active window beside an edit that has the focus first, so that
// the control is entered from outside as a user does.
struct AddressForm {
    QWidget window;
    QLineEdit* outside = new QLineEdit(&window);
    Ipv4Edit* address = new Ipv4Edit(&window);

    explicit AddressForm(const QString& text) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(outside);
        layout->addWidget(address);
        address->setText(text);
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window)) qWarning("form not active");
        outside->setFocus();
    }
    QLineEdit* field(int index) const { return address->fieldEdit(index); }
    QWidget* focus() const { return QApplication::focusWidget(); }
    // Keys go where the focus is, as they do from a keyboard.
    void type(const QString& keys) {
        for (const QChar c : keys) QTest::keyClick(focus(), c.toLatin1());
    }
};

}  // namespace

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

    // Typing a whole address over an existing one, however the control was entered.
    void ipv4TypingOverAnAddress_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("after");
        QTest::newRow("Tab selects the first field; each '.' after an automatic move is swallowed")
            << "10.5.3.4"
            << "tab"
            << "192.168.1.20"
            << "192.168.1.20";
        QTest::newRow("a click into the first field selects its text") << "10.5.3.4"
                                                                       << "click"
                                                                       << "192.168.1.20"
                                                                       << "192.168.1.20";
        QTest::newRow("into an empty control") << ""
                                               << "click"
                                               << "192.168.1.20"
                                               << "192.168.1.20";
        QTest::newRow("a 0 fills its field (no leading zeros), so the next '.' is swallowed")
            << "192.168.100.200"
            << "tab"
            << "10.0.0.5"
            << "10.0.0.5";
        QTest::newRow("a value above 25 fills its field") << "1.2.3.4"
                                                          << "tab"
                                                          << "26.30.7.255"
                                                          << "26.30.7.255";
        QTest::newRow("a digit beyond a full field at its end starts the next field")
            << "192.168.1.1"
            << "end"
            << "10"
            << "192.10.1.1";
        QTest::newRow("'.' at the start of a field is swallowed; a digit there types it over")
            << "1.2.3.4"
            << "start"
            << ".5"
            << "5.2.3.4";
        QTest::newRow("from the start of the third field: not 127.0.120.0") << "127.0.0.12"
                                                                            << "start3"
                                                                            << "127.0.0.14"
                                                                            << "127.0.127.0";
        // As the platform's control: the fields from the entered one take the parts in order,
        // what is left over is dropped, the fields before are not touched.
        QTest::newRow("a whole address typed from the third field fills from there")
            << "127.0.0.12"
            << "click3"
            << "127.0.0.14"
            << "127.0.127.0";
        QTest::newRow("into an empty control from the second field") << ""
                                                                     << "click2"
                                                                     << "10.1.2.3"
                                                                     << "0.10.1.2";
    }
    void ipv4TypingOverAnAddress() {
        QFETCH(QString, before);
        QFETCH(QString, entry);
        QFETCH(QString, keys);
        QFETCH(QString, after);
        AddressForm form(before);
        QLineEdit* first = form.field(0);
        // "click3", "start3": the third field instead of the first.
        if (entry.back().isDigit()) {
            first = form.field(entry.back().digitValue() - 1);
            entry.chop(1);
        }
        if (entry == QLatin1String("tab")) {
            QTest::keyClick(form.outside, Qt::Key_Tab);
        } else if (entry.startsWith(QLatin1String("click"))) {
            // At the right end of the field, where a plain click would leave the cursor.
            QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(first->width() - 2, 5));
        } else {
            first->setFocus(Qt::OtherFocusReason);
            first->setCursorPosition(entry == QLatin1String("end") ? 3 : 0);
        }
        QCOMPARE(form.focus(), first);
        form.type(keys);
        QCOMPARE(form.address->text(), after);
    }

    void ipv4BackspaceAndArrowsCrossFields() {
        AddressForm form(QStringLiteral("192.168.1.20"));
        form.field(2)->setFocus();
        form.field(2)->setCursorPosition(0);
        QTest::keyClick(form.focus(), Qt::Key_Backspace);  // goes back, deletes nothing
        QCOMPARE(form.focus(), form.field(1));
        QCOMPARE(form.field(1)->cursorPosition(), 3);
        QCOMPARE(form.address->text(), QStringLiteral("192.168.1.20"));
        QTest::keyClick(form.focus(), Qt::Key_Backspace);  // inside a field: an ordinary delete
        QCOMPARE(form.address->text(), QStringLiteral("192.16.1.20"));
        QTest::keyClick(form.focus(), Qt::Key_Left);
        QTest::keyClick(form.focus(), Qt::Key_Left);
        QCOMPARE(form.focus(), form.field(1));
        QTest::keyClick(form.focus(), Qt::Key_Left);
        QCOMPARE(form.focus(), form.field(0));
        QCOMPARE(form.field(0)->cursorPosition(), 3);
        QTest::keyClick(form.focus(), Qt::Key_Right);
        QCOMPARE(form.focus(), form.field(1));
        QCOMPARE(form.field(1)->cursorPosition(), 0);
        // Backspace in the first field has nowhere to go.
        form.field(0)->setFocus();
        form.field(0)->setCursorPosition(0);
        QTest::keyClick(form.focus(), Qt::Key_Backspace);
        QCOMPARE(form.focus(), form.field(0));
        QCOMPARE(form.address->text(), QStringLiteral("192.16.1.20"));
    }

    // Ctrl+V into a field whose text is selected.
    void ipv4Paste_data() {
        QTest::addColumn<int>("into");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("after");
        const QString kept = QStringLiteral("192.168.1.20");
        QTest::newRow("a whole address fills all four fields") << 0 << "10.0.0.5"
                                                               << "10.0.0.5";
        QTest::newRow("from any field") << 2 << "10.0.0.5"
                                        << "10.0.0.5";
        QTest::newRow("white space and a line end around it are ignored") << 3 << " 10.0.0.5\r\n"
                                                                          << "10.0.0.5";
        QTest::newRow("leading zeros read as decimal") << 1 << "010.001.000.099"
                                                       << "10.1.0.99";
        QTest::newRow("junk: three parts are refused") << 0 << "10.0.0" << kept;
        QTest::newRow("junk: a part above 255") << 0 << "10.0.0.256" << kept;
        QTest::newRow("junk: a word after it") << 0 << "10.0.0.5 x" << kept;
        QTest::newRow("junk: letters") << 0 << "a.b.c.d" << kept;
        QTest::newRow("a number without a dot goes into the field") << 3 << "7"
                                                                    << "192.168.1.7";
        QTest::newRow("junk: a number that is no octet") << 3 << "300" << kept;
        QTest::newRow("junk: four digits are not cut to three") << 3 << "1234" << kept;
    }
    void ipv4Paste() {
        QFETCH(int, into);
        QFETCH(QString, clipboard);
        QFETCH(QString, after);
        AddressForm form(QStringLiteral("192.168.1.20"));
        QGuiApplication::clipboard()->setText(clipboard);
        form.field(into)->setFocus();
        form.field(into)->selectAll();
        QTest::keyClick(form.focus(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.address->text(), after);
    }

    // The context menu's Paste takes the same rule as Ctrl+V.
    void ipv4PasteFromTheMenu() {
        AddressForm form(QStringLiteral("192.168.1.20"));
        QSignalSpy changed(form.address, &Ipv4Edit::fieldChanged);
        QGuiApplication::clipboard()->setText(QStringLiteral("10.0.0.5"));
        QLineEdit* field = form.field(1);
        field->setFocus();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                    field->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(field, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* paste = nullptr;
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
        QVERIFY(paste);
        paste->trigger();
        menu->close();
        QCOMPARE(form.address->text(), QStringLiteral("10.0.0.5"));
        QVERIFY(changed.count() >= 4);  // the pages store on these
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
