// The test form built from its description, shown in a window so that it receives real input.
#pragma once

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

#include "app/MainForm.h"

class TestForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = std::make_unique<TComponent>(nullptr);
        form = new TForm1(owner.get());
    }
    void Show()
    {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    }
    // Replaces an editor's text as a user typing it would.
    static void TypeInto(TCSpinEdit* edit, const QString& text)
    {
        auto* line = qobject_cast<QLineEdit*>(edit->Widget());
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, text);
    }
    void TypeOnGrid(char key) { QTest::keyClicks(form->c->Widget(), QString(QChar(key))); }

    std::unique_ptr<TComponent> owner;
    TForm1* form = nullptr;
};
