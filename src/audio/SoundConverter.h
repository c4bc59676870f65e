// Sounds of any format the decoder reads made into waves the handheld plays: 16-bit PCM, mono or
// stereo, at 11025, 22050 or 44100 Hz. Any thread may call these; they share nothing.
#pragma once

#include <string>

enum class SoundKind {
    HandheldWave, // played by the handheld as it stands, byte for byte
    Convertible,  // decodable, but converted once before the handheld gets it
    Undecodable,
};

struct SoundProbe {
    SoundKind kind = SoundKind::Undecodable;
    // What the file holds, for the user: "FLAC, Signed 16 bit PCM, 48000 Hz, stereo".
    std::string format;
};

// Looks at the header only: cheap enough for every file a dialog lists.
SoundProbe probeSound(const std::string& path);

// The channels and rate a converted sound gets: stereo stays, anything else becomes mono; the
// nearest handheld rate at or below the source's, and never less than the lowest.
struct HandheldFormat {
    int channels = 1;
    int sampleRate = 11025;
};
HandheldFormat handheldFormatFor(int channels, int sampleRate);

// Writes the handheld's wave of source at target, atomically: a handheld wave is copied byte for
// byte, any other is decoded and converted. The source is never written. Raises
// "Could not open file" with the source when it cannot be decoded, and "Could not write file"
// with the target when the target cannot be written (its old content then stays).
void convertToHandheldWave(const std::string& source, const std::string& target);

// A wave the players can play for source: the source itself when the handheld plays it, else a
// temporary conversion removed with this object. Raises as convertToHandheldWave does.
class PreviewWave {
public:
    explicit PreviewWave(const std::string& source);
    ~PreviewWave();
    PreviewWave(const PreviewWave&) = delete;
    PreviewWave& operator=(const PreviewWave&) = delete;

    const std::string& path() const { return m_path; }
    // False when the source itself is the wave.
    bool isConversion() const { return m_temporary; }

private:
    std::string m_path;
    bool m_temporary = false;
};

// Waves the handheld plays, made on the way for sounds that are not: each conversion lies under
// the sound's own name in a private temporary folder, which goes with this object.
class ConvertedWaves {
public:
    ConvertedWaves() = default;
    ~ConvertedWaves();
    ConvertedWaves(const ConvertedWaves&) = delete;
    ConvertedWaves& operator=(const ConvertedWaves&) = delete;

    // The folder to send folder + fileName from: folder itself when the file there is a handheld
    // wave or cannot be read, else the private folder with its conversion, made once per name.
    // Raises as convertToHandheldWave does.
    std::string folderFor(const std::string& folder, const std::string& fileName);

private:
    std::string m_folder; // with its trailing separator; made at the first conversion
};
