// MapGridWidget's editing as a user meets it: a small program embedding the widget with every
// feature on, started in a virtual X server, clicked and typed at with xdotool and looked at
// through screenshots. The program prints each change of values, so the test reads what the
// keys did, and the heat map's colours and outlines on the screen.
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "WindowClose.h"
#include "widget/HeatMapPainter.h"

namespace {

constexpr const char* kCaption = "MapGridWidget Editing Probe";

QString DisplayName() { return QString::fromLocal8Bit(std::getenv("E2E_DISPLAY")); }

QProcessEnvironment XEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", DisplayName());
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

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
        const QString display = QString(":%1").arg(700 + QCoreApplication::applicationPid() % 400);
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

class RunningProbe : public ::testing::Test {
protected:
    void SetUp() override
    {
        probe_.setProcessEnvironment(XEnvironment());
        probe_.start(EDITING_PROBE, {});
        ASSERT_TRUE(probe_.waitForStarted());
        window_ = Shell("timeout", {"20", "xdotool", "search", "--sync", "--name", kCaption}).section('\n', 0, 0);
        ASSERT_FALSE(window_.isEmpty()) << "no window captioned " << kCaption;
        Settle();
    }
    void TearDown() override
    {
        if (probe_.state() != QProcess::NotRunning) {
            probe_.kill();
            probe_.waitForFinished();
        }
    }

    void Settle() { QThread::msleep(300); }

    // The grid fills the window's top: cells of 43 x 19 pixels and their grid lines.
    static QPoint Cell(int col, int row) { return QPoint(col * 44 + 21, row * 20 + 9); }
    static QPoint Corner(int col, int row) { return QPoint(col * 44, row * 20); }

    void Click(QPoint p)
    {
        Shell("xdotool", {"mousemove", "--window", window_, QString::number(p.x()), QString::number(p.y())});
        Shell("xdotool", {"click", "1"});
        Settle();
    }
    void Keys(const QStringList& keys)
    {
        for (const QString& key : keys) {
            Shell("xdotool", {"key", "--window", window_, key});
            Settle();
        }
    }
    void Type(const QString& text)
    {
        Shell("xdotool", {"type", "--window", window_, text});
        Settle();
    }
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
    static TColor At(const QImage& shot, QPoint p)
    {
        const QColor c = shot.pixelColor(p);
        return RGB(c.red(), c.green(), c.blue());
    }

    // Waits until the probe has printed a line that starts with the text, and gives it.
    std::string LineStartingWith(const std::string& start, int timeoutMs = 10000)
    {
        for (int waited = 0; waited <= timeoutMs; waited += 100) {
            output_ += probe_.readAllStandardOutput().toStdString();
            for (std::size_t at = 0; at < output_.size();) {
                const std::size_t end = output_.find('\n', at);
                if (end == std::string::npos) break;
                const std::string line = output_.substr(at, end - at);
                at = end + 1;
                if (line.starts_with(start)) {
                    output_.erase(0, at);
                    return line;
                }
            }
            probe_.waitForReadyRead(100);
        }
        return "(nothing printed starting with \"" + start + "\")";
    }

    void Close() { ASSERT_TRUE(RequestWindowClose(DisplayName().toLocal8Bit().constData(), window_.toULong())); }

    QProcess probe_;
    QString window_;
    std::string output_;
};

TEST_F(RunningProbe, TypeAValueExtendWithShiftArrowsCopyPasteElsewhereAndUndo)
{
    // The heat map is on: the body cells carry their values' colours.
    QImage shot = Screenshot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(At(shot, Corner(5, 5) + QPoint(5, 5)), HeatMapPainter::heatColor(125 / 255.0));

    Click(Cell(2, 1));
    Type("20");
    Keys({"Return"});
    EXPECT_EQ(LineStartingWith("values"), "values 2,1:46>80");
    EXPECT_EQ(LineStartingWith("status: Set"), "status: Set 1 cell to 20");
    shot = Screenshot();
    EXPECT_EQ(At(shot, Corner(2, 1) + QPoint(6, 6)), HeatMapPainter::heatColor(80 / 255.0));
    EXPECT_EQ(At(shot, Corner(2, 1) + QPoint(1, 1)), HeatMapPainter::kSelectionOutline);

    Keys({"shift+Right", "shift+Down"});
    shot = Screenshot();
    // One outline around (2, 1) .. (3, 2): at its far corner, and none inside.
    EXPECT_EQ(At(shot, Corner(3, 2) + QPoint(41, 17)), HeatMapPainter::kSelectionOutline);
    EXPECT_EQ(At(shot, Corner(3, 2) + QPoint(1, 1)), HeatMapPainter::heatColor(50 / 255.0));
    EXPECT_EQ(At(shot, Corner(4, 2) + QPoint(1, 1)), HeatMapPainter::heatColor(56 / 255.0));

    Keys({"ctrl+c"});
    EXPECT_EQ(LineStartingWith("status: Copied"), "status: Copied 2 x 2 cells");
    Click(Cell(5, 5));
    Keys({"ctrl+v"});
    EXPECT_EQ(LineStartingWith("values"), "values 5,5:125>80 6,5:106>37 5,6:138>57 6,6:118>50");
    shot = Screenshot();
    EXPECT_EQ(At(shot, Corner(5, 5) + QPoint(6, 6)), HeatMapPainter::heatColor(80 / 255.0));

    Keys({"ctrl+z"});
    EXPECT_EQ(LineStartingWith("values"), "values 6,6:50>118 5,6:57>138 6,5:37>106 5,5:80>125");
    shot = Screenshot();
    EXPECT_EQ(At(shot, Corner(5, 5) + QPoint(6, 6)), HeatMapPainter::heatColor(125 / 255.0));
    Keys({"ctrl+z"});
    EXPECT_EQ(LineStartingWith("values"), "values 2,1:80>46");
    Keys({"ctrl+y"});
    EXPECT_EQ(LineStartingWith("values"), "values 2,1:46>80");

    // The host's own key still reaches the grid: "=" adds 1 to the selection, (2, 1) again.
    Type("=");
    EXPECT_EQ(LineStartingWith("values"), "values 2,1:80>81");

    Close();
    ASSERT_TRUE(probe_.waitForFinished(20000));
    EXPECT_EQ(probe_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe_.exitCode(), 0) << probe_.readAllStandardError().toStdString();
    EXPECT_EQ(LineStartingWith("body:"), "body:");
    EXPECT_EQ(LineStartingWith("45 "), "45 81 37 31 27 22 25 30");
    EXPECT_EQ(LineStartingWith("44 "), "44 58 82 117 125 106 101 99");
}

TEST_F(RunningProbe, ANumberThatIsNotOneChangesNothingAndSaysWhere)
{
    Click(Cell(4, 4));
    Type("2x");
    Keys({"Return"});
    EXPECT_EQ(LineStartingWith("status: \""), "status: \"2x\" is not a number: nothing set");
    Keys({"Escape"});
    EXPECT_EQ(LineStartingWith("status: Entry"), "status: Entry cancelled");

    // The entry gone, arrows move the selection again.
    Keys({"Right", "Right", "ctrl+c", "Left", "Left", "Left", "shift+Left"});
    EXPECT_EQ(LineStartingWith("status: Copied"), "status: Copied 1 x 1 cells");
    Keys({"ctrl+v"});  // one value fills the selection (2, 4) .. (3, 4)
    EXPECT_EQ(LineStartingWith("values"), "values 2,4:60>84 3,4:75>84");

    Close();
    ASSERT_TRUE(probe_.waitForFinished(20000));
    EXPECT_EQ(probe_.exitCode(), 0) << probe_.readAllStandardError().toStdString();
}

} // namespace
