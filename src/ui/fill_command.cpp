#include "ui/fill_command.h"

#include "ui/core/fill_buffer.h"
#include "ui/core/hex_view.h"
#include "ui/hex_editor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace gang {

namespace {
constexpr int Fill_Max_Length = 2;
}

class TFillCommand::TDisplay : public IFillDisplay {
public:
    TDisplay(TFillCommand& owner, std::function<void(const std::string&)> show_error)
        : Owner(owner), Error(std::move(show_error))
    {
    }

    void Focus_Fill_Edit() override
    {
        Owner.Sync_Visibility();
        Owner.FillEdit->setFocus(Qt::OtherFocusReason);
    }

    void Clear_Fill_Edit() override { Owner.FillEdit->clear(); }

    void Show_Error(const std::string& text) override
    {
        if (Error)
            Error(text);
    }

private:
    TFillCommand& Owner;
    std::function<void(const std::string&)> Error;
};

TFillCommand::TFillCommand(QListWidget* fill_box, QLineEdit* fill_edit, TFormModel& form,
                           TBuffer& buffer, std::function<void()> start_func,
                           std::function<void()> end_func,
                           std::function<void(const std::string&)> show_error)
    : FillBox(fill_box), FillEdit(fill_edit), Form(form),
      Display_(std::make_unique<TDisplay>(*this, std::move(show_error))),
      Fill_(std::make_unique<TBufferFill>(form, buffer, *Display_, std::move(start_func),
                                          std::move(end_func)))
{
    FillEdit->setMaxLength(Fill_Max_Length);
    FillEdit->installEventFilter(this);
    connect(FillBox, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = FillBox->row(item);
        Run_Click([this, row] { FillBoxClick(row); });
    });
    connect(FillEdit, &QLineEdit::textChanged, this, [this] {
        Fill_->FillEditChange();
        Sync_Visibility();
    });
    Sync_Visibility();
}

TFillCommand::~TFillCommand() = default;

void TFillCommand::Sync_Visibility()
{
    FillBox->setVisible(Form.FillBox.Visible());
    FillEdit->setVisible(Form.FillEdit.Visible());
}

void TFillCommand::FillClick()
{
    Fill_->FillClick();
    Sync_Visibility();
}

void TFillCommand::FillBoxClick(int index)
{
    Fill_->FillBoxClick(index);
    Sync_Visibility();
}

bool TFillCommand::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FillEdit || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto typed = Typed_Char(*static_cast<QKeyEvent*>(event));
    if (!typed)
        return false;
    const QByteArray text = FillEdit->text().toLatin1();
    Fill_->FillEditKeyPress(*typed, std::string(text.constData(), text.size()));
    Sync_Visibility();
    return *typed == Enter_Key;
}

} // namespace gang
