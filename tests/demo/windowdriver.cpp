#include "windowdriver.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace ZantoTest {

WindowDriver::WindowDriver(Zanto::TMainForm &window) : m_window(window) { }

void WindowDriver::showPage(int index)
{
    auto *tabs = find<QTabWidget>("PageControl1");
    QTabBar *bar = tabs->findChild<QTabBar *>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

int WindowDriver::page() const
{
    return find<QTabWidget>("PageControl1")->currentIndex();
}

void WindowDriver::click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

void WindowDriver::clickItem(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1)
        QTest::qFail(qPrintable(QStringLiteral("no item %1").arg(text)), __FILE__, __LINE__);
    list->setFocus();
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

void WindowDriver::type(QLineEdit *edit, const QString &text)
{
    QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

QString WindowDriver::selectedItem(const QListWidget *list) const
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

QStringList WindowDriver::answeringMessageBoxes(const std::function<void()> &action)
{
    QStringList texts;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&texts] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        texts.append(box->text());
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    action();
    answer.stop();
    return texts;
}

} // namespace ZantoTest
