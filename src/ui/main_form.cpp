#include "ui/main_form.h"

#include "devices/catalogue.h"
#include "files/file_errors.h"
#include "ui/fill_command.h"
#include "ui/form_layout.h"
#include "ui/hex_editor.h"
#include "ui/scaling.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QValidator>

#include <exception>
#include <stdexcept>

namespace gang {

namespace {

// The frame a classic desktop puts around the window: the layout's outer
// size includes it, the client area the controls live in does not.
constexpr int Nominal_Frame_Width = 8;
constexpr int Nominal_Frame_Height = 27;

// Where the stand-in system colours come from when the platform has none.
constexpr QRgb Desktop_Rgb = 0x3A6EA5;
constexpr QRgb Active_Caption_Rgb = 0x0A246A;

QColor Resolve(TColor c)
{
    switch (c) {
    case clInfoText:
        return QGuiApplication::palette().color(QPalette::ToolTipText);
    case clDesktop:
        return QColor::fromRgb(Desktop_Rgb);
    case clActiveCaption:
        return QColor::fromRgb(Active_Caption_Rgb);
    default:
        return QColor::fromRgb(static_cast<QRgb>(c));
    }
}

QFont Font_For(TFontRole role, int px)
{
    QFont f;
    switch (role) {
    case TFontRole::Window:
    case TFontRole::Sans_Bold:
        // Narrow sans faces come closest to the small bitmap sans the
        // captions were sized for.
        f.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("Sans Serif")});
        f.setStyleHint(QFont::SansSerif);
        f.setBold(true);
        break;
    case TFontRole::Fixed:
        f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                       QStringLiteral("Monospace")});
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
        break;
    case TFontRole::Fixed_View:
        f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                       QStringLiteral("Monospace")});
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
        break;
    }
    f.setPixelSize(px);
    return f;
}

// Typed letters become capitals (the edit fields take hex digits).
class TUpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

void Set_Colors(QWidget* w, const TLayoutEntry& e)
{
    QPalette p = w->palette();
    if (e.Background != clDefault) {
        p.setColor(QPalette::Window, Resolve(e.Background));
        p.setColor(QPalette::Base, Resolve(e.Background));
        w->setAutoFillBackground(true);
    }
    if (e.Text != clDefault) {
        // Active and inactive only: a disabled button keeps the style's grey
        // text, so that the busy state shows on coloured buttons too.
        const QColor text = Resolve(e.Text);
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            p.setColor(group, QPalette::WindowText, text);
            p.setColor(group, QPalette::ButtonText, text);
            p.setColor(group, QPalette::Text, text);
        }
    }
    w->setPalette(p);
}

QWidget* Make_Widget(const TLayoutEntry& e, const QString& caption, QWidget* parent)
{
    switch (e.Kind) {
    case TControlKind::Panel: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(2);
        frame->setFocusPolicy(Qt::NoFocus);
        return frame;
    }
    case TControlKind::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        return button;
    }
    case TControlKind::StaticText: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setFocusPolicy(Qt::NoFocus);
        if (e.Sunken)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    }
    case TControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setUniformItemSizes(true);
        return list;
    }
    case TControlKind::LineEdit: {
        auto* edit = new QLineEdit(parent);
        if (e.Max_Length > 0)
            edit->setMaxLength(e.Max_Length);
        if (e.Upper_Case)
            edit->setValidator(new TUpperCaseValidator(edit));
        return edit;
    }
    case TControlKind::Memo: {
        auto* memo = new QPlainTextEdit(parent);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        return memo;
    }
    case TControlKind::RichText: {
        auto* view = new QPlainTextEdit(parent);
        view->setReadOnly(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return view;
    }
    }
    return nullptr;
}

void Fill_List(QListWidget* list, const std::vector<std::string>& items)
{
    for (const std::string& text : items) {
        auto* item = new QListWidgetItem(QString::fromStdString(text), list);
        item->setSizeHint(QSize(0, List_Item_Height));
    }
}

std::vector<std::string> Device_List_Items()
{
    std::vector<std::string> items;
    for (const TDeviceType& row : Device_Rows())
        items.emplace_back(row.List_Text);
    return items;
}

} // namespace

TMainForm::TMainForm(IPort& port, QWidget* parent)
    : QWidget(parent),
      Host_(
          Model_,
          [this](int ms) {
              ThreadedTimer1.SetInterval(static_cast<uint16_t>(ms));
              ThreadedTimer1.SetEnabled(true);
          },
          [this] { ThreadedTimer1.SetEnabled(false); }, Modal_Message_Presenter(this),
          QGuiApplication::applicationDisplayName().toStdString()),
      Link_(port, Host_, Report_, Selection_, Buffer_), Work_(Link_),
      Life_(Model_, Link_, Work_, Host_),
      Files_(Model_, Buffer_, Work_, Host_, Modal_File_Dialog(this))
{
    setObjectName(QStringLiteral("MainForm"));
    // ThreadedTimer1 as the window stores it.
    ThreadedTimer1.SetEnabled(false);
    ThreadedTimer1.SetInterval(1);
    ThreadedTimer1.OnTimer = [this](TThreadedTimer*) { ThreadedTimer1Timer(); };
    ThreadedTimer1.SetThreadPriority(TThreadPriority::tpTimeCritical);
    Report_.On_Window_Enabled = [this](bool enabled) { Host_.Hold_User_Input(!enabled); };
    Host_.Set_Question_Presenter(Modal_Question_Presenter(this));
    Host_.Closing = [this] { return Life_.Close_Requested(); };

    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Resolve(Form_Color));
    p.setColor(QPalette::WindowText, Resolve(clInfoText));
    setPalette(p);
    setFont(Font_For(TFontRole::Window, Form_Font_Px));
    resize(Form_Outer_Width - Nominal_Frame_Width, Form_Outer_Height - Nominal_Frame_Height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.x() + (desk.width() - Form_Outer_Width) / 2,
             desk.y() + (desk.height() - Form_Outer_Height) / 2);
    }

    Build_Controls();
    Hex_ = std::make_unique<THexEditor>(
        Control_As<QPlainTextEdit>("Edit_1"), Control_As<QLineEdit>("Chg_Edit_Add"), Model_,
        Buffer_, [this] { Work_.End_Func(); },
        [this](const std::string& m) { Show_Default_Error(m); });
    Fill_ = std::make_unique<TFillCommand>(
        Control_As<QListWidget>("FillBox"), Control_As<QLineEdit>("FillEdit"), Model_, Buffer_,
        [this] { Work_.Start_Func(); }, [this] { Work_.End_Func(); },
        [this](const std::string& m) { Show_Default_Error(m); });
    Fill_->Set_Click_Runner([this](const std::function<void()>& click) { Run(click); });
    Hex_->Set_Input_Hold(
        [this] { return Life_.Running_Handlers() > 0 || Life_.Close_Requested(); });
    Mirror_Model();
    Connect_Handlers();
    Set_Focus_Order();
    Life_.On_Close_Ready = [this] { close(); };
    FormCreate();
}

TMainForm::~TMainForm()
{
    ThreadedTimer1.SetEnabled(false);
    ThreadedTimer1.OnTimer = nullptr;
    Hex_.reset();
    Fill_.reset();
    for (TControl* c : Model_.All())
        c->OnChange = nullptr;
    // The controls go while the state they report to still exists.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : children)
        delete w;
}

QWidget* TMainForm::Control(const std::string& name) const
{
    return findChild<QWidget*>(QString::fromStdString(name), Qt::FindDirectChildrenOnly);
}

std::string TMainForm::Control_Kind_Error(const std::string& name, const char* type) const
{
    if (const QWidget* w = Control(name))
        return "control " + name + " is a " + w->metaObject()->className() + ", not a " + type;
    return "no control named " + name + " (looked up as a " + type + ")";
}

void TMainForm::Set_Message_Presenter(TMessagePresenter presenter)
{
    Host_.Set_Presenter(std::move(presenter));
}

void TMainForm::Set_Question_Presenter(TQuestionPresenter presenter)
{
    Host_.Set_Question_Presenter(std::move(presenter));
}

void TMainForm::Set_File_Dialog_Runner(TFileDialogRunner runner)
{
    Files_.Set_Dialog_Runner(std::move(runner));
}

int TMainForm::Outer_Height() const
{
    const int frame = frameGeometry().height() - geometry().height();
    return height() + (frame > 0 ? frame : Nominal_Frame_Height);
}

void TMainForm::Show_Default_Error(const std::string& message)
{
    Host_.ShowError(Error_Box_Text(message));
}

void TMainForm::Build_Controls()
{
    for (const TLayoutEntry& e : Form_Layout()) {
        // A control starts as its model control is; the panels have none.
        const TControl* m = nullptr;
        if (e.Kind != TControlKind::Panel) {
            m = Model_.Find(e.Name);
            if (!m)
                throw std::logic_error(std::string("layout control ") + e.Name +
                                       " has no control in the form model");
        }
        QWidget* w = Make_Widget(e, m ? QString::fromStdString(m->Caption()) : QString(), this);
        w->setObjectName(QString::fromUtf8(e.Name));
        w->setGeometry(e.Bounds.Left, e.Bounds.Top, e.Bounds.Width, e.Bounds.Height);
        w->setFont(Font_For(e.Font, e.Font_Px));
        if (*e.Hint)
            w->setToolTip(QString::fromUtf8(e.Hint));
        Set_Colors(w, e);
        if (e.Fit_Caption) {
            w->setProperty(Min_Width_Property, e.Bounds.Width);
            Fit_Caption_Width(*w);
        }
        w->setVisible(m ? m->Visible() : true);
    }
    Fill_List(Control_As<QListWidget>("Num_Of_Devices"), Num_Of_Devices_Items());
    Fill_List(Control_As<QListWidget>("Device_Box"), Device_List_Items());
    Fill_List(Control_As<QListWidget>("File_Type"), File_Type_Items());
    Fill_List(Control_As<QListWidget>("FillBox"), FillBox_Items());
    Anchor_Edit_1();
}

void TMainForm::Mirror_Model()
{
    for (TControl* c : Model_.All()) {
        if (c == &Model_.Form) {
            c->OnChange = [this](const TControl& m) { setEnabled(m.Enabled()); };
            continue;
        }
        QWidget* w = Control_As<QWidget>(c->Name);
        c->OnChange = [this, w](const TControl& m) {
            const QString caption = QString::fromStdString(m.Caption());
            bool new_caption = false;
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                new_caption = button->text() != caption;
                button->setText(caption);
            } else if (auto* label = qobject_cast<QLabel*>(w)) {
                new_caption = label->text() != caption;
                label->setText(caption);
                Fit_Caption_Width(*label);
            } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w); memo && !memo->isReadOnly()) {
                QStringList lines;
                for (const std::string& line : m.Lines())
                    lines << QString::fromStdString(line);
                if (memo->toPlainText() != lines.join(QLatin1Char('\n')))
                    memo->setPlainText(lines.join(QLatin1Char('\n')));
            }
            // The hex view, the edit fields and the lists keep their own
            // content; only their state is mirrored.
            w->setVisible(m.Visible());
            w->setEnabled(m.Enabled());
            // The blank check, verify and move loops pump no messages, so a
            // scheduled update would wait for the end of the run.  A new
            // caption (the counter, a socket line, the operation line) is
            // painted at once instead: that widget alone, and no input is
            // taken.
            if (new_caption && Life_.Running_Handlers() > 0)
                w->repaint();
        };
        c->OnChange(*c);
    }
}

void TMainForm::Connect_Handlers()
{
    auto button = [this](const char* name, void (TMainForm::*slot)()) {
        connect(Control_As<QPushButton>(name), &QPushButton::clicked, this, slot);
    };
    button("Program_Eprom", &TMainForm::Program_EpromClick);
    button("Quit_Func_But", &TMainForm::Quit_Func_ButClick);
    button("Quit_But", &TMainForm::Quit_ButClick);
    button("Blank_Chk", &TMainForm::Blank_ChkClick);
    button("Verify_Eprom", &TMainForm::Verify_EpromClick);
    button("Move_Eprom", &TMainForm::Move_EpromClick);
    button("Chk_Sum_But", &TMainForm::Chk_Sum_ButClick);
    button("Load_But", &TMainForm::Load_ButClick);
    button("Save_But", &TMainForm::Save_ButClick);
    button("File_But", &TMainForm::File_ButClick);
    button("Device", &TMainForm::DeviceClick);
    button("Edit", &TMainForm::EditClick);
    button("Fill", &TMainForm::FillClick);
    button("Vpp_But", &TMainForm::Vpp_ButClick);
    button("Scale", &TMainForm::ScaleClick);

    // Pop-up lists: a click on an item delivers its index.  FillBox is
    // wired by the fill command, which runs its clicks through Run.
    auto list = [this](const char* name, void (TMainForm::*slot)(int)) {
        auto* w = Control_As<QListWidget>(name);
        connect(w, &QListWidget::itemClicked, this,
                [this, w, slot](QListWidgetItem* item) { (this->*slot)(w->row(item)); });
        w->installEventFilter(this);
    };
    list("Device_Box", &TMainForm::Device_BoxClick);
    list("Num_Of_Devices", &TMainForm::Num_Of_DevicesClick);
    list("File_Type", &TMainForm::File_TypeClick);

    Control("StaticText3")->installEventFilter(this);
}

void TMainForm::Set_Focus_Order()
{
    QWidget* previous = nullptr;
    for (const std::string& name : Focus_Order()) {
        QWidget* w = Control(name);
        if (previous && w)
            setTabOrder(previous, w);
        if (w)
            previous = w;
    }
}

void TMainForm::Anchor_Edit_1()
{
    if (QWidget* view = Control("Edit_1"))
        Edit_1_Bottom_Margin = height() - view->geometry().bottom() - 1;
}

void TMainForm::Run(const std::function<void()>& handler)
{
    THandlerScope scope(Life_);
    if (!scope)
        return;
    try {
        handler();
    } catch (const EFileError& e) {
        Host_.ShowError(e.Box_Text());
    } catch (const std::exception& e) {
        Show_Default_Error(e.what());
    }
}

// ---- Life cycle -----------------------------------------------------------

void TMainForm::FormCreate()
{
    Files_.Set_Default_Directory(QDir::currentPath().toStdString());
    setWindowTitle(QString::fromUtf8(Form_Caption));
    Model_.Memo1.ClearLines();
    Model_.Device.SetCaption(No_Device_Caption);
    QCoreApplication::processEvents();
}

void TMainForm::FormActivate()
{
    Run([this] { Life_.FormActivate(); });
    Activation_Done = true;
}

void TMainForm::StaticText3Click()
{
    Run([this] { Life_.StaticText3Click(); });
}

void TMainForm::Quit_ButClick()
{
    close();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Activation_Scheduled)
        return;
    Activation_Scheduled = true;
    // Outer size as laid out, now that the frame is known.
    const int frame_w = frameGeometry().width() - geometry().width();
    const int frame_h = frameGeometry().height() - geometry().height();
    if (frame_w > 0 || frame_h > 0)
        resize(Form_Outer_Width - frame_w, Form_Outer_Height - frame_h);
    // The activation sequence runs once, after the window is on screen.
    QTimer::singleShot(0, this, &TMainForm::FormActivate);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (Life_.FormCloseQuery()) {
        ThreadedTimer1.SetEnabled(false);
        event->accept();
    } else {
        // A handler is still unwinding: the window closes when it returns.
        // A box or file dialog it waits in is closed, so that it does return
        // (a stop signal must end the program whatever the window shows).
        event->ignore();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                dialog->reject();
    }
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (QWidget* view = Control("Edit_1")) {
        const QRect g = view->geometry();
        const int h = height() - Edit_1_Bottom_Margin - g.top();
        view->setGeometry(g.x(), g.y(), g.width(), h > 0 ? h : 0);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (QWidget* label = Control("StaticText3");
        watched == label && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint()))
            StaticText3Click();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // Enter on a pop-up list chooses the current item, as a click does.
        auto* key = static_cast<QKeyEvent*>(event);
        auto* list = qobject_cast<QListWidget*>(watched);
        if (list && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            list->currentRow() >= 0) {
            const int row = list->currentRow();
            if (list == Control("Device_Box"))
                Device_BoxClick(row);
            else if (list == Control("Num_Of_Devices"))
                Num_Of_DevicesClick(row);
            else if (list == Control("File_Type"))
                File_TypeClick(row);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Scaling --------------------------------------------------------------

void TMainForm::ScaleClick()
{
    Run([this] {
        const int h = Outer_Height();
        if (Model_.Scale.Tag == 0) {
            Apply_Scale(*this, h, Scale_Base_Height);
            Model_.Scale.Tag = 1;
            Model_.Scale.SetCaption("Small Buttons");
        } else {
            Apply_Scale(*this, Scale_Base_Height, h);
            Model_.Scale.Tag = 0;
            Model_.Scale.SetCaption("Large Buttons");
        }
        Anchor_Edit_1();
    });
}

// ---- Timer ----------------------------------------------------------------

void TMainForm::ThreadedTimer1Timer()
{
    Link_.ThreadedTimer1Timer();
}

// ---- Device work ----------------------------------------------------------

void TMainForm::Program_EpromClick()
{
    Run([this] { Work_.Program_EpromClick(); });
}
void TMainForm::Blank_ChkClick()
{
    Run([this] { Work_.Blank_ChkClick(); });
}
void TMainForm::Verify_EpromClick()
{
    Run([this] { Work_.Verify_EpromClick(); });
}
void TMainForm::Move_EpromClick()
{
    Run([this] { Work_.Move_EpromClick(); });
}
void TMainForm::Quit_Func_ButClick()
{
    Work_.Quit_Func_ButClick();
}
void TMainForm::DeviceClick()
{
    Run([this] { Work_.DeviceClick(); });
}
void TMainForm::Device_BoxClick(int index)
{
    Run([this, index] { Work_.Device_BoxClick(index); });
}
void TMainForm::Vpp_ButClick()
{
    Run([this] { Work_.Vpp_ButClick(); });
}
void TMainForm::Num_Of_DevicesClick(int index)
{
    Run([this, index] { Work_.Num_Of_DevicesClick(index); });
}
void TMainForm::Chk_Sum_ButClick()
{
    Run([this] { Work_.Chk_Sum_ButClick(); });
}

// ---- Files, hex view, fill --------------------------------------------------

void TMainForm::Load_ButClick()
{
    Run([this] { Files_.Load_ButClick(); });
}
void TMainForm::Save_ButClick()
{
    Run([this] { Files_.Save_ButClick(); });
}
void TMainForm::File_ButClick()
{
    Run([this] { Files_.File_ButClick(); });
}
void TMainForm::File_TypeClick(int index)
{
    Run([this, index] { Files_.File_TypeClick(index); });
}
void TMainForm::EditClick()
{
    Run([this] { Hex_->EditClick(); });
}
void TMainForm::FillClick()
{
    Run([this] { Fill_->FillClick(); });
}

} // namespace gang
