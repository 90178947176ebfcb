#include "hex_view_fake.h"

#include "core/hex_text.h"
#include "ui/core/hex_value.h"
#include "ui/core/hex_view.h"

#include <gtest/gtest.h>

namespace gang {
namespace {

using test::TFakeHexDisplay;

class HexViewTest : public ::testing::Test {
protected:
    // Offsets in a data line.
    static int High(int col) { return 7 + 3 * col; }
    static int Char(int col) { return 57 + col; }

    void Key(int key)
    {
        view.Edit_1KeyDown(key);
        view.Edit_1KeyUp();
    }
    void Type(char c)
    {
        view.Edit_1KeyDown(hex_key::None);
        view.Edit_1KeyPress(c);
        view.Edit_1KeyUp();
    }
    // Opening the field by its click puts the cursor on row 0, byte 0.
    void Go_To(const std::string& text)
    {
        view.Edit_1MouseDown(0, 12); // on the status line's address
        view.Chg_Edit_AddKeyPress(Enter_Key, text);
    }
    void Expect_Cursor(int32_t page, int row, int col, int ascii, int low)
    {
        const THexCursor& c = view.Cursor();
        EXPECT_EQ(c.Page_Add, page);
        EXPECT_EQ(c.Edit_Row, row);
        EXPECT_EQ(c.Edit_Col, col);
        EXPECT_EQ(c.Ascii_Mode, ascii);
        EXPECT_EQ(c.Low_Nibble, low);
    }

    TFormModel form;
    TBuffer buffer;
    TFakeHexDisplay display;
    int end_calls = 0;
    THexView view{form, buffer, display, [this] { ++end_calls; }};
};

TEST(HexViewTextTest, ByteCharacterAndLineLayout)
{
    EXPECT_EQ(Hex_View_Char(0x41), 'A');
    EXPECT_EQ(Hex_View_Char(0x7F), '\x7F');
    EXPECT_EQ(Hex_View_Char(0x20), ' ');
    EXPECT_EQ(Hex_View_Char(0x1F), '.');
    EXPECT_EQ(Hex_View_Char(0x00), '.');
    EXPECT_EQ(Hex_View_Char(0x80), '.');
    EXPECT_EQ(Hex_View_Char(0xFF), '.');

    EXPECT_EQ(Hex_Status_Line(0x1234A, 0x41),
              "Address = 1234A              Hex Data = 41                Ascii Data = A");
    EXPECT_EQ(Hex_Status_Line(0, 0).size(), 72u);

    TBuffer buffer;
    for (int i = 0; i < 16; ++i)
        buffer[0xFFF0 + i] = static_cast<uint8_t>(0x41 + i);
    EXPECT_EQ(Hex_Data_Line(buffer, 0xFFF0),
              "0FFF0  41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50   ABCDEFGHIJKLMNOP");
}

TEST(HexValueTest, ReadsHexadecimalTextOnly)
{
    EXPECT_EQ(Read_Hex("1234"), 0x1234u);
    EXPECT_EQ(Read_Hex("ab"), 0xABu);
    EXPECT_EQ(Read_Hex("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_FALSE(Read_Hex(""));
    EXPECT_FALSE(Read_Hex("1G"));
    EXPECT_FALSE(Read_Hex(" 1"));
    EXPECT_FALSE(Read_Hex("-1"));
    EXPECT_FALSE(Read_Hex("100000000"));
    EXPECT_EQ(Conversion_Error_Text("XY"), "'$XY' is not a valid integer value");
    EXPECT_TRUE(Is_Hex_Key('f'));
    EXPECT_FALSE(Is_Hex_Key('g'));
    EXPECT_FALSE(Is_Hex_Key(':'));
}

TEST_F(HexViewTest, OpeningShowsTheFirstPageWithTheCaretOnByteZero)
{
    buffer[0] = 0x41;
    buffer[1] = 0x7F;
    buffer[2] = 0x00;
    buffer[3] = 0x80;
    view.EditClick();

    EXPECT_EQ(end_calls, 1);
    EXPECT_TRUE(form.Edit_1.Visible());
    EXPECT_EQ(display.View_Focus, 1);
    ASSERT_EQ(display.Lines.size(), 17u);
    EXPECT_EQ(display.Lines[0],
              "Address = 00000              Hex Data = 41                Ascii Data = A");
    EXPECT_EQ(display.Lines[1].substr(0, 19), "00000  41 7F 00 80 ");
    EXPECT_EQ(display.Lines[1].substr(55, 6), "  A\x7F..");
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(display.Lines[r + 1].size(), 73u);
        EXPECT_EQ(display.Lines[r + 1].substr(0, 5), IntToHex(16 * r, 5));
    }
    const std::string text = display.Text();
    EXPECT_EQ(text.size(), 72u + 16 * 75);
    EXPECT_EQ(text.substr(74 + 75 * 15, 5), "000F0");
    EXPECT_EQ(display.Caret(), 81); // before the high digit of byte 0
    Expect_Cursor(0, 0, 0, 0, 0);
}

TEST_F(HexViewTest, ReopeningKeepsTheCharacterColumn)
{
    view.EditClick();
    view.Edit_1MouseDown(3, Char(4)); // row 2, byte 4, characters
    view.Edit_1Exit();
    EXPECT_FALSE(form.Edit_1.Visible());
    view.EditClick();
    Expect_Cursor(0, 0, 0, 1, 0);
    EXPECT_EQ(display.Caret_Line, 1);
    EXPECT_EQ(display.Caret_Offset, Char(0));
}

TEST_F(HexViewTest, TypingHexDigitsWritesNibblesAndLeavesTheStatusStale)
{
    view.EditClick();
    Type('3');
    EXPECT_EQ(buffer[0], 0x30);
    EXPECT_EQ(display.Caret_Offset, 8); // low digit
    Type('c');
    EXPECT_EQ(buffer[0], 0x3C);
    EXPECT_EQ(display.Lines[1].substr(High(0), 2), "3C");
    EXPECT_EQ(display.Lines[1][Char(0)], '<');
    Expect_Cursor(0, 0, 1, 0, 0);
    EXPECT_EQ(display.Caret_Offset, High(1));
    // The status line was last written by the key-down of "c".
    EXPECT_NE(display.Lines[0].find("Hex Data = 30"), std::string::npos);
    EXPECT_EQ(display.Redraws, 1); // no page redraw for typing

    const std::string before = display.Text();
    Type('G');
    Type(':');
    EXPECT_EQ(buffer[1], 0x00);
    Expect_Cursor(0, 0, 1, 0, 0);
    // The status line now shows byte 1 from the key-downs; nothing else moved.
    EXPECT_EQ(display.Text().substr(72), before.substr(72));
}

TEST_F(HexViewTest, CharacterColumnStoresAnyCharacterAndWrapsOnTheLastPage)
{
    buffer.End_Of_Eprom = 0x7FF;
    view.EditClick();
    view.Edit_1MouseDown(1, Char(0));
    Type('Z');
    EXPECT_EQ(buffer[0], 0x5A);
    EXPECT_EQ(display.Lines[1].substr(High(0), 2), "5A");
    EXPECT_EQ(display.Lines[1][Char(0)], 'Z');
    Type('\x01');
    EXPECT_EQ(buffer[1], 0x01);
    EXPECT_EQ(display.Lines[1][Char(1)], '.');

    Go_To("7FF");
    view.Edit_1MouseDown(16, Char(15)); // last byte of the last page
    Type('x');
    EXPECT_EQ(buffer[0x7FF], 'x');
    Type('y');
    EXPECT_EQ(buffer[0x700], 'y');
    Expect_Cursor(0x700, 0, 1, 1, 0);

    // The same through the hex column.
    view.Edit_1MouseDown(16, High(15));
    Type('1');
    Type('2');
    Type('3');
    EXPECT_EQ(buffer[0x7FF], 0x12);
    EXPECT_EQ(buffer[0x700] >> 4, 0x3);
    EXPECT_EQ(view.Cursor().Page_Add, 0x700);
}

TEST_F(HexViewTest, ArrowsWrapAtRowAndPageEnds)
{
    buffer.End_Of_Eprom = 0x7FF;
    view.EditClick();
    Key(hex_key::Left); // first byte of page 0 stays
    Expect_Cursor(0, 0, 0, 0, 0);
    Key(hex_key::Up);
    Expect_Cursor(0, 0, 0, 0, 0);
    Key(hex_key::End);
    Key(hex_key::Right);
    Expect_Cursor(0, 1, 0, 0, 0);
    Key(hex_key::Left);
    Expect_Cursor(0, 0, 15, 0, 0);
    for (int i = 0; i < 15; ++i)
        Key(hex_key::Down);
    Key(hex_key::Down);
    Expect_Cursor(0x100, 0, 0, 0, 0);
    EXPECT_EQ(display.Lines[1].substr(0, 5), "00100");
    Key(hex_key::Home);
    Key(hex_key::Up);
    Expect_Cursor(0, 15, 15, 0, 0);
    EXPECT_EQ(display.Lines[0].substr(0, 15), "Address = 000FF");
    EXPECT_EQ(display.Caret(), 75 * 16 + 6 + 45);
}

TEST_F(HexViewTest, LeftFromTheLowDigitStaysOnTheByte)
{
    view.EditClick();
    view.Edit_1MouseDown(2, High(4) + 1); // row 1, byte 4, low digit
    Expect_Cursor(0, 1, 4, 0, 1);
    Key(hex_key::Left);
    Expect_Cursor(0, 1, 4, 0, 0);
    EXPECT_EQ(display.Caret_Offset, High(4));
    Key(hex_key::Left);
    Expect_Cursor(0, 1, 3, 0, 0);
    EXPECT_EQ(display.Caret_Offset, High(3));
}

TEST_F(HexViewTest, PagingWithATwoKilobyteType)
{
    buffer.End_Of_Eprom = 0x7FF;
    view.EditClick();
    Go_To("600");
    view.Edit_1MouseDown(4, High(5));
    Key(hex_key::Page_Down);
    Expect_Cursor(0x700, 3, 5, 0, 0);
    Key(hex_key::Page_Down);
    Expect_Cursor(0x700, 0, 0, 0, 0);
    Key(hex_key::Page_Up);
    Expect_Cursor(0x600, 0, 0, 0, 0);
    // The field stays open while the cursor is moved in the view.
    view.Edit_1MouseDown(0, 12);
    view.Edit_1MouseDown(5, High(2));
    view.Chg_Edit_AddKeyPress(Enter_Key, "FFFF");
    Expect_Cursor(0x700, 4, 2, 0, 0);
    EXPECT_EQ(display.Lines[1].substr(0, 5), "00700");

    Go_To("50");
    Key(hex_key::Page_Up); // from a page start between 1 and 255
    Expect_Cursor(0, 0, 0, 0, 0);
    view.Edit_1MouseDown(7, High(9) + 1);
    Key(hex_key::Page_Up); // at page 0: only a redraw, on the high digit
    Expect_Cursor(0, 6, 9, 0, 0);
}

TEST_F(HexViewTest, GoToClearsTheLowDigitsAndKeepsTheCursor)
{
    buffer.End_Of_Eprom = 0xFFFF;
    view.EditClick();
    view.Edit_1MouseDown(0, 12);
    view.Edit_1MouseDown(3, Char(7));
    view.Chg_Edit_AddKeyPress(Enter_Key, "1234");
    Expect_Cursor(0x1230, 2, 7, 1, 0);
    EXPECT_EQ(display.Lines[1].substr(0, 5), "01230");
    EXPECT_EQ(display.Lines[0].substr(0, 15), "Address = 01257");
    EXPECT_FALSE(form.Chg_Edit_Add.Visible());
}

// A 64 KiB type after a go-to off a 256 boundary: without the clamp the
// page would start above FF00 and run past the end of the Buffer.
TEST_F(HexViewTest, PageNeverLeavesTheBufferAfterAnUnalignedGoTo)
{
    buffer.End_Of_Eprom = 0xFFFF;
    buffer[0xFFFF] = 0x99;
    view.EditClick();
    Go_To("FEF5");
    EXPECT_EQ(view.Cursor().Page_Add, 0xFEF0);
    view.Edit_1MouseDown(3, High(3));
    Key(hex_key::Page_Down);
    Expect_Cursor(0xFF00, 0, 0, 0, 0);
    EXPECT_EQ(display.Lines[16].substr(0, 5), "0FFF0");
    EXPECT_EQ(display.Lines[16].substr(High(15), 2), "99");

    Go_To("FEF5");
    view.Edit_1MouseDown(16, High(6));
    Key(hex_key::Down);
    Expect_Cursor(0xFF00, 0, 0, 0, 0);

    Go_To("FEF5");
    view.Edit_1MouseDown(16, Char(15));
    Key(hex_key::Right);
    Expect_Cursor(0xFF00, 0, 0, 1, 0);
}

TEST_F(HexViewTest, WithoutADeviceTypeThePageStaysAtZero)
{
    view.EditClick();
    view.Edit_1MouseDown(4, High(4));
    Key(hex_key::Page_Down);
    Expect_Cursor(0, 0, 0, 0, 0);
    view.Edit_1MouseDown(4, High(4));
    Go_To("100");
    Expect_Cursor(0, 0, 0, 0, 0);
    view.Edit_1MouseDown(16, High(4));
    Key(hex_key::Down);
    Expect_Cursor(0, 0, 0, 0, 0);
    EXPECT_EQ(display.Lines[16].substr(0, 5), "000F0");
}

TEST_F(HexViewTest, ClicksMapToRowByteAndDigit)
{
    buffer.End_Of_Eprom = 0x7FF;
    view.EditClick();
    view.Edit_1MouseDown(0, 40); // status line beyond the address
    Expect_Cursor(0, 0, 0, 0, 0);
    EXPECT_FALSE(form.Chg_Edit_Add.Visible());
    view.Edit_1MouseDown(1, 5); // row 0 before the first digit
    Expect_Cursor(0, 0, 0, 0, 0);
    view.Edit_1MouseDown(6, High(2) + 2); // the blank after byte 2
    Expect_Cursor(0, 5, 2, 0, 1);
    EXPECT_EQ(display.Caret_Offset, High(2) + 1);
    view.Edit_1MouseDown(6, High(2));
    Expect_Cursor(0, 5, 2, 0, 0);
    view.Edit_1MouseDown(6, 3); // on the address of row 5
    Expect_Cursor(0, 5, 0, 0, 0);
    view.Edit_1MouseDown(6, 54); // blank after byte 15
    Expect_Cursor(0, 5, 15, 0, 1);
    view.Edit_1MouseDown(6, 55); // between the columns
    Expect_Cursor(0, 5, 0, 1, 1);
    view.Edit_1MouseDown(6, Char(9));
    Expect_Cursor(0, 5, 9, 1, 1);
    view.Edit_1MouseDown(6, 73); // end of the line
    Expect_Cursor(0, 5, 15, 1, 1);
    EXPECT_EQ(display.Caret(), 75 * 6 + 56 + 15);
    view.Edit_1MouseDown(6, 0); // before the first address digit
    Expect_Cursor(0, 4, 15, 1, 1);
    view.Edit_1MouseDown(16, 73);
    Expect_Cursor(0, 15, 15, 1, 1);
    EXPECT_EQ(display.Lines[0].substr(0, 15), "Address = 000FF");
}

TEST_F(HexViewTest, GoToFieldOpensFromTheStatusAddressAndScreensKeys)
{
    view.EditClick();
    form.Chg_Edit_Add.Tag = 1;
    view.Edit_1MouseDown(0, 16);
    EXPECT_TRUE(form.Chg_Edit_Add.Visible());
    EXPECT_TRUE(form.Edit_1.Visible());
    EXPECT_EQ(form.Chg_Edit_Add.Tag, 0);
    EXPECT_EQ(display.Goto_Focus, 1);
    EXPECT_EQ(display.Goto_Clears, 1);

    view.Chg_Edit_AddKeyPress('a', "");
    view.Chg_Edit_AddChange();
    EXPECT_EQ(display.Goto_Clears, 1);
    view.Chg_Edit_AddKeyPress('G', "A");
    EXPECT_EQ(form.Chg_Edit_Add.Tag, 1);
    view.Chg_Edit_AddChange();
    EXPECT_EQ(display.Goto_Clears, 2);
    EXPECT_EQ(form.Chg_Edit_Add.Tag, 0);

    const int redraws = display.Redraws;
    const int focus = display.View_Focus;
    view.Chg_Edit_AddKeyPress(Enter_Key, "");
    EXPECT_FALSE(form.Chg_Edit_Add.Visible());
    EXPECT_EQ(display.View_Focus, focus + 1);
    EXPECT_EQ(display.Redraws, redraws);
}

TEST_F(HexViewTest, PastedTextThatIsNotHexLeavesThePage)
{
    buffer.End_Of_Eprom = 0xFFFF;
    view.EditClick();
    Go_To("2000");
    const int redraws = display.Redraws;
    Go_To("1X");
    ASSERT_EQ(display.Errors.size(), 1u);
    EXPECT_EQ(display.Errors[0], "'$1X' is not a valid integer value");
    EXPECT_EQ(view.Cursor().Page_Add, 0x2000);
    EXPECT_EQ(display.Redraws, redraws);
    EXPECT_FALSE(form.Chg_Edit_Add.Visible());
}

} // namespace
} // namespace gang
