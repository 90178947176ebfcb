#include "platform/console.h"

#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace gang {

bool Stderr_Is_Terminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

TInput Read_Input_Byte(int wait_ms, char& c)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, wait_ms);
    if (ready < 0)
        return errno == EINTR ? TInput::Nothing_Yet : TInput::Failed;
    if (ready == 0)
        return TInput::Nothing_Yet;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0)
        return errno == EINTR ? TInput::Nothing_Yet : TInput::Failed;
    return n == 0 ? TInput::End : TInput::Byte;
}

void Discard_Typed_Ahead()
{
    if (::isatty(STDIN_FILENO) != 0)
        ::tcflush(STDIN_FILENO, TCIFLUSH);
}

} // namespace gang
