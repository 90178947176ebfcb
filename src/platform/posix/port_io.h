// The system headers of port access on Linux: the file calls, the
// capability calls and, on x86, the port instructions (GANG_HAVE_IOPERM).
#pragma once

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>
#define GANG_HAVE_IOPERM 1
#endif
