#include "ui/fill_command.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace gang {
namespace {

class FillCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box = new QListWidget(&window);
        box->addItems({QStringLiteral("Fill Buffer With 00"), QStringLiteral("Fill Buffer With FF"),
                       QStringLiteral("Fill Buffer With XX"), QStringLiteral("Cancel")});
        box->setGeometry(10, 10, 160, 80);
        field = new QLineEdit(&window);
        field->setGeometry(180, 40, 40, 24);
        buffer.Data.fill(0x5A);
        command = std::make_unique<TFillCommand>(
            box, field, form, buffer, [this] { ++start_calls; },
            [this] {
                ++end_calls;
                form.FillBox.SetVisible(false);
                form.FillEdit.SetVisible(false);
            },
            [this](const std::string& text) { errors.push_back(text); });
        window.resize(300, 120);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void Click_Item(int row)
    {
        const QRect rect = box->visualItemRect(box->item(row));
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, rect.center());
    }
    bool All(uint8_t value) const
    {
        return std::all_of(buffer.Data.begin(), buffer.Data.end(),
                           [value](uint8_t b) { return b == value; });
    }

    QWidget window;
    QListWidget* box = nullptr;
    QLineEdit* field = nullptr;
    TFormModel form;
    TBuffer buffer;
    int start_calls = 0;
    int end_calls = 0;
    std::vector<std::string> errors;
    std::unique_ptr<TFillCommand> command;
};

TEST_F(FillCommandTest, ItemClickFillsAndHidesTheList)
{
    EXPECT_TRUE(box->isHidden());
    command->FillClick();
    EXPECT_EQ(start_calls, 1);
    ASSERT_TRUE(box->isVisible());
    Click_Item(1);
    EXPECT_TRUE(All(0xFF));
    EXPECT_EQ(end_calls, 1);
    EXPECT_FALSE(box->isVisible());
}

TEST_F(FillCommandTest, TypedValueThroughTheField)
{
    command->FillClick();
    Click_Item(2);
    ASSERT_TRUE(field->isVisible());
    EXPECT_TRUE(field->hasFocus());
    QTest::keyClick(field, 'G');
    EXPECT_TRUE(field->text().isEmpty());
    // Escape changes nothing itself; the next change, the 5, is swallowed.
    QTest::keyClick(field, Qt::Key_Escape);
    QTest::keyClicks(field, QStringLiteral("5"));
    EXPECT_TRUE(field->text().isEmpty());
    QTest::keyClicks(field, QStringLiteral("5"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(All(0x05));
    EXPECT_EQ(end_calls, 1);
    EXPECT_FALSE(field->isVisible());
    EXPECT_FALSE(box->isVisible());
}

TEST_F(FillCommandTest, PastedTextIsRefusedAndTheChoiceStaysOpen)
{
    command->FillClick();
    Click_Item(2);
    field->insert(QStringLiteral("Q1"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'$Q1' is not a valid integer value");
    EXPECT_TRUE(All(0x5A));
    EXPECT_EQ(end_calls, 0);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(field->isVisible());
}

} // namespace
} // namespace gang
