// The seam through which the component opens its edit dialogs.
#include <zantoquiller/editdialogs.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

using namespace Zanto;

namespace {

// Edits like a user who changes one value and confirms (or cancels).
class ScriptedDialogs : public EditDialogs
{
public:
    bool confirm = true;
    const TCodeTable *codesSeen = nullptr;
    const QByteArrayList *transInSeen = nullptr;
    const QByteArrayList *transOutSeen = nullptr;

    bool editPrinterCodes(TCodeTable &codes) override
    {
        codesSeen = &codes;
        if (confirm)
            codes[ptEpson].BoldOn.assign("\x1b\x45");
        return confirm;
    }

    bool editTranslationTable(QByteArrayList &transIn, QByteArrayList &transOut) override
    {
        transInSeen = &transIn;
        transOutSeen = &transOut;
        if (confirm) {
            transIn = {"~"};
            transOut = {"\x1bG"};
        }
        return confirm;
    }
};

class EditDialogsSeam : public ::testing::Test
{
protected:
    void TearDown() override { setEditDialogs(nullptr); }
};

} // namespace

TEST_F(EditDialogsSeam, WithoutInstalledDialogsBothEditsRaiseAndChangeNothing)
{
    setEditDialogs(nullptr);
    TZantoquiller z;
    const TCodeTable before = z.CodeTable();
    const QString message = "The edit dialogs are not installed: create a Zanto::TApplication "
                            "or call Zanto::installDialogs() first";
    try {
        z.EditPrinterCodes();
        FAIL() << "no exception";
    } catch (const eZantoquillError &e) {
        EXPECT_EQ(e.Message(), message);
    }
    try {
        z.EditTranslationTable();
        FAIL() << "no exception";
    } catch (const eZantoquillError &e) {
        EXPECT_EQ(e.Message(), message);
    }
    EXPECT_EQ(z.CodeTable(), before);
    EXPECT_TRUE(z.TransIn().isEmpty());
}

TEST_F(EditDialogsSeam, DialogsEditTheComponentsOwnTableAndLists)
{
    ScriptedDialogs dialogs;
    setEditDialogs(&dialogs);
    EXPECT_EQ(editDialogs(), &dialogs);
    TZantoquiller z;
    EXPECT_TRUE(z.EditPrinterCodes());
    EXPECT_EQ(dialogs.codesSeen, &z.CodeTable());
    EXPECT_EQ(z.CodeTable()[ptEpson].BoldOn.toByteArray(), QByteArray("\x1b\x45"));

    EXPECT_TRUE(z.EditTranslationTable());
    EXPECT_EQ(dialogs.transInSeen, &z.TransIn());
    EXPECT_EQ(dialogs.transOutSeen, &z.TransOut());
    EXPECT_EQ(z.TransIn(), QByteArrayList {"~"});
    EXPECT_EQ(z.TransOut(), QByteArrayList {"\x1bG"});
}

TEST_F(EditDialogsSeam, CancelledEditsReturnFalse)
{
    ScriptedDialogs dialogs;
    dialogs.confirm = false;
    setEditDialogs(&dialogs);
    TZantoquiller z;
    const TCodeTable before = z.CodeTable();
    EXPECT_FALSE(z.EditPrinterCodes());
    EXPECT_FALSE(z.EditTranslationTable());
    EXPECT_EQ(z.CodeTable(), before);
    EXPECT_TRUE(z.TransIn().isEmpty());
}
