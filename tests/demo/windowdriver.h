// Operates the demonstration window the way a user does: clicks on page
// tabs, list items, check boxes and buttons, typing into edits, answering
// message boxes.
#pragma once

#include "mainform.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>

#include <functional>

namespace ZantoTest {

class WindowDriver
{
public:
    explicit WindowDriver(Zanto::TMainForm &window);

    template<typename T> T *find(const char *name) const
    {
        return m_window.findChild<T *>(QString::fromLatin1(name));
    }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QListWidget *list(const char *name) const { return find<QListWidget>(name); }
    QCheckBox *checkBox(const char *name) const { return find<QCheckBox>(name); }

    void showPage(int index);
    int page() const;
    void click(QAbstractButton *button);
    void clickItem(QListWidget *list, const QString &text);
    // Replaces the edit's text by typing; an empty text deletes it.
    void type(QLineEdit *edit, const QString &text);
    QString selectedItem(const QListWidget *list) const;

    // Runs action, answering every message box that opens meanwhile with OK;
    // returns the texts of the boxes in order.
    QStringList answeringMessageBoxes(const std::function<void()> &action);

private:
    Zanto::TMainForm &m_window;
};

} // namespace ZantoTest
