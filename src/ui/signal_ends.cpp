#include "ui/signal_ends.h"

#include "platform/stop_signals.h"
#include "ui/main_form.h"

namespace gang {

void Install_Signal_Ends(TMainForm& form)
{
    // The close may run nested in a running operation, as a click on Quit
    // does: the run stops after the address in hand and the close completes
    // when it has unwound.
    Install_Stop_Signals(&form, [&form](int) { form.Quit_ButClick(); });
}

} // namespace gang
