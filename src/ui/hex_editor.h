// The hex view of the Buffer on its Qt widgets: Edit_1 (a read-only
// QPlainTextEdit) and the go-to field Chg_Edit_Add (a QLineEdit).  All cursor
// arithmetic, the view's text and the key and click rules live in THexView
// (ui/core/hex_view.h); this class only turns Qt events into its handlers and
// its display requests into widget edits.
//
// Events taken from the widgets (through event filters):
//   Edit_1            key press   -> Edit_1KeyDown, Edit_1KeyPress, then the
//                                    exact caret at once (the key is consumed,
//                                    except Tab and Backtab, which move focus)
//                     key release -> Edit_1KeyUp
//                     focus out   -> Edit_1Exit (not when the whole window is
//                                    deactivated or a pop-up menu opens)
//   Edit_1 viewport   mouse press -> Edit_1MouseDown (consumed, so no
//                                    selection is started)
//   Chg_Edit_Add      key press   -> Chg_Edit_AddKeyPress (Enter consumed)
//                     textChanged -> Chg_Edit_AddChange
//
// The view stays open when a run is started from the keyboard (a button's
// access key leaves the focus in it).  While the window holds input (a
// handler runs), keys and mouse presses on the view and the go-to field are
// consumed and do nothing: a typed digit would change the Buffer under the
// run that is writing it.
//
// Visibility: THexView writes it into the form model (Edit_1, Chg_Edit_Add).
// This class copies the model's Visible of those two controls to the widgets
// before it gives one of them the focus and after every handler, so the
// widgets follow even where the window's own mirror of the model runs later.
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;

namespace gang {

class THexView;

// The character a key press types, as the key-press handlers see it: Enter
// 0D, Backspace 08, Escape 1B, otherwise the key's text when it is a
// Latin-1 character.  Nothing for keys that type nothing (arrows, Delete,
// Tab, modifiers) and for characters outside Latin-1.
std::optional<char> Typed_Char(const QKeyEvent& event);

// The view's virtual-key code of a Qt key (hex_key::None for the others).
int View_Key(int qt_key);

class THexEditor : public QObject {
public:
    THexEditor(QPlainTextEdit* Edit_1, QLineEdit* Chg_Edit_Add, TFormModel& form, TBuffer& buffer,
               std::function<void()> end_func, std::function<void(const std::string&)> show_error);
    ~THexEditor() override;
    THexEditor(const THexEditor&) = delete;
    THexEditor& operator=(const THexEditor&) = delete;

    // Click on the Edit button: opens the view at address 0.
    void EditClick();

    // True while the view must take no input; the window holds it while any
    // of its handlers runs (default: never).
    void Set_Input_Hold(std::function<bool()> held) { Input_Held = std::move(held); }

    // Redraws the whole page (used by the benchmark and by EditClick).
    void Show_Page();

    // The cursor state, for the window and for tests.
    const THexView& View() const { return *View_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TDisplay;
    void Sync_Visibility();
    bool Edit_1Key(QEvent* event);
    bool Edit_1Mouse(QEvent* event);
    bool Chg_Edit_AddKey(QEvent* event);

    QPlainTextEdit* Edit_1;
    QLineEdit* Chg_Edit_Add;
    TFormModel& Form;
    std::unique_ptr<TDisplay> Display_;
    std::unique_ptr<THexView> View_;
    std::function<bool()> Input_Held = [] { return false; };
};

} // namespace gang
