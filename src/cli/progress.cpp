#include "cli/progress.h"

#include "core/hex_text.h"

#include <algorithm>
#include <cmath>

namespace gang::cli {

namespace {

constexpr auto Terminal_Period = std::chrono::milliseconds(100); // ten lines a second

std::string Minutes_Seconds(double seconds)
{
    const long whole = std::lround(seconds);
    const long s = whole % 60;
    return std::to_string(whole / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

int Percent(int32_t address, int32_t end)
{
    if (end <= 0)
        return address > 0 ? 100 : 0;
    const int64_t done = std::min<int64_t>(address, static_cast<int64_t>(end) + 1);
    return static_cast<int>(done * 100 / (static_cast<int64_t>(end) + 1));
}

} // namespace

std::string Progress_Line(const std::string& operation, int32_t address, int32_t end,
                          double elapsed_s, const std::vector<bool>& failed)
{
    const int percent = Percent(address, end);
    // The counter ends one past the range once every address is done: the
    // line then shows the range's last address, at 100 %.
    const int32_t shown = std::min(address, std::max(end, 0));
    std::string line = operation + "  " + IntToHex(shown, 4) + "/" + IntToHex(end, 4) + "  " +
                       std::to_string(percent) + "%  " + Minutes_Seconds(elapsed_s);
    if (address > 0 && address <= end) {
        const double left = elapsed_s * static_cast<double>(end + 1 - address) / address;
        line += " left " + Minutes_Seconds(left);
    }
    for (std::size_t s = 0; s < failed.size(); ++s)
        line += "  " + std::to_string(s + 1) + (failed[s] ? " failed" : " ok");
    return line;
}

TProgress::TProgress(TProgressMode mode, std::FILE* out) : Mode(mode), Out(out) {}

void TProgress::Begin(const std::string& operation, int32_t end, int gang)
{
    Operation = operation;
    End = end;
    Address = 0;
    Failed.assign(static_cast<std::size_t>(gang), false);
    Started = TClock::now();
    Last_Shown = Started - Terminal_Period;
    Tenths_Shown = -1;
    Address_Shown = -1;
    Active = true;
    Show(false);
}

void TProgress::Update(int32_t address, const std::vector<bool>& failed)
{
    if (!Active)
        return;
    // The counter goes back to 0 when an operation's link state is reset
    // at its end: the progress stays where the run got to.
    Address = std::max(Address, address);
    for (std::size_t s = 0; s < Failed.size() && s < failed.size(); ++s)
        Failed[s] = failed[s];
    Show(false);
}

void TProgress::Finish(bool complete)
{
    if (!Active)
        return;
    if (complete)
        Address = std::max(Address, End + 1);
    Show(true);
    Active = false;
}

double TProgress::Elapsed() const
{
    return std::chrono::duration<double>(TClock::now() - Started).count();
}

void TProgress::Show(bool final)
{
    switch (Mode) {
    case TProgressMode::Quiet:
        return;
    case TProgressMode::Terminal: {
        const TClock::time_point now = TClock::now();
        if (!final && now - Last_Shown < Terminal_Period)
            return;
        Last_Shown = now;
        // Back to the line's start, the line, then clear what an earlier,
        // longer line left behind.
        std::fprintf(Out, "\r%s\033[K%s",
                     Progress_Line(Operation, Address, End, Elapsed(), Failed).c_str(),
                     final ? "\n" : "");
        std::fflush(Out);
        return;
    }
    case TProgressMode::Lines: {
        const int tenths = Percent(Address, End) / 10;
        // Every tenth once, and where a run ended between two tenths.
        if (tenths <= Tenths_Shown && !(final && Address != Address_Shown))
            return;
        Tenths_Shown = tenths;
        Address_Shown = Address;
        std::fprintf(Out, "%s\n",
                     Progress_Line(Operation, Address, End, Elapsed(), Failed).c_str());
        std::fflush(Out);
        return;
    }
    }
}

} // namespace gang::cli
