// The application as a user meets it: started in a virtual X server, found by its caption,
// clicked, dragged and typed at with xdotool, and looked at through screenshots.
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "WindowClose.h"

namespace {

constexpr const char* kCaption = "MAPGrid Component Test";
// The grid stands at (8, 8) in the window; its cells are 43 x 19 with one-pixel lines.
constexpr int kGridLeft = 8;
constexpr int kGridTop = 8;

QString DisplayName() { return QString::fromLocal8Bit(std::getenv("E2E_DISPLAY")); }

QProcessEnvironment XEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", DisplayName());
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

// Runs a helper program on the virtual display and returns what it printed.
QString Shell(const QString& program, const QStringList& args, int timeoutMs = 20000)
{
    QProcess p;
    p.setProcessEnvironment(XEnvironment());
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

class VirtualDisplay : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QString display = QString(":%1").arg(300 + QCoreApplication::applicationPid() % 400);
        xvfb_.start("Xvfb", {display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(xvfb_.waitForStarted()) << "Xvfb is not installed";
        setenv("E2E_DISPLAY", display.toLocal8Bit().constData(), 1);
        for (int i = 0; i < 100 && Shell("xdotool", {"getdisplaygeometry"}).isEmpty(); ++i) QThread::msleep(100);
    }
    void TearDown() override
    {
        xvfb_.terminate();
        xvfb_.waitForFinished();
    }

private:
    QProcess xvfb_;
};

const auto* const kDisplay = ::testing::AddGlobalTestEnvironment(new VirtualDisplay);

class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        program_.setProcessEnvironment(XEnvironment());
        program_.start(MAPGRID_PROGRAM, {});
        ASSERT_TRUE(program_.waitForStarted());
        window_ = Shell("timeout", {"20", "xdotool", "search", "--sync", "--name", kCaption}).section('\n', 0, 0);
        ASSERT_FALSE(window_.isEmpty()) << "no window captioned " << kCaption;
        Settle();
    }
    void TearDown() override
    {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished();
        }
    }

    void Settle() { QThread::msleep(400); }

    QImage Screenshot()
    {
        QProcess p;
        p.setProcessEnvironment(XEnvironment());
        p.start("import", {"-window", window_, "png:-"});
        p.waitForFinished(20000);
        QImage image;
        image.loadFromData(p.readAllStandardOutput(), "PNG");
        return image;
    }

    // The centre of grid cell (col, row) in window coordinates.
    static QPoint Cell(int col, int row) { return QPoint(kGridLeft + col * 44 + 21, kGridTop + row * 20 + 9); }
    static QRgb At(const QImage& image, QPoint p) { return image.pixel(p) & 0xFFFFFF; }
    static bool IsGrey(QRgb c) { return c == 0x646464; }

    void Mouse(const QStringList& args) { Shell("xdotool", args); }
    void MoveTo(QPoint p)
    {
        Mouse({"mousemove", "--window", window_, QString::number(p.x()), QString::number(p.y())});
    }
    void Click(QPoint p, int button = 1)
    {
        MoveTo(p);
        Mouse({"click", QString::number(button)});
        Settle();
    }
    void Type(const QString& text)
    {
        Shell("xdotool", {"type", "--window", window_, text});
        Settle();
    }

    // Asks the window to close, as its close button does.
    void Close() { ASSERT_TRUE(RequestWindowClose(DisplayName().toLocal8Bit().constData(), window_.toULong())); }

    QProcess program_;
    QString window_;
};

TEST_F(RunningProgram, OpensItsWindowWithTheMapDrawnAndClosesWithExitCodeZero)
{
    const QImage shot = Screenshot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.width(), 419);
    EXPECT_EQ(shot.height(), 234);
    // Black cells with white text: a cell's corner is black, its centre holds lit pixels.
    int lit = 0;
    for (int x = Cell(1, 0).x() - 15; x < Cell(1, 0).x() + 15; ++x)
        for (int y = Cell(1, 0).y() - 6; y < Cell(1, 0).y() + 6; ++y) lit += qGray(shot.pixel(x, y)) > 160;
    EXPECT_GT(lit, 10);
    EXPECT_EQ(At(shot, QPoint(kGridLeft + 2, kGridTop + 2)), 0x000000u);

    Close();
    ASSERT_TRUE(program_.waitForFinished(20000));
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);
}

TEST_F(RunningProgram, TraceMapCheckBoxColoursTheTracedCellAndDrawsRedMarkers)
{
    // Taller cells so that the markers have room to show their red fill.
    Shell("xdotool", {"windowsize", window_, "800", "600"});
    Settle();
    // "Trace Map" keeps its distance from the bottom and its centre at the same fraction of the width.
    const int boxLeft = ((2 * 320 + 97) * 800 / 419 - 97) / 2;
    Click(QPoint(boxLeft + 8, 208 + (600 - 234) + 8));
    const QImage shot = Screenshot();
    // The start-up point traces column 5, row 2 (speed 3000 rpm, pressure 104 kPa).
    const int colWidth = (800 - 16) / 9;  // the grid takes every change of size
    const int rowHeight = (600 - 47) / 9;
    const QPoint traced(kGridLeft + 5 * colWidth + 3, kGridTop + 2 * rowHeight + 3);
    EXPECT_EQ(At(shot, traced), 0x146464u) << "traced cell 0x646414 in the window system's order";
    int red = 0;
    for (int x = 0; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y) {
            const QRgb c = At(shot, QPoint(x, y));
            red += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
        }
    EXPECT_GT(red, 4);
}

TEST_F(RunningProgram, PressesDragsAndDoubleClicksSelectCells)
{
    Click(Cell(0, 3));  // pressure axis: the whole body row
    QImage shot = Screenshot();
    for (int col = 1; col < 9; ++col) EXPECT_TRUE(IsGrey(At(shot, Cell(col, 3) - QPoint(18, 7)))) << col;
    EXPECT_FALSE(IsGrey(At(shot, Cell(0, 3) - QPoint(18, 7))));

    MoveTo(Cell(2, 2));
    Mouse({"mousedown", "1"});
    MoveTo(Cell(4, 3));
    MoveTo(Cell(5, 4));
    Mouse({"mouseup", "1"});
    Settle();
    shot = Screenshot();
    for (int col = 1; col < 9; ++col)
        for (int row = 0; row < 8; ++row) {
            const bool inside = col >= 2 && col <= 5 && row >= 2 && row <= 4;
            EXPECT_EQ(IsGrey(At(shot, Cell(col, row) - QPoint(18, 7))), inside) << col << "," << row;
        }

    MoveTo(Cell(0, 8));
    Mouse({"click", "--repeat", "2", "--delay", "80", "1"});
    Settle();
    shot = Screenshot();
    for (int col = 1; col < 9; ++col)
        for (int row = 0; row < 8; ++row) EXPECT_TRUE(IsGrey(At(shot, Cell(col, row) - QPoint(18, 7)))) << col << "," << row;
}

// The lit pixels of a cell's text, as a fingerprint of what it shows.
QString TextOf(const QImage& shot, QPoint centre)
{
    QString print;
    for (int y = centre.y() - 7; y <= centre.y() + 7; ++y)
        for (int x = centre.x() - 20; x <= centre.x() + 20; ++x) print += qGray(shot.pixel(x, y)) > 160 ? '#' : '.';
    return print;
}

TEST_F(RunningProgram, MenuAndKeysChangeTheSelectedCellsOnly)
{
    Click(Cell(3, 1));  // one body cell
    const QImage before = Screenshot();
    Click(Cell(3, 1), 3);  // right click opens the menu at the pointer
    // "Increment" is the first item, just below and right of the pointer.
    Click(Cell(3, 1) + QPoint(20, 10));
    const QImage afterMenu = Screenshot();
    EXPECT_NE(TextOf(afterMenu, Cell(3, 1)), TextOf(before, Cell(3, 1)));
    for (QPoint other : {Cell(2, 1), Cell(4, 1), Cell(3, 0), Cell(3, 2), Cell(0, 1), Cell(3, 8)})
        EXPECT_EQ(TextOf(afterMenu, other), TextOf(before, other));

    Type("=");
    const QImage afterKey = Screenshot();
    EXPECT_NE(TextOf(afterKey, Cell(3, 1)), TextOf(afterMenu, Cell(3, 1)));
    EXPECT_EQ(TextOf(afterKey, Cell(4, 1)), TextOf(afterMenu, Cell(4, 1)));
}

TEST_F(RunningProgram, SpeedEditorMovesTheTraceAndRewritesTheLabels)
{
    Click(QPoint(330, 216));  // "Trace Map"
    const QImage before = Screenshot();
    EXPECT_EQ(At(before, Cell(5, 2) - QPoint(18, 7)), 0x146464u);
    // Into the speed editor: select its text and type a new speed.
    Click(QPoint(95, 212));
    Shell("xdotool", {"key", "--window", window_, "ctrl+a"});
    Type("4000");
    const QImage after = Screenshot();
    EXPECT_EQ(At(after, Cell(7, 2) - QPoint(18, 7)), 0x146464u);  // 40 is column 7's axis value
    EXPECT_NE(At(after, Cell(5, 2) - QPoint(18, 7)), 0x146464u);
    bool labelsChanged = false;
    for (int x = 160; x < 305 && !labelsChanged; ++x)
        for (int y = 204; y < 220; ++y) labelsChanged |= before.pixel(x, y) != after.pixel(x, y);
    EXPECT_TRUE(labelsChanged);
}

} // namespace

namespace {

// In the sanitizer build the program runs under LeakSanitizer, which turns anything lost by
// the end of a whole session into a non-zero exit code.
TEST_F(RunningProgram, AWholeSessionEndsCleanlyWithNothingLost)
{
    Click(Cell(0, 2));
    MoveTo(Cell(2, 2));
    Mouse({"mousedown", "1"});
    MoveTo(Cell(5, 5));
    Mouse({"mouseup", "1"});
    Click(Cell(4, 4), 3);
    Click(Cell(4, 4) + QPoint(20, 10));
    Type("=+-_");
    MoveTo(Cell(0, 8));
    Mouse({"click", "--repeat", "2", "--delay", "80", "1"});
    Click(QPoint(330, 216));
    Click(QPoint(25, 212));
    Shell("xdotool", {"key", "--window", window_, "ctrl+a"});
    Type("300");
    Shell("xdotool", {"windowsize", window_, "640", "480"});
    Settle();

    Close();
    ASSERT_TRUE(program_.waitForFinished(30000));
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0) << program_.readAllStandardError().toStdString();
}

} // namespace
