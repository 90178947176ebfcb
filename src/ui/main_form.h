// TMainForm: the program's one window.  It builds every control from the
// layout tables (form_layout.h), owns the program's state objects (the form
// model, the Buffer, the programmer link, the device work, ThreadedTimer1,
// the hex editor, the fill command and the file commands), mirrors the form
// model onto its widgets and connects every control to its handler.
//
// The port is given from outside, so the same window runs over the real
// parallel port or over the simulated adapter.  Dialogs go through
// replaceable functions (Set_Message_Presenter, Set_Question_Presenter,
// Set_File_Dialog_Runner).
#pragma once

#include "core/buffer.h"
#include "core/form_model.h"
#include "devices/device_work.h"
#include "link/link.h"
#include "link/port.h"
#include "timer/threaded_timer.h"
#include "ui/core/form_report.h"
#include "ui/core/lifecycle.h"
#include "ui/dialogs.h"
#include "ui/file_flow.h"
#include "ui/qt_host.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace gang {

class THexEditor;
class TFillCommand;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(IPort& port, QWidget* parent = nullptr);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    TFormModel& Model() { return Model_; }
    TBuffer& Buffer() { return Buffer_; }
    TLink& Link() { return Link_; }
    TDeviceWork& Work() { return Work_; }
    TLifecycle& Life() { return Life_; }
    TQtHost& Host() { return Host_; }
    TFileFlow& Files() { return Files_; }
    TThreadedTimer& Timer() { return ThreadedTimer1; }
    THexEditor& Hex_Editor() { return *Hex_; }
    TFillCommand& Fill_Command() { return *Fill_; }

    // The control of that object name; nullptr when there is none.
    QWidget* Control(const std::string& name) const;
    // The control of that object name as the widget class T.  Throws
    // std::logic_error naming the control and T when there is no such
    // control or it is of another class: a wrong name or kind is a defect
    // in the program, not a state to run on.
    template <class T> T* Control_As(const std::string& name) const
    {
        if (auto* typed = qobject_cast<T*>(Control(name)))
            return typed;
        throw std::logic_error(Control_Kind_Error(name, T::staticMetaObject.className()));
    }

    void Set_Message_Presenter(TMessagePresenter presenter);
    void Set_Question_Presenter(TQuestionPresenter presenter);
    void Set_File_Dialog_Runner(TFileDialogRunner runner);
    // Title of the message boxes.  Not the application's display name: the
    // platform would append that to the window's caption.
    void Set_Box_Title(const std::string& title) { Host_.Set_Title(title); }

    // True once the activation sequence has run to its end.
    bool Activated() const { return Activation_Done; }
    // The window's outer height (client area plus frame).
    int Outer_Height() const;

    // The default error box: message with a full stop, under the title.
    void Show_Default_Error(const std::string& message);

public slots:
    void FormCreate();
    void FormActivate();
    void StaticText3Click();
    void Quit_ButClick();
    void ScaleClick();
    void ThreadedTimer1Timer();
    void Program_EpromClick();
    void Blank_ChkClick();
    void Verify_EpromClick();
    void Move_EpromClick();
    void Quit_Func_ButClick();
    void DeviceClick();
    void Device_BoxClick(int index);
    void Vpp_ButClick();
    void Num_Of_DevicesClick(int index);
    void Chk_Sum_ButClick();
    void Load_ButClick();
    void Save_ButClick();
    void File_ButClick();
    void File_TypeClick(int index);
    void EditClick();
    void FillClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string Control_Kind_Error(const std::string& name, const char* type) const;
    void Build_Controls();
    void Mirror_Model();
    void Connect_Handlers();
    void Set_Focus_Order();
    // Runs a user-event handler: not at all under another handler nor once
    // the window is closing; file and conversion errors end it and show the
    // default error box.
    void Run(const std::function<void()>& handler);
    void Anchor_Edit_1();

    TFormModel Model_;
    TBuffer Buffer_;
    TSelection Selection_;
    TFormReport Report_{Model_};
    TQtHost Host_;
    TLink Link_;
    TDeviceWork Work_;
    TLifecycle Life_;
    TFileFlow Files_;
    TThreadedTimer ThreadedTimer1;
    std::unique_ptr<THexEditor> Hex_;
    std::unique_ptr<TFillCommand> Fill_;

    bool Activation_Scheduled = false;
    bool Activation_Done = false;
    int Edit_1_Bottom_Margin = 0;
};

} // namespace gang
