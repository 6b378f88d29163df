// A stand-in for the audio library that lacks its last entry point
// (FSOUND_Stream_Close). Every function it does have aborts the process: the
// player must call none of them once the binding has failed.

#include "sound/audiolib/corbeletsound.h"

#include <cstdlib>

extern "C" {

signed char FSOUND_Init(int, int, unsigned int)
{
    std::abort();
}

int FSOUND_GetError(void)
{
    std::abort();
}

void FSOUND_Close(void)
{
    std::abort();
}

FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit(void)
{
    std::abort();
}

signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT*, signed char)
{
    std::abort();
}

FSOUND_STREAM* FSOUND_Stream_Open(const char*, unsigned int, int, int)
{
    std::abort();
}

int FSOUND_Stream_Play(int, FSOUND_STREAM*)
{
    std::abort();
}

} // extern "C"
