// The hardware backend's pure parts: finding the kernel's parport device for
// a base address.  Nothing here touches a real port.
#include "link/linux_port.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gang {
namespace {

namespace fs = std::filesystem;

struct TProcTree {
    fs::path Root;
    TProcTree()
    {
        char name[] = "/tmp/gang_parport_XXXXXX";
        Root = mkdtemp(name);
    }
    ~TProcTree() { fs::remove_all(Root); }
    void Add(const std::string& dir, const std::string& base_addr)
    {
        fs::create_directories(Root / dir);
        std::ofstream(Root / dir / "base-addr") << base_addr;
    }
};

TEST(LinuxPort, ParsesTheFirstNumberOfBaseAddr)
{
    EXPECT_EQ(Parse_Base_Addr("888\t1912\n"), 888);
    EXPECT_EQ(Parse_Base_Addr("632\n"), 632);
    EXPECT_FALSE(Parse_Base_Addr("").has_value());
    EXPECT_FALSE(Parse_Base_Addr("x").has_value());
    EXPECT_FALSE(Parse_Base_Addr("-1").has_value());
}

TEST(LinuxPort, FindsTheParportOfABase)
{
    TProcTree tree;
    tree.Add("parport0", "888\t1912\n");  // 0x378
    tree.Add("parport1", "632\t-1\n");    // 0x278
    tree.Add("parport12", "956\t1980\n"); // 0x3BC
    tree.Add("default", "888\n");         // not a port
    tree.Add("parportx", "888\n");        // not a port either
    EXPECT_EQ(Find_Ppdev_Index(0x378, tree.Root.string()), 0);
    EXPECT_EQ(Find_Ppdev_Index(0x278, tree.Root.string()), 1);
    EXPECT_EQ(Find_Ppdev_Index(0x3BC, tree.Root.string()), 12);
    EXPECT_FALSE(Find_Ppdev_Index(0x2BC, tree.Root.string()).has_value());
    EXPECT_FALSE(Find_Ppdev_Index(0x378, (tree.Root / "missing").string()).has_value());
}

TEST(LinuxPort, NoAccessBeforeEnable)
{
    TLinuxPort port("/nonexistent", "/nonexistent");
    std::string text = "unchanged";
    EXPECT_EQ(port.GetLastState(text), 0);
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(port.IsWinNT());
    // Registers that were never enabled are neither read nor written.
    EXPECT_EQ(port.ReadByte(0x379), 0xFF);
    port.WriteByte(0x378, 0x55);
}

} // namespace
} // namespace gang
