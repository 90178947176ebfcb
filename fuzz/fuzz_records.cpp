// The records file's reader over any bytes: its lines (bounded in length)
// into a lot summary, and the summary's text.
#include "session/lot_summary.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    gang::session::TLotSummary summary;
    gang::session::TLine_Splitter lines;
    const auto take = [&summary](const std::string& line, bool too_long) {
        if (!too_long)
            (void)gang::session::Take_Record_Line(line, summary);
    };
    lines.Feed(reinterpret_cast<const char*>(data), size, take);
    lines.Finish(take);
    for (const gang::session::TLotTally& tally : summary.Tallies()) {
        (void)gang::session::Tally_Line(tally);
        (void)gang::session::Summary_Text(tally);
    }
    return 0;
}
