// The online services' tests: the screen framework on the headless engine (ui_fixture.h)
// with the engine table's seams replaced. The extension slot answers the product
// features and platform facts a test sets, "GameCenter" "IsAvailable" when the platform
// score service is switched on, records every "GameCenter" and "OpenURL" command and
// passes everything else (such as "ReplaceFile") to the engine. The HTTP slot records
// every address and answers a news request with status 200 and the bytes of the reply
// file; other addresses (image downloads) get 404.
#ifndef TEST_ONLINE_ONLINE_FIXTURE_H
#define TEST_ONLINE_ONLINE_FIXTURE_H

#include "tests/app/ui/ui_fixture.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace onlinetest {

// What the wrapped extension slot answers and what it saw.
struct FakePlatform {
    std::string features;               // "ProgramInfo" "Features"
    std::string platform_id = "qnx";    // "PlatformInfo" "PlatformId"
    std::string screen_size = "tablet"; // "PlatformInfo" "ScreenSizeId" ("" answers null)
    bool game_center = false;           // answers "GameCenter" "IsAvailable"
    std::vector<std::string> commands;  // "GameCenter <arg>" and "OpenURL <arg>", in order
};
extern FakePlatform platform;

// The addresses the HTTP slot was asked for, in order (any thread may have asked).
std::vector<std::string> Addresses();
// The native file whose bytes answer news requests (a missing file answers status 0).
void SetReplyFile(const std::string &path);
// Writes the reply file with these bytes.
void WriteReply(const std::string &bytes);
// While held, a news request waits in the HTTP slot (after its address is recorded)
// until released.
void HoldHttp(bool hold);

// A w x h TGA of one colour written through the engine under an engine file name.
bool WriteTga(const std::string &engine_name, int w, int h, uint32_t rgba);
// The same image as the download cache's file of an "http://" name.
bool SeedCachedImage(const std::string &url, int w, int h, uint32_t rgba);
// The engine's reference count of a bitmap (0 for null).
int RefCount(ov_bitmap_t *bitmap);
// The whole text of an engine file ("" when it does not open).
std::string ReadEngineFile(const std::string &name);
// Whether an engine file opens.
bool EngineFileExists(const std::string &name);

class OnlineTest : public uitest::UITest {
protected:
    void TearDown() override;
    // The screen framework on a w x h display (templates: button and text box in a
    // font of white 6 x 10 blocks), the seams in place, the features read again from `features`, an
    // active profile, and the reply file set (empty).
    void StartOnline(const std::string &features, int w = 320, int h = 240);
    // The shipped layout of the news screen in res:// and the screen preloaded.
    void PrepareNewsScreen();
    // Waits until no news fetch runs, then runs one engine frame (the fetched image's
    // upload happens at its end).
    void WaitForFetch();
    std::string reply_path_;
};

}  // namespace onlinetest

#endif
