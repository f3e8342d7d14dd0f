#include <zantoquiller/package/palette.h>

#include <gtest/gtest.h>

#include <QLocale>
#include <QThread>
#include <QTimer>

#include <functional>

using namespace Zanto;

namespace {

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EComponentError &error) {
        return error.Message();
    }
    return QStringLiteral("no error");
}

char moduleA;
char moduleB;

} // namespace

TEST(Palette, PagesKeepTheOrderOfTheirFirstRegistration)
{
    Palette palette;
    palette.registerComponents(QStringLiteral("System"), {&QTimer::staticMetaObject});
    palette.registerComponents(QStringLiteral("Kelvard"), {&QObject::staticMetaObject});
    palette.registerComponents(QStringLiteral("System"), {&QThread::staticMetaObject});
    EXPECT_EQ(palette.listing(), QStringLiteral("System: QTimer, QThread\nKelvard: QObject\n"));
    ASSERT_EQ(palette.pages().size(), 2);
    EXPECT_EQ(palette.pages()[0].name, QStringLiteral("System"));
    EXPECT_EQ(palette.pages()[0].classes,
        TComponentClassList({&QTimer::staticMetaObject, &QThread::staticMetaObject}));
}

TEST(Palette, AClassIsListedOnce)
{
    Palette palette;
    palette.registerComponents(
        QStringLiteral("System"), {&QTimer::staticMetaObject, &QTimer::staticMetaObject});
    palette.registerComponents(QStringLiteral("Other"), {&QTimer::staticMetaObject});
    EXPECT_EQ(palette.listing(), QStringLiteral("System: QTimer\n"));
    EXPECT_TRUE(palette.contains(&QTimer::staticMetaObject));
    EXPECT_FALSE(palette.contains(&QThread::staticMetaObject));
}

TEST(Palette, InvalidRegistrationsAddNothing)
{
    Palette palette;
    EXPECT_EQ(errorOf([&] { palette.registerComponents({}, {&QTimer::staticMetaObject}); }),
        QStringLiteral("Palette page name is empty"));
    EXPECT_EQ(errorOf([&] {
        palette.registerComponents(QStringLiteral("System"), {&QTimer::staticMetaObject, nullptr});
    }),
        QStringLiteral("Cannot register a null component class"));
    EXPECT_EQ(errorOf([&] {
        palette.registerComponents(
            QStringLiteral("System"), {&QTimer::staticMetaObject, &QLocale::staticMetaObject});
    }),
        QStringLiteral("QLocale is not a component class"));
    EXPECT_TRUE(palette.pages().isEmpty());
    EXPECT_EQ(palette.listing(), QString());
}

TEST(Palette, UnregisteringAModuleTakesBackOnlyItsClasses)
{
    Palette palette;
    palette.registerComponents(QStringLiteral("System"), {&QTimer::staticMetaObject}, &moduleA);
    palette.registerComponents(QStringLiteral("System"), {&QObject::staticMetaObject}, &moduleB);
    palette.registerComponents(QStringLiteral("Threads"), {&QThread::staticMetaObject}, &moduleB);
    palette.unregisterModuleClasses(&moduleB);
    EXPECT_EQ(palette.listing(), QStringLiteral("System: QTimer\n"));
    palette.unregisterModuleClasses(&moduleA);
    EXPECT_TRUE(palette.pages().isEmpty());
}

TEST(Palette, ClassNamesShowWithoutTheirNamespace)
{
    EXPECT_EQ(Palette::className(&QTimer::staticMetaObject), QStringLiteral("QTimer"));
}
