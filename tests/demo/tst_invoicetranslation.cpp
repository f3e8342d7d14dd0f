// The invoice's markup translation for each printer type.
#include "bytes.h"
#include "invoicetranslation.h"

#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

using namespace Zanto;
using ZantoTest::bytes;

namespace {

const QByteArrayList markupCharacters = {"~", "^", "!", "|"};

} // namespace

TEST(InvoiceTranslation, EpsonGetsEscGEscHAndEscMinusOneZero)
{
    TZantoquiller z;
    z.SetPrinterType(ptEpson);
    setUpInvoiceTranslation(z);
    EXPECT_EQ(z.TransIn(), markupCharacters);
    EXPECT_EQ(z.TransOut(),
        (QByteArrayList {
            bytes({27, 71}), bytes({27, 72}), bytes({27, 45, 49}), bytes({27, 45, 48})}));
}

TEST(InvoiceTranslation, HpPclGetsItsFontAndUnderlineSequences)
{
    TZantoquiller z;
    setUpInvoiceTranslation(z);
    EXPECT_EQ(z.TransIn(), markupCharacters);
    EXPECT_EQ(z.TransOut(),
        (QByteArrayList {bytes({27, 40, 115, 51, 66}), bytes({27, 40, 115, 48, 66}),
            bytes({27, 38, 100, 49, 68}), bytes({27, 38, 100, 64})}));
}

TEST(InvoiceTranslation, IbmGetsEscEEscF)
{
    TZantoquiller z;
    z.SetPrinterType(ptIBM);
    setUpInvoiceTranslation(z);
    EXPECT_EQ(z.TransOut(),
        (QByteArrayList {
            bytes({27, 69}), bytes({27, 70}), bytes({27, 45, 49}), bytes({27, 45, 48})}));
}

TEST(InvoiceTranslation, FamiliesWithoutCodesRemoveTheMarkup)
{
    for (TPrinterType type : {ptDiablo, ptPlain, ptUser1, ptUser2}) {
        TZantoquiller z;
        z.SetPrinterType(type);
        setUpInvoiceTranslation(z);
        EXPECT_EQ(z.TransIn(), markupCharacters);
        EXPECT_EQ(z.TransOut(), (QByteArrayList {{}, {}, {}, {}}));
    }
}

TEST(InvoiceTranslation, ReplacementsAreTheBuiltInCodesNotEditedOnes)
{
    TZantoquiller z;
    z.SetPrinterType(ptEpson);
    TCodeTable edited = z.CodeTable();
    edited[ptEpson].BoldOn.assign("X");
    z.SetCodeTable(edited);
    setUpInvoiceTranslation(z);
    EXPECT_EQ(z.TransOut().first(), bytes({27, 71}));

    const TCodeTable builtIn = builtInCodeTable();
    for (TPrinterType type : {ptHPPCL, ptEpson, ptIBM}) {
        const InvoiceMarkup markup = invoiceMarkup(type);
        EXPECT_EQ(markup.BoldOn, builtIn[type].BoldOn.toByteArray());
        EXPECT_EQ(markup.BoldOff, builtIn[type].BoldOff.toByteArray());
        EXPECT_EQ(markup.UnderOn, builtIn[type].UnderOn.toByteArray());
        EXPECT_EQ(markup.UnderOff, builtIn[type].UnderOff.toByteArray());
    }
}

TEST(InvoiceTranslation, ReplacesWhateverTableWasThere)
{
    TZantoquiller z;
    z.TransIn() = {"a", "b", "c", "d", "e"};
    z.TransOut() = {"1"};
    setUpInvoiceTranslation(z);
    EXPECT_EQ(z.TransIn().size(), 4);
    EXPECT_EQ(z.TransOut().size(), 4);

    clearTranslation(z);
    EXPECT_TRUE(z.TransIn().isEmpty());
    EXPECT_TRUE(z.TransOut().isEmpty());
}
