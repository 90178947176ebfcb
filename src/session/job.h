// A job: everything a production station needs, set up once by an engineer
// (`gang-adapter-cli job new`) and run by operators all day from the
// command-line station or the operator window.  One JSON object in a file,
// with the image it names fixed by its SHA-256: a station refuses an image
// that changed since the job was made.
#pragma once

#include "core/buffer.h"
#include "devices/catalogue.h"
#include "link/report.h"
#include "session/gang_session.h"
#include "session/run_record.h"
#include "session/run_settings.h"
#include "session/serial.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

// The job's run settings are its keys (run_settings.h); the image block
// fixes the file they program.
struct TJob : TRunSettings {
    int Version = 1;
    // The job file itself; its SHA-256 (lower-case hex) when read.
    std::string Path;
    std::string Sha256;

    // The image: its path as written (relative to the job file's folder
    // when relative), format name ("bin", "intel", "motorola", "ascii"),
    // size and SHA-256 (lower-case hex).
    std::string Image_Path;
    std::string Image_Format;
    int64_t Image_Size = 0;
    std::string Image_Sha256;
};

// The job file read and checked: valid JSON, a known version, every
// setting valid.  False with the user's error text.
bool Read_Job(const std::string& path, TJob& job, std::string& error);
// The same from the file's bytes (path: the job file's name, for its paths
// and the errors).
bool Parse_Job(const std::string& bytes, const std::string& path, TJob& job, std::string& error);

// The job as the text of its file.
std::string Job_Text(const TJob& job);

// The image path and the records path as the station opens them (relative
// ones taken from the job file's folder).
std::string Job_Image_Path(const TJob& job);
std::string Job_Records_Path(const TJob& job);

// The job's image loaded into the Buffer for its type and placement, after
// checking that it is there and that its SHA-256 is the job's.  False with
// the user's error text ("the image changed since the job was made: ...").
bool Load_Job_Image(const TJob& job, TBuffer& buffer, std::string& error);
// The same, with what the user should read even when it loads (bytes
// outside the device dropped, with allow_truncate) in warnings.
bool Load_Job_Image(const TJob& job, TBuffer& buffer, std::string& error,
                    std::vector<std::string>& warnings);

// The serial state path as the station opens it; "" without a serial.
std::string Job_Serial_State_Path(const TJob& job);

// A path given on the command line (relative to the working folder) as a
// job at job_path writes it: relative to the job file's folder; an absolute
// path stays as it is.
std::string Job_Path_From(const std::string& job_path, const std::string& path);

// What every record of a station run from the job shares, as the command
// line writes it: the lot (the job's, else the one named at the station),
// the front end ("cli" or "window"), the job's path and SHA-256, the
// command "program", type, gang, voltage, the write protection (for a type
// that has one), the image file (the job's path, format, size, SHA-256)
// and the Buffer's checksum over the device, loaded by Load_Job_Image.  The
// front end adds the adapter ("sim", "0378") once it is found, before the
// station counts wear.
TRunRecord Job_Record_Template(const TJob& job, const TBuffer& buffer, const std::string& lot,
                               const std::string& front_end);

// The job in words, one setting a line ("type      27C256"), as
// `gang-adapter-cli job show` prints it.
std::string Job_Description(const TJob& job);

} // namespace gang::session
