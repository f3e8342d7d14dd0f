// The demonstration window: five pages that show every feature of
// TZantoquiller, and a second print button that prints the same texts the
// ordinary graphics way for comparison.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class QPrintDialog;

namespace Ui {
class TMainForm;
}

namespace Zanto {

class TZantoquiller;

class TMainForm : public QWidget
{
    Q_OBJECT

public:
    // Page indexes of PageControl1.
    enum Page { MemoPage, InvoicePage, SingleLinePage, SetupPage, AboutPage };

    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    TZantoquiller *Zantoquiller1 = nullptr;

    // Shows a modal system dialog (the print dialog, the printer setup dialog)
    // and tells whether the user confirmed it. Tests replace it so that the
    // dialog is answered without a person.
    using SystemDialogRunner = std::function<bool(QPrintDialog &)>;
    void setSystemDialogRunner(SystemDialogRunner runner);

public Q_SLOTS:
    void PageControl1Change();
    void ListBox1Exit();
    void Button5Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button6Click();
    void Button7Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadSetupPage();

    std::unique_ptr<Ui::TMainForm> ui;
    SystemDialogRunner m_runSystemDialog;
};

} // namespace Zanto
