#include "pack/pack_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "tool/commands.h"

namespace stepwise {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string text(size, '\0');
    for (char& c : text)
        c = static_cast<char>(random());
    return text;
}

// A scratch folder with a script, sources and the two programs.
class PackFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("stepwise-pack-" + std::to_string(std::random_device{}()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        Write(root_ / "src" / "acme.exe", "MZ acme program");
        Write(root_ / "src" / "data.bin", Noise(150000, 7));
        Write(root_ / "src" / "license.txt", "licence text");
        Write(root_ / "bin" / "Stepwise.exe", "MZ installer");
        Write(root_ / "bin" / "wizuninst.exe", "MZ uninstaller");
        Write(root_ / "data.tag",
              "[APPINFO]\r\n1=Acme\r\n5=<Program Files>\\Acme\r\n"
              "[FILES]\r\nTOTAL=3\r\nPR0=acme.exe\r\nON0=<Install Dir>\r\n"
              "PR1=data.bin\r\nON1=<Install Dir>\\data\r\nPR2=acme.exe\r\nON2=<Install "
              "Dir>\\copy\r\n");
        request_.script = (root_ / "data.tag").string();
        request_.sourceFolder = (root_ / "src").string();
        request_.outputFolder = (root_ / "out").string();
        request_.stepwiseExe = (root_ / "bin" / "Stepwise.exe").string();
        request_.uninstaller = (root_ / "bin" / "wizuninst.exe").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    int Pack() {
        messages_.clear();
        return RunPack(request_, [this](const std::string& line) { messages_.push_back(line); });
    }

    // The payload extracted by the cabinet tool, by stored name.
    std::set<std::string> Extract() {
        fs::path into = root_ / "extracted";
        fs::remove_all(into);
        fs::create_directories(into);
        EXPECT_EQ(cabtool::RunExtract((root_ / "out" / "file1.cab").string(), into.string()),
                  cabtool::kExitOk);
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(into))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path root_;
    PackRequest request_;
    std::vector<std::string> messages_;
};

// Stored names: one "F<j>_<name>" per entry (a name used twice is stored twice), the
// optional texts the source folder has, the uninstaller last; downloads are not stored.
TEST(PackPlanTest, StoredNamesFollowTheCopyStep) {
    IniText script = IniText::Parse(
        "[FILES]\nTOTAL=4\nPR0=a.exe\nPR1=http://host/x.zip\nPR2=b.dll\nPR3=a.exe\n");
    auto plan = PlanPayload(script, "src", "tools/wiz.exe",
                            [](const std::string& name) { return name == "readme.txt"; });
    std::vector<std::string> names;
    for (const PackedFile& f : plan)
        names.push_back(f.storedName);
    EXPECT_EQ(names, (std::vector<std::string>{"F0_a.exe", "F2_b.dll", "F3_a.exe", "readme.txt",
                                               "wizuninst.exe"}));
    EXPECT_EQ(plan[1].path, JoinPath("src", "b.dll"));
    EXPECT_EQ(plan.back().path, "tools/wiz.exe");
}

TEST(PackArgsTest, OptionsAndPositionals) {
    PackRequest r;
    std::string error;
    ASSERT_TRUE(ParsePackArgs(
        {"--compress", "mszip", "--max-size", "1M", "--language", "l.tag", "d.tag", "src", "out"},
        &r, &error))
        << error;
    EXPECT_EQ(r.compression.method, cab::CompressionMethod::Mszip);
    EXPECT_EQ(r.maxCabinetSize, 1024u * 1024u);
    EXPECT_EQ(r.language, "l.tag");
    EXPECT_EQ(r.outputFolder, "out");
    PackRequest defaults;
    ASSERT_TRUE(ParsePackArgs({"d.tag", "src", "out"}, &defaults, &error));
    EXPECT_EQ(defaults.compression.method, cab::CompressionMethod::Lzx);
    EXPECT_EQ(defaults.compression.lzxWindowBits, 21);
    for (std::vector<std::string> bad : {std::vector<std::string>{"d.tag", "src"},
                                         {"--max-size", "1000", "d", "s", "o"},
                                         {"--compress", "zip", "d", "s", "o"},
                                         {"--bogus", "d", "s", "o"},
                                         {"d", "s", "o", "x"}}) {
        PackRequest r2;
        EXPECT_FALSE(ParsePackArgs(bad, &r2, &error)) << bad[0];
    }
    PackRequest help;
    ASSERT_TRUE(ParsePackArgs({"--help"}, &help, &error));
    EXPECT_TRUE(help.help);
}

// The folder holds what Stepwise reads, and the payload comes back byte for byte.
TEST_F(PackFolder, WritesAnInstallerFolder) {
    ASSERT_EQ(Pack(), kPackOk) << (messages_.empty() ? "" : messages_[0]);
    EXPECT_EQ(Read(root_ / "out" / "Stepwise.exe"), "MZ installer");
    EXPECT_EQ(Read(root_ / "out" / "data.tag"), Read(root_ / "data.tag"));
    EXPECT_FALSE(fs::exists(root_ / "out" / "language.tag"));
    EXPECT_EQ(Extract(), (std::set<std::string>{"F0_acme.exe", "F1_data.bin", "F2_acme.exe",
                                                "license.txt", "wizuninst.exe"}));
    EXPECT_EQ(Read(root_ / "extracted" / "F1_data.bin"), Read(root_ / "src" / "data.bin"));
    EXPECT_EQ(Read(root_ / "extracted" / "wizuninst.exe"), "MZ uninstaller");
}

// A size limit gives a chain of cabinets no larger than it, which reads back whole.
TEST_F(PackFolder, SplitsIntoAChainAtTheLimit) {
    request_.maxCabinetSize = 48 * 1024;
    request_.compression = {cab::CompressionMethod::Mszip, 21};
    ASSERT_EQ(Pack(), kPackOk);
    int cabinets = 0;
    for (int i = 1; fs::exists(root_ / "out" / ("file" + std::to_string(i) + ".cab")); ++i) {
        EXPECT_LE(fs::file_size(root_ / "out" / ("file" + std::to_string(i) + ".cab")),
                  request_.maxCabinetSize);
        ++cabinets;
    }
    EXPECT_GE(cabinets, 3);  // 150 000 incompressible bytes in 48 KB cabinets
    EXPECT_EQ(Extract().size(), 5u);
    EXPECT_EQ(Read(root_ / "extracted" / "F1_data.bin"), Read(root_ / "src" / "data.bin"));
}

// Every problem is reported, and nothing is written.
TEST_F(PackFolder, NothingWrittenWhenAProblemIsFound) {
    Write(root_ / "data.tag",
          "[FILES]\r\nTOTAL=2\r\nPR0=missing.exe\r\nON0=<Install Dir>\r\nPR1=acme.exe\r\n"
          "ON1=<Nowhere>\r\n");
    request_.language = (root_ / "language.tag").string();
    EXPECT_EQ(Pack(), kPackFailed);
    EXPECT_FALSE(fs::exists(root_ / "out"));
    ASSERT_EQ(messages_.size(), 4u);
    EXPECT_NE(messages_[0].find("language"), std::string::npos);
    EXPECT_EQ(messages_[1].rfind("data.tag:3: [FILES] PR0:", 0), 0u) << messages_[1];
    EXPECT_EQ(messages_[2].rfind("data.tag:6: [FILES] ON1:", 0), 0u) << messages_[2];
    EXPECT_EQ(messages_[3], "nothing written: 3 problems");
}

// An output folder with files in it is refused: old chain cabinets would stay.
TEST_F(PackFolder, RefusesAFolderThatHoldsFiles) {
    Write(root_ / "out" / "file3.cab", "old");
    EXPECT_EQ(Pack(), kPackFailed);
    EXPECT_FALSE(fs::exists(root_ / "out" / "file1.cab"));
    EXPECT_EQ(Read(root_ / "out" / "file3.cab"), "old");
}

}  // namespace
}  // namespace stepwise
