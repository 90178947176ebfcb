#include "texts/diagnosis_text.h"

#include "core/hex_text.h"

namespace gang {

namespace {

std::string Differences_Text(uint32_t count)
{
    return std::to_string(count) + (count == 1 ? " difference" : " differences");
}

} // namespace

std::vector<std::string> Diagnosis_Lines(const TDiagnosis& diagnosis)
{
    std::vector<std::string> lines;
    if (diagnosis.Differences == 0)
        return lines;
    const uint32_t count = diagnosis.Differences;
    if (diagnosis.No_Byte_Took)
        lines.emplace_back("no byte took");
    if (const auto& line = diagnosis.Address_Line)
        lines.push_back("address line A" + std::to_string(line->Line) + " stuck at " +
                        std::to_string(line->Level) + " explains " +
                        (count == 1 ? "the only difference" : "all " + Differences_Text(count)));
    for (const TStuck_Data_Bit& bit : diagnosis.Bits)
        lines.push_back("bit " + std::to_string(bit.Bit) + " stuck at " +
                        std::to_string(bit.Level) + " in " + std::to_string(bit.Count) + " of " +
                        Differences_Text(count));
    lines.push_back(std::to_string(count) + (count == 1 ? " byte differs" : " bytes differ"));
    for (const TByte_Difference& difference : diagnosis.First)
        lines.push_back(IntToHex(difference.Address, 4) + ": expected " +
                        IntToHex(difference.Expected, 2) + ", read " +
                        IntToHex(difference.Actual, 2));
    return lines;
}

} // namespace gang
