#pragma once

/* The game's audio library: a small C interface for playing sound files as
   streams, mixed on 32 channels and sent to the system's output device.

   Every function reports its failure through its result (false, a null handle
   or a negative channel) and leaves an error code behind for
   FSOUND_GetError(). All calls come from one thread; decoding and mixing run
   on the output device's own thread. */

#ifdef __cplusplus
extern "C" {
#endif

#define CORBELETSOUND_API __attribute__((visibility("default")))

/* An open stream: a sound file decoded while it plays. */
typedef struct FSOUND_STREAM FSOUND_STREAM;
/* A processing unit of the mixer (only the spectrum analyser exists). */
typedef struct FSOUND_DSPUNIT FSOUND_DSPUNIT;

/* Error codes left by a failing call. */
enum
{
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY = 1,          /* already initialised */
    FMOD_ERR_UNINITIALIZED = 2, /* FSOUND_Init was not called (or failed) */
    FMOD_ERR_INIT = 3,          /* the output device cannot be opened */
    FMOD_ERR_FILE_NOTFOUND = 9, /* no such file */
    FMOD_ERR_FILE_FORMAT = 10,  /* not an audio file the library decodes */
    FMOD_ERR_FILE_BAD = 11,     /* unreadable: a directory, no permission, no frames */
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_INVALID_PARAM = 14,
    FMOD_ERR_CHANNEL_ALLOC = 16 /* every channel is busy */
};

/* A mode bit of FSOUND_Stream_Open: the sound is in memory, not in a file. */
#define FSOUND_LOADMEMORY 0x00008000

/* Number of channels mixed together. */
#define CORBELETSOUND_MAX_CHANNELS 32

/* Opens the output device: float stereo at mixrate Hz, mixing up to
   maxsoftwarechannels (1 to 32) streams. flags is reserved (0). The device
   is closed again after a few seconds without a cue while nothing plays, and
   opened again by the next FSOUND_Stream_Play. */
CORBELETSOUND_API signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
/* The code of the last failure. */
CORBELETSOUND_API int FSOUND_GetError(void);
/* Stops every sound, frees every stream and closes the output device. */
CORBELETSOUND_API void FSOUND_Close(void);

/* The mixer's spectrum analyser unit; nothing reads its result. */
CORBELETSOUND_API FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit(void);
CORBELETSOUND_API signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active);

/* Opens a WAV or MP3 file (the name as native path bytes) for streaming.
   Each file carries its own sample format, so mode, offset and length are
   accepted and not used; except that with FSOUND_LOADMEMORY in mode, name
   points to the bytes of a whole file held in memory and length is their
   count: the stream takes a copy of them, and the caller may free its own. */
CORBELETSOUND_API FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset,
                                                    int length);
/* Starts a stream from its beginning on a channel (-1: the first free one);
   returns the channel, or -1 on failure (FMOD_ERR_INIT: the closed output
   device cannot be opened again). */
CORBELETSOUND_API int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
/* Stops the stream's sound within one output buffer and frees the stream. */
CORBELETSOUND_API signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);

#ifdef __cplusplus
}
#endif
