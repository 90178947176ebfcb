// The crash-time rest with two adapters open in one process: a fatal signal
// rests both, each through its own port at its own base.
#include "link/emergency_rest.h"
#include "link/latch_strobe.h"
#include "link/latches.h"
#include "platform/crash_handlers.h"
#include "trace_at_rest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace gang {
namespace {

TEST(EmergencyRest, AFatalSignalRestsEveryArmedPort)
{
    char dir[] = "/tmp/gang-rest-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string first = std::string(dir) + "/first.trace";
    const std::string second = std::string(dir) + "/second.trace";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sim::TSimConfig at_278;
        at_278.Base = 0x278;
        sim::TSimAdapter a;
        sim::TSimAdapter b(at_278);
        a.Trace_To(first);
        b.Trace_To(second);
        Install_Crash_Handlers(&Rest_Armed_Ports);
        // Both adapters with the programming voltage switched on.
        for (auto [port, base] : {std::pair<sim::TSimAdapter*, uint16_t>{&a, 0x378}, {&b, 0x278}}) {
            Arm_Emergency_Rest(*port, base);
            Strobe_Latch(*port, base, latch::Latch_3, latch::L3_High_Vpp);
            Strobe_Latch(*port, base, latch::Vpp_Latch, 0x00);
        }
        std::raise(SIGABRT);
        std::_Exit(0); // not reached: the signal ends the process
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    Expect_Trace_Ends_At_Rest(first, 0x378);
    Expect_Trace_Ends_At_Rest(second, 0x278);
    std::system(("rm -rf " + std::string(dir)).c_str());
}

} // namespace
} // namespace gang
