// What belongs to the user is never replaced by a file the program creates:
// creating a file leaves whatever is already at its name as it was, and
// never leaves a temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "TableFiles.h"
#include "base/ReplaceFile.h"

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

}  // namespace

TEST(CreateFile, NeverReplacesWhatIsThereAndLeavesNoTemporaryFile) {
    struct Case {
        const char* name;
        void (*make)(const WorkingFolder&);  // what is at "x" before
    };
    const Case cases[] = {
        {"a file", [](const WorkingFolder& f) { writeFile(f.path("x"), "mine"); }},
        {"an empty file", [](const WorkingFolder& f) { writeFile(f.path("x"), QByteArray()); }},
        {"a link to a file",
         [](const WorkingFolder& f) {
             writeFile(f.path("target"), "mine");
             QFile::link(f.path("target"), f.path("x"));
         }},
        {"a link to a missing file",
         [](const WorkingFolder& f) { QFile::link(f.path("gone/target"), f.path("x")); }},
        {"a folder", [](const WorkingFolder& f) { QDir().mkdir(f.path("x")); }},
    };
    for (const Case& c : cases) {
        WorkingFolder folder;
        c.make(folder);
        const QStringList before = QDir(folder.path(".")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        const QFileInfo was(folder.path("x"));
        QString error;
        createFile(folder.path("x"), "new", &error);
        EXPECT_EQ(QDir(folder.path(".")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before)
            << c.name;
        const QFileInfo is(folder.path("x"));
        EXPECT_EQ(is.isSymLink(), was.isSymLink()) << c.name;
        EXPECT_EQ(is.isDir(), was.isDir()) << c.name;
        if (was.isFile()) {
            EXPECT_NE(contentOf(folder.path("x")), "new") << c.name;
        }
        EXPECT_FALSE(QFileInfo::exists(folder.path("gone"))) << c.name;
    }
    // Where nothing is, the file is made whole, with the mode the umask gives.
    for (const auto& [mask, mode] : {std::pair<mode_t, mode_t>{022, 0644}, {077, 0600}}) {
        WorkingFolder folder;
        const mode_t old = ::umask(mask);
        QString error;
        const bool made = createFile(folder.path("x"), "new", &error);
        ::umask(old);
        ASSERT_TRUE(made) << error.toStdString();
        EXPECT_EQ(contentOf(folder.path("x")), "new");
        EXPECT_EQ(QDir(folder.path(".")).entryList(QDir::Files), QStringList{"x"});
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(folder.path("x")).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << std::oct << mask;
    }
}
