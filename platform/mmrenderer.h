// The media renderer of our device layer: a connection, named contexts, one audio
// output and one track input per context; the track (an MP3 file named by a file://
// URL) is decoded into the same software mixer as the PCM sub-channels.
//
// Rules callers rely on:
// - mmr_connect sets errno on failure; mmr_input_attach returns 0 or -1;
// - strm_dict_set and mmr_output_parameters take ownership of the dictionary passed in;
// - "volume" of the output parameters is 0..100 on the renderer's volume taper, not
//   per cent of amplitude: the output is silent up to 40, rises in amplitude from
//   silence at 40 to unity at 80 ((volume - 40) / 40) and stays at unity above, so
//   a level of 40 + 0.4 x p gives p per cent of full amplitude;
// - play from the stopped state starts the track from its beginning;
// - after every successful mmr_play a PLAYING state event follows; a track that ends
//   gives a STOPPED event whose error record has code 0 (a track that cannot be
//   decoded: a code other than 0); mmr_stop gives a STOPPED event without an error
//   record, so a stop that was asked for never looks like the end of a track.
// State events are queued (domain mmrenderer_get_domain()) only for contexts whose
// name was given to mmrenderer_request_events. Every name lives in ovdev.
#ifndef OVDEV_MMRENDERER_H
#define OVDEV_MMRENDERER_H

#include "platform/bps.h"

namespace ovdev {

struct mmr_connection_t;  // opaque
struct mmr_context_t;     // opaque
struct strm_dict_t;       // opaque: an immutable set of text keys and values

enum mmr_state_t {
    MMR_STATE_DESTROYED = 0,
    MMR_STATE_IDLE = 1,      // no input attached
    MMR_STATE_STOPPED = 2,
    MMR_STATE_PLAYING = 3,
};

enum {
    MMR_ERROR_NONE = 0,
    MMR_ERROR_MEDIA_UNAVAILABLE = 5,
    MMR_ERROR_MEDIA_CORRUPTED = 6,

    // Event code of a context's state change, and its properties (our numbering).
    MMRENDERER_STATE_CHANGE = 1,
    MMRENDERER_PROPERTY_STATE = 1,       // the new mmr_state_t
    MMRENDERER_PROPERTY_ERROR_CODE = 2,  // present only with an error record
    MMRENDERER_PROPERTY_REQUEST = 3,     // the id mmrenderer_request_events returned
};

struct mmr_error_info_t {
    unsigned error_code;
};

// Connects to the renderer; null with errno set on failure. The name may be null.
mmr_connection_t *mmr_connect(const char *name);
// Disconnects, destroying the contexts still open on the connection.
void mmr_disconnect(mmr_connection_t *connection);
// Creates a context of that name (unique among open contexts); null with errno EEXIST
// for a name in use, EINVAL for a bad argument.
mmr_context_t *mmr_context_create(mmr_connection_t *connection, const char *name, unsigned flags, int mode);
// Stops and destroys a context; 0 or -1.
int mmr_context_destroy(mmr_context_t *context);
// Attaches the output ("audio:default", type "audio"); returns its id (0) or -1.
int mmr_output_attach(mmr_context_t *context, const char *url, const char *type);
// Applies output parameters ("volume": 0..100, on the taper above); takes the
// dictionary. 0 or -1.
int mmr_output_parameters(mmr_context_t *context, int output_id, strm_dict_t *parameters);
// Attaches a track: a file:// URL of a readable file, type "track". 0 or -1.
int mmr_input_attach(mmr_context_t *context, const char *url, const char *type);
// Detaches the input (stopping it); the context becomes IDLE. 0 or -1.
int mmr_input_detach(mmr_context_t *context);
// Plays the attached track (from its start when stopped); 0 or -1 without an input.
int mmr_play(mmr_context_t *context);
// Stops the track; 0 or -1.
int mmr_stop(mmr_context_t *context);

// A new empty dictionary.
strm_dict_t *strm_dict_new();
// A dictionary equal to dict with key set to value; dict itself is consumed. Null (and
// dict destroyed) on bad arguments.
strm_dict_t *strm_dict_set(strm_dict_t *dict, const char *key, const char *value);
// The value of key, or null; valid while the dictionary lives.
const char *strm_dict_find_value(const strm_dict_t *dict, const char *key);
void strm_dict_destroy(strm_dict_t *dict);

// Domain of the renderer's events in bps_event_get_domain.
int mmrenderer_get_domain();
// Asks for the state events of the named context; returns a request id (never 0), or
// 0 on failure.
int mmrenderer_request_events(const char *context_name, unsigned flags, int user_data);
// Ends the events of a request id from mmrenderer_request_events; 0 or -1.
int mmrenderer_stop_events(int request);
// The state an event reports (MMR_STATE_*), -1 for an event of another domain.
int mmrenderer_event_get_state(bps_event_t *event);
// The error record of a state event, or null when it has none. The record stays valid
// until the next call on the same thread.
const mmr_error_info_t *mmrenderer_event_get_error(bps_event_t *event);

}  // namespace ovdev

#endif
