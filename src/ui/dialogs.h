// Message boxes and file dialogs of the window, behind replaceable
// functions: the running program shows real modal dialogs, the tests put in
// recorders so that no dialog ever blocks a test.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace gang {

enum class TMessageKind { Information, Error, Question };

// One message box: information boxes and error boxes have a single OK
// button, questions Yes and No.  Positioned boxes appear with their
// top-left corner at X, Y.
struct TMessage {
    TMessageKind Kind = TMessageKind::Information;
    std::string Title;
    std::string Text;
    bool Positioned = false;
    int X = 0;
    int Y = 0;
    bool Default_Yes = false; // a question: Yes is the default button
};

using TMessagePresenter = std::function<void(const TMessage&)>;
// Shows a question and gives true for Yes.
using TQuestionPresenter = std::function<bool(const TMessage&)>;

// The state of an open or save dialog that outlives one run of it.
struct TFileDialogState {
    bool Save = false; // save dialog: asks before overwriting a file
    std::string Filter = "Bin|*.Bin|Hex|*.Hex|All|*.*";
    std::string DefaultExt = "Bin";
    int FilterIndex = 1; // 1-based, into Filter's pairs
    std::string InitialDir;
    std::string FileName; // the chosen path after a confirmed run
};

// Runs the dialog; true and FileName set when the user confirmed.
using TFileDialogRunner = std::function<bool(TFileDialogState&)>;

// Modal QMessageBox with one OK button, parented to parent.
TMessagePresenter Modal_Message_Presenter(QWidget* parent);
// Modal QMessageBox with Yes and No, the message's default button first.
TQuestionPresenter Modal_Question_Presenter(QWidget* parent);
// QFileDialog in open or save mode, with the state's filter, default
// extension, filter index and directory.
TFileDialogRunner Modal_File_Dialog(QWidget* parent);

// "Bin|*.Bin|Hex|*.Hex" -> "Bin (*.Bin);;Hex (*.Hex)"
std::string Qt_Filter(const std::string& filter);
// Appends "." + default_ext to a path whose file name has no extension.
std::string With_Default_Ext(const std::string& path, const std::string& default_ext);

} // namespace gang
