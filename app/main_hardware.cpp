// gang-adapter: the main window over the PC's own parallel port.
#include "link/linux_port.h"
#include "ui/main_form.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Gang Adapter"));
    gang::TLinuxPort port;
    gang::TMainForm form(port);
    form.show();
    return QApplication::exec();
}
