#include "model/IniFile.h"

#include "model/Workspace.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace vitrimo {
namespace {

TEST(IniFile, TypedReadsFallBackToTheDefault) {
    const IniFile ini =
        IniFile::FromText("[Main]\nLeft = 101 \nTop=abc\nMemoTxt.Visible=1\nRadius=0\nHint1.Checked=yes\n"
                          "Scale=2.5\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Left", 0), 101);
    EXPECT_EQ(ini.ReadInteger("Main", "Top", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Main", "Width", 738), 738);
    EXPECT_TRUE(ini.ReadBool("Main", "MemoTxt.Visible", false));
    EXPECT_FALSE(ini.ReadBool("Main", "Radius", true));
    EXPECT_TRUE(ini.ReadBool("Main", "Hint1.Checked", true));
    EXPECT_FALSE(ini.ReadBool("Main", "Hint1.Checked", false));
    EXPECT_EQ(ini.ReadFloat("Main", "Scale", 0), 2.5);
    EXPECT_EQ(ini.ReadString("Other", "Left", "none"), "none");
}

TEST(IniFile, WritesUpdateInPlaceAndDeletesRemove) {
    IniFile ini = IniFile::FromText("; settings\n[Main]\nLeft=1\nTop=2\n\n[MTF]\nMax=200\n");
    ini.WriteInteger("Main", "Left", 5);
    ini.WriteBool("Main", "Radius", true);
    ini.WriteFloat("MTF", "Min", 0.1);
    ini.DeleteKey("Main", "top");
    ini.WriteBool("New", "Flag", false);
    EXPECT_EQ(ini.Text(),
              "; settings\n[Main]\nLeft=5\nRadius=1\n\n[MTF]\nMax=200\nMin=0.1\n\n[New]\nFlag=0\n");
    // Reading back what was written gives the same text again.
    EXPECT_EQ(IniFile::FromText(ini.Text()).Text(), ini.Text());
}

TEST(IniFile, FilesOnDisk) {
    test::TempDir dir;
    std::string error;
    const IniFile missing = IniFile::Load(dir.File("vitrimo.ini"), &error);
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(missing.HasSection("Main"));

    IniFile ini;
    ini.WriteString("Main", "Default Dir", "/home/me/Lens");
    ASSERT_FALSE(ini.Save(dir.File("vitrimo.ini")));
    EXPECT_EQ(IniFile::Load(dir.File("vitrimo.ini")).ReadString("Main", "Default Dir", ""), "/home/me/Lens");
    EXPECT_TRUE(ini.Save(dir.File("missing/vitrimo.ini")));

    ASSERT_FALSE(IniFile::FromText("").Save(dir.File("binary.ini")));
    {
        std::FILE* f = std::fopen(dir.File("binary.ini").c_str(), "wb");
        std::fwrite("[Main]\nLeft=1\0\x01", 1, 15, f);
        std::fclose(f);
    }
    const IniFile binary = IniFile::Load(dir.File("binary.ini"), &error);
    EXPECT_NE(error.find("binary"), std::string::npos);
    EXPECT_EQ(binary.ReadInteger("Main", "Left", 9), 9);
}

TEST(Workspace, FilesLiveInTheStartFolder) {
    const Workspace w = Workspace::At("/home/me/optics/");
    EXPECT_EQ(w.startDir, "/home/me/optics");
    EXPECT_EQ(w.dataDir, "/home/me/optics/Lens");
    EXPECT_EQ(w.LastDataFile(), "/home/me/optics/lensdata.ldt");
    EXPECT_EQ(Workspace::At("/").startDir, "/");
}

} // namespace
} // namespace vitrimo
