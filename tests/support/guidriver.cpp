#include "guidriver.h"

#include <QDialog>

namespace ZantoTest {

void Watchdog::start(int limitMs)
{
    m_fired = false;
    m_timer.disconnect();
    m_timer.setSingleShot(false);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        m_fired = true;
        m_timer.setInterval(100);
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible())
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    m_timer.start(limitMs);
}

void Watchdog::stop()
{
    m_timer.stop();
}

QPointer<QTimer> whenModalOpens(const QMetaObject &type, std::function<void(QWidget *)> action)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, &type, action = std::move(action)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !modal->isActiveWindow() || !type.cast(modal))
            return;
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start();
    return poll;
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = focused();
    QVERIFY2(target, "no widget has the focus");
    QTest::keyClick(target, key, modifiers);
}

void typeText(const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = focused();
        QVERIFY2(target, "no widget has the focus");
        QTest::keyClick(target, c.toLatin1());
    }
}

void clickOn(QWidget *widget, QPoint position)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier,
        position.isNull() ? widget->rect().center() : position);
}

void replaceText(QWidget *edit, const QString &text)
{
    clickOn(edit);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    typeText(text);
}

ErrorCapture::ErrorCapture()
    : m_previous(Zanto::SetErrorSink(
        [this](const QString &message, const QString &) { messages.append(message); }))
{ }

ErrorCapture::~ErrorCapture()
{
    Zanto::SetErrorSink(std::move(m_previous));
}

} // namespace ZantoTest
