// The job file's reader over any bytes: a job is read, or refused with a
// text; nothing else may happen.
#include "session/job.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    gang::session::TJob job;
    std::string error;
    if (gang::session::Parse_Job(bytes, "fuzz/line3.job", job, error)) {
        // A job read is one that can be written and described.
        (void)gang::session::Job_Text(job);
        (void)gang::session::Job_Description(job);
        (void)gang::session::Job_Image_Path(job);
        (void)gang::session::Job_Records_Path(job);
    }
    return 0;
}
