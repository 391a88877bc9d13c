#include "core/update/update_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "core/update/online_update.h"
#include "support/temp_dir.h"

namespace vela::update {
namespace {

std::vector<std::uint8_t> PeImage(std::uint16_t machine, std::uint16_t characteristics,
                                  std::uint32_t pe_at = 0x80) {
    std::vector<std::uint8_t> b(0x200, 0);
    b[0] = 'M';
    b[1] = 'Z';
    for (int k = 0; k < 4; ++k)
        b[0x3C + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(pe_at >> (8 * k));
    if (pe_at + 24 <= b.size()) {
        b[pe_at] = 'P';
        b[pe_at + 1] = 'E';
        b[pe_at + 4] = static_cast<std::uint8_t>(machine);
        b[pe_at + 5] = static_cast<std::uint8_t>(machine >> 8);
        b[pe_at + 22] = static_cast<std::uint8_t>(characteristics);
        b[pe_at + 23] = static_cast<std::uint8_t>(characteristics >> 8);
    }
    return b;
}

ImageCheck CheckBytes(const testing::TempDir& dir, const std::vector<std::uint8_t>& bytes,
                      std::uint16_t machine = kMachineAmd64) {
    const auto path = dir / "candidate.exe";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return CheckExecutableImage(path, machine);
}

TEST(UpdateFiles, DownloadCountsExactlyTheAnnouncedBytes) {
    DownloadCounter counter(1000);
    EXPECT_TRUE(counter.Add(600));
    EXPECT_FALSE(counter.Complete());
    EXPECT_FALSE(counter.Add(401));  // one past the announced size
    EXPECT_EQ(counter.Received(), 600u);
    EXPECT_TRUE(counter.Add(400));
    EXPECT_TRUE(counter.Complete());
    EXPECT_FALSE(counter.Add(1));

    EXPECT_FALSE(DownloadCounter::Acceptable(0));
    EXPECT_TRUE(DownloadCounter::Acceptable(kMaxDownloadSize));
    EXPECT_FALSE(DownloadCounter::Acceptable(kMaxDownloadSize + 1));
    EXPECT_FALSE(DownloadCounter::Acceptable(kMax40Bit));
}

TEST(UpdateFiles, OnlyAnExecutableImageOfTheSameMachineIsAProgram) {
    testing::TempDir dir;
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineAmd64, 0x0022)), ImageCheck::kOk);
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineI386, 0x0102)), ImageCheck::kOtherMachine);
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineI386, 0x0102), kMachineI386), ImageCheck::kOk);
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineAmd64, 0x2022)), ImageCheck::kNotExecutable);  // a DLL
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineAmd64, 0x0020)), ImageCheck::kNotExecutable);  // an object
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineAmd64, 0x0022, 0x1F0)), ImageCheck::kNotExecutable);  // cut off
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineAmd64, 0x0022, 0x20)),
              ImageCheck::kNotExecutable);  // in the DOS header
    EXPECT_EQ(CheckBytes(dir, PeImage(kMachineAmd64, 0x0022, 0x7FFFFFF0)), ImageCheck::kNotExecutable);
    const std::string script = "@echo off\r\nformat c:\r\n";
    EXPECT_EQ(CheckBytes(dir, std::vector<std::uint8_t>(script.begin(), script.end())),
              ImageCheck::kNotExecutable);
    EXPECT_EQ(CheckBytes(dir, {}), ImageCheck::kNotExecutable);
    EXPECT_EQ(CheckExecutableImage(dir / "missing.exe", kMachineAmd64), ImageCheck::kNotExecutable);
}

TEST(UpdateFiles, BatchFileQuotesEveryPath) {
    const auto text = BuildBatchText(L"vela.exe", L"C:\\Program Files\\vela");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              L"ping 1 -n 1 -w 300 2>nul 1>nul \r\n"
              L"taskkill /f /im \"vela.exe\"\r\n"
              L"del \"vela.exe\"\r\n"
              L"ping 1 -n 1 -w 100 2>nul 1>nul \r\n"
              L"copy /b /y \"ServerUpDataxsxsxs.exe\" \"vela.exe\"\r\n"
              L"ping 1 -n 1 -w 100 2>nul 1>nul \r\n"
              L"if not exist \"C:\\Program Files\\vela\\vela.exe\" (copy /b /y \"ServerUpDataxsxsxs.exe\" "
              L"\"vela.exe\" )\r\n"
              L"start \"\" \"C:\\Program Files\\vela\\vela.exe\"\r\n"
              L"del \"UpDown.bat\"\r\n");
    // A drive's root already ends in its separator.
    const auto root = BuildBatchText(L"vela.exe", L"D:\\");
    ASSERT_TRUE(root);
    EXPECT_NE(root->find(L"start \"\" \"D:\\vela.exe\""), std::wstring::npos);
    // Names the interpreter can carry in quotes: spaces, parentheses, Chinese.
    EXPECT_TRUE(BuildBatchText(L"vela (2).exe", L"C:\\用户\\me"));
}

TEST(UpdateFiles, BatchFileRefusesNamesTheInterpreterWouldActOn) {
    for (const wchar_t* bad : {L"\"", L"%", L"^", L"&", L"|", L"<", L">", L"\r", L"\n", L"\t"}) {
        EXPECT_FALSE(BuildBatchText(std::wstring(L"ve") + bad + L"la.exe", L"C:\\vela")) << bad;
        EXPECT_FALSE(BuildBatchText(L"vela.exe", std::wstring(L"C:\\a") + bad + L"b")) << bad;
    }
    // The executable is a file name in the folder, never a path.
    EXPECT_FALSE(BuildBatchText(L"..\\vela.exe", L"C:\\vela"));
    EXPECT_FALSE(BuildBatchText(L"C:vela.exe", L"C:\\vela"));
    EXPECT_FALSE(BuildBatchText(L"", L"C:\\vela"));
    EXPECT_FALSE(BuildBatchText(L"vela.exe", L""));
}

TEST(UpdateFiles, UpdateHostIsANameOrAddressWithAnOptionalPort) {
    const auto plain = ParseUpdateHost("update.example.net");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->host, "update.example.net");
    EXPECT_EQ(plain->port, kDefaultPort);
    const auto with_port = ParseUpdateHost("127.0.0.1:4000");
    ASSERT_TRUE(with_port);
    EXPECT_EQ(with_port->host, "127.0.0.1");
    EXPECT_EQ(with_port->port, 4000);
    const auto v6 = ParseUpdateHost("[::1]:65535");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");
    EXPECT_EQ(v6->port, 65535);
    for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:8x", "ho st", "host;rm", "[::1",
                            "[]", "[::1]x", "a:b:c", "[zz]"}) {
        EXPECT_FALSE(ParseUpdateHost(bad)) << bad;
    }
}

}  // namespace
}  // namespace vela::update
