// A program that calls every audio function of the device layer, so that the symbol
// check sees all the names the layer's audio defines (none may be an unmangled C name).
#include "platform/asound.h"
#include "platform/device.h"
#include "platform/headless_audio.h"
#include "platform/mmrenderer.h"

#include <cstring>

int main() {
    using namespace ovdev;
    UseHeadlessBackend();
    headless::set_audio_mode(headless::AudioMode::Manual);
    snd_pcm_t *pcm = nullptr;
    int card = 0, device = 0;
    if (snd_pcm_open_preferred(&pcm, &card, &device, SND_PCM_OPEN_PLAYBACK) != 0) return 1;
    snd_pcm_plugin_set_disable(pcm, PLUGIN_DISABLE_MMAP);
    snd_pcm_nonblock_mode(pcm, 1);
    snd_pcm_channel_info_t info;
    std::memset(&info, 0, sizeof info);
    snd_pcm_plugin_info(pcm, &info);
    snd_pcm_channel_params_t params;
    std::memset(&params, 0, sizeof params);
    params.format = {1, SND_PCM_SFMT_S16_LE, 22050, 1};
    params.buf.block.frag_size = info.max_fragment_size;
    snd_pcm_plugin_params(pcm, &params);
    snd_pcm_plugin_prepare(pcm, SND_PCM_CHANNEL_PLAYBACK);
    snd_mixer_group_t group;
    std::memset(&group, 0, sizeof group);
    snd_pcm_channel_setup_t setup;
    std::memset(&setup, 0, sizeof setup);
    setup.mixer_gid = &group.gid;
    snd_pcm_plugin_setup(pcm, &setup);
    const char data[64] = {0};
    snd_pcm_plugin_write(pcm, data, sizeof data);
    snd_pcm_channel_status_t status;
    snd_pcm_plugin_status(pcm, &status);
    snd_pcm_plugin_playback_drain(pcm);
    snd_mixer_t *mixer = nullptr;
    snd_mixer_open(&mixer, card, setup.mixer_device);
    snd_mixer_group_read(mixer, &group);
    snd_mixer_group_write(mixer, &group);
    snd_mixer_read(mixer, nullptr);
    snd_mixer_close(mixer);
    snd_pcm_close(pcm);
    headless::mix_audio(16);

    mmr_connection_t *conn = mmr_connect(nullptr);
    mmr_context_t *ctx = mmr_context_create(conn, "probe", 0, 0500);
    mmr_output_attach(ctx, "audio:default", "audio");
    mmr_output_parameters(ctx, 0, strm_dict_set(strm_dict_new(), "volume", "50"));
    const int request = mmrenderer_request_events("probe", 0, 0);
    mmr_input_attach(ctx, "file:///nonexistent.mp3", "track");
    mmr_play(ctx);
    mmr_stop(ctx);
    mmr_input_detach(ctx);
    mmrenderer_event_get_state(nullptr);
    mmrenderer_event_get_error(nullptr);
    strm_dict_t *d = strm_dict_new();
    strm_dict_find_value(d, "x");
    strm_dict_destroy(d);
    mmrenderer_stop_events(request);
    mmr_context_destroy(ctx);
    mmr_disconnect(conn);
    return mmrenderer_get_domain() == DOMAIN_MEDIA_RENDERER ? 0 : 1;
}
