// The window's side of IReport: everything the link and the device work tell
// the user goes into the form model's captions, visibility and enabling, and
// the selection is mirrored into the Tags of the controls that show it.
#pragma once

#include "core/form_model.h"
#include "link/report.h"

#include <cstdint>
#include <functional>
#include <string>

namespace gang {

// "&Quit = " and the address in at least four hexadecimal digits: the stop
// button doubles as the progress counter.
std::string Counter_Caption(int32_t address);

class TFormReport : public IReport {
public:
    explicit TFormReport(TFormModel& form) : Form(form) {}

    void Counter(int32_t address) override;
    void Socket_Text(int socket, const std::string& text) override;
    void Socket_Failed(int socket, const TSocket_Result& result) override;
    void Socket_Stopped(int socket, const TSocket_Result& result) override;
    void Operation(const std::string& line) override;
    void Log_Line(const std::string& line) override;
    void Log_Visible(bool visible) override;
    void Busy_Begin() override;
    void Busy_End(bool adapter_found) override;
    void Stop_Offered() override;
    void Window_Enabled(bool enabled) override;
    void Status(const std::string& text) override;
    void Vpp_Caption(const std::string& caption) override;
    void Check_Sum(uint16_t sum) override;
    void Device_Caption(const std::string& caption) override;
    void Device_List_Shown() override;
    void Device_Row_Chosen(int row) override;
    void Gang_List_Visible(bool visible) override;
    void Socket_Visible(int socket, bool visible) override;
    void Range(int32_t start_of_buffer, int32_t start_of_eprom, int32_t end_of_eprom) override;
    void Selection_Changed(const TSelection& selection) override;

    // Told when the whole window is disabled for an EEPROM page and enabled
    // again after it.
    std::function<void(bool enabled)> On_Window_Enabled;

private:
    TFormModel& Form;
};

} // namespace gang
