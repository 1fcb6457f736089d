// The media renderer calls (mmrenderer.h): connections, contexts with one output and
// one track, output parameters, state events, and the text dictionaries they take.
#include "platform/mmrenderer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/audio_core.h"
#include "platform/call_trace.h"
#include "platform/event_queue.h"

namespace ovdev {
namespace {

using detail::Audio;
using detail::AudioState;
using detail::MediaContext;

void Record(const char *name, const std::string &args) {
    if (detail::Recording()) detail::RecordCall(name, args);
}

std::string ConnText(const mmr_connection_t *c) { return c ? "conn" + std::to_string(c->id) : "null"; }
std::string CtxText(const mmr_context_t *c) { return c ? "mctx" + std::to_string(c->id) : "null"; }

std::string DictText(const strm_dict_t *d) {
    if (!d) return "null";
    std::string text = "{";
    for (const auto &kv : d->values) {
        if (text.size() > 1) text += ", ";
        text += "\"" + kv.first + "\": \"" + kv.second + "\"";
    }
    return text + "}";
}

// The context behind a handle (caller holds the audio lock); the handle is only
// compared, never read, so a stale one finds nothing.
MediaContext *Find(AudioState &a, const mmr_context_t *ctx) {
    if (!ctx) return nullptr;
    for (auto &c : a.contexts)
        if (c->handle.get() == ctx) return c.get();
    return nullptr;
}

bool Connected(AudioState &a, const mmr_connection_t *conn) {
    for (auto &c : a.connections)
        if (c.get() == conn) return true;
    return false;
}

// Moves the context to a state, queueing the event when the state changes (or always,
// for play). error_code < 0: no error record.
void Transition(MediaContext &c, int state, int error_code, bool always) {
    if (c.state == state && !always) return;
    c.state = state;
    detail::QueueMediaEvent(c, state, error_code);
}

int Err(int err) {
    errno = err;
    return -1;
}

}  // namespace

mmr_connection_t *mmr_connect(const char *name) {
    Record("mmr_connect", detail::ArgText(name));
    if (detail::ConsumeAudioFailure("mmr_connect")) return nullptr;
    AudioState &a = Audio();
    mmr_connection_t *handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        a.connections.push_back(std::make_unique<mmr_connection_t>(mmr_connection_t{a.next_id++}));
        handle = a.connections.back().get();
    }
    detail::AddAudioUser();
    return handle;
}

void mmr_disconnect(mmr_connection_t *connection) {
    Record("mmr_disconnect", ConnText(connection));
    AudioState &a = Audio();
    bool found = false;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        for (auto it = a.connections.begin(); it != a.connections.end(); ++it) {
            if (it->get() != connection) continue;
            a.contexts.erase(std::remove_if(a.contexts.begin(), a.contexts.end(),
                                            [&](const std::unique_ptr<MediaContext> &c) {
                                                return c->connection == connection;
                                            }),
                             a.contexts.end());
            a.connections.erase(it);
            found = true;
            break;
        }
    }
    if (found) detail::RemoveAudioUser();
}

mmr_context_t *mmr_context_create(mmr_connection_t *connection, const char *name, unsigned flags, int mode) {
    Record("mmr_context_create", ConnText(connection) + ", " + detail::Args(name, flags, mode));
    if (detail::ConsumeAudioFailure("mmr_context_create")) return nullptr;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (!Connected(a, connection) || !name || !name[0]) {
        errno = EINVAL;
        return nullptr;
    }
    for (auto &c : a.contexts)
        if (c->name == name) {
            errno = EEXIST;
            return nullptr;
        }
    auto c = std::make_unique<MediaContext>();
    c->handle = std::make_unique<mmr_context_t>(mmr_context_t{a.next_id++});
    c->connection = connection;
    c->name = name;
    mmr_context_t *handle = c->handle.get();
    a.contexts.push_back(std::move(c));
    return handle;
}

int mmr_context_destroy(mmr_context_t *context) {
    Record("mmr_context_destroy", CtxText(context));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    for (auto it = a.contexts.begin(); it != a.contexts.end(); ++it) {
        if ((*it)->handle.get() != context) continue;
        a.contexts.erase(it);
        return 0;
    }
    return Err(EINVAL);
}

int mmr_output_attach(mmr_context_t *context, const char *url, const char *type) {
    Record("mmr_output_attach", CtxText(context) + ", " + detail::Args(url, type));
    if (detail::ConsumeAudioFailure("mmr_output_attach")) return -1;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    MediaContext *c = Find(a, context);
    if (!c || !url || !type || std::strncmp(url, "audio:", 6) != 0 || std::strcmp(type, "audio") != 0)
        return Err(EINVAL);
    c->output = true;
    return 0;
}

int mmr_output_parameters(mmr_context_t *context, int output_id, strm_dict_t *parameters) {
    std::unique_ptr<strm_dict_t> owned(parameters);
    Record("mmr_output_parameters", CtxText(context) + ", " + std::to_string(output_id) + ", " + DictText(parameters));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    MediaContext *c = Find(a, context);
    if (!c || !c->output || output_id != 0 || !parameters) return Err(EINVAL);
    auto it = parameters->values.find("volume");
    if (it != parameters->values.end()) {
        char *end = nullptr;
        const long v = std::strtol(it->second.c_str(), &end, 10);
        if (it->second.empty() || *end || v < 0 || v > 100) return Err(EINVAL);
        c->volume = static_cast<int>(v);
    }
    return 0;
}

int mmr_input_attach(mmr_context_t *context, const char *url, const char *type) {
    Record("mmr_input_attach", CtxText(context) + ", " + detail::Args(url, type));
    if (detail::ConsumeAudioFailure("mmr_input_attach")) return -1;
    if (!url || !type || std::strcmp(type, "track") != 0 || std::strncmp(url, "file://", 7) != 0)
        return Err(EINVAL);
    const std::string path = url + 7;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return Err(ENOENT);
    std::fclose(f);
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    MediaContext *c = Find(a, context);
    if (!c) return Err(EINVAL);
    c->decoder.reset();
    c->url = url;
    c->path = path;
    Transition(*c, MMR_STATE_STOPPED, -1, false);
    return 0;
}

int mmr_input_detach(mmr_context_t *context) {
    Record("mmr_input_detach", CtxText(context));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    MediaContext *c = Find(a, context);
    if (!c) return Err(EINVAL);
    c->decoder.reset();
    c->url.clear();
    c->path.clear();
    Transition(*c, MMR_STATE_IDLE, -1, false);
    return 0;
}

int mmr_play(mmr_context_t *context) {
    Record("mmr_play", CtxText(context));
    if (detail::ConsumeAudioFailure("mmr_play")) return -1;
    AudioState &a = Audio();
    std::string path;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        MediaContext *c = Find(a, context);
        if (!c || c->path.empty()) return Err(EINVAL);
        if (c->state == MMR_STATE_PLAYING) {
            Transition(*c, MMR_STATE_PLAYING, -1, true);
            return 0;
        }
        path = c->path;
    }
    // Decoding starts from the beginning; a track that cannot be decoded still plays,
    // and the mixer ends it at once with an error code.
    std::string why;
    std::unique_ptr<detail::TrackDecoder> decoder = detail::OpenTrack(path, &why);
    if (!decoder) std::fprintf(stderr, "media renderer: %s: %s\n", path.c_str(), why.c_str());
    std::lock_guard<std::mutex> lock(a.mutex);
    MediaContext *c = Find(a, context);
    if (!c || c->path != path) return Err(EINVAL);
    c->decoder = std::move(decoder);
    Transition(*c, MMR_STATE_PLAYING, -1, true);
    return 0;
}

int mmr_stop(mmr_context_t *context) {
    Record("mmr_stop", CtxText(context));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    MediaContext *c = Find(a, context);
    if (!c) return Err(EINVAL);
    c->decoder.reset();
    if (c->state == MMR_STATE_PLAYING) Transition(*c, MMR_STATE_STOPPED, -1, false);
    return 0;
}

strm_dict_t *strm_dict_new() { return new strm_dict_t; }

strm_dict_t *strm_dict_set(strm_dict_t *dict, const char *key, const char *value) {
    std::unique_ptr<strm_dict_t> old(dict);
    if (!dict || !key || !key[0] || !value) return nullptr;
    auto next = std::make_unique<strm_dict_t>(*dict);
    next->values[key] = value;
    return next.release();
}

const char *strm_dict_find_value(const strm_dict_t *dict, const char *key) {
    if (!dict || !key) return nullptr;
    auto it = dict->values.find(key);
    return it == dict->values.end() ? nullptr : it->second.c_str();
}

void strm_dict_destroy(strm_dict_t *dict) { delete dict; }

int mmrenderer_get_domain() { return DOMAIN_MEDIA_RENDERER; }

int mmrenderer_request_events(const char *context_name, unsigned flags, int user_data) {
    Record("mmrenderer_request_events", detail::Args(context_name, flags, user_data));
    if (detail::ConsumeAudioFailure("mmrenderer_request_events")) return 0;
    if (!context_name || !context_name[0]) return 0;
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    const int id = a.next_id++;
    a.event_requests[id] = context_name;
    return id;
}

int mmrenderer_stop_events(int request) {
    Record("mmrenderer_stop_events", detail::Args(request));
    AudioState &a = Audio();
    std::lock_guard<std::mutex> lock(a.mutex);
    return a.event_requests.erase(request) ? 0 : -1;
}

int mmrenderer_event_get_state(bps_event_t *event) {
    if (!event || event->domain != DOMAIN_MEDIA_RENDERER) return -1;
    const EventProperty *p = event->payload.find(MMRENDERER_PROPERTY_STATE);
    return p && !p->values.empty() ? p->values[0] : -1;
}

const mmr_error_info_t *mmrenderer_event_get_error(bps_event_t *event) {
    thread_local mmr_error_info_t info;
    if (!event || event->domain != DOMAIN_MEDIA_RENDERER) return nullptr;
    const EventProperty *p = event->payload.find(MMRENDERER_PROPERTY_ERROR_CODE);
    if (!p || p->values.empty()) return nullptr;
    info.error_code = static_cast<unsigned>(p->values[0]);
    return &info;
}

}  // namespace ovdev
