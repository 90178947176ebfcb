#include "cli/cli_options.h"

#include "cli/device_choice.h"
#include "cli/image_file.h"
#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "store/store_url.h"

#include <QCommandLineParser>

#include <algorithm>
#include <utility>
#include <vector>

namespace gang::cli {

namespace {

// What each command takes.
struct TCommandRule {
    TCommand Command;
    const char* Name;
    bool Type;         // --type required
    bool File;         // FILE required (and allowed)
    bool Gang;         // --gang allowed
    bool Program_Only; // --vpp, --blank-first, --no-verify, --sdp allowed
    bool Placement;    // --offset, --allow-truncate allowed
    // --even / --odd, -o required (and allowed)
    bool Halves;
    bool Output;
};

constexpr TCommandRule Command_Rules[] = {
    {TCommand::Detect, "detect", false, false, false, false, false, false, false},
    {TCommand::Types, "types", false, false, false, false, false, false, false},
    {TCommand::Blank, "blank", true, false, true, false, false, false, false},
    {TCommand::Program, "program", true, true, true, true, true, false, false},
    {TCommand::Verify, "verify", true, true, true, false, true, false, false},
    {TCommand::Read, "read", true, true, false, false, false, false, false},
    {TCommand::Checksum, "checksum", true, true, false, false, true, false, false},
    {TCommand::Summary, "summary", false, true, false, false, false, false, false},
    {TCommand::Image_Info, "image info", false, true, false, false, true, false, false},
    {TCommand::Image_Split, "image split", false, true, false, false, true, true, false},
    {TCommand::Image_Merge, "image merge", false, false, false, false, false, true, true},
    {TCommand::Image_Swap, "image swap", false, true, false, false, true, false, true},
    {TCommand::Job_New, "job new", true, true, true, true, true, false, true},
    {TCommand::Job_Show, "job show", false, true, false, false, false, false, false},
    {TCommand::Sockets, "sockets", false, false, false, false, false, false, false},
    {TCommand::Store_Init, "store init", false, true, false, false, false, false, false},
};

// station --job: the program run, every setting from the job.
constexpr TCommandRule Job_Station_Rule = {
    TCommand::Program, "program", false, false, false, false, false, false, false};

const TCommandRule* Find_Rule(const std::string& name)
{
    for (const TCommandRule& rule : Command_Rules)
        if (name == rule.Name)
            return &rule;
    return nullptr;
}

// The simulator's options, handed to its own parser as it would see them.
const char* const Sim_Value_Options[] = {"base", "socket", "trace", "access-us", "tray"};

// One run setting from its option, when given: false with the rule's text
// under the option's name.
bool Take_Setting(const QCommandLineParser& parser, const QCommandLineOption& option,
                  session::TSetting setting, TCliOptions& options, std::string& error)
{
    if (!parser.isSet(option))
        return true;
    if (const auto rule = options.Set(setting, parser.value(option).toStdString())) {
        error = session::Option_Error(*rule);
        return false;
    }
    return true;
}

// --offset and --allow-truncate into the options, for a command whose rule
// allows them; false with the error otherwise.
bool Take_Placement(const QCommandLineParser& parser, const QCommandLineOption& offset,
                    const QCommandLineOption& allow_truncate, const TCommandRule& rule,
                    TCliOptions& options, std::string& error)
{
    for (const QCommandLineOption* option : {&offset, &allow_truncate})
        if (parser.isSet(*option) && !rule.Placement) {
            error = options.Command_Name + " takes no --" + option->names().first().toStdString();
            return false;
        }
    if (!Take_Setting(parser, offset, session::TSetting::Offset, options, error))
        return false;
    options.Placement.Allow_Truncate = parser.isSet(allow_truncate);
    // Without a device, image info shows the file as it is.
    if (options.Command == TCommand::Image_Info && options.Type == nullptr &&
        (parser.isSet(offset) || parser.isSet(allow_truncate))) {
        error = "image info places the image with --type only";
        return false;
    }
    return true;
}

// The serial options into the options: program (and station program) with
// a state file, verify with a start value; false with the error otherwise.
// Their values are read as every run setting is; the checks here are the
// command line's own (which command takes them, what it needs).
bool Take_Serial(const QCommandLineParser& parser, const std::vector<QCommandLineOption>& all,
                 const std::string& pool, TCliOptions& options, std::string& error)
{
    const auto set = [&parser, &all](int k) { return parser.isSet(all[k]); };
    enum { At, Size, Format, Start, Step, State, Failed };
    bool any = false;
    for (const QCommandLineOption& option : all)
        any = any || parser.isSet(option);
    if (!any && !pool.empty()) {
        error = "--serial-pool needs the serial's place: --serial-at and --serial-size";
        return false;
    }
    if (!any)
        return true;
    if (options.Command != TCommand::Program && options.Command != TCommand::Verify &&
        options.Command != TCommand::Job_New) {
        error = "the serial options are for program, station program, verify and job new only";
        return false;
    }
    if (!set(At) || !set(Size)) {
        error = "a serial number needs --serial-at and --serial-size";
        return false;
    }
    using session::TSetting;
    const std::pair<int, TSetting> values[] = {
        {At, TSetting::Serial_At},         {Size, TSetting::Serial_Size},
        {Format, TSetting::Serial_Format}, {Start, TSetting::Serial_Start},
        {Step, TSetting::Serial_Step},     {Failed, TSetting::Serial_Failed},
    };
    for (const auto& [k, setting] : values)
        if (!Take_Setting(parser, all[k], setting, options, error))
            return false;
    options.Serial->State_Path = parser.value(all[State]).toStdString();
    // Programmed serials are counted in a state file, so that no serial is
    // given twice; a verify checks the chips from a start value.
    options.Serial->Pool = pool;
    if (!pool.empty() && options.Command == TCommand::Verify) {
        error = "--serial-pool is for station program and job new";
        return false;
    }
    if (options.Command != TCommand::Verify && options.Serial->State_Path.empty() && pool.empty()) {
        error = options.Command_Name +
                " with a serial number needs --serial-state FILE (or, with --store, "
                "--serial-pool NAME)";
        return false;
    }
    if (options.Command == TCommand::Verify && !set(Start)) {
        error = "verify with a serial number needs --serial-start, the first chip's serial";
        return false;
    }
    return true;
}

} // namespace

TCliParse Parse_Cli_Options(const QStringList& arguments)
{
    TCliParse result;
    TCliOptions& options = result.Options;

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", "", "BASE");
    const QCommandLineOption sim("sim");
    const QCommandLineOption fast("fast");
    const QCommandLineOption type("type", "", "T");
    const QCommandLineOption gang("gang", "", "N");
    const QCommandLineOption vpp("vpp", "", "V");
    const QCommandLineOption format("format", "", "F");
    const QCommandLineOption ignore_checksums("ignore-checksums");
    const QCommandLineOption blank_first("blank-first");
    const QCommandLineOption no_verify("no-verify");
    const QCommandLineOption no_diagnose("no-diagnose");
    const QCommandLineOption sdp("sdp", "", "MODE");
    const QCommandLineOption report("report", "", "FILE");
    const QCommandLineOption lot("lot", "", "L");
    const QCommandLineOption offset("offset", "", "ADDR");
    const QCommandLineOption allow_truncate("allow-truncate");
    const QCommandLineOption even("even", "", "FILE");
    const QCommandLineOption odd("odd", "", "FILE");
    const QCommandLineOption output(QStringList{"o", "output"}, "", "FILE");
    const std::vector<QCommandLineOption> serial = {
        {"serial-at", "", "ADDR"},     {"serial-size", "", "N"}, {"serial-format", "", "F"},
        {"serial-start", "", "N"},     {"serial-step", "", "S"}, {"serial-state", "", "FILE"},
        {"serial-failed", "", "WHAT"},
    };
    const QCommandLineOption quiet("quiet");
    const QCommandLineOption help("help");
    const QCommandLineOption version("version");
    const QCommandLineOption job("job", "", "FILE");
    const QCommandLineOption socket_limit("socket-limit", "", "N");
    const QCommandLineOption reset("reset", "", "N");
    const QCommandLineOption force("force");
    const QCommandLineOption store("store", "", "URL");
    const QCommandLineOption serial_pool("serial-pool", "", "NAME");
    const QCommandLineOption quantity("quantity", "", "N");
    parser.addOptions(
        {port,        sim,          fast,  type,   gang,        vpp,      format,
         blank_first, no_verify,    sdp,   report, lot,         offset,   allow_truncate,
         no_diagnose, even,         odd,   output, quiet,       help,     version,
         job,         socket_limit, reset, store,  serial_pool, quantity, force});
    parser.addOption(ignore_checksums);
    parser.addOptions(QList<QCommandLineOption>(serial.begin(), serial.end()));
    for (const char* name : Sim_Value_Options)
        parser.addOption(QCommandLineOption(name, "", "VALUE"));

    if (!parser.parse(arguments)) {
        result.Error = parser.errorText().toStdString();
        return result;
    }
    options.Help = parser.isSet(help);
    options.Version = parser.isSet(version);
    if (options.Help || options.Version) {
        result.Ok = true;
        return result;
    }

    QStringList positional = parser.positionalArguments();
    options.Job = parser.value(job).toStdString();
    const bool from_job =
        parser.isSet(job) && !positional.isEmpty() && positional.first() == "station";
    if (from_job) {
        // Everything the job fixes is refused beside it, before anything
        // is read.
        const std::string fixed = " is fixed by the job " + options.Job;
        for (const QCommandLineOption* option :
             {&type, &gang, &vpp, &sdp, &blank_first, &no_verify, &no_diagnose, &offset,
              &allow_truncate, &format, &report, &socket_limit, &ignore_checksums, &store,
              &serial_pool, &quantity})
            if (parser.isSet(*option)) {
                result.Error = "--" + option->names().first().toStdString() + fixed;
                return result;
            }
        for (const QCommandLineOption& option : serial)
            if (parser.isSet(option)) {
                result.Error = "--" + option.names().first().toStdString() + fixed;
                return result;
            }
        if (positional.size() > 1 && positional.at(1) == "program") {
            result.Error = "station --job runs the job: no 'program' after station";
            return result;
        }
        if (positional.size() > 1) {
            result.Error = "the image" + fixed + ", not '" + positional.at(1).toStdString() + "'";
            return result;
        }
        options.Station = true;
        positional = QStringList{"program"};
    } else if (!positional.isEmpty() && positional.first() == "station") {
        if (positional.size() < 2 || positional.at(1) != "program") {
            result.Error = "station runs a job or program: station --job FILE, or station "
                           "program --type T ... FILE";
            return result;
        }
        options.Station = true;
        positional.removeFirst();
    }
    if (positional.isEmpty()) {
        result.Error = "no command given";
        return result;
    }
    options.Command_Name = positional.first().toStdString();
    if (options.Command_Name == "image" || options.Command_Name == "job" ||
        options.Command_Name == "store") {
        if (positional.size() < 2) {
            result.Error = options.Command_Name == "image"
                               ? "image wants info, split, merge or swap"
                           : options.Command_Name == "job" ? "job wants new or show"
                                                           : "store wants init URL";
            return result;
        }
        positional.removeFirst();
        options.Command_Name += " " + positional.first().toStdString();
    }
    const TCommandRule* rule = from_job ? &Job_Station_Rule : Find_Rule(options.Command_Name);
    if (rule == nullptr) {
        result.Error = "unknown command '" + options.Command_Name + "'";
        return result;
    }
    options.Command = rule->Command;
    // summary --store reads the line's store, not a FILE.
    const bool file_wanted =
        rule->File && !(rule->Command == TCommand::Summary && parser.isSet(store));
    if (rule->Command == TCommand::Summary && parser.isSet(store) && positional.size() > 1) {
        result.Error = "summary takes --store URL or FILE, not both";
        return result;
    }
    if (rule->Command == TCommand::Store_Init && positional.size() != 2) {
        result.Error = "store init needs the store's URL";
        return result;
    }
    if (file_wanted && positional.size() != 2) {
        result.Error = options.Command_Name + " needs one FILE";
        return result;
    }
    if (!file_wanted && positional.size() > 1 && rule->Command != TCommand::Summary) {
        result.Error =
            options.Command_Name + " takes no FILE, not '" + positional.at(1).toStdString() + "'";
        return result;
    }
    if (file_wanted)
        options.File = positional.at(1).toStdString();

    // Adapter.
    options.Sim = parser.isSet(sim);
    if (options.Sim && parser.isSet(port)) {
        result.Error = "--port and --sim exclude each other";
        return result;
    }
    std::vector<std::string> sim_args;
    for (const char* name : Sim_Value_Options)
        for (const QString& value : parser.values(name)) {
            sim_args.push_back(std::string("--") + name);
            sim_args.push_back(value.toStdString());
        }
    if (parser.isSet(fast))
        sim_args.push_back("--fast");
    if (!options.Sim && !sim_args.empty()) {
        result.Error = "option " + sim_args.front() + " needs --sim";
        return result;
    }
    if (options.Sim) {
        const sim::TSimOptionsResult parsed = sim::Parse_Sim_Options(sim_args);
        if (!parsed.Ok) {
            result.Error = parsed.Error;
            return result;
        }
        options.Sim_Options = parsed.Options;
    }
    // The --port value was read before Qt started (session/port_request.h);
    // the parser only accepts it here.

    // Device work.
    if (!parser.isSet(type) && rule->Type) {
        result.Error = options.Command_Name + " needs --type";
        return result;
    }
    if (parser.isSet(gang) && !rule->Gang) {
        result.Error = options.Command_Name + " takes no --gang";
        return result;
    }
    for (const QCommandLineOption* option : {&vpp, &blank_first, &no_verify, &sdp})
        if (parser.isSet(*option) && !rule->Program_Only) {
            result.Error = "--" + option->names().first().toStdString() + " is for program only";
            return result;
        }
    using session::TSetting;
    const std::pair<const QCommandLineOption*, TSetting> settings[] = {
        {&type, TSetting::Type},     {&gang, TSetting::Gang}, {&vpp, TSetting::Voltage},
        {&format, TSetting::Format}, {&sdp, TSetting::Sdp},
    };
    for (const auto& [option, setting] : settings)
        if (!Take_Setting(parser, *option, setting, options, result.Error))
            return result;
    options.Ignore_Checksums = parser.isSet(ignore_checksums);
    if (options.Ignore_Checksums && options.Command != TCommand::Program &&
        options.Command != TCommand::Verify && options.Command != TCommand::Checksum &&
        options.Command != TCommand::Image_Info && options.Command != TCommand::Image_Split &&
        options.Command != TCommand::Image_Merge && options.Command != TCommand::Image_Swap) {
        result.Error = "--ignore-checksums is for program, verify, checksum and image only";
        return result;
    }
    if (!Take_Placement(parser, offset, allow_truncate, *rule, options, result.Error))
        return result;
    for (const QCommandLineOption* option : {&even, &odd, &output}) {
        const bool wanted = option == &output ? rule->Output : rule->Halves;
        const std::string name =
            option == &output ? "-o" : "--" + option->names().first().toStdString();
        if (parser.isSet(*option) && !wanted) {
            result.Error = options.Command_Name + " takes no " + name;
            return result;
        }
        if (!parser.isSet(*option) && wanted) {
            result.Error = options.Command_Name + " needs " + name + " FILE";
            return result;
        }
    }
    options.Even = parser.value(even).toStdString();
    options.Odd = parser.value(odd).toStdString();
    options.Output = parser.value(output).toStdString();
    if (rule->Halves && options.Even == options.Odd) {
        result.Error = "--even and --odd name the same file";
        return result;
    }
    options.Blank_First = parser.isSet(blank_first);
    options.Verify = !parser.isSet(no_verify);
    options.Diagnose = !parser.isSet(no_diagnose);
    if (!options.Diagnose && options.Command != TCommand::Program &&
        options.Command != TCommand::Verify && options.Command != TCommand::Job_New) {
        result.Error = "--no-diagnose is for program, verify and job new only";
        return result;
    }
    options.Report = parser.value(report).toStdString();
    options.Lot = parser.value(lot).toStdString();
    if (parser.isSet(lot) && !options.Station && options.Command != TCommand::Summary &&
        options.Command != TCommand::Job_New) {
        result.Error = "--lot is for station, summary and job new only";
        return result;
    }
    if (parser.isSet(job) && !options.Station && options.Command != TCommand::Sockets) {
        result.Error = "--job is for station and sockets only";
        return result;
    }
    if (parser.isSet(socket_limit) && options.Command != TCommand::Job_New) {
        result.Error = "--socket-limit is for job new only";
        return result;
    }
    options.Force = parser.isSet(force);
    if (options.Force && options.Command != TCommand::Job_New) {
        result.Error = "--force is for job new only";
        return result;
    }
    if (!Take_Setting(parser, socket_limit, TSetting::Socket_Limit, options, result.Error))
        return result;
    if (parser.isSet(reset)) {
        const QString value = parser.value(reset);
        bool number = false;
        const int socket = value.toInt(&number);
        if (options.Command != TCommand::Sockets) {
            result.Error = "--reset is for sockets only";
            return result;
        }
        if (value != "all" && (!number || socket < 1 || socket > Max_Gang_Size)) {
            result.Error =
                "--reset wants a socket, 1 to 5, or all, not '" + value.toStdString() + "'";
            return result;
        }
        options.Reset = value == "all" ? 0 : socket;
    }
    if (options.Command == TCommand::Sockets && parser.isSet(job) && parser.isSet(report)) {
        result.Error = "sockets takes --report or --job, not both";
        return result;
    }
    if (options.Station && options.Job.empty() && options.Lot.empty()) {
        result.Error = "station needs --lot";
        return result;
    }
    if (parser.isSet(store) && !options.Station && options.Command != TCommand::Summary &&
        options.Command != TCommand::Job_New) {
        result.Error = "--store is for station, summary and job new only";
        return result;
    }
    if (parser.isSet(quantity) && !options.Station && options.Command != TCommand::Job_New) {
        result.Error = "--quantity is for station and job new only";
        return result;
    }
    if (!Take_Setting(parser, store, session::TSetting::Store, options, result.Error) ||
        !Take_Setting(parser, quantity, session::TSetting::Quantity, options, result.Error))
        return result;
    if (options.Command == TCommand::Store_Init)
        options.Store = options.File;
    // A URL with a password is refused before anything is opened (and the
    // password never repeated).
    store::TStore_Url url;
    if ((!options.Store.empty() || options.Command == TCommand::Store_Init) &&
        !store::Parse_Store_Url(options.Store, url, result.Error))
        return result;
    const std::string pool = parser.value(serial_pool).toStdString();
    if (parser.isSet(serial_pool) && (pool.empty() || options.Store.empty())) {
        result.Error = pool.empty()
                           ? "--serial-pool wants a name"
                           : "--serial-pool needs --store: the pool is in the line's store";
        return result;
    }
    if (!Take_Serial(parser, serial, pool, options, result.Error))
        return result;
    if (const auto rule_broken = options.Validate()) {
        result.Error = session::Option_Error(*rule_broken);
        return result;
    }
    options.Quiet = parser.isSet(quiet);
    result.Ok = true;
    return result;
}

const char* Cli_Usage_Text()
{
    return "Usage: gang-adapter-cli [ADAPTER] COMMAND [OPTIONS]\n"
           "Runs the gang adapter's operations without a window.\n"
           "\n"
           "ADAPTER:\n"
           "  --port BASE|/dev/parportN|auto\n"
           "                            the parallel port: a base in hex (278, 378, 3BC,\n"
           "                            D010, ...) or the kernel's port N (default auto:\n"
           "                            278, 378, 3BC, then the system's other ports)\n"
           "  --sim                     the simulated adapter, with the simulator's options\n"
           "                            --base, --socket N=TYPE|empty[,FAULT], --trace FILE,\n"
           "                            --access-us N, --fast (see gang-adapter-sim --help);\n"
           "                            sockets not given get a blank chip of --type\n"
           "COMMANDS:\n"
           "  detect                    find the adapter; print its base and pulse unit\n"
           "  types                     the device types and their voltages\n"
           "  blank    --type T [--gang N]\n"
           "  program  --type T [--gang N] [--vpp V] [--format F] [--blank-first]\n"
           "           [--no-verify] [--sdp unlock|keep|lock] [--no-diagnose] [PLACEMENT]\n"
           "           [SERIAL] FILE\n"
           "  verify   --type T [--gang N] [--format F] [--no-diagnose] [PLACEMENT]\n"
           "           [SERIAL] FILE\n"
           "  read     --type T [--format F] FILE      socket 1 into FILE\n"
           "  checksum --type T [--format F] [PLACEMENT] FILE\n"
           "                            the 16-bit checksum of the image\n"
           "  image info [--format F] [--type T [PLACEMENT]] FILE\n"
           "                            format, the ranges that hold data, size, and the\n"
           "                            16-bit sum, CRC-32 and SHA-256 of the image (of\n"
           "                            the device's range as loaded, with --type)\n"
           "  image split [--format F] [PLACEMENT] FILE --even E --odd O\n"
           "                            even and odd bytes into two binary files\n"
           "  image merge [--format F] --even E --odd O -o OUT\n"
           "                            the two halves back into one binary file\n"
           "  image swap [--format F] [PLACEMENT] FILE -o OUT\n"
           "                            each byte pair swapped, into a binary file\n"
           "  station program --lot L [--store URL] [--quantity N] (program's options) FILE\n"
           "                            a production station: one gang per Enter, q ends;\n"
           "                            a tally after each run and the lot's summary\n"
           "  station --job JOB [--lot L]\n"
           "                            the station from a job file: every setting, the\n"
           "                            image (checked by its SHA-256) and the records file\n"
           "                            from the job; --lot only when the job names none\n"
           "  job new  --type T [--gang N] [--vpp V] [--format F] [--blank-first]\n"
           "           [--no-verify] [--sdp unlock|keep|lock] [--no-diagnose] [PLACEMENT]\n"
           "           [--lot L] [--socket-limit N] [--report F] [--store URL]\n"
           "           [--quantity N] [--force] FILE -o JOB\n"
           "                            a job file for the station: the image's path, size,\n"
           "                            format and SHA-256 and every setting (JSON); an\n"
           "                            existing JOB is replaced only with --force\n"
           "  job show JOB              the job in words, and whether its image changed\n"
           "  sockets [--reset N|all] [--report F | --job JOB]\n"
           "                            the insertions each socket of the adapter (--sim or\n"
           "                            --port BASE; without one, every adapter counted) has\n"
           "                            taken; --reset sets socket N (or all) to 0 and logs\n"
           "                            it in the records file\n"
           "  summary [--lot L] FILE    the summary of the run records in FILE\n"
           "  summary --store URL [--lot L]\n"
           "                            the lot across the line: per station and socket,\n"
           "                            the serials; a serial in two chips fails (status 1)\n"
           "  store init URL            create or upgrade the line's store's tables\n"
           "OPTIONS:\n"
           "  --type T                  device type (see types), any case\n"
           "  --gang N                  sockets 1 to N (1-5, default 1)\n"
           "  --vpp V                   programming voltage among the type's (25, 21, 12.5)\n"
           "  --format bin|intel|motorola|ascii\n"
           "                            file format (default: from the content; the\n"
           "                            extension tells only binary (.bin) from text)\n"
           "  --ignore-checksums        load Intel hex and S-record files whose record\n"
           "                            checksums or counts are wrong (hand-edited\n"
           "                            files); the run record says so\n"
           "  --blank-first             blank check first; a socket not blank is skipped\n"
           "  --no-verify               no verify after programming\n"
           "  --no-diagnose             no second read of a socket that failed program or\n"
           "                            verify (it tells a bad bit from a dead data line,\n"
           "                            a stuck address line or a chip that took nothing)\n"
           "  --sdp unlock|keep|lock    28C64/28C256 write protection: switch it off before\n"
           "                            programming (default), send nothing, or switch it\n"
           "                            off and on again after programming\n"
           "  --report FILE             append one JSON line per run (job new: the job's\n"
           "                            records file, default the job's name with .jsonl)\n"
           "  --lot L                   the lot's name (station, summary, job new)\n"
           "  --job JOB                 the job file (station, sockets)\n"
           "  --socket-limit N          job new: warn when a socket has taken more than N\n"
           "                            insertions (each station run counts one for each\n"
           "                            socket of the gang)\n"
           "  --even E  --odd O  -o OUT the image's even and odd bytes, the image written\n"
           "                            (image split, merge, swap; binary files)\n"
           "  --store URL               the line's store, a PostgreSQL URL without password\n"
           "                            (postgresql://gang@db.example/line; the password\n"
           "                            from ~/.pgpass): records, serial pools, lot places\n"
           "  --quantity N              the lot ends when N of its chips passed (station,\n"
           "                            job new; with --store on every station together)\n"
           "  --quiet                   print nothing but errors\n"
           "  --help                    show this text\n"
           "  --version                 show the program version\n"
           "PLACEMENT (where the file's bytes land):\n"
           "  --offset ADDR             the file's address a goes to a + ADDR (hex; -8000\n"
           "                            loads a file whose data starts at 8000 from 0)\n"
           "  --allow-truncate          drop the bytes that fall outside the device (or\n"
           "                            below 0) instead of stopping with status 2\n"
           "SERIAL (a number of its own in each chip):\n"
           "  --serial-at ADDR          where its bytes start (hex, inside the device)\n"
           "  --serial-size N           how many bytes (1-8)\n"
           "  --serial-format le|be|bcd|dec|hex\n"
           "                            binary little or big endian, packed BCD, or ASCII\n"
           "                            decimal or hex digits (default le)\n"
           "  --serial-start N          the first serial (decimal; verify: socket 1's)\n"
           "  --serial-step S           from chip to chip (default 1)\n"
           "  --serial-state FILE       the next serial, kept safe across runs (program);\n"
           "                            once it exists it wins over --serial-start\n"
           "  --serial-pool NAME        with --store: the line's pool of serials, instead of\n"
           "                            --serial-state (the first station creates it from\n"
           "                            --serial-start)\n"
           "  --serial-failed skip|reuse\n"
           "                            a failed chip's serial: never again (default), or\n"
           "                            to the next chip\n"
           "\n"
           "Exit status: 0 every socket passed, 1 a socket failed, 2 usage error,\n"
           "3 adapter not found, 4 file error, 130 stopped (Ctrl+C).\n";
}

} // namespace gang::cli
