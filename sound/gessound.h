#pragma once

// The sound player: plays the game's sound cues, one at a time, each streamed
// from its file by the audio library (loaded at run time, see fmoddyn.h).
// Called on the GUI thread only. The library's failures are shown in a plain
// message box with the library's English error text; none is raised.

#include <string>

struct FSOUND_STREAM; // opaque, from the audio library header

// The one stream slot of the process: the stream opened last, or null.
extern FSOUND_STREAM* CurrentStream;
// The slot of the spoken word (WordSpeaker), apart from the cues' so that a
// word said over the win or loss cue does not cut it: the library mixes both.
extern FSOUND_STREAM* SpeechStream;
// Open-mode flags passed to the library for each stream: 0, then 0x130 once
// the library is ready.
extern unsigned StreamMode;

// Loads and initialises the audio library. False when it cannot play: no
// library, or a library without one of its entry points (both silently), or
// an output device it cannot open (with one message; the player then stays
// silent until the next InitSound).
bool InitSound();

// Stops the cue held in stream, then opens fileName (native path bytes) in
// stream and starts it. Does nothing while the library is not available or
// its output device was refused. When the library closed the device while
// the game was quiet and cannot open it again for this cue, the device counts
// as refused: one message, the library shut down, silence until the next
// InitSound.
void PlaySoundFile(const std::string& fileName, FSOUND_STREAM*& stream);

// As PlaySoundFile, for a whole sound file (WAV) held in memory: the library
// takes a copy of it. Does nothing for an empty one.
void PlaySoundMemory(const std::string& soundFile, FSOUND_STREAM*& stream);

// Ends the current cue at once and shuts the library down (it stays loaded).
// Does nothing while the library is not available or its output device was
// refused.
void CloseSound();
