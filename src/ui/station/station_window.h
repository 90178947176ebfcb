// TStationWindow: the operator window.  A production station over one job:
// the job's type, gang, voltage and image are fixed (nothing in the window
// changes them), the operator fills the sockets, presses Start (Enter or
// Space), reads PASS or FAIL per socket on large tiles and goes again.  The
// same session work as the command-line station (session::TStation): each
// run appends its record, with "front_end": "window" and the job's path and
// hash, to the job's records file.
//
// Re-entrancy: a run pumps messages inside (pulses, waits, the counter), so
// a handler can run nested under it.  Start refuses to run nested (a second
// Enter during a run does nothing); Stop and Esc only ask the run to stop
// after the address in hand; closing the window during a run stops it and
// the window closes once the run has returned, resting the adapter.
#pragma once

#include "core/buffer.h"
#include "session/adapter.h"
#include "session/gang_run.h"
#include "session/gang_session.h"
#include "session/job.h"
#include "session/station_line.h"
#include "session/station_opening.h"
#include "ui/core/station_text.h"
#include "ui/station/station_host.h"

#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace gang {

class TStationWindow : public QWidget {
    Q_OBJECT
public:
    // plan: the station's settings, image and records
    // (session/station_opening.h), opened over the adapter once the window
    // is on screen.
    TStationWindow(session::TStationPlan plan, session::TAdapter& adapter,
                   QWidget* parent = nullptr);
    ~TStationWindow() override;
    TStationWindow(const TStationWindow&) = delete;
    TStationWindow& operator=(const TStationWindow&) = delete;

    // The Start key: the next run, unless one runs, the search has not found
    // the adapter or the window is closing.  Queued: the run starts from the
    // event loop, not inside the key's or the click's handler.
    void Start();
    // The Stop key: the run in hand stops after its address.
    void Stop();
    // The Search key (F5), offered while no adapter was found: the search
    // again, as at the start.
    void Search_Again();

    // The search has run (found or not), a run or the search is under way.
    bool Searched() const { return Searched_; }
    bool Found() const { return Found_; }
    bool Busy() const { return Busy_; }
    // The lot's quantity is reached: the window takes no more runs.
    bool Complete() const { return Complete_; }

    const session::TStation& Station() const { return *Station_; }
    QString Tile_Text(int socket) const;
    QString Status_Text() const;
    QString Tally_Text() const;
    QString Job_Text() const;
    QString Remaining_Text() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class TProgress;

    void Build();
    void Search();
    void Run_Once();
    void Show_Idle_Tiles();
    void Set_Tile(int socket, const TTile& tile);
    void Show_Status(const std::string& text, bool error);
    void Show_Tally();
    void Update_Keys();
    void Progress_At(int32_t address);
    // What the next run may take on the station's line (the store, the
    // lot's quantity): the chips, or 0 when no run can start now, with the
    // reason (the lot complete, the store away) in the status line.
    // Ready: the lot's places left under the tally.
    // above: a run's warning, kept above the look's own reason.
    int Look_Ahead(const std::string& above = "");

    // The job's settings and its image, which the session programs from.
    session::TStationPlan Plan;
    session::TAdapter& Adapter;

    TStation_Report Report;
    std::unique_ptr<TStation_Host> Host;
    std::unique_ptr<session::TGangSession> Session;
    std::unique_ptr<session::TStation> Station_;
    std::unique_ptr<TProgress> Progress;
    std::unique_ptr<session::TStation_Line> Line;

    QLabel* Job_Label = nullptr;
    QLabel* Status_Label = nullptr;
    QLabel* Tally_Label = nullptr;
    QLabel* Time_Label = nullptr;
    QProgressBar* Bar = nullptr;
    QPushButton* Start_Button = nullptr;
    QPushButton* Stop_Button = nullptr;
    QPushButton* Search_Button = nullptr;
    std::vector<QLabel*> Tiles;
    std::string Found_Text;

    bool Search_Scheduled = false;
    bool Searched_ = false;
    bool Found_ = false;
    bool Busy_ = false;
    bool Complete_ = false;
    bool Line_Status = false; // the status line tells the line's word
    std::string Left_Text;    // the lot's places left, under the tally
    bool Start_Queued = false;
    bool Close_Pending = false;
    bool Rested = false;
    std::chrono::steady_clock::time_point Run_Started;
    // How long the last whole run of this station took: the time left of
    // the next one.
    std::optional<double> Last_Run_Seconds;
};

// The plan of the job file at path for the program's --station, opened as
// every station opens one, before the application starts.  A job that
// cannot be opened is told on stderr ("program: line3.job: ...") and, when
// there is a display, in a box until it is closed; false then.
bool Open_Station_Plan(const std::string& program, const std::string& path,
                       session::TStationPlan& plan, int& argc, char** argv);

// The operator window of the plan over the adapter, shown until it is
// closed; the application's exit status.  Needs the QApplication.
int Run_Station_Window(session::TStationPlan plan, session::TAdapter& adapter,
                       const QString& title_suffix);

// A stop signal (SIGINT, SIGTERM, SIGHUP) closes the window as its close
// button does.  Once per process (platform/stop_signals.h), after the window
// has been created; false when the handlers could not be installed.
bool Install_Station_Signal_Ends(TStationWindow& window);

} // namespace gang
