// Decoding of the media renderer's tracks: MP3 files through libmpg123, delivered as
// stereo 16-bit frames at the mixer's rate (mono tracks go to both sides; 44100 Hz
// tracks are halved by the decoder).
#include <mpg123.h>

#include <cstring>

#include "platform/audio_core.h"

namespace ovdev {
namespace detail {
namespace {

class Mp3Track : public TrackDecoder {
public:
    explicit Mp3Track(mpg123_handle *handle) : handle_(handle) {}

    ~Mp3Track() override {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }

    int Read(int16_t *stereo, int frames) override {
        unsigned char *out = reinterpret_cast<unsigned char *>(stereo);
        const std::size_t want = static_cast<std::size_t>(frames) * 4;
        std::size_t have = 0;
        while (have < want) {
            std::size_t done = 0;
            const int rc = mpg123_read(handle_, out + have, want - have, &done);
            have += done;
            if (rc == MPG123_DONE) break;
            if (rc == MPG123_NEW_FORMAT || rc == MPG123_NEED_MORE) continue;
            if (rc != MPG123_OK) return have >= 4 ? static_cast<int>(have / 4) : -1;
            if (done == 0) break;
        }
        return static_cast<int>(have / 4);
    }

private:
    mpg123_handle *handle_;
};

}  // namespace

std::unique_ptr<TrackDecoder> OpenTrack(const std::string &path, std::string *error) {
    int err = MPG123_OK;
    mpg123_handle *h = mpg123_new(nullptr, &err);
    if (!h) {
        if (error) *error = mpg123_plain_strerror(err);
        return nullptr;
    }
    mpg123_param(h, MPG123_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    mpg123_format_none(h);
    if (mpg123_format(h, kMixRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
        mpg123_open(h, path.c_str()) != MPG123_OK) {
        if (error) *error = mpg123_strerror(h);
        mpg123_delete(h);
        return nullptr;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate != kMixRate || channels != 2 ||
        encoding != MPG123_ENC_SIGNED_16) {
        if (error) *error = "not an MP3 track the mixer can play";
        mpg123_close(h);
        mpg123_delete(h);
        return nullptr;
    }
    return std::make_unique<Mp3Track>(h);
}

}  // namespace detail
}  // namespace ovdev
