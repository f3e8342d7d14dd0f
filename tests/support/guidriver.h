// Driving real windows in Qt Test GUI tests, as a user does: keys go to the
// widget that has the focus, clicks to a widget's centre, and modal dialogs
// and message boxes are handled from inside their own event loop.
#pragma once

#include <zantoquiller/application.h>

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace ZantoTest {

// The main of a GUI test: the project's application object, then the tests.
#define ZANTO_GUI_TEST_MAIN(TestClass)                                                             \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        Zanto::TApplication app(argc, argv);                                                       \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// Guards a test against hanging in a modal loop: once started, it closes
// every dialog still open after the limit (and keeps doing so), and the
// test fails in cleanup() instead of blocking the run.
class Watchdog : public QObject
{
public:
    void start(int limitMs = 30000);
    void stop();
    bool fired() const { return m_fired; }

private:
    QTimer m_timer;
    bool m_fired = false;
};

// Runs action once a widget of type W is the active modal widget and the
// active window. Registered before the step that opens it; polls the event
// loop, so it also runs inside a nested modal loop. Deleting the returned
// timer withdraws the action.
QPointer<QTimer> whenModalOpens(const QMetaObject &type, std::function<void(QWidget *)> action);

template<typename W> QPointer<QTimer> whenModal(std::function<void(W *)> action)
{
    return whenModalOpens(W::staticMetaObject,
        [action = std::move(action)](QWidget *w) { action(static_cast<W *>(w)); });
}

// Runs open() (which shows a modal dialog of type W and waits for it) and,
// inside the dialog's loop, script. A dialog that script leaves open is
// cancelled so that the test goes on. Returns whether script ran.
template<typename W>
bool driveModal(const std::function<void()> &open, std::function<void(W *)> script)
{
    bool ran = false;
    // Withdrawn when open() returns or raises: a dialog that never opened
    // must not meet this script in a later test.
    struct Withdraw
    {
        QPointer<QTimer> poll;
        ~Withdraw() { delete poll.data(); }
    } const pending {whenModal<W>([&ran, script = std::move(script)](W *dialog) {
        ran = true;
        const QPointer<W> guard(dialog);
        script(dialog);
        if (guard && guard->isVisible())
            QMetaObject::invokeMethod(guard, "reject", Qt::QueuedConnection);
    })};
    open();
    return ran;
}

// Keyboard and mouse, as a user.
QWidget *focused();
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types text, one key at a time, into whatever has the focus.
void typeText(const QString &text);
void clickOn(QWidget *widget, QPoint position = QPoint());
// Clicks into a line edit, selects all its text and types text over it.
void replaceText(QWidget *edit, const QString &text);

// Captures the application's error box while alive.
class ErrorCapture
{
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    QStringList messages;

private:
    Zanto::ErrorSink m_previous;
};

} // namespace ZantoTest
