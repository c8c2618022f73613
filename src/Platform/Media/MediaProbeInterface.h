#pragma once

/* The plain C interface between the SDK and its media module (libsolen-media.so). The SDK finds
 * the one entry point by name with dlsym; the module needs nothing from the SDK, so either side
 * can change its insides without the other being rebuilt. Bytes go in, container facts come out;
 * the SDK judges playability and plausibility itself. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SOLEN_MEDIA_PROBE_SYMBOL "solen_media_probe_v1"
#define SOLEN_MEDIA_MODULE_FILE "libsolen-media.so"

/* Streams beyond this count make the container refused. */
#define SOLEN_MEDIA_MAX_TRACKS 32

enum solen_media_result {
    SOLEN_MEDIA_OK = 0,
    SOLEN_MEDIA_UNSUPPORTED_CONTAINER = 1, /* not ISO base media (mp4, mov, m4a, 3gp) or WebM */
    SOLEN_MEDIA_UNREADABLE = 2             /* the demuxer refused the headers */
};

enum solen_media_track_kind { SOLEN_MEDIA_TRACK_AUDIO = 1, SOLEN_MEDIA_TRACK_VIDEO = 2 };

struct solen_media_track {
    int32_t kind;      /* solen_media_track_kind */
    int32_t decodable; /* the module's library has a decoder for the track's codec */
    uint32_t width;    /* picture size of a video track, 0 when the header names none */
    uint32_t height;
};

struct solen_media_facts {
    int32_t result;     /* solen_media_result */
    char message[160];  /* readable reason when result is not SOLEN_MEDIA_OK, NUL-terminated */
    int32_t has_duration;
    double duration_seconds;
    uint32_t track_count; /* audio and video tracks listed in `tracks`, other streams are skipped */
    struct solen_media_track tracks[SOLEN_MEDIA_MAX_TRACKS];
};

/* Reads the container headers of `size` bytes at `data` into `facts`; decodes nothing and opens
 * nothing. Returns facts->result. Safe to call from several threads at once. */
typedef int32_t (*solen_media_probe_fn)(const uint8_t* data, size_t size, struct solen_media_facts* facts);

#ifdef __cplusplus
}
#endif
