// `mapedit --check`: nothing for good files, every error of every bad file one per line, and
// the exit status a script reads.
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include "editor/MapCheck.h"

namespace {

TEST(MapCheck, PrintsTheErrorsOfBadFilesAndNothingForGoodOnes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << name;
        return path;
    };
    const QString good = file("good.csv", "150,8.75,4.00\n120,11.25,11.50\n,800,1200\n");
    const QString good2 = file("good2.csv", "150,0,0\n30,0,0\n,0,100\n");
    const QString offStep = file("off-step.csv", "150,8.30,4.00\n120,11.25,11.50\n,800,1250\n");
    const QString shortLine = file("short.csv", "150,8.75,4.00\n120,11.25\n,800,1200\n");
    const QString percent = file("100%1%2.csv", "150,8.75,%1\n120,11.25,11.50\n,800,1200\n");
    const QString missing = dir.filePath("missing.csv");

    struct Row {
        const char* what;
        QStringList files;
        QString printed;
        int status;
    };
    const Row rows[] = {
        {"one good file", {good}, "", 0},
        {"two good files", {good, good2}, "", 0},
        {"a good and a bad file",
         {good, offStep},
         offStep + ":1:2: advance 8.30 degrees is not a value the map can hold; nearest: 8.25 degrees\n" + offStep +
             ":3:3: speed 1250 rpm is not a value the map can hold; nearest: 1300 rpm\n",
         1},
        {"two bad files, in the order named",
         {shortLine, missing},
         shortLine + ":2:3: 2 fields; line 1 has 3\n" + missing + ": cannot open: No such file or directory\n", 1},
        {"a bad file before a good one", {shortLine, good}, shortLine + ":2:3: 2 fields; line 1 has 3\n", 1},
        {"a name and a field holding what looks like arguments",
         {percent},
         percent + ":1:3: advance \"%1\" is not a number\n",
         1},
        {"no file", {}, "mapedit: --check needs at least one FILE\n", 1},
    };
    for (const Row& r : rows) {
        QString printed;
        QTextStream out(&printed);
        EXPECT_EQ(checkMapFiles(r.files, out), r.status) << r.what;
        EXPECT_EQ(printed.toStdString(), r.printed.toStdString()) << r.what;
    }
}

} // namespace
