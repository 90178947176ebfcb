#include "session/job.h"

namespace gang::session {

// Placeholders until the job file lands: every job is refused.
bool Read_Job(const std::string& path, TJob&, std::string& error)
{
    error = path + ": job files are not read yet";
    return false;
}

std::string Job_Text(const TJob&)
{
    return "";
}

std::string Job_Image_Path(const TJob& job)
{
    return job.Image_Path;
}

std::string Job_Records_Path(const TJob& job)
{
    return job.Report;
}

bool Load_Job_Image(const TJob&, TBuffer&, std::string& error)
{
    error = "job images are not loaded yet";
    return false;
}

} // namespace gang::session
