// The application object: exceptions that escape event handlers end in the
// error box, never in Qt's event loop; the edit dialogs are installed.
#include "guidriver.h"

#include <zantoquiller/codedlg.h>
#include <zantoquiller/editdialogs.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/transdlg.h>
#include <zantoquiller/zantoquiller.h>

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

#include <stdexcept>

using namespace Zanto;
using namespace ZantoTest;

namespace {

// A window whose handler of a custom event raises what it is told to.
class ThrowingWidget : public QDialog
{
public:
    static constexpr QEvent::Type Poke = QEvent::User;
    std::function<void()> onPoke;
    int pokes = 0;

    // Queues a Poke, delivered by the event loop.
    void poke() { QCoreApplication::postEvent(this, new QEvent(Poke)); }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != Poke)
            return QDialog::event(event);
        ++pokes;
        onPoke();
        return true;
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private:
    Watchdog watchdog;

private Q_SLOTS:
    void init() { watchdog.start(); }

    void cleanup()
    {
        watchdog.stop();
        QVERIFY2(!watchdog.fired(), "a dialog hung and was closed by the watchdog");
    }

    void theApplicationInstallsTheDialogs() { QVERIFY(editDialogs() != nullptr); }

    void exceptionsFromEventHandlersAreShownAndTheLoopGoesOn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("component error") << 0 << "Invalid Offset! Value must be positive";
        QTest::newRow("conversion error") << 1 << "Invalid character code: 256";
        QTest::newRow("standard exception") << 2 << "out of range";
        QTest::newRow("anything else") << 3 << "Unknown exception";
    }

    void exceptionsFromEventHandlersAreShownAndTheLoopGoesOn()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        ErrorCapture errors;
        ThrowingWidget window;
        window.onPoke = [kind] {
            switch (kind) {
            case 0: {
                TZantoquiller z;
                z.SetOffset(-1);
                break;
            }
            case 1:
                throw EConvertError(QStringLiteral("Invalid character code: 256"));
            case 2:
                throw std::out_of_range("out of range");
            default:
                throw 42;
            }
        };
        window.poke();
        QTRY_COMPARE(errors.messages, QStringList {message});
        window.poke();
        QTRY_COMPARE(window.pokes, 2);
        QCOMPARE(errors.messages.size(), 2);
    }

    void withoutACaptureTheErrorBoxShowsTheMessage()
    {
        ThrowingWidget window;
        window.onPoke = [] {
            throw EInOutError(QStringLiteral("Failed to open port"),
                QStringLiteral("/dev/lp0: Permission denied"));
        };
        QString text;
        QString details;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            details = box->informativeText();
            icon = box->icon();
            clickOn(box->button(QMessageBox::Ok));
        });
        window.poke();
        QTRY_COMPARE(text, QStringLiteral("Failed to open port"));
        QCOMPARE(details, QStringLiteral("/dev/lp0: Permission denied"));
        QCOMPARE(icon, QMessageBox::Critical);
    }

    void handleExceptionWithoutAnExceptionDoesNothing()
    {
        ErrorCapture errors;
        HandleException(nullptr);
        HandleException();
        QVERIFY(errors.messages.isEmpty());
    }

    void theDialogsOpenOnTheScreenCentreWithoutAParent()
    {
        TZantoquiller z;
        QPointer<TTransDlg> seen;
        driveModal<TTransDlg>([&] { z.EditTranslationTable(); },
            [&](TTransDlg *d) {
                seen = d;
                QVERIFY(d->parentWidget() == nullptr);
                const QRect screen = d->screen()->availableGeometry();
                QVERIFY(qAbs(d->frameGeometry().center().x() - screen.center().x()) <= 1);
                QVERIFY(qAbs(d->frameGeometry().center().y() - screen.center().y()) <= 1);
                clickOn(d->findChild<QPushButton *>(QStringLiteral("CancelBtn")));
            });
        QVERIFY(seen.isNull());
    }
};

ZANTO_GUI_TEST_MAIN(TestApplication)
#include "tst_application.moc"
