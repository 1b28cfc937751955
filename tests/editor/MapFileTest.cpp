// Map files: good files in every form a spreadsheet may write, bad files with their exact
// messages, writing back byte for byte, random maps through a file and back, saving that
// fails without touching the old file, and the maps a window binds into its grid.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

#include "data/MapData.h"
#include "editor/MapBinding.h"
#include "editor/MapFile.h"
#include "grid/MapGrid.h"

namespace {

// The test form's maps, as their file holds them.
const QByteArray kDemoText = "150,8.75,8.25,6.25,4.00,2.50,2.00,2.00,0.00\n"
                             "120,11.25,11.50,9.25,7.75,6.75,5.50,6.25,7.50\n"
                             "108,13.00,14.25,12.50,14.00,13.50,11.25,12.50,14.00\n"
                             "90,12.75,14.75,15.75,20.25,21.50,17.50,17.50,19.50\n"
                             "76,11.75,15.00,18.75,24.50,26.50,21.00,20.75,21.75\n"
                             "60,11.00,14.50,20.50,29.25,31.25,26.50,25.25,24.75\n"
                             "46,11.25,13.50,19.25,30.75,34.50,29.50,27.75,28.00\n"
                             "30,12.25,12.75,18.50,29.75,35.25,30.75,30.00,31.25\n"
                             ",800,1200,2000,2500,3000,3500,4000,5000\n";

MapValues DemoMap()
{
    MapValues map;
    map.pressure = {75, 60, 54, 45, 38, 30, 23, 15};
    map.speed = {8, 12, 20, 25, 30, 35, 40, 50};
    map.body = {35, 33, 25, 16, 10,  8,   8,   0,   45, 46, 37, 31, 27,  22,  25,  30,  52, 57, 50, 56, 54, 45,
                50, 56, 51, 59, 63, 81,  86,  70,  70,  78, 47, 60, 75, 98,  106, 84,  83,  87, 44, 58, 82, 117,
                125, 106, 101, 99, 45, 54, 77, 123, 138, 118, 111, 112, 49, 51, 74, 119, 141, 123, 120, 125};
    return map;
}

// A small map for the tables: 3 columns, 2 rows.
const QByteArray kSmallText = "150,8.75,4.00,0.00\n120,11.25,11.50,9.25\n,800,1200,2000\n";

MapValues SmallMap()
{
    MapValues map;
    map.pressure = {75, 60};
    map.speed = {8, 12, 20};
    map.body = {35, 16, 0, 45, 46, 37};
    return map;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot read)");
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The whole of a literal, the zero bytes within it included.
template <std::size_t N>
QByteArray Bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

std::string Lines(const QStringList& errors) { return errors.join('\n').toStdString(); }

TEST(MapFileReading, TheTestFormsMapsReadAndWriteBackByteForByte)
{
    const MapRead read = readMapText(kDemoText, "demo.csv");
    ASSERT_TRUE(read.map) << Lines(read.errors);
    EXPECT_TRUE(read.errors.isEmpty());
    EXPECT_EQ(*read.map, DemoMap());
    EXPECT_EQ(mapFileText(*read.map), kDemoText);
}

// Whatever a spreadsheet may write differently without changing a value reads as the map.
TEST(MapFileReading, FormsThatKeepEveryValueRead)
{
    struct Row {
        const char* what;
        QByteArray text;
    };
    const Row rows[] = {
        {"the form the writer writes", kSmallText},
        {"\\r\\n line ends", "150,8.75,4.00,0.00\r\n120,11.25,11.50,9.25\r\n,800,1200,2000\r\n"},
        {"a byte order mark", "\xEF\xBB\xBF" + kSmallText},
        {"no line end after the last line", "150,8.75,4.00,0.00\n120,11.25,11.50,9.25\n,800,1200,2000"},
        {"empty lines after the last", kSmallText + "\n\r\n  \n\t\n"},
        {"numbers without their trailing zeros", "150,8.75,4,0\n120,11.25,11.5,9.25\n,800,1200,2000\n"},
        {"numbers with more zeros", "150.0,8.750,4.000000,0.0\n120,11.25,11.50,9.25\n,800.00,1200,2000.\n"},
        {"spaces and tabs around fields", " 150 ,\t8.75, 4.00 ,0.00\t\n120,11.25,11.50,9.25\n ,800 , 1200,2000\n"},
        {"exponents, signs and leading zeros", "1.5e2,+8.75,0400e-2,-0\n120,11.25,11.50,9.25\n,8E2,01200,+2000\n"},
        {"a whitespace-only first field on the speed line", kSmallText.left(40) + " \t,800,1200,2000\n"},
    };
    for (const Row& r : rows) {
        const MapRead read = readMapText(r.text, "small.csv");
        ASSERT_TRUE(read.map) << r.what << ":\n" << Lines(read.errors);
        EXPECT_EQ(*read.map, SmallMap()) << r.what;
        EXPECT_EQ(mapFileText(*read.map), kSmallText) << r.what;
    }
}

TEST(MapFileReading, TheSmallestAndTheLargestBody)
{
    const MapRead smallest = readMapText("2,0.00,0.25\n0,0.50,63.75\n,0,25500\n", "f.csv");
    ASSERT_TRUE(smallest.map) << Lines(smallest.errors);
    EXPECT_EQ(smallest.map->speed, (std::vector<int>{0, 255}));
    EXPECT_EQ(smallest.map->body, (std::vector<int>{0, 1, 2, 255}));

    MapValues largest = blankMap(evenAxis(255, 0, 64), evenAxis(0, 255, 64));
    ASSERT_EQ(problemOf(largest), "");
    for (std::size_t i = 0; i < largest.body.size(); ++i) largest.body[i] = static_cast<int>(i % 256);
    const QByteArray text = mapFileText(largest);
    const MapRead read = readMapText(text, "f.csv");
    ASSERT_TRUE(read.map) << Lines(read.errors);
    EXPECT_EQ(*read.map, largest);
}

// Each bad file gives exactly these messages, and no map.
TEST(MapFileReading, BadFilesNameTheLineTheFieldAndTheNearestValue)
{
    const QByteArray tooWide = "150" + QByteArray(",1.00").repeated(65) + "\n";
    QByteArray tooLong;
    for (int r = 0; r < 65; ++r) tooLong += QByteArray::number(2 * (200 - r)) + ",1.00,2.00\n";
    tooLong += ",800,1200\n";
    struct Row {
        const char* what;
        QByteArray text;
        QStringList errors;
    };
    const Row rows[] = {
        {"an empty file", "", {"f.csv:1:1: the file is empty"}},
        {"only empty lines", "\n\r\n \n", {"f.csv:1:1: the file is empty"}},
        {"only a byte order mark", "\xEF\xBB\xBF", {"f.csv:1:1: the file is empty"}},
        {"one body column", "150,8.75\n120,9.00\n,800\n", {"f.csv:1:1: 1 body column; a map has 2 to 64"}},
        {"no separator", "150;8.75;4.00\n", {"f.csv:1:1: 0 body columns; a map has 2 to 64"}},
        {"65 body columns", tooWide, {"f.csv:1:66: 65 body columns; a map has 2 to 64"}},
        {"one body row",
         "150,1.00,2.00\n,800,1200\n",
         {"f.csv:2:1: 1 body row before the speed axis line; a map has 2 to 64"}},
        {"no body row", ",800,1200\n", {"f.csv:1:1: 0 body rows before the speed axis line; a map has 2 to 64"}},
        {"65 body rows", tooLong, {"f.csv:65:1: more than 64 body rows"}},
        {"a short line",
         "150,1.00,2.00\n120,1.00\n,800,1200\n",
         {"f.csv:2:3: 2 fields; line 1 has 3"}},
        {"a long line",
         "150,1.00,2.00\n120,1.00,2.00,3.00\n,800,1200\n",
         {"f.csv:2:4: 4 fields; line 1 has 3"}},
        {"a short speed line", "150,1.00,2.00\n120,1.00,2.00\n,800\n", {"f.csv:3:3: 2 fields; line 1 has 3"}},
        {"an empty first line", "\n150,1.00,2.00\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:1:1: empty line; the first line is the top body row"}},
        {"an empty line within",
         "150,1.00,2.00\n\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:2:1: empty line"}},
        {"not a number",
         "150,1.00,abc\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:1:3: advance \"abc\" is not a number"}},
        {"a decimal comma",
         "150,1.00,2.00\n120,\"1,5\",2.00\n,800,1200\n",
         {"f.csv:2:4: 4 fields; line 1 has 3"}},
        {"bytes that are no text",
         Bytes("150,1.00,2\x00" "0\n120,1.00,\xC3\xA9\n,800,1200\n"),
         {"f.csv:1:3: advance \"2\\x000\" is not a number", "f.csv:2:3: advance \"\\xc3\\xa9\" is not a number"}},
        {"an empty field",
         "150,1.00,\n120,1.00,2.00\n,800, \n",
         {"f.csv:1:3: advance is missing (empty field)", "f.csv:3:3: speed is missing (empty field)"}},
        {"advance off its step",
         "150,8.30,8.125\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:1:2: advance 8.30 degrees is not a value the map can hold; nearest: 8.25 degrees",
          "f.csv:1:3: advance 8.125 degrees is not a value the map can hold; nearest: 8.25 degrees"}},
        {"speed off its step",
         "150,1.00,2.00\n120,1.00,2.00\n,800,1250\n",
         {"f.csv:3:3: speed 1250 rpm is not a value the map can hold; nearest: 1300 rpm"}},
        {"pressure off its step",
         "151,1.00,2.00\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:1:1: pressure 151 kPa is not a value the map can hold; nearest: 152 kPa"}},
        {"values out of range",
         "600,64.00,-0.25\n120,1.00,2.00\n,800,30000\n",
         {"f.csv:1:1: pressure 600 kPa is out of range 0 to 510 kPa; nearest: 510 kPa",
          "f.csv:1:2: advance 64.00 degrees is out of range 0.00 to 63.75 degrees; nearest: 63.75 degrees",
          "f.csv:1:3: advance -0.25 degrees is out of range 0.00 to 63.75 degrees; nearest: 0.00 degrees",
          "f.csv:3:3: speed 30000 rpm is out of range 0 to 25500 rpm; nearest: 25500 rpm"}},
        {"a long digit string just off a quarter",
         "150,1.00,2.0000000000000000000001\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:1:3: advance 2.0000000000000000000001 degrees is not a value the map can hold; nearest: 2.00 "
          "degrees"}},
        {"a field too long to show",
         "150,1.00," + QByteArray(50, '7') + "\n120,1.00,2.00\n,800,1200\n",
         {"f.csv:1:3: advance " + QString(40, '7') + "... degrees is out of range 0.00 to 63.75 degrees; nearest: "
          "63.75 degrees"}},
        {"a pressure axis that does not fall",
         "120,1.00,2.00\n120,1.00,2.00\n150,1.00,2.00\n,800,1200\n",
         {"f.csv:2:1: pressure 120 kPa is not below 120 kPa on the line above; the pressure axis falls from top to "
          "bottom",
          "f.csv:3:1: pressure 150 kPa is not below 120 kPa on the line above; the pressure axis falls from top to "
          "bottom"}},
        {"a speed axis that does not rise",
         "150,1.00,2.00,3.00\n120,1.00,2.00,3.00\n,800,1200,800\n",
         {"f.csv:3:4: speed 800 rpm is not above 1200 rpm to its left; the speed axis rises from left to right"}},
        {"no speed axis line",
         "150,1.00,2.00\n120,1.00,2.00\n",
         {"f.csv:3:1: the speed axis line is missing: after the body rows, an empty field and the speed of each "
          "column"}},
        {"text after the speed axis line",
         "150,1.00,2.00\n120,1.00,2.00\n,800,1200\n\n100,1.00,2.00\n",
         {"f.csv:5:1: text after the speed axis line"}},
        {"\\r\\n and a byte order mark keep lines and columns",
         "\xEF\xBB\xBF" "150,1.00,2.00\r\n120,1.00,x\r\n,800,1200\r\n",
         {"f.csv:2:3: advance \"x\" is not a number"}},
        {"a lone \\r is no line end",
         "150,1.00,2.00\r120,1.00,2.00\r,800,1200\r",
         {"f.csv:1:3: advance \"2.00\\x0d120\" is not a number", "f.csv:1:5: advance \"2.00\\x0d\" is not a number",
          "f.csv:1:6: advance 800 degrees is out of range 0.00 to 63.75 degrees; nearest: 63.75 degrees",
          "f.csv:1:7: advance 1200 degrees is out of range 0.00 to 63.75 degrees; nearest: 63.75 degrees",
          "f.csv:2:1: the speed axis line is missing: after the body rows, an empty field and the speed of each "
          "column"}},
    };
    for (const Row& r : rows) {
        const MapRead read = readMapText(r.text, "f.csv");
        EXPECT_FALSE(read.map) << r.what;
        EXPECT_EQ(Lines(read.errors), Lines(r.errors)) << r.what << ", read:\n" << Lines(read.errors);
    }
}

TEST(MapFileReading, StopsAfterFiftyErrors)
{
    QByteArray text;
    for (int r = 0; r < 64; ++r) text += QByteArray::number(200 - r) + QByteArray(",x").repeated(64) + "\n";
    text += "," + QByteArray("x,").repeated(63) + "x\n";
    const MapRead read = readMapText(text, "f.csv");
    EXPECT_FALSE(read.map);
    ASSERT_EQ(read.errors.size(), kMaxMapFileErrors + 1);
    EXPECT_EQ(read.errors[0], "f.csv:1:2: advance \"x\" is not a number");
    EXPECT_EQ(read.errors[49], "f.csv:1:51: advance \"x\" is not a number");
    EXPECT_EQ(read.errors[50], "f.csv: too many errors; stopped after 50");
}

TEST(MapFileReading, FilesThatCannotBeRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.csv");
    EXPECT_EQ(Lines(readMapFile(missing).errors), (missing + ": cannot open: No such file or directory").toStdString());

    const QString large = dir.filePath("large.csv");
    ASSERT_TRUE(WriteBytes(large, kDemoText + QByteArray(kMaxMapFileBytes, '\n')));
    EXPECT_EQ(Lines(readMapFile(large).errors),
              (large + ": larger than a map file can be (over 1048576 bytes)").toStdString());

    const MapRead directory = readMapFile(dir.path());
    EXPECT_FALSE(directory.map);
    ASSERT_EQ(directory.errors.size(), 1);
    EXPECT_TRUE(directory.errors[0].startsWith(dir.path() + ": cannot ")) << Lines(directory.errors);
}

// Any map the format holds goes through a file and back unchanged, and its file through a
// read and a write unchanged.
TEST(MapFileWriting, RandomMapsComeBackAsTheyWent)
{
    const unsigned int seed = std::random_device()();
    std::printf("RandomMapsComeBackAsTheyWent seed %u\n", seed);
    std::mt19937 random(seed);
    const auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    // count distinct stored values, ordered.
    const auto axis = [&](int count, bool rising) {
        std::vector<int> all(256);
        for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = i;
        std::shuffle(all.begin(), all.end(), random);
        std::vector<int> values(all.begin(), all.begin() + count);
        std::sort(values.begin(), values.end());
        if (!rising) std::reverse(values.begin(), values.end());
        return values;
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int round = 0; round < 300; ++round) {
        const int columns = round == 0 ? MapValues::kMaxSide : draw(MapValues::kMinSide, MapValues::kMaxSide);
        const int rows = round == 0 ? MapValues::kMaxSide : draw(MapValues::kMinSide, MapValues::kMaxSide);
        MapValues map = blankMap(axis(rows, false), axis(columns, true));
        for (int& v : map.body) v = draw(MapValues::kMinValue, MapValues::kMaxValue);
        ASSERT_EQ(problemOf(map), "") << "seed " << seed << " round " << round;

        const QString path = dir.filePath(QStringLiteral("map%1.csv").arg(round % 4));
        ASSERT_EQ(writeMapFile(path, map), "") << "seed " << seed << " round " << round;
        const MapRead read = readMapFile(path);
        ASSERT_TRUE(read.map) << "seed " << seed << " round " << round << ":\n" << Lines(read.errors);
        EXPECT_EQ(*read.map, map) << "seed " << seed << " round " << round;

        const QByteArray saved = ReadBytes(path);
        ASSERT_EQ(writeMapFile(path, *read.map), "");
        EXPECT_EQ(ReadBytes(path), saved) << "seed " << seed << " round " << round;
    }
}

TEST(MapFileWriting, OpeningAndSavingUnchangedKeepsTheBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("demo.csv");
    ASSERT_TRUE(WriteBytes(path, kDemoText));
    const MapRead read = readMapFile(path);
    ASSERT_TRUE(read.map) << Lines(read.errors);
    ASSERT_EQ(writeMapFile(path, *read.map), "");
    EXPECT_EQ(ReadBytes(path), kDemoText);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"demo.csv"}) << "nothing left beside it";
}

// A save that cannot finish leaves the file that was there and says why.
TEST(MapFileWriting, AFailedSaveLeavesTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("demo.csv");
    ASSERT_TRUE(WriteBytes(path, kDemoText));
    MapValues changed = DemoMap();
    changed.at(0, 0) = 1;

    // A full disk: the file system takes no more than 100 bytes of any file.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 100;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const QString full = writeMapFile(path, changed);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(full.toStdString(), (path + ": cannot save: File too large").toStdString());
    EXPECT_EQ(ReadBytes(path), kDemoText);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"demo.csv"}) << "no temporary file left";

    // A folder that is not there.
    const QString nowhere = dir.filePath("no/such/folder/map.csv");
    const QString missing = writeMapFile(nowhere, changed);
    EXPECT_TRUE(missing.startsWith(nowhere + ": cannot save: ")) << missing.toStdString();

    // A folder that cannot be written to; root may write anywhere, so only as another user.
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const QString locked = writeMapFile(path, changed);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(locked.startsWith(path + ": cannot save: ")) << locked.toStdString();
        EXPECT_EQ(ReadBytes(path), kDemoText);
    }

    // A map no file holds is not written at all.
    MapValues unordered = DemoMap();
    unordered.speed[1] = unordered.speed[0];
    EXPECT_EQ(writeMapFile(path, unordered), path + ": not saved: the speed axis does not rise from column 1 to column 2");
    EXPECT_EQ(ReadBytes(path), kDemoText);
}

TEST(MapValuesTest, ProblemsThatKeepAMapOutOfAFile)
{
    struct Row {
        const char* what;
        void (*change)(MapValues&);
        const char* problem;
    };
    const Row rows[] = {
        {"none", [](MapValues&) {}, ""},
        {"one row", [](MapValues& m) { m = blankMap({10}, {1, 2}); }, "the body is 2 x 1; a map file holds 2 x 2 to 64 x 64"},
        {"65 columns", [](MapValues& m) { m = blankMap({10, 5}, evenAxis(0, 255, 65)); },
         "the body is 65 x 2; a map file holds 2 x 2 to 64 x 64"},
        {"a short body", [](MapValues& m) { m.body.pop_back(); }, "the body holds 63 values for 8 x 8"},
        {"pressure out of range", [](MapValues& m) { m.pressure[0] = 256; },
         "pressure 512 kPa in row 1 is out of range 0 to 510 kPa"},
        {"pressure not falling", [](MapValues& m) { m.pressure[3] = m.pressure[2]; },
         "the pressure axis does not fall from row 3 to row 4"},
        {"speed out of range", [](MapValues& m) { m.speed[7] = 256; },
         "speed 25600 rpm in column 8 is out of range 0 to 25500 rpm"},
        {"advance below range", [](MapValues& m) { m.at(2, 1) = -1; },
         "advance 1.074e+09 degrees in column 3, row 2 is out of range 0.00 to 63.75 degrees"},
        {"advance above range", [](MapValues& m) { m.at(7, 7) = 256; },
         "advance 64.00 degrees in column 8, row 8 is out of range 0.00 to 63.75 degrees"},
    };
    for (const Row& r : rows) {
        MapValues map = DemoMap();
        r.change(map);
        EXPECT_EQ(problemOf(map).toStdString(), r.problem) << r.what;
    }
}

TEST(MapValuesTest, EvenAxesForANewMap)
{
    EXPECT_EQ(evenAxis(0, 255, 2), (std::vector<int>{0, 255}));
    EXPECT_EQ(evenAxis(8, 50, 8), (std::vector<int>{8, 14, 20, 26, 32, 38, 44, 50}));
    EXPECT_EQ(evenAxis(75, 15, 4), (std::vector<int>{75, 55, 35, 15}));
    EXPECT_EQ(evenAxis(0, 10, 4), (std::vector<int>{0, 3, 7, 10}));
    EXPECT_EQ(evenAxis(10, 0, 4), (std::vector<int>{10, 7, 3, 0}));
    EXPECT_EQ(evenAxis(0, 63, 64).back(), 63);
    EXPECT_EQ(evenAxis(0, 6, 8), std::vector<int>{}) << "too few values for distinct positions";
    EXPECT_EQ(evenAxis(5, 5, 2), std::vector<int>{});
    EXPECT_EQ(evenAxis(0, 255, 1), std::vector<int>{});
    const MapValues map = blankMap(evenAxis(255, 0, 64), evenAxis(0, 255, 64));
    EXPECT_EQ(problemOf(map), "");
    EXPECT_EQ(map.body, std::vector<int>(64 * 64, 0));
}

// A map read from a file goes into the three maps a grid binds, shows in the grid exactly as
// the file writes it, and comes back out unchanged, also when it changes their shape.
TEST(MapValuesTest, IntoTheMapsOfAGridAndBack)
{
    TComponent owner(nullptr);
    auto* pressure = new TMapData(&owner);
    auto* speed = new TMapData(&owner);
    auto* body = new TMapData(&owner);
    pressure->converter = new TKPACellConverter;
    speed->converter = new TRPMCellConverter;
    body->converter = new TIGNCellConverter;
    auto* grid = new TMapGrid(&owner);

    for (const QByteArray& text : {kDemoText, kSmallText, kDemoText}) {
        const MapRead read = readMapText(text, "f.csv");
        ASSERT_TRUE(read.map) << Lines(read.errors);
        applyToMaps(*read.map, *pressure, *speed, *body);
        EXPECT_EQ(readFromMaps(*pressure, *speed, *body), *read.map);

        bindIntoGrid(*grid, *pressure, *speed, *body);
        QByteArray shown;
        for (int r = 0; r < grid->RowCount(); ++r) {
            for (int c = 0; c < grid->ColCount(); ++c)
                shown += QByteArray(c ? "," : "") + QByteArray::fromStdString(grid->Cells(c, r));
            shown += '\n';
        }
        EXPECT_EQ(shown.toStdString(), text.toStdString());
    }
    EXPECT_EQ(pressure->getAllocRows(), 8u);
    EXPECT_EQ(body->getAllocCols(), 8u);
}

TEST(MapValuesTest, MapsOfAnotherShapeThanTheirAxes)
{
    TMapData pressure(nullptr), speed(nullptr), body(nullptr);
    applyToMaps(DemoMap(), pressure, speed, body);
    body.setCols(7);
    const MapValues read = readFromMaps(pressure, speed, body);
    EXPECT_EQ(problemOf(read), "the body holds 0 values for 8 x 8");
}

} // namespace
