// A program linked as zantodemo is holds one engine: the dialogs that the
// Widgets library installs are the ones the component it calls sees. A
// second copy of the engine linked into the program would have its own,
// empty, seam.
#include <zantoquiller/dialogs.h>
#include <zantoquiller/editdialogs.h>

#include <gtest/gtest.h>

TEST(OneEngine, DialogsInstalledThroughWidgetsReachTheComponent)
{
    ASSERT_EQ(Zanto::editDialogs(), nullptr);
    Zanto::installDialogs();
    EXPECT_NE(Zanto::editDialogs(), nullptr);
    Zanto::setEditDialogs(nullptr);
}
