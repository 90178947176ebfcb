#include "ui/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include <vector>

namespace gang {

namespace {

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : s) {
        if (c == sep) {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    parts.push_back(part);
    return parts;
}

} // namespace

std::string Qt_Filter(const std::string& filter)
{
    const std::vector<std::string> parts = Split(filter, '|');
    std::string out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!out.empty())
            out += ";;";
        out += parts[i] + " (" + parts[i + 1] + ")";
    }
    return out;
}

std::string With_Default_Ext(const std::string& path, const std::string& default_ext)
{
    if (path.empty() || default_ext.empty())
        return path;
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.find('.') != std::string::npos)
        return path;
    return path + "." + default_ext;
}

TMessagePresenter Modal_Message_Presenter(QWidget* parent)
{
    return [parent](const TMessage& m) {
        QMessageBox box(m.Kind == TMessageKind::Error ? QMessageBox::Critical
                                                      : QMessageBox::Information,
                        QString::fromStdString(m.Title), QString::fromStdString(m.Text),
                        QMessageBox::Ok, parent);
        if (m.Positioned)
            box.move(m.X, m.Y);
        box.exec();
    };
}

TQuestionPresenter Modal_Question_Presenter(QWidget* parent)
{
    return [parent](const TMessage& m) {
        QMessageBox box(QMessageBox::Question, QString::fromStdString(m.Title),
                        QString::fromStdString(m.Text), QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(m.Default_Yes ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
}

TFileDialogRunner Modal_File_Dialog(QWidget* parent)
{
    return [parent](TFileDialogState& state) {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(state.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // The open dialog accepts names of files that do not exist: opening
        // them then fails with the program's "File not found" box.
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!state.Save)
            dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("&Open"));
        const QStringList filters =
            QString::fromStdString(Qt_Filter(state.Filter)).split(QStringLiteral(";;"));
        dialog.setNameFilters(filters);
        if (state.FilterIndex >= 1 && state.FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[state.FilterIndex - 1]);
        dialog.setDefaultSuffix(QString::fromStdString(state.DefaultExt));
        if (!state.InitialDir.empty())
            dialog.setDirectory(QString::fromStdString(state.InitialDir));
        if (!state.FileName.empty())
            dialog.selectFile(QFileInfo(QString::fromStdString(state.FileName)).fileName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        state.FileName = dialog.selectedFiles().first().toStdString();
        return true;
    };
}

} // namespace gang
