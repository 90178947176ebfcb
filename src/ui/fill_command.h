// The fill command on its Qt widgets: the pop-up list FillBox and the value
// field FillEdit.  The rules (items, screening, Enter, the conversion error)
// live in TBufferFill (ui/core/fill_buffer.h); this class wires the widgets
// to it.
//
//   FillBox   itemClicked       -> FillBoxClick(row), through the click runner
//   FillEdit  key press         -> FillEditKeyPress (Enter consumed)
//             textChanged       -> FillEditChange
//
// Visibility: TBufferFill writes it into the form model (FillBox, FillEdit),
// as End_Func does.  This class copies the model's Visible of those two
// controls to the widgets before it gives FillEdit the focus and after every
// handler; End_Func called from elsewhere relies on the window's mirror.
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <utility>

class QLineEdit;
class QListWidget;

namespace gang {

class TBufferFill;

class TFillCommand : public QObject {
public:
    TFillCommand(QListWidget* FillBox, QLineEdit* FillEdit, TFormModel& form, TBuffer& buffer,
                 std::function<void()> start_func, std::function<void()> end_func,
                 std::function<void(const std::string&)> show_error);
    ~TFillCommand() override;
    TFillCommand(const TFillCommand&) = delete;
    TFillCommand& operator=(const TFillCommand&) = delete;

    // Click on the Fill button: busy state, FillBox shown.
    void FillClick();
    // Click on an item of FillBox (-1: none selected).
    void FillBoxClick(int index);
    // The window runs the item clicks of FillBox through this, as it runs
    // every other click on a list (default: at once).
    void Set_Click_Runner(std::function<void(const std::function<void()>&)> run)
    {
        Run_Click = std::move(run);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TDisplay;
    void Sync_Visibility();

    QListWidget* FillBox;
    QLineEdit* FillEdit;
    TFormModel& Form;
    std::unique_ptr<TDisplay> Display_;
    std::unique_ptr<TBufferFill> Fill_;
    std::function<void(const std::function<void()>&)> Run_Click =
        [](const std::function<void()>& click) { click(); };
};

} // namespace gang
