#include "app/editor_settings.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pdt::app;

// The recent files keep the last eight distinct ones, most recent first; folders and the
// thumbnail choice are kept per kind; all of it survives into the next run.
TEST(EditorSettings, KeepsRecentFilesFoldersAndViewsAcrossRuns) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    {
        EditorSettings s(ini);
        EXPECT_TRUE(s.recentFiles().isEmpty());
        EXPECT_FALSE(s.thumbnailsShown());
        for (int i = 0; i < 10; ++i)
            s.addRecentFile(QString("/sets/%1.ADX").arg(i));
        s.addRecentFile("/sets/./5.ADX"); // the same file again moves to the front
        s.removeRecentFile("/sets/9.ADX");
        s.setLastFolder(EditorSettings::Folder::Picture, "/pictures");
        s.setLastFolder(EditorSettings::Folder::Extract, "/out");
        s.setThumbnailsShown(true);
    }
    EditorSettings next(ini);
    EXPECT_EQ(next.recentFiles(),
              QStringList({"/sets/5.ADX", "/sets/8.ADX", "/sets/7.ADX", "/sets/6.ADX",
                           "/sets/4.ADX", "/sets/3.ADX", "/sets/2.ADX"}));
    EXPECT_EQ(next.lastFolder(EditorSettings::Folder::Picture), "/pictures");
    EXPECT_EQ(next.lastFolder(EditorSettings::Folder::Extract), "/out");
    EXPECT_EQ(next.lastFolder(EditorSettings::Folder::PuzzleData), "");
    EXPECT_TRUE(next.thumbnailsShown());
}
