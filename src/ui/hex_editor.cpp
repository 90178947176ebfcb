#include "ui/hex_editor.h"

#include "ui/core/hex_view.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace gang {

namespace {
constexpr int Goto_Max_Length = 6;
constexpr int View_Font_Pixels = 12;
// The view's 73-character lines were laid out for the 7-pixel cell of the
// original 12-pixel face; a stand-in face with a wider cell would push the
// character column past the right edge of the 521-pixel view.
constexpr qreal View_Cell_Pixels = 7.0;

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

std::optional<char> Typed_Char(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return '\r';
    case Qt::Key_Backspace:
        return '\b';
    case Qt::Key_Escape:
        return '\x1B';
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return std::nullopt;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty() || text.at(0).unicode() > 0xFF)
        return std::nullopt;
    return static_cast<char>(text.at(0).unicode());
}

int View_Key(int qt_key)
{
    switch (qt_key) {
    case Qt::Key_PageUp:
        return hex_key::Page_Up;
    case Qt::Key_PageDown:
        return hex_key::Page_Down;
    case Qt::Key_End:
        return hex_key::End;
    case Qt::Key_Home:
        return hex_key::Home;
    case Qt::Key_Left:
        return hex_key::Left;
    case Qt::Key_Up:
        return hex_key::Up;
    case Qt::Key_Right:
        return hex_key::Right;
    case Qt::Key_Down:
        return hex_key::Down;
    default:
        return hex_key::None;
    }
}

// Carries out the view's display requests on the two widgets.  Lines are
// the document's blocks; offsets are positions within a block.
class THexEditor::TDisplay : public IHexViewDisplay {
public:
    TDisplay(THexEditor& owner, std::function<void(const std::string&)> show_error)
        : Owner(owner), Error(std::move(show_error))
    {
    }

    void Set_View_Lines(const std::vector<std::string>& lines) override
    {
        QString text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0)
                text += QLatin1Char('\n');
            text += Latin1(lines[i]);
        }
        Owner.Edit_1->setPlainText(text);
    }

    void Set_View_Line(int line, const std::string& text) override
    {
        const QTextBlock block = Owner.Edit_1->document()->findBlockByNumber(line);
        if (!block.isValid())
            return;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(Latin1(text));
    }

    void Set_View_Chars(int line, int offset, const std::string& text) override
    {
        const QTextBlock block = Owner.Edit_1->document()->findBlockByNumber(line);
        if (!block.isValid())
            return;
        const int end = block.position() + block.length() - 1; // before the block's break
        QTextCursor cursor(block);
        cursor.setPosition(std::min(block.position() + offset, end));
        cursor.setPosition(std::min(block.position() + offset + static_cast<int>(text.size()), end),
                           QTextCursor::KeepAnchor);
        cursor.insertText(Latin1(text));
    }

    void Set_View_Caret(int line, int offset) override
    {
        const QTextBlock block = Owner.Edit_1->document()->findBlockByNumber(line);
        if (!block.isValid())
            return;
        QTextCursor cursor = Owner.Edit_1->textCursor();
        cursor.setPosition(block.position() + std::min(offset, block.length() - 1));
        Owner.Edit_1->setTextCursor(cursor);
    }

    void Focus_View() override
    {
        Owner.Sync_Visibility();
        Owner.Edit_1->setFocus(Qt::OtherFocusReason);
    }

    void Focus_Goto() override
    {
        Owner.Sync_Visibility();
        Owner.Chg_Edit_Add->setFocus(Qt::OtherFocusReason);
    }

    void Clear_Goto() override { Owner.Chg_Edit_Add->clear(); }

    void Process_Messages() override { QCoreApplication::processEvents(); }

    void Show_Error(const std::string& text) override
    {
        if (Error)
            Error(text);
    }

private:
    THexEditor& Owner;
    std::function<void(const std::string&)> Error;
};

THexEditor::THexEditor(QPlainTextEdit* edit_1, QLineEdit* chg_edit_add, TFormModel& form,
                       TBuffer& buffer, std::function<void()> end_func,
                       std::function<void(const std::string&)> show_error)
    : Edit_1(edit_1), Chg_Edit_Add(chg_edit_add), Form(form),
      Display_(std::make_unique<TDisplay>(*this, std::move(show_error))),
      View_(std::make_unique<THexView>(form, buffer, *Display_, std::move(end_func)))
{
    Edit_1->setReadOnly(true);
    // A read-only text field shows its caret only while it is selectable by
    // keyboard; the keys themselves never reach the field's own handling.
    Edit_1->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    Edit_1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Edit_1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Edit_1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Edit_1->setUndoRedoEnabled(false);
    // The 17 lines must fit without scrolling the status line away.
    Edit_1->document()->setDocumentMargin(0);
    Edit_1->setContextMenuPolicy(Qt::NoContextMenu);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(View_Font_Pixels);
    const qreal cell = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    if (cell > View_Cell_Pixels) // a percentage, so that scaling keeps the fit
        font.setLetterSpacing(QFont::PercentageSpacing, 100.0 * View_Cell_Pixels / cell);
    Edit_1->setFont(font);
    Chg_Edit_Add->setMaxLength(Goto_Max_Length);

    Edit_1->installEventFilter(this);
    Edit_1->viewport()->installEventFilter(this);
    Chg_Edit_Add->installEventFilter(this);
    connect(Chg_Edit_Add, &QLineEdit::textChanged, this, [this] {
        View_->Chg_Edit_AddChange();
        Sync_Visibility();
    });
    Sync_Visibility();
}

THexEditor::~THexEditor() = default;

void THexEditor::Sync_Visibility()
{
    Edit_1->setVisible(Form.Edit_1.Visible());
    Chg_Edit_Add->setVisible(Form.Chg_Edit_Add.Visible());
}

void THexEditor::EditClick()
{
    View_->EditClick();
    Sync_Visibility();
}

void THexEditor::Show_Page()
{
    View_->Show_Page();
    Sync_Visibility();
}

bool THexEditor::Edit_1Key(QEvent* event)
{
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        View_->Edit_1KeyUp();
        return true;
    }
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false; // moves the focus on, which closes the view
    View_->Edit_1KeyDown(View_Key(key->key()));
    if (const auto typed = Typed_Char(*key))
        View_->Edit_1KeyPress(*typed);
    View_->Edit_1KeyUp();
    Sync_Visibility();
    return true;
}

bool THexEditor::Edit_1Mouse(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease)
        return true; // no drag selection
    // A left click puts the caret on the clicked spot; other buttons leave it.
    const QTextCursor at = mouse->button() == Qt::LeftButton
                               ? Edit_1->cursorForPosition(mouse->position().toPoint())
                               : Edit_1->textCursor();
    View_->Edit_1MouseDown(at.blockNumber(), at.positionInBlock());
    Sync_Visibility();
    return true;
}

bool THexEditor::Chg_Edit_AddKey(QEvent* event)
{
    auto* key = static_cast<QKeyEvent*>(event);
    const auto typed = Typed_Char(*key);
    if (!typed)
        return false;
    const QByteArray text = Chg_Edit_Add->text().toLatin1();
    View_->Chg_Edit_AddKeyPress(*typed, std::string(text.constData(), text.size()));
    Sync_Visibility();
    return *typed == Enter_Key;
}

bool THexEditor::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool input = type == QEvent::KeyPress || type == QEvent::KeyRelease ||
                       type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                       type == QEvent::MouseButtonRelease || type == QEvent::MouseMove;
    if (input && Input_Held() &&
        (watched == Edit_1 || watched == Edit_1->viewport() || watched == Chg_Edit_Add))
        return true;
    if (watched == Edit_1) {
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease)
            return Edit_1Key(event);
        if (type == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window or a menu taking the keyboard is not the view
            // losing the focus within the window.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                View_->Edit_1Exit();
                Sync_Visibility();
            }
        }
        return false;
    }
    if (watched == Edit_1->viewport()) {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
            type == QEvent::MouseButtonRelease ||
            (type == QEvent::MouseMove &&
             static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton))
            return Edit_1Mouse(event);
        return false;
    }
    if (watched == Chg_Edit_Add && type == QEvent::KeyPress)
        return Chg_Edit_AddKey(event);
    return QObject::eventFilter(watched, event);
}

} // namespace gang
