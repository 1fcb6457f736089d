// The settings block and its file "user/config.dat": defaults, the header check, short
// files, the byte layout and the round trip through the engine's file calls.
#include "game/settings.h"

#include "game/scape.h"

#include "tests/app/services/data_fixture.h"

#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

namespace {

using datatest::CountMessages;

class SettingsTest : public datatest::DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        ScapeConfigDefaults(&config);
        name = ScapeConfigFileName(buf, 511);
    }
    // Writes the native file behind "user://user/config.dat".
    void WriteConfigFile(const std::string &bytes)
    {
        std::string path = UserPath("user");
        std::string cmd = "mkdir -p '" + path + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
        ASSERT_TRUE(WriteNative(path + "/config.dat", bytes));
    }
    // A 148-byte file: the header's eight bytes, then the fields.
    static std::string FileBytes(const char header[8], int32_t a, int32_t b, uint8_t calibration, uint8_t keep)
    {
        std::string bytes(148, '\0');
        memcpy(&bytes[0], header, 8);
        for (int i = 0; i < 4; i++) {
            bytes[8 + i] = (char)(((uint32_t)a >> (8 * i)) & 0xff);
            bytes[12 + i] = (char)(((uint32_t)b >> (8 * i)) & 0xff);
        }
        bytes[16] = (char)calibration;
        bytes[18] = (char)keep;
        return bytes;
    }
    ScapeConfig config;
    char buf[512];
    const char *name = nullptr;
};

TEST_F(SettingsTest, FileNameIsTheUserPath)
{
    EXPECT_STREQ(name, "user://user/config.dat");
}

TEST_F(SettingsTest, DefaultsKeepTheCameraAndNothingElse)
{
    EXPECT_EQ(config.keep_camera, 1);
    EXPECT_EQ(config.joystick_mode_a, 0);
    EXPECT_EQ(config.joystick_mode_b, 0);
    EXPECT_EQ(config.use_calibration, 0);
    // Without a file the block stays as it is, silently.
    EXPECT_FALSE(ReadScapeConfig(name, &config));
    EXPECT_EQ(config.keep_camera, 1);
    EXPECT_EQ(CountMessages("Incompatible config header.\n"), 0);
}

struct HeaderCase {
    const char *label;
    char header[8];
    bool accepted;
};

const HeaderCase kHeaderCases[] = {
    {"exact", {'C', 'O', 'N', 'F', '-', '2', '\0', 'x'}, true},
    {"lower case", {'c', 'o', 'n', 'f', '-', '2', '\0', '\0'}, true},
    {"mixed case", {'c', 'O', 'n', 'F', '-', '2', '\0', '\x7f'}, true},
    {"other version", {'C', 'O', 'N', 'F', '-', '3', '\0', '\0'}, false},
    {"no terminator", {'C', 'O', 'N', 'F', '-', '2', 'X', 'Y'}, false},
    {"eight bytes without NUL", {'C', 'O', 'N', 'F', 'I', 'G', 'U', 'R'}, false},
    {"empty", {'\0', '\0', '\0', '\0', '\0', '\0', '\0', '\0'}, false},
    {"prefix only", {'C', 'O', 'N', 'F', '\0', '\0', '\0', '\0'}, false},
};

TEST_F(SettingsTest, HeaderTable)
{
    for (const HeaderCase &c : kHeaderCases) {
        SCOPED_TRACE(c.label);
        datatest::ClearMessages();
        ScapeConfigDefaults(&config);
        WriteConfigFile(FileBytes(c.header, 2, 3, 1, 0));
        EXPECT_EQ(ReadScapeConfig(name, &config), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(config.joystick_mode_a, 2);
            EXPECT_EQ(config.joystick_mode_b, 3);
            EXPECT_EQ(config.use_calibration, 1);
            EXPECT_EQ(config.keep_camera, 0);
            EXPECT_EQ(memcmp(config.header, c.header, 8), 0);  // the header is read too
            EXPECT_EQ(CountMessages("Incompatible config header.\n"), 0);
        } else {
            EXPECT_EQ(config.keep_camera, 1);
            EXPECT_EQ(config.joystick_mode_a, 0);
            EXPECT_EQ(CountMessages("Incompatible config header.\n"), 1) << datatest::Dump();
        }
    }
}

TEST_F(SettingsTest, ShortFilesOverwriteOnlyTheBytesTheyHold)
{
    const char header[8] = {'C', 'O', 'N', 'F', '-', '2', '\0', '\0'};
    std::string full = FileBytes(header, 0x01020304, -7, 1, 0);
    struct {
        size_t length;
        bool accepted;
        int32_t a, b;
        uint8_t keep;
    } cases[] = {
        {0, false, 0, 0, 1},                // empty file: no header
        {5, false, 0, 0, 1},                // header cut inside the six characters
        {7, true, 0, 0, 1},                 // header and NUL only
        {10, true, 0x0304, 0, 1},           // half of the first word
        {17, true, 0x01020304, -7, 1},      // up to the calibration byte
        {148, true, 0x01020304, -7, 0},     // whole block
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.length);
        ScapeConfigDefaults(&config);
        WriteConfigFile(full.substr(0, c.length));
        EXPECT_EQ(ReadScapeConfig(name, &config), c.accepted);
        EXPECT_EQ(config.joystick_mode_a, c.a);
        EXPECT_EQ(config.joystick_mode_b, c.b);
        EXPECT_EQ(config.keep_camera, c.keep);
    }
}

TEST_F(SettingsTest, LongerFileReadsOnlyTheBlock)
{
    const char header[8] = {'C', 'O', 'N', 'F', '-', '2', '\0', '\0'};
    WriteConfigFile(FileBytes(header, 3, 2, 0, 1) + std::string(100, '\xff'));
    ASSERT_TRUE(ReadScapeConfig(name, &config));
    EXPECT_EQ(config.joystick_mode_a, 3);
    EXPECT_EQ(config.unused_19[128], 0);
}

TEST_F(SettingsTest, WriteCreatesTheFolderAndReadsBack)
{
    config.joystick_mode_a = 3;
    config.joystick_mode_b = -123456;
    config.use_calibration = 1;
    config.keep_camera = 0;
    config.unused_19[0] = 0x5a;
    ASSERT_TRUE(WriteScapeConfig(name, &config));
    EXPECT_EQ(memcmp(config.header, "CONF-2", 7), 0);

    std::string bytes = ReadNative(UserPath("user/config.dat"));
    ASSERT_EQ(bytes.size(), 148u);
    EXPECT_EQ(bytes.substr(0, 7), std::string("CONF-2\0", 7));
    EXPECT_EQ((uint8_t)bytes[8], 3);
    EXPECT_EQ((uint8_t)bytes[18], 0);
    EXPECT_EQ((uint8_t)bytes[19], 0x5a);

    ScapeConfig back;
    ScapeConfigDefaults(&back);
    ASSERT_TRUE(ReadScapeConfig(name, &back));
    EXPECT_EQ(back.joystick_mode_a, 3);
    EXPECT_EQ(back.joystick_mode_b, -123456);
    EXPECT_EQ(back.use_calibration, 1);
    EXPECT_EQ(back.keep_camera, 0);
    EXPECT_EQ(back.unused_19[0], 0x5a);
    uint8_t a[148], b[148];
    ScapeConfigToBytes(&config, a);
    ScapeConfigToBytes(&back, b);
    EXPECT_EQ(memcmp(a, b, 148), 0);
}

TEST_F(SettingsTest, BytesAreLittleEndianFields)
{
    config.joystick_mode_a = 0x11223344;
    uint8_t bytes[148];
    ScapeConfigToBytes(&config, bytes);
    EXPECT_EQ(bytes[8], 0x44);
    EXPECT_EQ(bytes[11], 0x11);
    EXPECT_EQ(bytes[18], 1);
    ScapeConfig back;
    ScapeConfigFromBytes(bytes, &back);
    EXPECT_EQ(back.joystick_mode_a, 0x11223344);
    EXPECT_EQ(back.keep_camera, 1);
}

// The world's own block through its two operations and the engine's name of the file.
TEST_F(SettingsTest, WorldReadsAndWritesItsBlock)
{
    Scape writer;
    EXPECT_EQ(writer.config.keep_camera, 1);
    writer.config.joystick_mode_b = 2;
    writer.config.keep_camera = 0;
    ASSERT_TRUE(writer.WriteConfig());
    EXPECT_TRUE(ExistsNative(UserPath("user/config.dat")));

    Scape reader;
    reader.ReadConfig();
    EXPECT_EQ(reader.config.joystick_mode_b, 2);
    EXPECT_EQ(reader.config.keep_camera, 0);

    // A damaged header leaves the block as it was.
    WriteConfigFile(std::string("CONF-9\0\0", 8) + std::string(140, '\x01'));
    reader.ReadConfig();
    EXPECT_EQ(reader.config.keep_camera, 0);
    EXPECT_EQ(reader.config.joystick_mode_a, 0);
    EXPECT_EQ(CountMessages("Incompatible config header.\n"), 1);
}

TEST_F(SettingsTest, IncompatibleFileIsKeptAsideBeforeWriting)
{
    const char other[8] = {'C', 'O', 'N', 'F', '-', '3', '\0', '\0'};
    std::string old = FileBytes(other, 9, 9, 1, 1);
    WriteConfigFile(old);
    ASSERT_TRUE(WriteScapeConfig(name, &config));
    EXPECT_EQ(ReadNative(UserPath("user/config.dat.bad")), old);
    EXPECT_EQ(ReadNative(UserPath("user/config.dat")).substr(0, 6), "CONF-2");
    // A compatible file is simply replaced.
    ASSERT_TRUE(WriteScapeConfig(name, &config));
    EXPECT_FALSE(ExistsNative(UserPath("user/config.dat.bad2")));
}

}  // namespace
