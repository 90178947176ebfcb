#include "ui/hex_editor.h"

#include "ui/core/hex_view.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace gang {
namespace {

class HexEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(700, 400);
        edit = new QPlainTextEdit(&window);
        edit->setGeometry(10, 60, 640, 300);
        goto_field = new QLineEdit(&window);
        goto_field->setGeometry(10, 10, 80, 24);
        button = new QPushButton(QStringLiteral("Fill"), &window);
        button->setGeometry(100, 10, 80, 24);
        editor = std::make_unique<THexEditor>(
            edit, goto_field, form, buffer, [this] { ++end_calls; },
            [this](const std::string& text) { errors.push_back(text); });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    int Caret_Line() const { return edit->textCursor().blockNumber(); }
    int Caret_Offset() const { return edit->textCursor().positionInBlock(); }
    QString Line(int line) const { return edit->document()->findBlockByNumber(line).text(); }

    // Clicks the view where the caret would stand before offset `offset`.
    void Click(int line, int offset)
    {
        QTextCursor at(edit->document()->findBlockByNumber(line));
        at.setPosition(at.position() + offset);
        const QPoint point = edit->cursorRect(at).center() + QPoint(1, 0);
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, point);
    }

    QWidget window;
    QPlainTextEdit* edit = nullptr;
    QLineEdit* goto_field = nullptr;
    QPushButton* button = nullptr;
    TFormModel form;
    TBuffer buffer;
    int end_calls = 0;
    std::vector<std::string> errors;
    std::unique_ptr<THexEditor> editor;
};

TEST_F(HexEditorTest, OpensFocusedWithTheCaretBeforeTheFirstDigit)
{
    EXPECT_TRUE(edit->isHidden());
    buffer[0] = 0x41;
    editor->EditClick();
    EXPECT_EQ(end_calls, 1);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->document()->blockCount(), 17);
    EXPECT_EQ(Line(0).toStdString(),
              "Address = 00000              Hex Data = 41                Ascii Data = A");
    EXPECT_TRUE(Line(16).startsWith(QStringLiteral("000F0  00 00")));
    EXPECT_EQ(Caret_Line(), 1);
    EXPECT_EQ(Caret_Offset(), 7);
}

TEST_F(HexEditorTest, KeysMoveTheCaretWhereTheViewSays)
{
    buffer.End_Of_Eprom = 0x7FF;
    editor->EditClick();
    QTest::keyClick(edit, Qt::Key_Right);
    EXPECT_EQ(Caret_Offset(), 10);
    QTest::keyClick(edit, '3');
    EXPECT_EQ(Caret_Offset(), 11); // low digit
    QTest::keyClick(edit, 'c');
    EXPECT_EQ(buffer[1], 0x3C);
    EXPECT_EQ(Line(1).mid(10, 2), QStringLiteral("3C"));
    EXPECT_EQ(Caret_Line(), 1);
    EXPECT_EQ(Caret_Offset(), 13);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(Caret_Line(), 2);
    EXPECT_EQ(Caret_Offset(), 7 + 45);
    QTest::keyClick(edit, Qt::Key_PageDown);
    EXPECT_TRUE(Line(1).startsWith(QStringLiteral("00100")));
    EXPECT_EQ(Caret_Line(), 2);
    EXPECT_EQ(Caret_Offset(), 7 + 45);
    EXPECT_TRUE(edit->isVisible());
}

TEST_F(HexEditorTest, ClickOnTheBlankAfterAByteLandsOnItsLowDigit)
{
    editor->EditClick();
    Click(3, 15); // row 2, after the two digits of byte 2
    EXPECT_EQ(editor->View().Cursor().Edit_Row, 2);
    EXPECT_EQ(editor->View().Cursor().Edit_Col, 2);
    EXPECT_EQ(editor->View().Cursor().Low_Nibble, 1);
    EXPECT_EQ(Caret_Line(), 3);
    EXPECT_EQ(Caret_Offset(), 14);
    EXPECT_FALSE(edit->textCursor().hasSelection());

    Click(5, 60); // character column
    EXPECT_EQ(editor->View().Cursor().Ascii_Mode, 1);
    QTest::keyClick(edit, 'Z');
    EXPECT_EQ(buffer[4 * 16 + 3], 0x5A);
    EXPECT_EQ(Caret_Offset(), 61);
}

TEST_F(HexEditorTest, StatusAddressOpensTheGoToField)
{
    buffer.End_Of_Eprom = 0xFFFF;
    editor->EditClick();
    Click(0, 12);
    EXPECT_TRUE(goto_field->isVisible());
    EXPECT_TRUE(goto_field->hasFocus());
    EXPECT_TRUE(edit->isVisible());
    QTest::keyClicks(goto_field, QStringLiteral("12G"));
    EXPECT_TRUE(goto_field->text().isEmpty()); // the rejected key emptied it
    QTest::keyClicks(goto_field, QStringLiteral("1234"));
    QTest::keyClick(goto_field, Qt::Key_Return);
    EXPECT_FALSE(goto_field->isVisible());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_TRUE(Line(1).startsWith(QStringLiteral("01230")));

    Click(0, 12);
    goto_field->insert(QStringLiteral("1X")); // pasted, not typed
    QTest::keyClick(goto_field, Qt::Key_Return);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'$1X' is not a valid integer value");
    EXPECT_TRUE(Line(1).startsWith(QStringLiteral("01230")));
}

TEST_F(HexEditorTest, LosingTheFocusHidesTheView)
{
    editor->EditClick();
    ASSERT_TRUE(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_FALSE(form.Edit_1.Visible());

    editor->EditClick();
    button->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(edit->isVisible());
}

} // namespace
} // namespace gang
