// The dialogs of a package loaded for a German locale come up translated,
// and in English again once the package is unloaded.
#include "packagetestpaths.h"
#include "tempdir.h"

#include <zantoquiller/codedlg.h>
#include <zantoquiller/editdialogs.h>
#include <zantoquiller/package/packageloader.h>
#include <zantoquiller/package/palette.h>
#include <zantoquiller/transdlg.h>
#include <zantoquiller/zantoquiller.h>

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Zanto;
using namespace ZantoTest;

namespace {

QString editError(TZantoquiller &component)
{
    try {
        component.EditPrinterCodes();
    } catch (const eZantoquillError &error) {
        return error.Message();
    }
    return QStringLiteral("no error");
}

// The host's own edit dialogs: count the edits and confirm them.
class HostDialogs : public EditDialogs
{
public:
    bool editPrinterCodes(TCodeTable &) override { return ++edits > 0; }
    bool editTranslationTable(QByteArrayList &, QByteArrayList &) override { return ++edits > 0; }
    int edits = 0;
};

} // namespace

class PackageDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Loading lets the component print Qt's memo controls. First: once
    // registered, memo types stay registered.
    void loadingLetsTheComponentPrintMemoControls()
    {
        TempDir dir;
        TZantoquiller component;
        component.SetPort(poDisk);
        component.SetOutputFile(dir.filePath(QStringLiteral("memo.prn")));
        QPlainTextEdit memo;
        memo.setPlainText(QStringLiteral("First line\nSecond line"));
        try {
            component.PrintMemo(&memo);
            QFAIL("printed before the package was loaded");
        } catch (const eZantoquillError &error) {
            QCOMPARE(error.Message(), QStringLiteral("Memo type not recognised"));
        }

        auto package = Package::load(zantopackLibrary());
        component.PrintMemo(&memo);
        const QByteArray printed = dir.read(QStringLiteral("memo.prn"));
        QVERIFY2(printed.contains("First line\r\nSecond line\r\n"), printed.constData());
    }

    void dialogsComeUpTranslated()
    {
        auto package = Package::load(zantopackLibrary());
        QVERIFY(!package->translationFile().isEmpty());

        TCodeDlg codes;
        QCOMPARE(codes.windowTitle(), QStringLiteral("Druckersteuercodes"));
        QCOMPARE(codes.findChild<QLabel *>(QStringLiteral("Label7"))->text(),
            QStringLiteral("Druckertyp:"));

        TTransDlg translation;
        QCOMPARE(translation.windowTitle(), QStringLiteral("Zeichenübersetzungstabelle"));
        const auto *add = translation.findChild<QPushButton *>(QStringLiteral("AddButton"));
        QCOMPARE(add->text(), QStringLiteral("Neu"));
        QCOMPARE(add->toolTip(), QStringLiteral("Neue Zeile am Ende anfügen"));
    }

    void dialogsAreEnglishAfterUnloading()
    {
        Package::load(zantopackLibrary()).reset();
        TCodeDlg codes;
        QCOMPARE(codes.windowTitle(), QStringLiteral("Printer Control Codes"));
        TTransDlg translation;
        QCOMPARE(translation.windowTitle(), QStringLiteral("Character Translation Table"));
    }

    // Loading connects the component to the package's dialogs; unloading
    // takes them back.
    void theDialogsAreConnectedWhileThePackageIsLoaded()
    {
        TZantoquiller component;
        const QString notInstalled = QStringLiteral(
            "The edit dialogs are not installed: create a Zanto::TApplication or call "
            "Zanto::installDialogs() first");
        QCOMPARE(editError(component), notInstalled);
        auto package = Package::load(zantopackLibrary());
        QVERIFY(editDialogs() != nullptr);
        package.reset();
        QCOMPARE(editError(component), notInstalled);
    }

    // Dialogs the host put in place stay, during and after the package.
    void theHostsOwnDialogsStay()
    {
        HostDialogs host;
        setEditDialogs(&host);
        TZantoquiller component;
        auto package = Package::load(zantopackLibrary());
        QVERIFY(component.EditPrinterCodes());
        package.reset();
        QVERIFY(component.EditPrinterCodes());
        QCOMPARE(host.edits, 2);
        QCOMPARE(editDialogs(), &host);
        setEditDialogs(nullptr);
    }

    // A component created from the palette opens its dialog, translated.
    void theComponentOpensItsDialogTranslated()
    {
        Palette palette;
        auto package = Package::load(zantopackLibrary());
        package->registerComponents(palette);
        QWidget form;
        QObject *component
            = palette.pages().value(0).classes.value(0)->newInstance(Q_ARG(QObject *, &form));
        QVERIFY(component);

        QString title;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget *dialog = QApplication::activeModalWidget()) {
                title = dialog->windowTitle();
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
                poll.stop();
            }
        });
        poll.start(10);
        QVERIFY(!qobject_cast<TZantoquiller *>(component)->EditPrinterCodes());
        QCOMPARE(title, QStringLiteral("Druckersteuercodes"));
        delete component;
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PackageDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_packagedialogs.moc"
