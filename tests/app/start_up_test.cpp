#include "app/start_up.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt::app;

// The hidden word in any letter case chooses the second variant; a first argument that
// names an existing file opens it.
TEST(StartUp, TheFirstArgumentChoosesTheVariantOrAFileToOpen) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("set.ADX");
    // A file literally named like the hidden word is still the hidden word.
    for (const QString& name : {file, dir.filePath("teapot")})
        ASSERT_TRUE(QFile(name).open(QIODevice::WriteOnly));
    QDir::setCurrent(dir.path());

    const struct {
        QStringList arguments;
        DialogVariant variant;
        std::optional<QString> open;
    } cases[] = {
        {{}, DialogVariant::PZ_BIND, std::nullopt},
        {{"teapot"}, DialogVariant::PZ_BIND2, std::nullopt},
        {{"TeaPot", file}, DialogVariant::PZ_BIND2, std::nullopt},
        {{"TEAPOTS"}, DialogVariant::PZ_BIND, std::nullopt},
        {{"other", "TEAPOT"}, DialogVariant::PZ_BIND, std::nullopt},
        {{"set.ADX"}, DialogVariant::PZ_BIND, file}, // relative to the working folder
        {{dir.filePath("missing.ADX")}, DialogVariant::PZ_BIND, std::nullopt},
        {{dir.path()}, DialogVariant::PZ_BIND, std::nullopt}, // a folder is no file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const StartOptions o = ParseStartArguments(c.arguments);
        EXPECT_EQ(o.variant, c.variant);
        EXPECT_EQ(o.fileToOpen, c.open);
    }
}
