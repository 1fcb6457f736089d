// The table between the engine and the application.
//
// The engine fills one `orvex_t` and hands its address to the application in the
// pre-initialisation event (type 18) and in `ov_prog_t::interface`; the application
// reaches every engine service through it (the global `ov`). The application hands
// the engine one `ov_prog_t` from `OV_GetInterface`, and the engine drives it only
// through the five hooks of that record. Slot order is fixed: 125 pointer-sized slots,
// 0..123 functions, 124 the extension table.
#ifndef ORVEX_H
#define ORVEX_H

#include <stdint.h>
#include <stddef.h>

#define OV_INTERFACE_VERSION 1201

struct orvex_t;
struct ov_mutex_t;
struct ov_font_t;
struct ov_file_t;
struct ov_sound_t;
struct ov_bitmap_t;
struct ov_shader_t;

// A 4x4 matrix stored row by row (row r, column c at 4r + c), acting on column
// vectors (x, y, z, 1); the translation sits in elements 3, 7 and 11.
class nTransform {
public:
    float m[16];
};

typedef struct vec2_t {
    float x, y;
} vec2_t;

// Maps (x, y) to (m00 x + m01 y, m10 x + m11 y).
typedef struct mat2_t {
    float m00, m01, m10, m11;
} mat2_t;

typedef struct color_t {
    float r, g, b, a;
} color_t;

// One vertex as the renderer batches it: position, four colour bytes, texture coordinates.
typedef struct ov_vertex_t {
    float x, y, z;
    uint8_t color[4];
    float u, v;
} ov_vertex_t;
typedef ov_vertex_t ov_vertex3d_t;

// A list of heap strings, filled by OV_FindFiles and released by OV_FreeList.
typedef struct ov_list_t {
    char **items;
    int count;
} ov_list_t;

// A block of bytes handed between engine and application (network replies, file data).
typedef struct ov_buffer_t {
    uint8_t *data;
    int reserved;
    int used;
    int size;
} ov_buffer_t;

typedef struct ov_date_t {
    int32_t year, month, day, hour, minute, second;
} ov_date_t;

typedef enum ov_render_state_e {
    OV_RS_NONE = 0,
    OV_RS_DEPTH_TEST = 10,    // bool
    OV_RS_DEPTH_WRITE = 11,   // bool
    OV_RS_CULL_MODE = 12,     // int: 0 none, 1 front faces, 2 back faces
} ov_render_state_e;

// Engine event types.
enum {
    OV_EVENT_CHAR = 1,
    OV_EVENT_POINTER_MOVE = 2,
    OV_EVENT_BUTTON_UP = 5,
    OV_EVENT_BUTTON_DOWN = 6,
    OV_EVENT_CONSOLE_COMMAND = 7,
    OV_EVENT_KEY_DOWN = 8,
    OV_EVENT_KEY_UP = 9,
    OV_EVENT_ACTIVATION = 10,
    OV_EVENT_RENDERER_REINIT = 11,
    OV_EVENT_REDRAW_TARGETS = 12,
    OV_EVENT_WINDOW_CLOSED = 13,
    OV_EVENT_REDRAW_TARGET = 17,
    OV_EVENT_PREINIT = 18,
    OV_EVENT_SERVICE_19 = 19,
    OV_EVENT_SERVICE_20 = 20,
    OV_EVENT_SERVICE_21 = 21,
    OV_EVENT_SERVICE_22 = 22,
};

// The key-state index of the primary pointer button, and of the pointer position.
enum {
    OV_KEY_POINTER_X = 504,
    OV_KEY_POINTER_Y = 505,
    OV_KEY_POINTER_BUTTON = 510,
    OV_KEY_SWIPE_DOWN = 300,
    OV_KEY_STATES = 2048,
};

// One engine event, passed by value: eight words in a fixed order. Words that can
// carry a pointer (1, 2 and 5) are wide enough for one on a 64-bit build.
typedef struct ov_event_t {
    int32_t type;                                                         // word 0
    union { int32_t key; uint8_t index; uint8_t character; uint8_t inactive; void *ptr; };  // word 1
    union { int32_t x; void *ptr2; };                                     // word 2
    int32_t y;                                                            // word 3
    union { struct { uint16_t button; int16_t wheel; }; int32_t count; };  // word 4
    union { int32_t prev_x; void *list; };                                // word 5
    int32_t prev_y;                                                       // word 6
    int32_t extra;                                                        // word 7
} ov_event_t;

// The program parameter block, embedded in the application record.
typedef struct ov_parms_t {
    int32_t width, height;          // program resolution in pixels
    uint8_t windowed;               // 1 windowed, 0 full screen
    uint8_t no_sound;               // 1 = run with the null sound implementation
    uint8_t app_flag;               // set by the application; the engine does not read it
    uint8_t multitouch;             // set by the application; may be rewritten by the settings
    int32_t min_frame_ms;           // minimum frame time of the main loop
    uint8_t console_visible;        // mirrors whether the log console is shown
    uint8_t renderer_ready;         // set by the renderer initialisation
    uint8_t developer_mode;         // written when the settings are read (before event 18) and at initialisation
    const char *command_line;       // the program's arguments as one text, blank-separated, quoted when needed; null without one
    const char *locale;             // locale text of the program settings (engine-owned)
    uint8_t quit;                   // set when shutdown is signalled (release store: other threads load it with acquire)
    uint8_t reference_counting;     // 1 = a release gives up one reference
    int32_t reference_width;        // written by the program settings
    int32_t reference_height;
    int32_t reserved[8];
} ov_parms_t;

// The application record returned by the application's OV_GetInterface.
typedef struct ov_prog_t {
    int32_t interface_version;      // must equal OV_INTERFACE_VERSION
    char id[32];
    char title[128];
    char version[16];
    char developer_name[32];
    char reserved[32];              // never read nor written by the engine
    struct orvex_t *interface;      // written by the engine when the record is loaded
    ov_parms_t parms;
    int (*Init)(void);              // non-zero = success
    void (*Shutdown)(void);         // only called after a successful Init
    void (*Update)(float seconds);  // once per frame, before drawing
    void (*Draw)(float seconds);    // once per eye pass
    int (*EventProc)(ov_event_t ev);
} ov_prog_t;

typedef void (*ov_thread_fn)(void *arg);
typedef void (*ov_vertex_proc_fn)(ov_vertex_t *vertices, int count, void *user);

typedef struct orvex_t {
    // 0-4 printing and time
    int (*OV_Printf)(const char *fmt, ...);                         // 0: log at level 0
    int (*OV_PrintDebugf)(int level, const char *fmt, ...);         // 1: log at a level 0..3
    int (*OV_Popupf)(int level, const char *fmt, ...);              // 2: developer popup, once per text
    void (*OVT_Sleep)(int ms);                                      // 3: sleep the calling thread
    uint32_t (*OV_GetTime)(void);                                   // 4: milliseconds since start-up
    // 5-13 mutexes and threads
    struct ov_mutex_t *(*OV_GetMutex)(const char *name);            // 5: mutex shared by name
    void (*OV_ReleaseMutex)(struct ov_mutex_t *m);                  // 6: destroy a mutex
    void (*OV_LockMutex)(struct ov_mutex_t *m);                     // 7: lock (null ignored)
    void (*OV_UnlockMutex)(struct ov_mutex_t *m);                   // 8: unlock (null ignored)
    int64_t (*OV_CreateThread)(const char *name, ov_thread_fn fn, void *arg, int flags);  // 9: detached thread id, -1 on bad flags
    int64_t (*OV_GetCurrentThreadId)(void);                         // 10: calling thread's id
    int (*OV_IsMainThread)(void);                                   // 11: called on the main thread?
    void (*OV_SynchronizeWithMainThreadBegin)(void);                // 12: worker waits for the frame gap
    void (*OV_SynchronizeWithMainThreadEnd)(void);                  // 13: worker ends its synchronised work
    // 14-18 fonts
    struct ov_font_t *(*OV_GetFont)(const char *name);              // 14: font by name, one reference
    struct ov_font_t *(*OV_LoadFont)(const char *name);             // 15: load a font
    int (*OV_RefreshFont)(struct ov_font_t *f);                     // 16: reload a font
    void (*OV_ReleaseFont)(struct ov_font_t *f);                    // 17: give up one reference
    int (*OV_SaveFont)(struct ov_font_t *f, const char *file);      // 18: write a font file
    // 19-22 control
    void (*OVD_SetCursor)(const char *name);                        // 19: no cursor on this platform
    int (*OV_SignalShutdown)(void);                                 // 20: ask the main loop to end
    int (*OV_ReInit)(void);                                         // 21: re-initialise the renderer at frame end
    const char *(*OV_CallExtension)(const char *cmd, const char *arg);  // 22: string command, null = unavailable
    // 23-30 paths
    const char *(*OV_GetPath)(int kind, const char *fmt, ...);      // 23: static path (main thread)
    char *(*OV_GetPathEx)(char *buf, int size, int kind, const char *fmt, ...);  // 24: static path into a buffer
    int (*OV_CreateDirectory)(const char *path);                    // 25: create a directory
    int (*OV_AddSearchPath)(const char *path, bool at_front);       // 26: add a search path
    int (*OV_RemoveSearchPath)(const char *path);                   // 27: remove a search path
    const char *(*OV_GetSearchPath)(int index);                     // 28: search path by index
    int (*OV_GetNumberOfSearchPaths)(void);                         // 29: number of search paths
    int (*OV_DeleteFile)(const char *path);                         // 30: delete a file
    // 31-44 files
    struct ov_file_t *(*OV_OpenFile)(const char *name, const char *mode);  // 31: open by static or relative name
    int (*OV_CloseFile)(struct ov_file_t *f);                       // 32: 0, or -1 when a write or the close failed
    unsigned (*OV_ReadFile)(void *buf, unsigned size, struct ov_file_t *f);   // 33: bytes read
    unsigned (*OV_WriteFile)(const void *buf, unsigned size, struct ov_file_t *f);  // 34: bytes written
    int (*OV_FlushFile)(struct ov_file_t *f);                       // 35
    long (*OV_GetFilePosition)(struct ov_file_t *f);                // 36
    int (*OV_SetFilePosition)(struct ov_file_t *f, long offset, int origin);  // 37
    int (*OV_fgetc)(struct ov_file_t *f);                           // 38
    int (*OV_fseek)(struct ov_file_t *f, long offset, int origin);  // 39
    long (*OV_ftell)(struct ov_file_t *f);                          // 40
    unsigned (*OV_fread)(void *buf, unsigned size, unsigned count, struct ov_file_t *f);  // 41
    unsigned (*OV_fwrite)(const void *buf, unsigned size, unsigned count, struct ov_file_t *f);  // 42
    int (*OV_FindFiles)(ov_list_t *list, const char *dir, const char *pattern, bool recursive);  // 43: list packaged files
    void (*OV_FreeList)(ov_list_t *list);                           // 44
    // 45-47 network buffers
    int (*OV_SendHttpRequest)(int method, const char *url, const char *headers, const char *body, int timeout, ov_buffer_t *reply, int *status);  // 45: 0 = no network
    ov_buffer_t (*OV_AllocBuffer)(int size);                        // 46
    void (*OV_FreeBuffer)(ov_buffer_t *buf);                        // 47
    // 48-51 key states
    int (*OV_GetKeyStatei)(int key);                                // 48: read (clears the pressed bit below 1280)
    void (*OV_SetKeyStatei)(int key, int value);                    // 49
    float (*OV_GetKeyStatef)(int key);                              // 50
    void (*OV_SetKeyStatef)(int key, float value);                  // 51
    // 52-74 sound
    struct ov_sound_t *(*OV_GetSound)(const char *name);            // 52
    struct ov_sound_t *(*OV_LoadSound)(const char *name);           // 53
    struct ov_sound_t *(*OV_GetSoundEx)(const char *name, int cache_mode);  // 54
    void (*OV_ReleaseSound)(struct ov_sound_t *s);                  // 55
    void (*OV_SetSoundCacheMode)(struct ov_sound_t *s, int mode);   // 56
    void (*OV_SetMasterVolume)(float volume);                       // 57
    long (*OV_PlaySound)(struct ov_sound_t *s, float volume, float pan, float frequency);  // 58: channel id
    void (*OV_StopChannel)(long channel);                           // 59
    void (*OV_SetChannelPan)(long channel, float pan);              // 60
    void (*OV_SetChannelVolume)(long channel, float volume);        // 61
    void (*OV_SetChannelPaused)(long channel, bool paused);         // 62
    void (*OV_SetChannelLooping)(long channel, bool looping);       // 63
    void (*OV_SetChannelFrequency)(long channel, float frequency);  // 64
    bool (*OV_IsChannelAlive)(long channel);                        // 65
    struct ov_sound_t *(*OV_GetChannelSound)(long channel);         // 66
    void (*OV_SlideChannelVolume)(long channel, float volume, float seconds);  // 67
    void (*OV_StopChannelWithFade)(long channel, float seconds);    // 68
    void (*OV_PlayMusic)(struct ov_sound_t *s, float volume, float fade);  // 69
    void (*OV_StopMusic)(float fade);                               // 70
    void (*OV_SetMusicPaused)(bool paused);                         // 71
    void (*OV_SetMusicLooping)(bool looping);                       // 72
    struct ov_sound_t *(*OV_GetMusicPlaying)(void);                 // 73: the sound set as music, or null
    void (*OV_SlideMusicVolume)(float volume, float seconds);       // 74
    // 75-81 transforms and vertex processors
    void (*OV_PushTransform)(nTransform *t);                        // 75: null pushes identity
    void (*OV_PopTransform)(void);                                  // 76
    nTransform (*OV_PeekTransform)(void);                           // 77: the top, identity when empty
    void (*OV_PushVertexProcessor)(ov_vertex_proc_fn fn, void *user);   // 78
    void (*OV_PopVertexProcessor)(void);                            // 79
    int (*OV_RemoveVertexProcessor)(ov_vertex_proc_fn fn, void *user);  // 80: 1 removed, 0 not found
    void (*OV_ProcessVertex)(ov_vertex_t *v);                       // 81
    // 82-90 bitmaps
    struct ov_bitmap_t *(*OV_GetBitmap)(const char *name);          // 82
    struct ov_bitmap_t *(*OV_GetBitmapEx)(const char *name, int cache_mode);  // 83
    struct ov_bitmap_t *(*OV_LoadBitmap)(const char *name, int mode);  // 84
    void (*OV_ReleaseBitmap)(struct ov_bitmap_t *b);                // 85
    int (*OV_SaveBitmap)(struct ov_bitmap_t *b, const char *file, int quality);  // 86
    int (*OV_RefreshBitmap)(struct ov_bitmap_t *b);                 // 87
    void (*OV_SetBitmapCacheMode)(struct ov_bitmap_t *b, int mode); // 88
    struct ov_bitmap_t *(*OV_CreateBitmap)(const char *name, int w, int h, int type);  // 89
    void (*OV_SetBitmapFrame)(struct ov_bitmap_t *b, int frame);    // 90
    // 91-101 render and text state
    void (*OV_ClearScreen)(float r, float g, float b);              // 91
    int (*OV_SetScissorRect)(int x, int y, int w, int h);           // 92: 0 when no renderer is ready
    void (*OV_DisableScissorRect)(void);                            // 93
    int (*OV_SetRenderTarget)(struct ov_bitmap_t *b);               // 94: null = the screen
    void (*OV_SetBlend)(int mode);                                  // 95
    void (*OV_SetPixelFilter)(int filter);                          // 96
    void (*OV_SetColor)(float r, float g, float b);                 // 97
    void (*OV_SetAlpha)(float a);                                   // 98
    void (*OV_SetTextAlign)(int align);                             // 99
    void (*OV_SetTextboxWidth)(int width);                          // 100
    void (*OV_SetTextTransform)(float scale_x, float scale_y, float angle);  // 101: angle in radians
    // 102-113 drawing
    void (*OV_DrawBitmap)(struct ov_bitmap_t *b, float x, float y); // 102
    void (*OV_DrawBitmapRS)(struct ov_bitmap_t *b, float x, float y, float rotation, float scale);  // 103
    void (*OV_DrawBitmapLine)(struct ov_bitmap_t *b, vec2_t *a, vec2_t *z, float w0, float w1, color_t *c0, color_t *c1);  // 104
    void (*OV_DrawSubBitmap)(struct ov_bitmap_t *b, float x, float y, float sx, float sy, float sw, float sh);  // 105
    float (*OV_DrawTextf)(struct ov_font_t *f, float x, float y, const char *fmt, ...);  // 106: the widest line
    void (*OV_DrawRect)(float x, float y, float w, float h);        // 107
    void (*OV_DrawLine)(float x0, float y0, float x1, float y1);    // 108
    void (*OV_DrawBitmap4V)(struct ov_bitmap_t *b, ov_vertex_t *v); // 109
    void (*OV_BeginBatch)(struct ov_bitmap_t *b);                   // 110
    void (*OV_BatchDrawQuad)(struct ov_bitmap_t *b, ov_vertex_t *v);  // 111
    void (*OV_EndBatch)(void);                                      // 112
    void (*OV_DrawTriangles)(struct ov_bitmap_t *b, ov_vertex3d_t *v, int nverts, const uint16_t *indices, int nindices);  // 113
    // 114-116 text measuring
    void (*OV_GetTextSizef)(struct ov_font_t *f, float *w, float *h, const char *fmt, ...);  // 114
    float (*OV_GetTextWidthf)(struct ov_font_t *f, const char *fmt, ...);   // 115
    float (*OV_GetTextHeightf)(struct ov_font_t *f, const char *fmt, ...);  // 116
    // 117-123 depth and render states
    void (*OV_SetDepthRange)(float near_z, float plane_z, float far_z);  // 117
    void (*OV_SetDepthDefault)(float z);                            // 118
    float (*OV_GetDepthDefault)(void);                              // 119
    void (*OV_ClearDepth)(float z);                                 // 120
    void (*OV_SetRenderStateb)(ov_render_state_e s, bool v);        // 121
    void (*OV_SetRenderStatef)(ov_render_state_e s, float v);       // 122
    void (*OV_SetRenderStatei)(ov_render_state_e s, int v);         // 123
    // 124 the extension table (35 slots: 0-4 and 6 filled, see OV_EXT_* below)
    void **ext;
} orvex_t;

#define OV_EXT_SLOTS 35

// Extension slots past the first five (the sixth, ext[5], stays null).
// 6: float (*)(struct ov_sound_t *s): the length in seconds of the sound's own data
//    (no padding or silent tail), read only; 0 when unknown (null or unloaded sound,
//    a file whose length is not known before playing, the null sound implementation).
#define OV_EXT_GET_SOUND_LENGTH 6
typedef float (*ov_get_sound_length_fn)(struct ov_sound_t *s);

// Extension commands (slot 22, OV_CallExtension): replies are borrowed texts, null
// means "not available here" or "failed"; a caller copies what it keeps.
//
// "ReplaceFile", arg = a file name in any form the engine's files accept for writing
//   ("user://profiles.xml", "res://data/x.bms"): replaces that file crash-safely by its
//   sibling named with ".tmp" appended ("user://profiles.xml.tmp"), which the caller
//   has already written whole and closed (checking every write and OV_CloseFile).
//   The sibling is flushed to the disk, renamed over the file (which need not exist
//   yet) and the directory synced; after a crash or kill at any moment the file is
//   either the old one or the new one, whole. Reply "OK"; or null, with a log line
//   naming the file and the reason, the file untouched and the sibling removed (a
//   missing sibling, a relative or "http://" name, a failed flush or rename). One
//   writer per file at a time; any thread.
// "LastFileError", no arg: why the calling thread's last failed file operation failed
//   (an open, write, flush, close, "ReplaceFile" or delete), as the system words it
//   ("No space left on device", "Read-only file system"); null when none failed since
//   the thread's last OV_OpenFile. Any thread; each thread has its own.

// The global interface pointer, set at the first step of pre-initialisation.
extern orvex_t *ov;

// Provided by the application: its one record, or null when there is none.
extern "C" ov_prog_t *OV_GetInterface(void);

#endif
