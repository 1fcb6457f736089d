// Tests of "http://" names: refused before initialisation has finished, served from
// the download cache under user://cache/, downloaded through the interface's request
// call (which has no network on this platform) and reported when that fails.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/ov_state.h"
#include "core/services.h"
#include "fs_test_env.h"

using fstest::FsTest;
using fstest::LogMark;
using fstest::LoggedSince;
using fstest::NativeExists;
using fstest::ReadEngineFile;
using fstest::ReadNative;
using fstest::UserDir;
using fstest::WriteNative;

namespace {

// A stand-in for a networked request call: answers with the configured status and body.
struct FakeServer {
    int status = 200;
    std::string body;
    int expected_size = -1;  // -1: the body's size
    int calls = 0;
    int last_kind = -1;
    std::string last_url, last_content_type;
};
FakeServer server;

int FakeRequest(int kind, const char *url, const char *content_type, const char *body, int body_length, ov_buffer_t *reply,
                int *extra)
{
    server.calls++;
    server.last_kind = kind;
    server.last_url = url ? url : "";
    server.last_content_type = content_type ? content_type : "";
    if (server.status == 200 && reply) {
        *reply = OV_AllocBuffer((int)server.body.size());
        if (!server.body.empty())
            memcpy(reply->data, server.body.data(), server.body.size());
        if (server.expected_size >= 0)
            reply->size = server.expected_size;
    }
    return server.status;
}

class HttpTest : public FsTest {
protected:
    void SetUp() override
    {
        FsTest::SetUp();
        server = FakeServer();
    }
    // Initialisation has finished: the HTTP opener takes names from now on.
    void FinishInitialisation() { ov_state.core_ready = 1; }
    void UseFakeServer() { ov->OV_SendHttpRequest = FakeRequest; }
};

TEST_F(HttpTest, RefusedSilentlyBeforeInitialisationFinished)
{
    size_t mark = LogMark();
    EXPECT_EQ(OV_OpenFile("http://host/a.png", "r"), nullptr);
    EXPECT_FALSE(LoggedSince(mark, "HTTP")) << fstest::LogSince(mark);
    EXPECT_FALSE(NativeExists(UserDir() + "/cache"));
}

TEST_F(HttpTest, WithoutNetworkTheDownloadFailsWithMessages)
{
    FinishInitialisation();
    size_t mark = LogMark();
    EXPECT_EQ(OV_OpenFile("http://host/img/a.png", "r"), nullptr);
    EXPECT_TRUE(LoggedSince(mark, "HTTP trying open 'http://host/img/a.png'..")) << fstest::LogSince(mark);
    EXPECT_TRUE(LoggedSince(mark, "Doesn't exist in cache, starting download.."));
    EXPECT_TRUE(LoggedSince(mark, "Failed to open 'http://host/img/a.png': return code 0"));
    EXPECT_TRUE(NativeExists(UserDir() + "/cache"));
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(HttpTest, OnlyReadingOpensHttpNames)
{
    FinishInitialisation();
    size_t mark = LogMark();
    EXPECT_EQ(OV_OpenFile("http://host/a.png", "w"), nullptr);
    EXPECT_FALSE(LoggedSince(mark, "HTTP trying open")) << fstest::LogSince(mark);
}

struct CacheCase {
    const char *url;
    const char *cache_file;  // under user://cache/
};

TEST_F(HttpTest, PreSeededCacheFileOpens)
{
    FinishInitialisation();
    UseFakeServer();
    const CacheCase cases[] = {
        {"http://host/img/a.png", "http__host_img_a.png"},
        {"http://example.com/a b?x=1&y=%20.png", "http__example.com_abx1y%20.png"},
        {"http://h/~user/file-1.dat", "http__h_~user_file-1.dat"},
    };
    for (const CacheCase &c : cases) {
        std::string content = std::string("cached ") + c.cache_file;
        WriteNative(UserDir() + "/cache/" + c.cache_file, content);
        size_t mark = LogMark();
        ov_file_t *f = OV_OpenFile(c.url, "r");
        ASSERT_NE(f, nullptr) << c.url << "\n" << fstest::LogSince(mark);
        EXPECT_EQ(std::string(f->name), std::string("user://cache/") + c.cache_file);
        EXPECT_EQ(f->size, (long)content.size());
        EXPECT_EQ(fstest::ReadRest(f), content);
        OV_CloseFile(f);
        EXPECT_FALSE(LoggedSince(mark, "starting download")) << c.url;
    }
    EXPECT_EQ(server.calls, 0);
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(HttpTest, CompleteDownloadIsCachedAndServed)
{
    FinishInitialisation();
    UseFakeServer();
    server.body = fstest::RandomBytes(3000, 5);
    size_t mark = LogMark();
    std::string got;
    ASSERT_TRUE(ReadEngineFile("http://host/data/blob.bin", &got)) << fstest::LogSince(mark);
    EXPECT_EQ(got, server.body);
    EXPECT_EQ(server.calls, 1);
    EXPECT_EQ(server.last_kind, 2);
    EXPECT_EQ(server.last_url, "http://host/data/blob.bin");
    EXPECT_EQ(server.last_content_type, "application/octet-stream");
    EXPECT_TRUE(LoggedSince(mark, "Done downloading 3000 bytes for 'http://host/data/blob.bin'. Writing file to local cache."));
    EXPECT_EQ(ReadNative(UserDir() + "/cache/http__host_data_blob.bin"), server.body);

    ASSERT_TRUE(ReadEngineFile("http://host/data/blob.bin", &got));
    EXPECT_EQ(got, server.body);
    EXPECT_EQ(server.calls, 1) << "the second open is served from the cache";
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

// A cache file cut to nothing (a crash or a full disk while it was written) is not
// served: it is removed and the file downloaded again.
TEST_F(HttpTest, EmptyCacheFileIsFetchedAgain)
{
    FinishInitialisation();
    UseFakeServer();
    server.body = fstest::RandomBytes(2000, 9);
    WriteNative(UserDir() + "/cache/http__host_news.xml", "");
    size_t mark = LogMark();
    std::string got;
    ASSERT_TRUE(ReadEngineFile("http://host/news.xml", &got)) << fstest::LogSince(mark);
    EXPECT_EQ(got, server.body);
    EXPECT_EQ(server.calls, 1);
    EXPECT_TRUE(LoggedSince(mark, "Cache file 'user://cache/http__host_news.xml' is empty. Fetching it again."));
    EXPECT_EQ(ReadNative(UserDir() + "/cache/http__host_news.xml"), server.body);
    EXPECT_FALSE(NativeExists(UserDir() + "/cache/http__host_news.xml.tmp"));
}

TEST_F(HttpTest, EmptyDownloadIsNotCached)
{
    FinishInitialisation();
    UseFakeServer();
    server.body = "";
    EXPECT_EQ(OV_OpenFile("http://host/empty.bin", "r"), nullptr);
    EXPECT_FALSE(NativeExists(UserDir() + "/cache/http__host_empty.bin"));
    EXPECT_FALSE(NativeExists(UserDir() + "/cache/http__host_empty.bin.tmp"));
}

TEST_F(HttpTest, DotsBroughtTogetherByDroppedCharactersStillCache)
{
    // "a.'.b" loses its quote: the cache name must not become "a..b", which the
    // engine's files refuse (the download was made and then never kept nor opened).
    FinishInitialisation();
    UseFakeServer();
    server.body = "level";
    const CacheCase cases[] = {
        {"http://host/a.'.b", "http__host_a._b"},
        {"http://host/v1.(.).dat", "http__host_v1._.dat"},
        {"http://host/x.:.:.:.y", "http__host_x._._y"},
        {"http://host/.p.n.\xff.c.", "http__host_.p.n._c_"},
    };
    for (const CacheCase &c : cases) {
        SCOPED_TRACE(c.url);
        server.calls = 0;
        size_t mark = LogMark();
        std::string got;
        ASSERT_TRUE(ReadEngineFile(c.url, &got)) << fstest::LogSince(mark);
        EXPECT_EQ(got, server.body);
        EXPECT_EQ(ReadNative(UserDir() + "/cache/" + c.cache_file), server.body);
        ASSERT_TRUE(ReadEngineFile(c.url, &got));
        EXPECT_EQ(server.calls, 1) << "the second open is served from the cache";
    }
    EXPECT_EQ(OVI_OpenFileCount(), 0);
}

TEST_F(HttpTest, IncompleteDownloadIsNotSaved)
{
    FinishInitialisation();
    UseFakeServer();
    server.body = std::string(512, 'x');
    server.expected_size = 1024;
    size_t mark = LogMark();
    EXPECT_EQ(OV_OpenFile("http://host/part.bin", "r"), nullptr);
    EXPECT_TRUE(LoggedSince(mark, "Download for 'http://host/part.bin' not complete (50% of 1.0KB done). Not saving."))
        << fstest::LogSince(mark);
    EXPECT_FALSE(NativeExists(UserDir() + "/cache/http__host_part.bin"));
}

TEST_F(HttpTest, ServerErrorIsReportedWithItsCode)
{
    FinishInitialisation();
    UseFakeServer();
    server.status = 404;
    size_t mark = LogMark();
    EXPECT_EQ(OV_OpenFile("http://host/gone.png", "r"), nullptr);
    EXPECT_TRUE(LoggedSince(mark, "Failed to open 'http://host/gone.png': return code 404")) << fstest::LogSince(mark);
    EXPECT_EQ(server.calls, 1);
}

TEST_F(HttpTest, OverlongCacheNameIsRefused)
{
    FinishInitialisation();
    UseFakeServer();
    server.body = "x";
    std::string url = "http://host/" + std::string(260, 'a');
    EXPECT_EQ(OV_OpenFile(url.c_str(), "r"), nullptr);
    EXPECT_EQ(server.calls, 0);
}

}  // namespace
