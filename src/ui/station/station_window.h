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
#include "ui/core/station_text.h"
#include "ui/station/station_host.h"

#include <QWidget>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace gang {

class TStationWindow : public QWidget {
    Q_OBJECT
public:
    // job: read, its Type set; image: the job's image loaded into a Buffer
    // for the type (copied); records_path: the job's records file.
    TStationWindow(const session::TJob& job, const TBuffer& image, session::TAdapter& adapter,
                   std::string records_path, QWidget* parent = nullptr);
    ~TStationWindow() override;
    TStationWindow(const TStationWindow&) = delete;
    TStationWindow& operator=(const TStationWindow&) = delete;

    // The Start key: the next run, unless one runs, the search has not found
    // the adapter or the window is closing.  Queued: the run starts from the
    // event loop, not inside the key's or the click's handler.
    void Start();
    // The Stop key: the run in hand stops after its address.
    void Stop();

    // The search has run (found or not), a run or the search is under way.
    bool Searched() const { return Searched_; }
    bool Found() const { return Found_; }
    bool Busy() const { return Busy_; }

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
    void Set_Tile(int socket, const TTile& tile);
    void Show_Status(const std::string& text, bool error);
    void Show_Tally();
    void Update_Keys();
    void Progress_At(int32_t address);
    session::TRunRecord Template_Record() const;

    session::TJob Job;
    TBuffer Buffer;
    session::TAdapter& Adapter;
    std::string Records_Path;
    std::vector<session::TStep> Steps;

    TStation_Report Report;
    std::unique_ptr<TStation_Host> Host;
    std::unique_ptr<session::TGangSession> Session;
    std::unique_ptr<session::TStation> Station_;
    std::unique_ptr<TProgress> Progress;

    QLabel* Job_Label = nullptr;
    QLabel* Status_Label = nullptr;
    QLabel* Tally_Label = nullptr;
    QLabel* Time_Label = nullptr;
    QProgressBar* Bar = nullptr;
    QPushButton* Start_Button = nullptr;
    QPushButton* Stop_Button = nullptr;
    std::vector<QLabel*> Tiles;
    // The boxes' texts of the search, shown with its verdict.
    std::vector<std::string> Search_Boxes;
    std::string Found_Text;

    bool Search_Scheduled = false;
    bool Searched_ = false;
    bool Found_ = false;
    bool Busy_ = false;
    bool Start_Queued = false;
    bool Close_Pending = false;
    bool Rested = false;
    std::chrono::steady_clock::time_point Run_Started;
};

// The job file of --station read and its image loaded into image for the
// job's type, as both programs open it.  False with the user's error text,
// which names the job file ("line3.job: the image changed since ...").
bool Open_Station_Job(const std::string& path, session::TJob& job, TBuffer& image,
                      std::string& error);

// A stop signal (SIGINT, SIGTERM, SIGHUP) closes the window as its close
// button does.  Once per process (platform/stop_signals.h), after the window
// has been created; false when the handlers could not be installed.
bool Install_Station_Signal_Ends(TStationWindow& window);

} // namespace gang
