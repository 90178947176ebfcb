// Family configurations, the address mapping, socket selection and failure
// marking.
#include "link/address_map.h"
#include "link/families.h"
#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace gang::test {
namespace {

uint8_t Hi(int family, int32_t address)
{
    return Map_High_Address(*Family_Row(family), address).Value;
}

TEST(AddressMap, HighByteEdgeValues)
{
    EXPECT_EQ(Hi(2, 0x0000), 0x00);
    EXPECT_EQ(Hi(2, 0x0FFF), 0x0F);
    EXPECT_EQ(Hi(3, 0x0000), 0xE0);
    EXPECT_EQ(Hi(3, 0x1234), 0xF2);
    EXPECT_EQ(Hi(3, 0x2345), 0xC3);
    EXPECT_EQ(Hi(3, 0x3FFF), 0xDF);
    EXPECT_EQ(Hi(4, 0x0000), 0xA0);
    EXPECT_EQ(Hi(4, 0x7FFF), 0xDF);
    EXPECT_EQ(Hi(5, 0x0000), 0x20);
    EXPECT_EQ(Hi(5, 0xFFFF), 0xDF);
    EXPECT_EQ(Hi(8, 0x0000), 0x60);
    EXPECT_EQ(Hi(8, 0x0123), 0x61);
    EXPECT_EQ(Hi(8, 0x4123), 0xE1);
    EXPECT_EQ(Hi(8, 0x7FFF), 0xDF);
    EXPECT_EQ(Hi(1, 0x07FF), 0x0F);
    EXPECT_EQ(Hi(6, 0x0000), 0x08);
    EXPECT_EQ(Hi(6, 0x0700), 0x0F);
}

TEST(AddressMap, HiValueKeptForTheStrobeFamiliesOnly)
{
    for (int family : {1, 2, 4, 5})
        EXPECT_FALSE(Map_High_Address(*Family_Row(family), 0x100).Stored) << family;
    for (int family : {3, 6, 8})
        EXPECT_TRUE(Map_High_Address(*Family_Row(family), 0x100).Stored) << family;
    for (int family : {0, 7, 9, -1})
        EXPECT_EQ(Family_Row(family), nullptr) << family;
}

TEST(AddressMap, FamilyTablesAndVppMasks)
{
    TPortRig rig;
    rig.Open();
    rig.Sel.Gang_Size = 1;
    const struct {
        int Family;
        uint8_t Vpp_In, Read_Vpp, Prog_Vpp;
    } cases[] = {{4, 0x3F, 0x3B, 0x33},
                 {4, 0xBF, 0x3B, 0xB3},
                 {3, 0xBF, 0x3B, 0xB1},
                 {1, 0x0F, 0x0B, 0x03},
                 {8, 0x3F, 0x3B, 0x33}};
    for (const auto& c : cases) {
        rig.Sel.Family = c.Family;
        rig.Link.Vpp_Value = c.Vpp_In;
        rig.Link.Read_Config();
        EXPECT_EQ(rig.Link.Fam_Vpp, c.Read_Vpp) << c.Family;
        rig.Link.Prog_Config();
        EXPECT_EQ(rig.Link.Fam_Vpp, c.Prog_Vpp) << c.Family;
    }
}

TEST(Socket, WorkedExampleFamily3Socket3At1234)
{
    TPortRig rig;
    rig.Open();
    rig.Sel.Family = 3;
    rig.Sel.Gang_Size = 5;
    rig.Sel.Vpp_Code = 3;
    rig.Link.Vpp_Value = 0xBF;
    rig.Link.Reset_Link();
    rig.Link.Read_Config();
    EXPECT_EQ(rig.Link.Fam_Hi, 0xE0u);
    EXPECT_EQ(rig.Link.Fam_Socket, 0xEDu);
    EXPECT_EQ(rig.Link.Fam_Vpp, 0x3Bu);
    rig.Link.Cur_Add = 0x1234;
    rig.Link.Set_Address();
    rig.Link.Cur_Socket = 3;
    rig.Port.Status_Script = {Status_For(0xC), Status_For(0x3)};
    rig.Link.Read_Socket();
    EXPECT_EQ(rig.Link.Read_Value, 0xC3);

    const std::vector<TEvent> expected = {
        L(0x03, 0x00), L(0x02, 0x7F), L(0x01, 0x62), L(0x0B, 0x20), L(0x09, 0x00), // Reset_Link
        L(0x09, 0xFF), L(0x0B, 0xE0), L(0x01, 0xED), L(0x02, 0x3B), P(2),          // Apply_Config
        L(0x09, 0x34), L(0x0B, 0xF2),                                              // Set_Address
        L(0x01, 0x6D), L(0x02, 0x3B), R(0xC3)};                                    // Read_Socket
    EXPECT_EQ(Decode(rig.Port.Log, 0x378), expected);
    EXPECT_EQ(rig.Host.Armings, std::vector<int>{10});
    EXPECT_EQ(rig.Form.Quit_Func_But.Caption(), "&Quit = 1234");

    // The 0x6D write on the wire.
    bool seen = false;
    for (size_t i = 0; i + 5 < rig.Port.Log.size(); ++i)
        if (rig.Port.Log[i].Port == 0x378 && rig.Port.Log[i].Value == 0x6D) {
            std::vector<int> ctrl;
            for (size_t k = 1; k <= 5; ++k)
                ctrl.push_back(rig.Port.Log[i + k].Value);
            EXPECT_EQ(ctrl, (std::vector<int>{0x01, 0x05, 0x05, 0x01, 0x00}));
            seen = true;
        }
    EXPECT_TRUE(seen);
}

TEST(Socket, HighLatchWrittenOnlyAtANewHighByte)
{
    TPortRig rig;
    rig.Open();
    rig.Sel.Family = 5;
    rig.Link.Reset_Link();
    rig.Port.Clear();
    const struct {
        int32_t Address;
        std::vector<TEvent> Writes;
    } steps[] = {{0x0000, {L(0x09, 0x00), L(0x0B, 0x20)}},
                 {0x0001, {L(0x09, 0x01)}},
                 {0x00FF, {L(0x09, 0xFF)}},
                 {0x0100, {L(0x09, 0x00), L(0x0B, 0x21)}},
                 {0x0101, {L(0x09, 0x01)}}};
    for (const auto& s : steps) {
        rig.Port.Clear();
        rig.Link.Cur_Add = s.Address;
        rig.Link.Set_Address();
        EXPECT_EQ(Decode(rig.Port.Log, 0x378), s.Writes) << s.Address;
    }
    EXPECT_EQ(rig.Link.Last_Hi, 0x01);
    EXPECT_EQ(rig.Form.Quit_Func_But.Caption(), "&Quit = 0100");
}

TEST(Socket, SelectionOfEachSocket)
{
    const struct {
        int Socket;
        uint32_t Socket_Val, Vpp_Val;
    } cases[] = {{1, 0xE5, 0x3B}, {2, 0xEC, 0x3B}, {3, 0x6D, 0x3B},
                 {4, 0xE9, 0x3B}, {5, 0xED, 0x3F}, {0, 0xED, 0x3B}};
    for (const auto& c : cases) {
        const auto s = Select_Values(0xED, 0x3B, c.Socket);
        EXPECT_EQ(s.Socket_Val, c.Socket_Val) << c.Socket;
        EXPECT_EQ(s.Vpp_Val, c.Vpp_Val) << c.Socket;
    }
    // Socket 5: all four enables of Socket_Latch stay 1, Vpp_Latch bit 2 set.
    TPortRig rig;
    rig.Open();
    rig.Sel.Family = 4;
    rig.Link.Fam_Socket = 0xED;
    rig.Link.Fam_Vpp = 0x3B;
    rig.Link.Cur_Socket = 5;
    rig.Link.Read_Socket();
    const auto latches = Latches(rig.Port.Log, 0x378);
    EXPECT_EQ(latches, (std::vector<TEvent>{L(0x01, 0xED), L(0x02, 0x3F)}));
}

TEST(Socket, GangMaskAndFailureFlagsForEveryGangSize)
{
    for (int gang = 1; gang <= 5; ++gang) {
        TPortRig rig;
        rig.Open();
        rig.Sel.Family = 2;
        // Every socket failed in the operation before.
        rig.Sel.Gang_Size = 5;
        rig.Link.Read_Config();
        for (int k = 1; k <= 5; ++k) {
            rig.Link.Cur_Socket = k;
            rig.Link.Mark_Socket_Failed(TResult_Kind::Not_Verified);
        }
        rig.Sel.Gang_Size = gang;
        rig.Link.Read_Config();
        EXPECT_EQ(rig.Link.Gang_Mask(), (1 << gang) - 1) << gang;
        for (int k = 1; k <= 5; ++k) {
            EXPECT_EQ(rig.Link.Socket_Fail(k), k > gang) << gang << "/" << k;
            EXPECT_FALSE(rig.Link.Gang_State().Result(k).Failed()) << gang << "/" << k;
        }

        // Each socket of the gang failing drops its bit and shows its text.
        for (int k = 1; k <= gang; ++k) {
            rig.Link.Cur_Socket = k;
            rig.Link.Mark_Socket_Failed(TResult_Kind::Not_Blank);
            EXPECT_TRUE(rig.Link.Socket_Fail(k));
            EXPECT_EQ(rig.Link.Gang_Mask(), ((1 << gang) - 1) & ~((1 << k) - 1))
                << gang << "/" << k;
            EXPECT_EQ(rig.Form.Socket_Text(k).Caption(), std::to_string(k) + "-Is Not Blank");
        }
        EXPECT_EQ(rig.Link.Gang_Mask(), 0);
    }
}

TEST(Socket, GangSizeOutsideOneToFiveLeavesTheMask)
{
    for (int gang : {0, 6, -1}) {
        TPortRig rig;
        rig.Open();
        rig.Sel.Family = 2;
        rig.Sel.Gang_Size = 5;
        rig.Link.Read_Config();
        rig.Link.Cur_Socket = 2;
        rig.Link.Mark_Socket_Failed(TResult_Kind::Not_Blank);
        rig.Sel.Gang_Size = gang;
        rig.Link.Read_Config();
        EXPECT_EQ(rig.Link.Gang_Mask(), 0x1D);
        EXPECT_TRUE(rig.Link.Socket_Fail(2));
    }
}

TEST(Socket, NoFamilyWritesNoLatch)
{
    for (int family : {0, 7}) {
        TPortRig rig;
        rig.Open();
        rig.Sel.Family = family;
        rig.Sel.Gang_Size = 3;
        rig.Link.Reset_Link();
        rig.Port.Clear();
        rig.Link.Read_Config();
        rig.Link.Prog_Config();
        rig.Link.Set_Address();
        rig.Link.Cur_Socket = 1;
        rig.Link.Read_Socket();
        rig.Link.Program_Range();
        for (const auto& e : Decode(rig.Port.Log, 0x378))
            EXPECT_NE(e.What, TEvent::Latch) << family << " " << e;
        EXPECT_EQ(rig.Link.Gang_Mask(), 0) << "a gang loop ends at once";
        EXPECT_TRUE(rig.Host.Armings.empty());
    }
}

TEST(Socket, NextAddressEndsTheRangeAtItsLastAddress)
{
    TPortRig rig;
    rig.Buffer.End_Of_Eprom = 0x7FF;
    rig.Link.Cur_Add = 0x7FE;
    rig.Link.Next_Address();
    EXPECT_EQ(rig.Link.Quit_Flag, 0);
    EXPECT_EQ(rig.Link.Cur_Add, 0x7FF);
    rig.Link.Next_Address();
    EXPECT_EQ(rig.Link.Quit_Flag, 1);
    EXPECT_EQ(rig.Link.Cur_Add, 0x800);
}

TEST(Socket, ResetLinkState)
{
    TPortRig rig;
    rig.Open();
    rig.Link.Quit_Flag = 5;
    rig.Link.Cur_Add = 0x1234;
    rig.Link.Last_Hi = 0x12;
    rig.Link.Reset_Link();
    EXPECT_EQ(rig.Link.Quit_Flag, 0);
    EXPECT_EQ(rig.Link.Cur_Add, 0);
    EXPECT_EQ(rig.Link.Last_Hi, 3);
    EXPECT_EQ(Latches(rig.Port.Log, 0x378).size(), 5u);

    rig.Sel.Found = false;
    rig.Port.Clear();
    rig.Link.Reset_Link();
    EXPECT_EQ(rig.Port.Register_Accesses(), 0) << "no programmer: no latch reset";
}

} // namespace
} // namespace gang::test
