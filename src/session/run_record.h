// The record of one run, appended to the report file as one JSON object on
// one line (JSON Lines), so that a production script can keep every run of
// a batch in one file and read it line by line.
#pragma once

#include "devices/diagnosis.h"
#include "link/report.h"

#include <QDateTime>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gang::session {

struct TStepRecord {
    std::string Step; // "blank", "program", "verify", "read" or "diagnose"
    double Seconds = 0;
};

struct TSocketRecord {
    int Socket = 0;
    bool Passed = false;
    std::string Result; // the socket's text, as the window shows it
    // Where and how it failed first: the device address, the byte expected
    // and the byte read there.
    std::optional<TSocket_Result> Failure;
    // A socket that failed program or verify, read once more over the range.
    std::optional<TDiagnosis> Diagnosis;
    // A serialized run: the socket's serial number and the 16-bit sum of its
    // own bytes over the range.
    std::optional<uint64_t> Serial;
    std::optional<uint16_t> Checksum;
};

// The serial numbers of a run: where they sit in the image, how they are
// written, the first and last handed out.
struct TSerialRecord {
    int32_t At = 0;
    int Size = 0;
    std::string Format; // "le", "be", "bcd", "dec", "hex"
    uint64_t First = 0;
    uint64_t Last = 0;
    // From the line's serial pool: its name, and what becomes of a failed
    // chip's serial ("skip", "reuse"), settled as the store takes the record.
    std::string Pool;
    std::string Failed;
};

struct TFileRecord {
    std::string Path;
    std::string Format;
    int64_t Size = 0;
    std::string Sha256; // lower-case hex
    // Loaded without its record checksums checked: "checksums": "ignored".
    bool Checksums_Ignored = false;
};

struct TRunRecord {
    // A production station's run: its lot and its place in it (1, 2, ...).
    std::string Lot;
    int Sequence = 0;
    // A station on a line: the run's id, unique across the line, and the
    // station's name ("host:0378").
    std::string Run_Id;
    std::string Station;
    std::string Front_End = "cli"; // "cli" or "window"
    // The job file the run was made from, and its SHA-256 (lower-case hex).
    std::string Job_Path;
    std::string Job_Sha256;
    QDateTime Start;
    QDateTime End;
    std::string Command;
    std::string Adapter; // "0378" or "sim"
    std::string Type;
    int Gang = 0;
    std::string Voltage; // "12.5"
    std::string Sdp;     // program of a write-protectable type: "unlock", "keep", "lock"
    std::optional<TFileRecord> File;
    std::optional<uint16_t> Checksum;
    std::optional<TSerialRecord> Serial;
    std::vector<TStepRecord> Steps;
    std::vector<TSocketRecord> Sockets;
    bool Stopped = false;
    int Exit_Status = 0;
};

// The SHA-256 of bytes as lower-case hex.
std::string Sha256_Hex(const QByteArray& bytes);
std::string Sha256_Hex(const std::vector<uint8_t>& bytes);

// Path, size and SHA-256 of a file as it is now; nullopt when unreadable.
std::optional<TFileRecord> Describe_File(const std::string& path, const std::string& format);

// The key of a result kind in the record ("passed", "not_blank",
// "not_programmed", "not_verified", "stopped") and back.
const char* Result_Kind_Key(TResult_Kind kind);
std::optional<TResult_Kind> Result_Kind_Of_Key(const std::string& key);

// The record as one line of compact JSON, without the line end.
std::string Record_Line(const TRunRecord& record);

} // namespace gang::session
