// "Orvane --render-icon PATH": the icon set without a display, beside a running instance,
// and the failure line and status when the directory cannot be made.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <set>

#include "ProgramProcess.h"

namespace orvane::e2e {
namespace {

const std::array<std::pair<const char*, unsigned>, 10> iconset = {{{"icon_16x16.png", 16},
                                                                   {"icon_16x16@2x.png", 32},
                                                                   {"icon_32x32.png", 32},
                                                                   {"icon_32x32@2x.png", 64},
                                                                   {"icon_128x128.png", 128},
                                                                   {"icon_128x128@2x.png", 256},
                                                                   {"icon_256x256.png", 256},
                                                                   {"icon_256x256@2x.png", 512},
                                                                   {"icon_512x512.png", 512},
                                                                   {"icon_512x512@2x.png", 1024}}};

struct PngHeader {
    unsigned width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
};

// The IHDR chunk, which a PNG file must start with after its signature.
std::optional<PngHeader> readHeader(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::array<unsigned char, 26> bytes{};
    if (!in.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) return std::nullopt;
    const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!std::equal(std::begin(signature), std::end(signature), bytes.begin())) return std::nullopt;
    if (std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR") return std::nullopt;
    const auto be32 = [&](int at) {
        return unsigned(bytes[at]) << 24 | unsigned(bytes[at + 1]) << 16 | unsigned(bytes[at + 2]) << 8 |
               unsigned(bytes[at + 3]);
    };
    return PngHeader{be32(16), be32(20), bytes[24], bytes[25]};
}

std::set<std::string> filesIn(const std::filesystem::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) names.insert(entry.path().filename());
    return names;
}

void expectIconset(const std::filesystem::path& directory) {
    std::set<std::string> expected;
    for (const auto& [name, pixels] : iconset) {
        expected.insert(name);
        const auto header = readHeader(directory / name);
        ASSERT_TRUE(header) << name;
        EXPECT_EQ(header->width, pixels) << name;
        EXPECT_EQ(header->height, pixels) << name;
        EXPECT_EQ(header->bitDepth, 8) << name;
        EXPECT_EQ(header->colourType, 6) << name;  // RGBA
    }
    EXPECT_EQ(filesIn(directory), expected);
}

TEST(RenderIconProgramTest, WritesTheTenFilesWithoutADisplayAndOverwritesThemOnASecondRun) {
    Session session;  // DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset
    const auto directory = session.root / "a" / "b" / "c";
    {
        ProgramProcess program(session, {"--render-icon", directory.string()});
        EXPECT_TRUE(exitedWith(program.waitForExit(30s), 0)) << program.errors();
        EXPECT_EQ(program.errors().find("render-icon failed"), std::string::npos) << program.errors();
    }
    expectIconset(directory);

    // Spoil two files; the second run replaces them whole.
    std::ofstream(directory / "icon_16x16.png") << "not a png";
    std::filesystem::resize_file(directory / "icon_512x512@2x.png", 10);
    ProgramProcess again(session, {"--render-icon", directory.string()});
    EXPECT_TRUE(exitedWith(again.waitForExit(30s), 0)) << again.errors();
    expectIconset(directory);

    // Without a runtime directory, as in a package build: still not a word.
    session.environment["XDG_RUNTIME_DIR"] = std::nullopt;
    ProgramProcess bare(session, {"--render-icon", (session.root / "bare").string()});
    EXPECT_TRUE(exitedWith(bare.waitForExit(30s), 0)) << bare.errors();
    EXPECT_EQ(bare.errors(), "");
    EXPECT_EQ(bare.output(), "");
}

TEST(RenderIconProgramTest, RunsBesideARunningInstanceWithoutHandingOver) {
    Session session;
    ProgramProcess primary(session, {});
    ASSERT_TRUE(primary.waitUntilReady()) << primary.errors();
    const auto directory = session.root / "icons";
    ProgramProcess render(session, {"--render-icon", directory.string()});
    EXPECT_TRUE(exitedWith(render.waitForExit(30s), 0)) << render.errors();
    EXPECT_EQ(render.output(), "");
    expectIconset(directory);
    EXPECT_TRUE(primary.running());
}

TEST(RenderIconProgramTest, PathBelowARegularFileFailsWithTheReason) {
    Session session;
    const auto blocker = session.root / "plain";
    std::ofstream(blocker) << "x";
    ProgramProcess program(session, {"--render-icon", (blocker / "icons").string()});
    EXPECT_TRUE(exitedWith(program.waitForExit(30s), 1));
    const std::string expected = "render-icon failed: cannot create " + (blocker / "icons").string() + ": ";
    EXPECT_EQ(program.errors().rfind(expected, 0), 0u) << program.errors();
    EXPECT_EQ(program.errors().back(), '\n');
    EXPECT_EQ(program.errors().find("launched: "), std::string::npos);
}

TEST(RenderIconProgramTest, EmptyPathFailsAndALastOptionIsRefusedWithoutAStart) {
    Session session;
    ProgramProcess empty(session, {"--render-icon", ""});
    EXPECT_TRUE(exitedWith(empty.waitForExit(30s), 1));
    EXPECT_EQ(empty.errors(), "render-icon failed: no directory given\n");

    ProgramProcess last(session, {"--render-icon"});
    EXPECT_TRUE(exitedWith(last.waitForExit(30s), 2)) << last.errors();
    EXPECT_EQ(last.errors(), "orvane: --render-icon needs a folder to draw into\n");
    EXPECT_EQ(last.output(), "");
}

}  // namespace
}  // namespace orvane::e2e
