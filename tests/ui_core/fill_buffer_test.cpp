#include "ui/core/fill_buffer.h"

#include "ui/core/hex_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace gang {
namespace {

class TFakeFillDisplay : public IFillDisplay {
public:
    void Focus_Fill_Edit() override { ++Focus; }
    void Clear_Fill_Edit() override { ++Clears; }
    void Show_Error(const std::string& text) override { Errors.push_back(text); }
    int Focus = 0;
    int Clears = 0;
    std::vector<std::string> Errors;
};

class FillBufferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        buffer.End_Of_Eprom = 0x7FF;
        for (int i = 0; i < Buffer_Size; ++i)
            buffer[i] = static_cast<uint8_t>(i * 7);
        before = buffer.Data;
        fill.FillClick();
    }
    // As the busy state's end does: lists hidden, buttons back.
    void End_Func()
    {
        ++end_calls;
        form.FillBox.SetVisible(false);
        form.FillEdit.SetVisible(false);
    }
    bool All(uint8_t value) const
    {
        return std::all_of(buffer.Data.begin(), buffer.Data.end(),
                           [value](uint8_t b) { return b == value; });
    }
    bool Busy() const { return start_calls == 1 && end_calls == 0; }

    TFormModel form;
    TBuffer buffer;
    std::array<uint8_t, Buffer_Size> before{};
    TFakeFillDisplay display;
    int start_calls = 0;
    int end_calls = 0;
    TBufferFill fill{form, buffer, display, [this] { ++start_calls; }, [this] { End_Func(); }};
};

TEST_F(FillBufferTest, FixedValuesFillTheWholeBufferAndEndTheBusyState)
{
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(form.FillBox.Visible());
    form.Chk_Sum_But.SetCaption("&Check Sum=1234");
    fill.FillBoxClick(fill_item::With_FF);
    EXPECT_TRUE(All(0xFF)); // above End_Of_Eprom too
    EXPECT_EQ(end_calls, 1);
    EXPECT_FALSE(form.FillBox.Visible());
    EXPECT_EQ(form.Chk_Sum_But.Caption(), "&Check Sum=1234");

    fill.FillClick();
    fill.FillBoxClick(fill_item::With_00);
    EXPECT_TRUE(All(0x00));
    EXPECT_EQ(end_calls, 2);
}

TEST_F(FillBufferTest, CancelAndNoSelectionLeaveTheBuffer)
{
    fill.FillBoxClick(-1);
    EXPECT_TRUE(Busy());
    fill.FillBoxClick(fill_item::Cancel);
    EXPECT_EQ(end_calls, 1);
    EXPECT_EQ(buffer.Data, before);
}

TEST_F(FillBufferTest, TypedValueFillsOnEnter)
{
    form.FillEdit.Tag = 1;
    fill.FillBoxClick(fill_item::With_XX);
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(form.FillEdit.Visible());
    EXPECT_TRUE(form.FillBox.Visible());
    EXPECT_EQ(form.FillEdit.Tag, 0);
    EXPECT_EQ(display.Clears, 1);
    EXPECT_EQ(display.Focus, 1);

    fill.FillEditKeyPress('5', "");
    fill.FillEditChange();
    fill.FillEditKeyPress(Enter_Key, "5");
    EXPECT_TRUE(All(0x05));
    EXPECT_EQ(end_calls, 1);
    EXPECT_FALSE(form.FillEdit.Visible());

    fill.FillClick();
    fill.FillBoxClick(fill_item::With_XX);
    fill.FillEditKeyPress('a', "");
    fill.FillEditKeyPress('b', "A");
    EXPECT_EQ(form.FillEdit.Tag, 0);
    fill.FillEditKeyPress(Enter_Key, "AB");
    EXPECT_TRUE(All(0xAB));
}

TEST_F(FillBufferTest, RejectedKeyEmptiesTheFieldOnTheNextChange)
{
    fill.FillBoxClick(fill_item::With_XX);
    const int clears = display.Clears;
    fill.FillEditKeyPress('G', "1");
    EXPECT_EQ(form.FillEdit.Tag, 1);
    fill.FillEditChange();
    EXPECT_EQ(display.Clears, clears + 1);
    EXPECT_EQ(form.FillEdit.Tag, 0);
    fill.FillEditChange();
    EXPECT_EQ(display.Clears, clears + 1);
    fill.FillEditKeyPress('\b', "1");
    EXPECT_EQ(form.FillEdit.Tag, 1);
}

TEST_F(FillBufferTest, EnterOnAnEmptyFieldCancels)
{
    fill.FillBoxClick(fill_item::With_XX);
    fill.FillEditKeyPress(Enter_Key, "");
    EXPECT_EQ(end_calls, 1);
    EXPECT_EQ(buffer.Data, before);
}

TEST_F(FillBufferTest, PastedTextThatIsNotHexFillsNothingAndStaysBusy)
{
    fill.FillBoxClick(fill_item::With_XX);
    fill.FillEditKeyPress(Enter_Key, "G1");
    ASSERT_EQ(display.Errors.size(), 1u);
    EXPECT_EQ(display.Errors[0], "'$G1' is not a valid integer value");
    EXPECT_EQ(buffer.Data, before);
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(form.FillBox.Visible());
    EXPECT_TRUE(form.FillEdit.Visible());
    fill.FillBoxClick(fill_item::Cancel);
    EXPECT_EQ(end_calls, 1);
}

} // namespace
} // namespace gang
