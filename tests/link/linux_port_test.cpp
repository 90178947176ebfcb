// The hardware backend over a fake system tree: the kernel's port list under
// <root>/proc/sys/dev/parport and its ppdev nodes under <root>/dev.  Nothing
// here reaches a real port: every enable either meets a node that opens (a
// plain file, whose claim fails) or runs without the rights to port I/O.
#include "platform/posix/linux_port.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gang {
namespace {

namespace fs = std::filesystem;

struct TSystemTree {
    fs::path Root;
    TSystemTree()
    {
        char name[] = "/tmp/gang_parport_XXXXXX";
        Root = mkdtemp(name);
        fs::permissions(Root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(Root / "dev");
    }
    ~TSystemTree() { fs::remove_all(Root); }
    // A port listed by the kernel, with its ppdev node when node is true.
    void Add(int index, const std::string& base_addr, bool node = true)
    {
        const fs::path dir = Root / "proc/sys/dev/parport" / ("parport" + std::to_string(index));
        fs::create_directories(dir);
        std::ofstream(dir / "base-addr") << base_addr;
        if (node)
            std::ofstream(Node(index));
    }
    fs::path Node(int index) const { return Root / "dev" / ("parport" + std::to_string(index)); }
};

TEST(LinuxPort, ParsesTheFirstNumberOfBaseAddr)
{
    EXPECT_EQ(Parse_Base_Addr("888\t1912\n"), 888);
    EXPECT_EQ(Parse_Base_Addr("632\n"), 632);
    EXPECT_FALSE(Parse_Base_Addr("").has_value());
    EXPECT_FALSE(Parse_Base_Addr("x").has_value());
    EXPECT_FALSE(Parse_Base_Addr("-1").has_value());
}

TEST(LinuxPort, LooksUpLegacyAndCardPortsInTheTree)
{
    TSystemTree tree;
    tree.Add(0, "888\t1912\n");                                         // 0x378 on the motherboard
    tree.Add(1, "53264\t53256\n");                                      // 0xD010, a PCIe card
    tree.Add(12, "57344\t-1\n", /*node=*/false);                        // 0xE000, no ppdev node
    fs::create_directories(tree.Root / "proc/sys/dev/parport/default"); // not a port
    const std::string root = tree.Root.string();

    const auto ports = List_Parports(root);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[1].Index, 1);
    EXPECT_EQ(ports[1].Base, 0xD010);
    EXPECT_EQ(ports[1].Node, tree.Node(1).string());
    EXPECT_EQ(Find_Parport_At(0x378, root)->Index, 0);
    EXPECT_EQ(Find_Parport_Index(12, root)->Base, 0xE000);
    EXPECT_FALSE(Find_Parport_At(0x278, root).has_value());
    EXPECT_FALSE(Find_Parport_Index(2, root).has_value());
    EXPECT_TRUE(List_Parports((tree.Root / "missing").string()).empty());

    TLinuxPort port(root);
    EXPECT_EQ(port.OtherPorts(), (std::vector<uint16_t>{0xD010, 0xE000}));

    // The card's node opens but is no port: the exclusive claim (PPEXCL,
    // before PPCLAIM) fails, nothing falls
    // back to direct I/O, and the ECP register is left to the driver.
    port.SetFastMode(false);
    EXPECT_EQ(port.ReadEcr(0xD010), 0);
    port.EnablePorts(0xD010);
    std::string text;
    EXPECT_NE(port.GetLastState(text), 0);
    EXPECT_EQ(text.rfind(tree.Node(1).string() + " exclusive: ", 0), 0u) << text;
    EXPECT_EQ(port.Read(0xD010, TRegister::Status), 0xFF);
}

// Runs run() as an ordinary user (dropping to nobody in a child process when
// the test runs as root) and returns its text.
std::string As_Ordinary_User(const std::function<std::string()>& run)
{
    if (geteuid() != 0)
        return run();
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_fds[0]);
        const gid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(3);
        const std::string text = run();
        const ssize_t written = write(pipe_fds[1], text.data(), text.size());
        _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    close(pipe_fds[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; (n = read(pipe_fds[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    close(pipe_fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed";
    return text;
}

TEST(LinuxPort, WithoutRightsTheTextNamesTheGroupAndTheCapability)
{
    TSystemTree tree;
    tree.Add(1, "53264\n");                 // 0xD010, node closed to the user
    tree.Add(2, "57344\n", /*node=*/false); // 0xE000, no ppdev node
    fs::permissions(tree.Node(1), geteuid() == 0 ? fs::perms::owner_read | fs::perms::owner_write
                                                 : fs::perms::none);
    const std::string root = tree.Root.string();

    const std::string enable = As_Ordinary_User([&root] {
        TLinuxPort port(root);
        port.EnablePorts(0xD010);
        std::string text;
        port.GetLastState(text);
        return text;
    });
    EXPECT_NE(enable.find(tree.Node(1).string() +
                          ": Permission denied (the user must be in group lp); ioperm D010: "),
              std::string::npos)
        << enable;
    EXPECT_NE(enable.find("(needs root or the capability CAP_SYS_RAWIO)"), std::string::npos)
        << enable;

    // Without a ppdev node the ECP register is asked for directly too.
    const std::string ecr = As_Ordinary_User([&root] {
        TLinuxPort port(root);
        const int value = port.ReadEcr(0xE000);
        std::string text;
        port.GetLastState(text);
        return std::to_string(value) + " " + text;
    });
    EXPECT_EQ(ecr.rfind("255 ioperm E402: ", 0), 0u) << ecr;
}

TEST(LinuxPort, APortIsOneProgramsFromItsFirstTouchToTheEndOfItsRelease)
{
    TSystemTree tree;
    tree.Add(1, "53264\n"); // 0xD010; its node is a plain file: no real port
    fs::create_directories(tree.Root / "run/lock");
    TLinuxPort first(tree.Root.string());
    TLinuxPort second(tree.Root.string());
    std::string text;

    first.ReadEcr(0xD010); // the first touch locks
    EXPECT_TRUE(fs::exists(tree.Root / "run/lock/gang-adapter-D010.lock"));
    EXPECT_EQ(second.ReadEcr(0xD010), 0xFF);
    EXPECT_TRUE(second.InUseElsewhere());
    second.EnablePorts(0xD010);
    EXPECT_NE(second.GetLastState(text), 0);
    EXPECT_TRUE(second.InUseElsewhere());
    EXPECT_NE(text.find("D010 is in use by another program"), std::string::npos) << text;

    // The release ends with the ECP register put back: only then is it free.
    first.DisablePorts(0xD010);
    second.ReadEcr(0xD010);
    EXPECT_TRUE(second.InUseElsewhere());
    first.WriteEcr(0xD010, 0x00);
    second.ReadEcr(0xD010);
    EXPECT_FALSE(second.InUseElsewhere());
    EXPECT_EQ(second.GetLastState(text), 0) << text;
}

TEST(LinuxPort, NoAccessBeforeEnable)
{
    TLinuxPort port("/nonexistent");
    std::string text = "unchanged";
    EXPECT_EQ(port.GetLastState(text), 0);
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(port.IsWinNT());
    EXPECT_TRUE(port.OtherPorts().empty());
    // Registers that were never enabled are neither read nor written.
    EXPECT_EQ(port.Read(0x378, TRegister::Status), 0xFF);
    port.Write(0x378, TRegister::Data, 0x55);
}

} // namespace
} // namespace gang
