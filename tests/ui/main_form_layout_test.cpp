// The window as built from the layout: controls, bounds, captions, hints,
// visibility, fonts, focus order, FormCreate, the model mirror and scaling.
#include "main_form_test_rig.h"

#include "ui/form_layout.h"
#include "ui/scaling.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

namespace gang {
namespace {

using test::TWindowRig;

QRect Bounds(TMainForm& f, const char* name)
{
    return f.Control(name)->geometry();
}

TEST(MainFormLayout, EveryControlIsBuiltWithItsNameKindBoundsAndDesignState)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    EXPECT_EQ(f.objectName(), "MainForm");
    TFormModel design;
    for (const TLayoutEntry& e : Form_Layout()) {
        QWidget* w = f.Control(e.Name);
        ASSERT_NE(w, nullptr) << e.Name;
        EXPECT_EQ(w->geometry(),
                  QRect(e.Bounds.Left, e.Bounds.Top, e.Bounds.Width, e.Bounds.Height))
            << e.Name;
        // Caption and visibility are the form model's design-time state.
        const TControl* m = design.Find(e.Name);
        EXPECT_EQ(!w->isHidden(), m ? m->Visible() : e.Kind == TControlKind::Panel) << e.Name;
        QString caption;
        if (auto* button = qobject_cast<QPushButton*>(w))
            caption = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w))
            caption = label->text();
        EXPECT_EQ(caption.toStdString(), m ? m->Caption() : "") << e.Name;
        switch (e.Kind) {
        case TControlKind::Button:
            EXPECT_NE(qobject_cast<QPushButton*>(w), nullptr) << e.Name;
            break;
        case TControlKind::ListBox:
            EXPECT_NE(qobject_cast<QListWidget*>(w), nullptr) << e.Name;
            break;
        case TControlKind::LineEdit:
            EXPECT_NE(qobject_cast<QLineEdit*>(w), nullptr) << e.Name;
            break;
        case TControlKind::Memo:
        case TControlKind::RichText:
            EXPECT_NE(qobject_cast<QPlainTextEdit*>(w), nullptr) << e.Name;
            break;
        default:
            break;
        }
    }
}

TEST(MainFormLayout, ATypedLookupOfTheWrongKindOrNameNamesControlAndClass)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    EXPECT_EQ(f.Control_As<QListWidget>("Device_Box"), f.Control("Device_Box"));
    for (const char* name : {"Device", "Devise"}) {
        try {
            f.Control_As<QListWidget>(name);
            ADD_FAILURE() << name << " was taken for a list";
        } catch (const std::logic_error& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("QListWidget"), std::string::npos) << e.what();
        }
    }
}

TEST(MainFormLayout, SampleOfCaptionsHintsAndFieldRules)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    auto text = [&](const char* n) { return f.Control_As<QPushButton>(n)->text(); };
    EXPECT_EQ(text("Program_Eprom"), "&Program Device");
    EXPECT_EQ(text("Quit_Func_But"), "&Quit = 00000");
    EXPECT_EQ(text("Vpp_But"), " Vpp = 12.5");
    EXPECT_EQ(text("Start_Buf_Add"), "Start Of Buffer=0000");
    EXPECT_EQ(f.Control_As<QLabel>("StaticText3")->text(), "Looking For Programmer");
    EXPECT_EQ(f.Control_As<QLabel>("StaticText4")->text(),
              "Last File Loaded in Buffer=No File Loaded");
    EXPECT_EQ(f.Control("Load_But")->toolTip(), "Loads the Buffer from a Binary or Hex File.. ");
    EXPECT_EQ(f.Control("Quit_Func_But")->toolTip(), "Lets You Stop a Fuction in Process..");
    EXPECT_TRUE(f.Control("Quit_But")->toolTip().isEmpty());
    EXPECT_EQ(Bounds(f, "Device_Box"), QRect(410, 44, 319, 405));
    EXPECT_EQ(Bounds(f, "Memo1"), QRect(200, 353, 397, 148));
    EXPECT_EQ(Bounds(f, "Device_5"), QRect(10, 344, 135, 19));

    auto* fill_edit = f.Control_As<QLineEdit>("FillEdit");
    auto* go_to = f.Control_As<QLineEdit>("Chg_Edit_Add");
    EXPECT_EQ(fill_edit->maxLength(), 2);
    EXPECT_EQ(go_to->maxLength(), 6);
    // Typed letters become capitals.
    go_to->setText(QString());
    go_to->insert(QStringLiteral("1a2f"));
    EXPECT_EQ(go_to->text(), "1A2F");
    EXPECT_TRUE(f.Control_As<QPlainTextEdit>("Edit_1")->isReadOnly());

    auto* devices = f.Control_As<QListWidget>("Device_Box");
    EXPECT_EQ(devices->count(), 26);
    auto* types = f.Control_As<QListWidget>("File_Type");
    ASSERT_EQ(types->count(), 4);
    EXPECT_EQ(types->item(2)->text(), "Motorola Hex");
    auto* gang = f.Control_As<QListWidget>("Num_Of_Devices");
    ASSERT_EQ(gang->count(), 6);
    EXPECT_EQ(gang->item(0)->text(), "# of Devices");
    EXPECT_EQ(f.Model().Vpp_But.Tag, 1);
    EXPECT_EQ(f.Model().Scale.Tag, 0);
}

TEST(MainFormLayout, ColouredButtonsShowTheirColourOnlyWhileEnabled)
{
    // The busy state must be visible on the yellow-text buttons too: a
    // disabled Blank_Chk keeps the style's grey instead of its yellow.
    TWindowRig rig;
    const QPalette p = rig.Form->Control("Blank_Chk")->palette();
    EXPECT_EQ(p.color(QPalette::Active, QPalette::ButtonText), QColor(0xFF, 0xFF, 0x00));
    EXPECT_NE(p.color(QPalette::Disabled, QPalette::ButtonText), QColor(0xFF, 0xFF, 0x00));
}

TEST(MainFormLayout, FontsAreFixedPitchWhereTextLinesUp)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    for (const char* name : {"Memo1", "Device_Box", "Edit_1", "FillEdit", "Device_1"})
        EXPECT_TRUE(QFontInfo(f.Control(name)->font()).fixedPitch()) << name;
    EXPECT_FALSE(QFontInfo(f.Control("Program_Eprom")->font()).fixedPitch());
    EXPECT_TRUE(f.Control("Program_Eprom")->font().bold());
    EXPECT_EQ(f.Control("Program_Eprom")->font().pixelSize(), 12);
    EXPECT_EQ(f.Control("Num_Of_Devices")->font().pixelSize(), 13);
    EXPECT_EQ(f.Control("File_Type")->font().pixelSize(), 13);
    EXPECT_EQ(f.font().pixelSize(), 14);
}

// Width of the laid-out text of one line of a text field.
qreal Line_Width(QPlainTextEdit* view, int line)
{
    const QTextBlock block = view->document()->findBlockByNumber(line);
    return block.layout()->lineAt(0).naturalTextWidth();
}

TEST(MainFormLayout, NoLineOfTheHexViewOrItemOfAListIsCutOff)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.show();
    auto* view = f.Control_As<QPlainTextEdit>("Edit_1");
    for (int click = 0; click < 2; ++click) {
        f.EditClick();
        ASSERT_EQ(view->document()->blockCount(), 17);
        for (int line : {0, 1, 16})
            EXPECT_LE(Line_Width(view, line), view->viewport()->width())
                << "line " << line << ", layout " << click;
        const QRectF last =
            view->document()->documentLayout()->blockBoundingRect(view->document()->lastBlock());
        EXPECT_LE(last.bottom(), view->viewport()->height()) << "layout " << click;
        f.ScaleClick();
    }
    for (const char* name : {"Device_Box", "Num_Of_Devices", "File_Type", "FillBox"}) {
        auto* list = f.Control_As<QListWidget>(name);
        list->show();
        const QFontMetrics metrics(list->font());
        for (int row = 0; row < list->count(); ++row) {
            const QRect r = list->visualItemRect(list->item(row));
            EXPECT_TRUE(list->viewport()->rect().contains(r)) << name << " row " << row;
            EXPECT_LE(metrics.horizontalAdvance(list->item(row)->text()), r.width())
                << name << " row " << row;
            EXPECT_LE(metrics.height(), r.height()) << name << " row " << row;
        }
    }
}

TEST(MainFormLayout, StatusTextsWidenToShowTheirWholeCaption)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    TFormModel& m = f.Model();
    auto label = [&](const char* n) { return f.Control_As<QLabel>(n); };
    auto shows_all = [&](const char* n) {
        QLabel* l = label(n);
        return l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width();
    };
    m.StaticText2.SetCaption("Programming Device from Buffer....");
    m.StaticText3.SetCaption("Device #1 Has Been Moved to Buffer....");
    m.StaticText4.SetCaption("Last File Loaded in Buffer=/home/user/projects/eproms/firmware.hex");
    for (const char* n : {"StaticText2", "StaticText3", "StaticText4"})
        EXPECT_TRUE(shows_all(n)) << n;
    EXPECT_EQ(Bounds(f, "StaticText3").topLeft(), QPoint(280, 5));
    EXPECT_EQ(Bounds(f, "StaticText3").height(), 17);

    // Scaled and back, still whole; a short caption returns to the laid-out width.
    f.ScaleClick();
    EXPECT_TRUE(shows_all("StaticText3"));
    f.ScaleClick();
    EXPECT_TRUE(shows_all("StaticText3"));
    m.StaticText3.SetCaption("Looking For Programmer");
    EXPECT_NEAR(Bounds(f, "StaticText3").width(), 142, 1);
}

TEST(MainFormLayout, TabOrderFollowsTheListAndLabelsTakeNoFocus)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    const std::vector<std::string>& order = Focus_Order();
    // The next control of the window in the chain (lists and memos have
    // inner widgets of their own in it).
    auto next_control = [&](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (w->parentWidget() != &f || !(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(next_control(f.Control(order[i])), f.Control(order[i + 1]))
            << order[i] << " -> " << order[i + 1] << " got "
            << next_control(f.Control(order[i]))->objectName().toStdString();
    for (const char* name : {"StaticText3", "StaticText4", "Panel1", "Device_1"})
        EXPECT_EQ(f.Control(name)->focusPolicy(), Qt::NoFocus) << name;
}

TEST(MainFormLayout, FormCreateSetsCaptionDeviceTextAndEmptiesTheLog)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    EXPECT_EQ(f.windowTitle(), "The Gang Adapter for the Tarvik Programmer By Belvarn, Inc.   "
                               "Version 1.01   6 Feb 2002");
    f.Model().Device.SetCaption("27C256");
    f.Model().Memo1.AddLine("left over");
    f.setWindowTitle("something else");
    f.FormCreate();
    EXPECT_TRUE(f.windowTitle().endsWith("Version 1.01   6 Feb 2002"));
    EXPECT_EQ(f.Control_As<QPushButton>("Device")->text(), "No Device");
    EXPECT_TRUE(f.Model().Memo1.Lines().empty());
    EXPECT_TRUE(f.Control_As<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
}

TEST(MainFormLayout, ModelChangesReachTheWidgets)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    TFormModel& m = f.Model();
    m.StaticText2.SetCaption("Verifying Device to Buffer....");
    m.StaticText2.SetVisible(true);
    EXPECT_FALSE(f.Control("StaticText2")->isHidden());
    EXPECT_EQ(f.Control_As<QLabel>("StaticText2")->text(), "Verifying Device to Buffer....");
    m.Memo1.AddLine("one");
    m.Memo1.AddLine("two");
    EXPECT_EQ(f.Control_As<QPlainTextEdit>("Memo1")->toPlainText(), "one\ntwo");
    m.Save_But.SetEnabled(false);
    EXPECT_FALSE(f.Control("Save_But")->isEnabled());
    m.Form.SetEnabled(false);
    EXPECT_FALSE(f.isEnabled());
    m.Form.SetEnabled(true);
    EXPECT_TRUE(f.isEnabled());
    m.Quit_Func_But.SetCaption("&Quit = 0100");
    EXPECT_EQ(f.Control_As<QPushButton>("Quit_Func_But")->text(), "&Quit = 0100");
}

// ---- scaling ----------------------------------------------------------------

TEST(Scaling, RoundsToTheNearestIntegerHalvesAwayFromZero)
{
    EXPECT_EQ(Mul_Div_Round(5, 3, 2), 8);         // 7.5
    EXPECT_EQ(Mul_Div_Round(-5, 3, 2), -8);       // -7.5
    EXPECT_EQ(Mul_Div_Round(26, 608, 912), 17);   // 17.33
    EXPECT_EQ(Mul_Div_Round(12, 620, 608), 12);   // 12.24
    EXPECT_EQ(Mul_Div_Round(587, 620, 608), 599); // 598.6
    // Edges scale, not widths: 10..120 at 1.5 is 15..180.
    const TBounds b = Scale_Bounds({10, 5, 110, 21}, 3, 2);
    EXPECT_EQ(b, (TBounds{15, 8, 165, 31}));
    EXPECT_EQ(Edit_Field_Height(12), 23);
}

std::map<std::string, std::pair<QRect, int>> Snapshot(TMainForm& f)
{
    std::map<std::string, std::pair<QRect, int>> s;
    for (const TLayoutEntry& e : Form_Layout()) {
        QWidget* w = f.Control(e.Name);
        s[e.Name] = {w->geometry(), w->font().pixelSize()};
    }
    return s;
}

// The height of a list's rows as the view lays them out.
int Row_Height(TMainForm& f, const char* list)
{
    auto* w = f.Control_As<QListWidget>(list);
    return w->visualItemRect(w->item(0)).height();
}

TEST(Scaling, MaximisedHeightScalesByOneAndAHalf)
{
    TWindowRig rig;
    TMainForm& f = *rig.Form;
    f.resize(f.width(), f.height() + (912 - f.Outer_Height()));
    ASSERT_EQ(f.Outer_Height(), 912);
    f.ScaleClick();
    EXPECT_EQ(Bounds(f, "Program_Eprom"), QRect(15, 8, 165, 31));
    EXPECT_EQ(f.Control("Program_Eprom")->font().pixelSize(), 18);
    EXPECT_EQ(f.font().pixelSize(), 21);
    EXPECT_EQ(f.Control("FillEdit")->height(), Edit_Field_Height(18));
    // List rows grow with the fonts: 15 x 18/12, 15 x 20/13.
    EXPECT_EQ(Row_Height(f, "Device_Box"), 23);
    EXPECT_EQ(Row_Height(f, "Num_Of_Devices"), 23);
    EXPECT_EQ(f.Model().Scale.Tag, 1);
    EXPECT_EQ(f.Control_As<QPushButton>("Scale")->text(), "Small Buttons");
    EXPECT_EQ(f.Outer_Height(), 912); // the window keeps its size
}

TEST(Scaling, TwoClicksAtTheSameHeightRestoreEveryControl)
{
    for (int outer : {620, 700, 912}) {
        TWindowRig rig;
        TMainForm& f = *rig.Form;
        f.resize(f.width(), f.height() + (outer - f.Outer_Height()));
        const auto before = Snapshot(f);
        f.ScaleClick();
        f.ScaleClick();
        EXPECT_EQ(f.Model().Scale.Tag, 0);
        EXPECT_EQ(f.Control_As<QPushButton>("Scale")->text(), "Large Buttons");
        for (const char* list : {"Device_Box", "Num_Of_Devices", "File_Type", "FillBox"})
            EXPECT_EQ(Row_Height(f, list), List_Item_Height) << list << " at " << outer;
        const auto after = Snapshot(f);
        for (const auto& [name, was] : before) {
            const auto& now = after.at(name);
            SCOPED_TRACE(name + " at height " + std::to_string(outer));
            EXPECT_LE(std::abs(now.first.left() - was.first.left()), 1);
            EXPECT_LE(std::abs(now.first.top() - was.first.top()), 1);
            EXPECT_LE(std::abs(now.first.width() - was.first.width()), 1);
            EXPECT_LE(std::abs(now.first.height() - was.first.height()), 1);
            EXPECT_LE(std::abs(now.second - was.second), 1);
        }
    }
}

} // namespace
} // namespace gang
