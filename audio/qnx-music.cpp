// Music of the platform sound implementation: a media-renderer context that plays the
// music's MP3 file by URL from the music package, its volume levels, the restart when
// a track ends cleanly, and the renderer's state events from the main loop.
#include "audio/soundimp-qnx.h"
#include "audio/sound.h"
#include "core/ov_state.h"
#include "nstring.h"

#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

using namespace ovdev;

int ov_mmr_old_state = MMR_STATE_STOPPED;

namespace {

float Clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// The renderer's volume level of v: 0, or 40..80 for anything audible.
int VolumeLevel(float v)
{
    if (v < 0.0f)
        return 0;
    if (v > 1.0f)
        return 80;
    int p = (int)(v * 100);
    return p > 0 ? (int)(40 + p * 0.4) : p;
}

}  // namespace

void QNX_MusicPlayer::SendLevel(float v)
{
    const int level = VolumeLevel(v);
    if (level == last_level)
        return;
    last_level = level;
    if (!context)
        return;
    char text[16];
    snprintf(text, sizeof text, "%d", level);
    strm_dict_t *dict = strm_dict_set(strm_dict_new(), "volume", text);
    if (dict)
        mmr_output_parameters(context, output_id, dict);
}

void QNX_MusicPlayer::Play(ov_sound_t *sound, float volume, float)
{
    if (music) {
        music = nullptr;
        if (context) {
            mmr_stop(context);
            mmr_input_detach(context);
        }
    }
    ovSample *sample = sound ? (ovSample *)sound->imp_data[1] : nullptr;
    if (!sample)
        return;
    music = sound;

    char relative[512];
    bool found = false;
    for (int i = 0; i < ov->OV_GetNumberOfSearchPaths(); i++) {
        const char *path = ov->OV_GetSearchPath(i);
        if (path && strstr(path, "res://data-music-") && sample->file_name) {
            nStringFormat(relative, sizeof relative, "%s%s", path + 6, sample->file_name);
            found = true;
        }
    }
    if (!found) {
        // Without a music package the track has no place to be played from.
        if (unopened.insert(sound->name ? sound->name : "").second)
            OV_PrintDebugf(OV_WARNING, "No music package on the search paths: music '%s' not played.\n",
                           sound->name ? sound->name : "");
    } else {
        char cwd[1024], url[1024];
        if (!getcwd(cwd, sizeof cwd))
            cwd[0] = 0;
        int n = snprintf(url, sizeof url, "file://%s/app/native/%s", cwd, relative);
        if (n < 0 || n >= (int)sizeof url)
            return;
        if (context && mmr_input_attach(context, url, "track") == 0)
            mmr_play(context);
        else if (context && unopened.insert(url).second)
            OV_PrintDebugf(OV_WARNING, "Unable to open music file '%s'.\n", url);
    }
    music_volume = Clamp01(volume);
    SendLevel(music_volume * ov_qnx_master_volume);
}

void SoundImpQNX::StartMusicPlayer()
{
    ov_mmr_old_state = MMR_STATE_STOPPED;
    player.last_level = -1;
    int n = snprintf(context_name, sizeof context_name, "ov_mp_%x_", (unsigned)(uintptr_t)&player);
    if (ov_prog && n > 0 && n < (int)sizeof context_name)
        snprintf(context_name + n, sizeof context_name - (size_t)n, "%s", ov_prog->id);

    player.connection = mmr_connect(nullptr);
    if (!player.connection) {
        fprintf(stderr, "mmr_connect: %s\n", strerror(errno));
        return;
    }
    player.context = mmr_context_create(player.connection, context_name, 0, 0500);
    if (!player.context) {
        fprintf(stderr, "mmr_context_create %s: %s\n", context_name, strerror(errno));
        mmr_disconnect(player.connection);
        player.connection = nullptr;
        return;
    }
    player.output_id = mmr_output_attach(player.context, "audio:default", "audio");
    if (player.output_id < 0) {
        fprintf(stderr, "mmr_output_attach %s error.\n", context_name);
        mmr_context_destroy(player.context);
        mmr_disconnect(player.connection);
        player.context = nullptr;
        player.connection = nullptr;
        return;
    }
    player.events = mmrenderer_request_events(context_name, 0, 0);
}

void SoundImpQNX::StopMusicPlayer()
{
    player.music = nullptr;
    player.unopened.clear();
    if (!player.context)
        return;
    if (player.events != 0)
        mmrenderer_stop_events(player.events);
    player.events = 0;
    mmr_stop(player.context);
    mmr_input_detach(player.context);
    mmr_context_destroy(player.context);
    mmr_disconnect(player.connection);
    player.context = nullptr;
    player.connection = nullptr;
}

void SoundImpQNX::PlayMusic(ov_sound_t *sound, float volume, float fade_in)
{
    player.Play(sound, volume, fade_in);
}

void SoundImpQNX::StopMusic(float)
{
    player.music = nullptr;
    if (player.context) {
        mmr_stop(player.context);
        mmr_input_detach(player.context);
    }
}

void SoundImpQNX::SlideMusicVolume(float target, float)
{
    if (!player.music)
        return;
    player.music_volume = Clamp01(target);
    player.SendLevel(target * ov_qnx_master_volume);
}

void SoundImpQNX::MusicTrackEnded()
{
    if (!player.music)
        return;
    if (player.context)
        mmr_play(player.context);
    player.last_level = -1;
    player.music_volume = Clamp01(player.music_volume);
    player.SendLevel(player.music_volume * ov_qnx_master_volume);
}

void OV_QNX_MusicTrackEnded()
{
    ORVEX_SoundImp_GetInterface()->MusicTrackEnded();
}

int OVI_MediaRendererDomain(void)
{
    return mmrenderer_get_domain();
}

void HandleMMREvent(ovdev::bps_event_t *event)
{
    const int state = mmrenderer_event_get_state(event);
    if (state != ov_mmr_old_state && state == MMR_STATE_STOPPED) {
        const mmr_error_info_t *error = mmrenderer_event_get_error(event);
        if (error && error->error_code == MMR_ERROR_NONE)
            OV_QNX_MusicTrackEnded();
    }
    ov_mmr_old_state = state;
}
