#include "ui/station/station_window.h"

#include "core/hex_text.h"
#include "devices/device_rules.h"
#include "link/families.h"
#include "link/port.h"
#include "link/voltages.h"
#include "platform/stop_signals.h"
#include "session/exit_status.h"
#include "session/run_record.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>

namespace gang {

namespace {

constexpr int Bar_Steps = 1000;
constexpr int Tile_Width = 200;
constexpr int Tile_Height = 170;
constexpr int Tile_State_Pixels = 44;
constexpr int Tile_Padding = 6;

const char* Tile_Colours(TTile_State state)
{
    switch (state) {
    case TTile_State::Idle:
        return "background:#d7d7d7; color:#333333;";
    case TTile_State::Running:
        return "background:#ffd54f; color:#222222;";
    case TTile_State::Pass:
        return "background:#2e7d32; color:#ffffff;";
    case TTile_State::Fail:
        return "background:#c62828; color:#ffffff;";
    case TTile_State::Stopped:
        return "background:#78909c; color:#ffffff;";
    }
    return "";
}

QString Escaped(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

QFont Sized(const QFont& base, int pixels, bool bold)
{
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

// The bar follows the steps of a run: the address within the step in hand,
// the diagnosis reads after them at the end.
class TStationWindow::TProgress : public session::IRun_Progress {
public:
    TProgress(TStationWindow& window, int steps) : Window(window), Steps(steps) {}

    void Begin_Run()
    {
        Index = -1;
        End = 0;
        Diagnosing = false;
    }
    void Step_Begins(session::TStep step, int32_t end_of_range, int /*gang*/) override
    {
        Diagnosing = step == session::TStep::Diagnose;
        if (!Diagnosing)
            ++Index;
        Step = step;
        Step_Started = std::chrono::steady_clock::now();
        End = end_of_range;
        Window.Progress_At(0);
    }
    // The last step, and one that only reads: every address takes the same
    // time, so its own rate tells the time left.  Programming does not (an
    // erased byte takes no pulse).
    bool Last_Reading_Step() const
    {
        return !Diagnosing && Index == Steps - 1 &&
               (Step == session::TStep::Verify || Step == session::TStep::Blank);
    }
    double Step_Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - Step_Started)
            .count();
    }
    double Within_Step(int32_t address) const { return Run_Fraction(0, 1, address, End); }
    void Step_Ends() override {}

    bool Diagnosing = false;
    double Fraction(int32_t address) const
    {
        if (Diagnosing)
            return 1.0;
        return Run_Fraction(std::max(Index, 0), Steps, address, End);
    }

private:
    TStationWindow& Window;
    int Steps;
    int Index = -1;
    int32_t End = 0;
    session::TStep Step = session::TStep::Program;
    std::chrono::steady_clock::time_point Step_Started;
};

TStationWindow::TStationWindow(session::TStationPlan plan, session::TAdapter& adapter,
                               QWidget* parent)
    : QWidget(parent), Plan(std::move(plan)), Adapter(adapter)
{
    setObjectName(QStringLiteral("StationWindow"));
    Host = std::make_unique<TStation_Host>([this] { Session->Timer_Tick(); },
                                           [this](const std::string& text) {
                                               // The search's boxes come with
                                               // its verdict.
                                               if (Searched_)
                                                   Show_Status(text, true);
                                           });
    Session = std::make_unique<session::TGangSession>(Adapter.Port(), *Host, Report, Plan.Image);
    Progress = std::make_unique<TProgress>(*this, static_cast<int>(Plan.Steps.size()));
    Report.Pump = [this] { Host->ProcessMessages(); };
    Report.On_Counter = [this](int32_t address) { Progress_At(address); };
    Report.On_Socket_Failed = [this](int socket, const TSocket_Result& result) {
        Set_Tile(socket, Failed_Tile(result));
    };
    Report.On_Window_Enabled = [this](bool enabled) { Host->Hold_User_Input(!enabled); };
    Build();
}

TStationWindow::~TStationWindow()
{
    // A window destroyed without a close (a test, an exception) rests the
    // adapter all the same.
    if (!Rested && !Busy_) {
        Rested = true;
        Session->Rest();
    }
}

void TStationWindow::Build()
{
    setWindowTitle(QStringLiteral("Gang Adapter station - %1")
                       .arg(QFileInfo(QString::fromStdString(Plan.Template.Job_Path)).fileName()));
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);

    Job_Label = new QLabel(this);
    Job_Label->setObjectName(QStringLiteral("Job"));
    Job_Label->setFont(Sized(font(), 20, true));
    Job_Label->setText(Job_Text());
    layout->addWidget(Job_Label);

    Status_Label = new QLabel(this);
    Status_Label->setObjectName(QStringLiteral("Status"));
    Status_Label->setFont(Sized(font(), 16, false));
    Status_Label->setWordWrap(true);
    Status_Label->setText(QStringLiteral("Searching for the Tarvik Programmer..."));
    layout->addWidget(Status_Label);

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(8);
    for (int s = 1; s <= Plan.Settings.Gang; ++s) {
        auto* column = new QVBoxLayout;
        auto* number = new QLabel(QStringLiteral("Socket %1").arg(s), this);
        number->setFont(Sized(font(), 18, true));
        number->setAlignment(Qt::AlignCenter);
        auto* tile = new QLabel(this);
        tile->setObjectName(QStringLiteral("Tile%1").arg(s));
        // Wide enough for the longest state word in the tile's large
        // letters, in whatever font and scale the desktop gives.
        const QFontMetrics letters(Sized(tile->font(), Tile_State_Pixels, true));
        int widest = 0;
        for (TTile_State state : {TTile_State::Idle, TTile_State::Running, TTile_State::Pass,
                                  TTile_State::Fail, TTile_State::Stopped})
            widest = std::max(widest, letters.horizontalAdvance(Tile_State_Text(state)));
        tile->setMinimumSize(std::max(Tile_Width, widest + 2 * Tile_Padding + 24), Tile_Height);
        tile->setAlignment(Qt::AlignCenter);
        tile->setWordWrap(true);
        tile->setTextFormat(Qt::RichText);
        column->addWidget(number);
        column->addWidget(tile, 1);
        tiles->addLayout(column);
        Tiles.push_back(tile);
        Set_Tile(s, TTile{});
    }
    layout->addLayout(tiles, 1);

    Tally_Label = new QLabel(this);
    Tally_Label->setObjectName(QStringLiteral("Tally"));
    Tally_Label->setFont(Sized(font(), 22, true));
    layout->addWidget(Tally_Label);
    Show_Tally();

    auto* progress = new QHBoxLayout;
    Bar = new QProgressBar(this);
    Bar->setObjectName(QStringLiteral("Progress"));
    Bar->setRange(0, Bar_Steps);
    Bar->setValue(0);
    Bar->setTextVisible(false);
    Bar->setMinimumHeight(28);
    Time_Label = new QLabel(this);
    Time_Label->setObjectName(QStringLiteral("Remaining"));
    Time_Label->setFont(Sized(font(), 16, false));
    Time_Label->setMinimumWidth(220);
    progress->addWidget(Bar, 1);
    progress->addWidget(Time_Label);
    layout->addLayout(progress);

    auto* keys = new QHBoxLayout;
    Start_Button = new QPushButton(QStringLiteral("Start  (Enter)"), this);
    Start_Button->setObjectName(QStringLiteral("Start"));
    Start_Button->setFont(Sized(font(), 28, true));
    Start_Button->setMinimumHeight(80);
    Stop_Button = new QPushButton(QStringLiteral("Stop  (Esc)"), this);
    Stop_Button->setObjectName(QStringLiteral("Stop"));
    Stop_Button->setFont(Sized(font(), 20, true));
    Stop_Button->setMinimumHeight(80);
    // The keys belong to the window, whatever was clicked last: Enter and
    // Space start, Esc stops.
    Start_Button->setFocusPolicy(Qt::NoFocus);
    Stop_Button->setFocusPolicy(Qt::NoFocus);
    // Offered only while no adapter was found: the cable plugged in, the
    // other program ended, the search goes again.
    Search_Button = new QPushButton(QStringLiteral("Search again  (F5)"), this);
    Search_Button->setObjectName(QStringLiteral("Search"));
    Search_Button->setFont(Sized(font(), 20, true));
    Search_Button->setMinimumHeight(80);
    Search_Button->setFocusPolicy(Qt::NoFocus);
    keys->addWidget(Start_Button, 3);
    keys->addWidget(Stop_Button, 1);
    keys->addWidget(Search_Button, 1);
    layout->addLayout(keys);
    connect(Start_Button, &QPushButton::clicked, this, &TStationWindow::Start);
    connect(Stop_Button, &QPushButton::clicked, this, &TStationWindow::Stop);
    connect(Search_Button, &QPushButton::clicked, this, &TStationWindow::Search_Again);
    Update_Keys();
}

QString TStationWindow::Job_Text() const
{
    const session::TRunSettings& settings = Plan.Settings;
    const std::string type = settings.Type != nullptr ? settings.Type->Type_Name : "";
    const session::TFileRecord file = Plan.Template.File.value_or(session::TFileRecord{});
    const std::string image = QFileInfo(QString::fromStdString(file.Path)).fileName().toStdString();
    return QString::fromStdString(Job_Line(type, settings.Gang, image, file.Sha256, settings.Lot));
}

void TStationWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Search_Scheduled)
        return;
    Search_Scheduled = true;
    // The search runs once, after the window is on screen.
    QTimer::singleShot(0, this, &TStationWindow::Search);
}

void TStationWindow::Search_Again()
{
    if (Busy_ || Found_ || !Searched_ || Close_Pending)
        return;
    // From the event loop, as the first search; searching from now on.
    Searched_ = false;
    Update_Keys();
    QTimer::singleShot(0, this, &TStationWindow::Search);
}

void TStationWindow::Search()
{
    if (Close_Pending || Busy_ || Found_)
        return;
    Busy_ = true;
    Searched_ = false;
    Report.Log.clear();
    Show_Status("Searching for the Tarvik Programmer...", false);
    Update_Keys();
    session::TOpenedStation opened = session::Open_Station(*Session, *Host, Adapter, Plan);
    Searched_ = true;
    // The search's log ("Port Address - 0378 Expected - A5 / Found - A5")
    // for whoever looks for the reason.
    QString log;
    for (const std::string& line : Report.Log)
        log += QString::fromStdString(line) + QLatin1Char('\n');
    Status_Label->setToolTip(log.trimmed());
    // The verdict in the window, not one box over the other for a click
    // nobody may be there to give.
    std::string verdict;
    for (const std::string& line : session::Verdict_Lines(opened.Verdict))
        verdict += (verdict.empty() ? "" : "\n") + line;
    Station_ = std::move(opened.Station);
    Found_ = Station_ != nullptr;
    // The lot's runs already in the records file count from the start.
    Show_Tally();
    Found_Text = verdict;
    if (!opened.Error.empty())
        Show_Status(opened.Error, true);
    else
        Show_Status(verdict, !Found_);
    if (Station_) {
        // The line: the store's pool and lot places, or the lot's quantity.
        Line = std::make_unique<session::TStation_Line>(session::Line_Settings_Of(Plan.Settings));
        std::string error;
        if (!Line->Open(error)) {
            Show_Status(error, true);
            Station_.reset();
            Found_ = false;
        } else {
            Line->Name_Station(session::Station_Name(Adapter.Simulated(), Session->Base()));
            Line->Serve(*Station_);
            Look_Ahead();
        }
    }
    Show_Idle_Tiles();
    Busy_ = false;
    Update_Keys();
    if (Close_Pending)
        close();
}

int TStationWindow::Look_Ahead(const std::string& above)
{
    // A run's warning stays in view, the look's reason under it.
    const auto status = [this, &above](const std::string& text, bool error) {
        Show_Status(above.empty() ? text : above + "\n" + text, error || !above.empty());
    };
    const std::string lot = Plan.Settings.Lot;
    int chips = Plan.Settings.Gang;
    std::string reason;
    const session::TStation_Line::TLook look = Line->Look(Plan.Settings.Gang, chips, reason);
    Line_Status = look != session::TStation_Line::TLook::Ready;
    switch (look) {
    case session::TStation_Line::TLook::Complete:
        Complete_ = true;
        Left_Text.clear();
        Show_Tally();
        status("lot " + lot + " complete: " + std::to_string(Line->Lot().Passed) + " of " +
                   std::to_string(Line->Lot().Quantity) + " chips passed",
               false);
        Update_Keys();
        return 0;
    case session::TStation_Line::TLook::Unreachable:
        Session->Rest_Between_Runs();
        status(session::Unreachable_Text(reason), true);
        return 0;
    case session::TStation_Line::TLook::Held_Elsewhere:
        status("lot " + lot + ": no place left for now, " + std::to_string(Line->Lot().Held) +
                   " chips are in runs on other stations. Press Start to look again",
               true);
        return 0;
    case session::TStation_Line::TLook::Refused:
        status(reason, true);
        return 0;
    case session::TStation_Line::TLook::Ready:
        break;
    }
    Left_Text.clear();
    if (Line->Has_Quantity())
        Left_Text = "lot " + lot + ": " +
                    std::to_string(Line->Lot().Quantity - Line->Lot().Passed) + " of " +
                    std::to_string(Line->Lot().Quantity) +
                    " chips left to pass; next run: insert " + std::to_string(chips) + " x " +
                    Plan.Settings.Type->Type_Name;
    Show_Tally();
    return chips;
}

void TStationWindow::Start()
{
    if (Busy_ || Start_Queued || !Found_ || Close_Pending || Complete_)
        return;
    Start_Queued = true;
    QTimer::singleShot(0, this, [this] {
        Start_Queued = false;
        Run_Once();
    });
}

void TStationWindow::Stop()
{
    if (Busy_ && Station_)
        Session->Stop();
}

void TStationWindow::Run_Once()
{
    if (Busy_ || !Found_ || Close_Pending || !Station_ || Complete_)
        return;
    // Busy from here: the look may rest the adapter, and a key or a click
    // handled in that wait's pass must not start a run under it.
    Busy_ = true;
    if (Line_Status)
        Show_Status(Found_Text, false);
    const int chips = Look_Ahead();
    if (chips == 0) {
        Busy_ = false;
        Update_Keys();
        if (Close_Pending)
            close();
        return;
    }
    Line->Wanted = chips;
    Update_Keys();
    // A stop ends one run here, not the station.
    Session->Resume();
    for (int s = 1; s <= Plan.Settings.Gang; ++s)
        Set_Tile(s, TTile{s <= chips ? TTile_State::Running : TTile_State::Idle, "", "", ""});
    Progress->Begin_Run();
    Run_Started = std::chrono::steady_clock::now();
    Bar->setValue(0);
    Time_Label->clear();
    const session::TRunRecord* run = Station_->Run_Next(Plan.Image.End_Of_Eprom, *Progress);
    if (run == nullptr) {
        // The records file cannot take the run's record, or the serials
        // could not be reserved: nothing was programmed.
        Show_Idle_Tiles();
        if (Line->Unreachable())
            Session->Rest_Between_Runs();
        Show_Status(Station_->Line_Error.empty() ? Station_->Run_Error
                    : Line->Unreachable()        ? session::Unreachable_Text(Station_->Line_Error)
                                                 : Station_->Line_Error,
                    true);
        Busy_ = false;
        Update_Keys();
        if (Close_Pending)
            close();
        return;
    }
    const session::TRunRecord& record = *run;
    for (const session::TSocketRecord& socket : record.Sockets)
        Set_Tile(socket.Socket,
                 Finished_Tile(socket.Passed, socket.Failure, socket.Serial, socket.Diagnosis));
    Show_Tally();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Run_Started).count();
    char done[48];
    std::snprintf(done, sizeof done, "%s in %.1f s", record.Stopped ? "stopped" : "done", seconds);
    Time_Label->setText(QString::fromLatin1(done));
    if (!record.Stopped) {
        Bar->setValue(Bar_Steps);
        Last_Run_Seconds = seconds;
    }
    // A records file that could not be written stays in view until a run
    // is recorded again.
    // The sockets worn past the job's limit stay in view, in red.
    std::string wear;
    for (const std::string& warning : Station_->Wear_Warnings)
        wear += "\n" + warning;
    if (!Station_->Wear_Error.empty())
        wear += "\n" + Station_->Wear_Error;
    // A record the line's store has not taken waits in the records file.
    std::string waiting;
    Line->Record_Made(record, waiting);
    if (!waiting.empty())
        wear += "\n" + waiting;
    if (!Station_->Settle_Error.empty())
        wear += "\n" + Station_->Settle_Error;
    // Not counted in the yield; the next Start checks the file first and
    // takes no run until it can be written.
    std::string warning;
    if (!Station_->Append_Error.empty())
        warning = "The run was NOT recorded: " + Station_->Append_Error +
                  "\nIts chips are not recorded: set them aside. No run is taken until the "
                  "records file can be written." +
                  wear;
    else if (!wear.empty())
        warning = Found_Text + wear;
    if (warning.empty())
        Show_Status(Found_Text, false);
    else
        Show_Status(warning, true);
    // Still busy: the look may rest the adapter (see above).
    Look_Ahead(warning);
    Busy_ = false;
    Update_Keys();
    if (Close_Pending)
        close();
}

void TStationWindow::Progress_At(int32_t address)
{
    if (!Busy_ || Bar == nullptr)
        return;
    const double fraction = Progress->Fraction(address);
    Bar->setValue(static_cast<int>(fraction * Bar_Steps));
    if (Progress->Diagnosing) {
        Time_Label->setText(QStringLiteral("reading the failed sockets again"));
        return;
    }
    // Only what this lot's own runs can tell: the time of its last whole
    // run, else the rate of a last step that only reads.
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Run_Started).count();
    std::string left;
    if (Last_Run_Seconds)
        left = Remaining_From_Run(elapsed, *Last_Run_Seconds);
    else if (Progress->Last_Reading_Step())
        left = gang::Remaining_Text(Progress->Step_Seconds(), Progress->Within_Step(address));
    Time_Label->setText(QString::fromStdString(left));
}

void TStationWindow::Show_Idle_Tiles()
{
    const session::TSerialState* serials = Station_ ? Station_->Serials() : nullptr;
    const std::vector<uint64_t> next =
        serials != nullptr ? serials->Upcoming(Plan.Settings.Gang) : std::vector<uint64_t>{};
    for (int s = 1; s <= Plan.Settings.Gang; ++s)
        Set_Tile(s, Idle_Tile(static_cast<std::size_t>(s) <= next.size()
                                  ? std::optional<uint64_t>(next[static_cast<std::size_t>(s - 1)])
                                  : std::nullopt));
}

void TStationWindow::Set_Tile(int socket, const TTile& tile)
{
    if (socket < 1 || socket > static_cast<int>(Tiles.size()))
        return;
    QLabel* label = Tiles[static_cast<std::size_t>(socket - 1)];
    QString html = QStringLiteral("<div style='font-size:%1px; font-weight:bold'>%2</div>")
                       .arg(Tile_State_Pixels)
                       .arg(Escaped(Tile_State_Text(tile.State)));
    for (const std::string* part : {&tile.Result, &tile.Serial, &tile.Diagnosis})
        if (!part->empty())
            html += QStringLiteral("<div style='font-size:15px'>%1</div>").arg(Escaped(*part));
    label->setText(html);
    label->setStyleSheet(QStringLiteral("QLabel { %1 border-radius:8px; padding:%2px; }")
                             .arg(QString::fromLatin1(Tile_Colours(tile.State)))
                             .arg(Tile_Padding));
    label->setAccessibleName(QString::fromStdString(gang::Tile_Text(tile)));
}

QString TStationWindow::Tile_Text(int socket) const
{
    if (socket < 1 || socket > static_cast<int>(Tiles.size()))
        return {};
    return Tiles[static_cast<std::size_t>(socket - 1)]->accessibleName();
}

void TStationWindow::Show_Status(const std::string& text, bool error)
{
    Status_Label->setText(QString::fromStdString(text));
    Status_Label->setStyleSheet(error
                                    ? QStringLiteral("QLabel { color:#b71c1c; font-weight:bold; }")
                                    : QStringLiteral("QLabel { color:#1b5e20; }"));
}

QString TStationWindow::Status_Text() const
{
    return Status_Label->text();
}

void TStationWindow::Show_Tally()
{
    int passed = 0;
    int chips = 0;
    int runs = 0;
    int stopped = 0;
    if (Station_)
        for (const session::TLotTally& tally : Station_->Lot().Tallies()) {
            passed += tally.Passed;
            chips += tally.Chips;
            runs += tally.Runs;
            stopped += tally.Stopped_Runs;
        }
    Tally_Label->setText(QString::fromStdString(Yield_Line(passed, chips, runs, stopped) +
                                                (Left_Text.empty() ? "" : "\n" + Left_Text)));
}

QString TStationWindow::Tally_Text() const
{
    return Tally_Label->text();
}

QString TStationWindow::Remaining_Text() const
{
    return Time_Label->text();
}

void TStationWindow::Update_Keys()
{
    if (Start_Button == nullptr)
        return;
    Start_Button->setEnabled(Found_ && !Busy_ && !Close_Pending && !Complete_);
    Stop_Button->setEnabled(Busy_ && Station_ != nullptr);
    Search_Button->setVisible(Searched_ && !Found_);
    Search_Button->setEnabled(Searched_ && !Found_ && !Busy_ && !Close_Pending);
}

void TStationWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            Start();
        event->accept();
        return;
    case Qt::Key_Escape:
        Stop();
        event->accept();
        return;
    case Qt::Key_F5:
        Search_Again();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TStationWindow::closeEvent(QCloseEvent* event)
{
    if (Busy_) {
        // The run (or the search) stops after the address in hand; the window
        // closes when it has returned.
        Close_Pending = true;
        Session->Stop();
        Update_Keys();
        event->ignore();
        return;
    }
    Close_Pending = true;
    if (!Rested) {
        Rested = true;
        Session->Rest();
    }
    event->accept();
}

bool Open_Station_Plan(const std::string& program, const std::string& path,
                       session::TStationPlan& plan, int& argc, char** argv)
{
    std::string error;
    std::vector<std::string> warnings;
    // The job, then its records file and serial state, before the window or
    // the adapter.
    const session::TJob_Opening opening =
        session::Plan_From_Job(path, "", "window", plan, error, warnings);
    // The operator window cannot name a lot: the job must.
    if (opening == session::TJob_Opening::Needs_Lot)
        error += ", which the operator window needs (job new --lot L)";
    if (opening == session::TJob_Opening::Opened &&
        session::Check_Plan_Files(plan, error) == Exit_Passed) {
        for (const std::string& warning : warnings)
            std::cerr << program << ": warning: " << warning << std::endl;
        return true;
    }
    // Started from the desktop's menu, nobody reads stderr: the reason in a
    // box as well, which a stop signal closes too.  Without a display there
    // is no box to show.
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        std::cerr << program << ": " << error << std::endl;
        return false;
    }
    // A stop signal that comes while the box is being made closes it too.
    THeld_Stop_Signals held;
    std::cerr << program << ": " << error << std::endl;
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(program),
                    QStringLiteral("The station cannot start.\n\n") +
                        QString::fromStdString(error));
    box.setObjectName(QStringLiteral("StartError"));
    Install_Stop_Signals(&box, [&box](int) { box.reject(); });
    held.Release();
    box.exec();
    return false;
}

int Run_Station_Window(session::TStationPlan plan, session::TAdapter& adapter,
                       const QString& title_suffix)
{
    adapter.Fresh_Chips(*plan.Settings.Type);
    TStationWindow window(std::move(plan), adapter);
    window.setWindowTitle(window.windowTitle() + title_suffix);
    Install_Station_Signal_Ends(window);
    window.show();
    return QApplication::exec();
}

bool Install_Station_Signal_Ends(TStationWindow& window)
{
    // The close may run nested in a run, as the close button's does: the run
    // stops after the address in hand and the window closes when it has
    // returned.
    return Install_Stop_Signals(&window, [&window](int) { window.close(); });
}

} // namespace gang
