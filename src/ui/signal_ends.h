// The ends of the program that the window never sees as clicks: a stop
// signal (SIGINT, SIGTERM, SIGHUP) takes the window's Quit path.  (A fatal
// signal while the port is open rests the adapter through the handlers the
// session armed when it opened the adapter: session/adapter.h.)
#pragma once

namespace gang {

class TMainForm;

// Call once, after the window has been created.
void Install_Signal_Ends(TMainForm& form);

} // namespace gang
