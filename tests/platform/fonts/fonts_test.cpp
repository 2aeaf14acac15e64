// Design-time font names resolve to the installed families, in a font built by name and through
// Qt's substitution table alike.
#include "platform/fonts/fonts.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

TEST(Fonts, DesignNamesMapToInstalledFamilies) {
    EXPECT_EQ(ui::mapFontFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(ui::mapFontFamily(QStringLiteral("ms sans serif")),
              QStringLiteral("Liberation Sans"));
    EXPECT_EQ(ui::mapFontFamily(QStringLiteral("System")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(ui::mapFontFamily(QStringLiteral("Times New Roman")),
              QStringLiteral("Liberation Serif"));
    EXPECT_EQ(ui::mapFontFamily(QStringLiteral("Verdana")), QStringLiteral("Verdana"));
    const QFont f = ui::dialogFont();
    EXPECT_EQ(f.pointSize(), 8);
    EXPECT_EQ(QFontInfo(f).family(), QStringLiteral("Liberation Sans"));
    ui::installFontMapping();
    ui::installFontMapping();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Arial"))).family(),
              QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFont::substitutes(QStringLiteral("Arial"))
                  .filter(QStringLiteral("Liberation Sans"), Qt::CaseInsensitive)
                  .size(),
              1)
        << "installing twice registers the family once";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
