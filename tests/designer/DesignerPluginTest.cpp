// The Designer plugin, loaded with QPluginLoader as Qt Designer loads it: its metadata, its
// widget box entry, and the widget it creates for a form. MAPGRID_DESIGNER_PLUGIN in the
// environment names another build of the plugin (an installed one) to test instead.
#include <QImage>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTest>
#include <QWidget>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <gtest/gtest.h>

#include <memory>

namespace {

QString PluginFile()
{
    const QString chosen = qEnvironmentVariable("MAPGRID_DESIGNER_PLUGIN");
    return chosen.isEmpty() ? QStringLiteral(MAPGRID_DESIGNER_PLUGIN) : chosen;
}

class DesignerPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        loader.setFileName(PluginFile());
        ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
        plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
        ASSERT_NE(plugin, nullptr);
    }

    QPluginLoader loader;
    QDesignerCustomWidgetInterface* plugin = nullptr;
};

TEST_F(DesignerPlugin, IsACustomWidgetPluginOfTheKestrionGroup)
{
    EXPECT_EQ(loader.metaData().value("IID").toString(), "org.qt-project.Qt.QDesignerCustomWidgetInterface");
    EXPECT_EQ(plugin->name(), "MapGridWidget");
    EXPECT_EQ(plugin->group(), "Kestrion");
    EXPECT_EQ(plugin->includeFile(), "mapgrid/MapGridWidget.h");
    EXPECT_FALSE(plugin->isContainer());
    EXPECT_TRUE(plugin->domXml().contains(R"(<widget class="MapGridWidget")"));
    EXPECT_FALSE(plugin->isInitialized());
    plugin->initialize(nullptr);
    EXPECT_TRUE(plugin->isInitialized());
}

TEST_F(DesignerPlugin, CreatesAMapGridWidgetShowingADemonstrationMap)
{
    QWidget form;
    QWidget* widget = plugin->createWidget(&form);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), "MapGridWidget");
    EXPECT_EQ(widget->parentWidget(), &form);
    for (const char* property : {"mapTrace", "xVal", "yVal", "maxX", "maxY"})
        EXPECT_TRUE(widget->property(property).isValid()) << property;

    // As Designer sets a property from its editor.
    EXPECT_TRUE(widget->setProperty("mapTrace", true));
    EXPECT_TRUE(widget->property("mapTrace").toBool());

    widget->resize(396, 180);
    const QImage shot = widget->grab().toImage();
    // Dark cells, each with light text: count the cells whose middle holds some.
    int withText = 0;
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 9; ++col) {
            const QRect cell(col * 44, row * 20, 43, 19);
            int light = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x) light += qGray(shot.pixel(x, y)) > 0xC0;
            withText += light > 5;
        }
    EXPECT_EQ(withText, 80);  // all but the empty corner
    EXPECT_LT(qGray(shot.pixel(4 * 44 + 2, 4 * 20 + 2)), 0x40);
    delete widget;
}

} // namespace
