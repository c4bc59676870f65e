// Plays wave files asynchronously; a new sound cuts off the one playing (UI thread only).
#pragma once

#include <string>

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the file and returns at once. A file that cannot be played gives a short default
    // sound instead; without an audio device nothing is heard and nothing is reported.
    virtual void playFile(const std::string& path) = 0;
    virtual void stop() = 0;
    // Gives the audio output back to the system when nothing is playing; the next sound takes
    // it again. Meant to be called now and then.
    virtual void releaseIdleOutput() = 0;
};
