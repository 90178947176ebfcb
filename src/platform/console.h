// The program's terminal, or the pipe in its place: whether standard error
// is a terminal (a progress line rewritten in place), and the operator's
// answers read from standard input a byte at a time without blocking the
// event loop for long.
#pragma once

namespace gang {

bool Stderr_Is_Terminal();

enum class TInput { Byte, Nothing_Yet, End, Failed };

// Waits up to wait_ms for standard input, then takes one byte if there is
// one: Byte (c set), Nothing_Yet (the wait ran out or a signal came), End
// (end of the input) or Failed.
TInput Read_Input_Byte(int wait_ms, char& c);

// On a terminal, the keys typed since the last answer was read (during a
// run) are thrown away, so that an Enter pressed early cannot start the next
// run; a pipe is a script, and its lines are kept.
void Discard_Typed_Ahead();

} // namespace gang
