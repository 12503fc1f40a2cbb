#include "app/start_up.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt::app;

TEST(StartUp, TheFirstArgumentChoosesTheVariantOrAFileToOpen) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("set.ADX");
    // A file literally named like the hidden word is still the hidden word.
    for (const QString& name : {file, dir.filePath("teapot")})
        ASSERT_TRUE(QFile(name).open(QIODevice::WriteOnly));
    QDir::setCurrent(dir.path());

    struct Case {
        QStringList arguments;
        DialogVariant variant;
        std::optional<QString> open;
    };
    const Case cases[] = {
        {{}, DialogVariant::PZ_BIND, std::nullopt},
        {{"TEAPOT"}, DialogVariant::PZ_BIND2, std::nullopt},
        {{"teapot"}, DialogVariant::PZ_BIND2, std::nullopt},
        {{"other", "TEAPOT"}, DialogVariant::PZ_BIND, std::nullopt},
        {{file}, DialogVariant::PZ_BIND, file},
        {{"set.ADX"}, DialogVariant::PZ_BIND, file}, // relative to the working folder
        {{"TEAPOT", file}, DialogVariant::PZ_BIND2, std::nullopt},
        {{dir.filePath("missing.ADX")}, DialogVariant::PZ_BIND, std::nullopt},
        {{dir.path()}, DialogVariant::PZ_BIND, std::nullopt}, // a folder is no file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const StartOptions o = ParseStartArguments(c.arguments);
        EXPECT_EQ(o.variant, c.variant);
        EXPECT_EQ(o.fileToOpen, c.open);
        EXPECT_TRUE(o.screenshotFile.isEmpty());
    }
}

// The options of the screenshot script are no arguments; its pictures are kept in order.
TEST(StartUp, ScreenshotOptionsAreNoArguments) {
    const StartOptions o =
        ParseStartArguments({"--screenshot-picture=/tmp/a.bmp", "TEAPOT",
                             "--screenshot-to=/tmp/a.png", "--screenshot-picture=/tmp/b.bmp"});
    EXPECT_EQ(o.variant, DialogVariant::PZ_BIND2);
    EXPECT_EQ(o.screenshotFile, "/tmp/a.png");
    EXPECT_EQ(o.screenshotPictures, (QStringList{"/tmp/a.bmp", "/tmp/b.bmp"}));
    const StartOptions none = ParseStartArguments({"--screenshot-to=x.png"});
    EXPECT_EQ(none.variant, DialogVariant::PZ_BIND);
    EXPECT_EQ(none.fileToOpen, std::nullopt);
    EXPECT_TRUE(none.screenshotPictures.isEmpty());
}
