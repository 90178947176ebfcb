// gang-adapter: the main window over the PC's own parallel port.
#include "link/linux_port.h"
#include "ui/main_form.h"
#include "ui/signal_ends.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    gang::TLinuxPort port;
    gang::TMainForm form(port);
    form.Set_Box_Title("Gang Adapter");
    gang::Install_Signal_Ends(form);
    form.show();
    return QApplication::exec();
}
