// Sounds of any format the decoder reads made into waves the handheld plays: 16-bit PCM, mono or
// stereo, at 11025, 22050 or 44100 Hz. Any thread may call these; they share nothing.
#pragma once

#include "catalog/MessageError.h"

#include <chrono>
#include <functional>
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
// By the wave header alone: whether the handheld plays the file as it stands.
bool playsAsItStands(const std::string& path);

// The channels and rate a converted sound gets: stereo stays, anything else becomes mono; the
// nearest handheld rate at or below the source's, and never less than the lowest.
struct HandheldFormat {
    int channels = 1;
    int sampleRate = 11025;
};
HandheldFormat handheldFormatFor(int channels, int sampleRate);

// The bounds of a conversion. A source sampled slower holds too little to make a sound of.
inline constexpr int LowestSourceRate = 4000;
// A handheld sound over ten minutes is no notification sound; the wave of one that long takes
// up to 106 MB (44.1 kHz, 16-bit stereo), which is the most a conversion writes.
inline constexpr std::chrono::minutes LongestConversion{10};
// What the preview converts of a sound: enough to hear what it is, quick to make.
inline constexpr std::chrono::seconds PreviewLength{10};

// Raised for a source the decoder cannot read: "Could not open file" with the source.
class UndecodableSound : public MessageError {
public:
    using MessageError::MessageError;
};
// Raised when there is no temporary folder to convert into: no other conversion can be made.
class NoTemporaryFolder : public MessageError {
public:
    using MessageError::MessageError;
};
// Raised when the progress hook asked to stop. Not a std::exception, so that only a caller that
// waits for it takes it.
struct ConversionCancelled {};

// Called on the converting thread between decoded blocks, first before the first, with the
// part done from 0 to 1; false stops the conversion.
using ConversionProgress = std::function<bool(double part)>;

// Writes the handheld's wave of source at target, atomically: a handheld wave is copied byte for
// byte, any other is decoded and converted. The source is never written. Raises UndecodableSound;
// MessageError naming the source when it is sampled below LowestSourceRate or plays longer than
// LongestConversion, by its header or once its decoding has gone past it (a header may lie);
// "Could not write file" with the target when the target cannot be written; and
// ConversionCancelled. The target's old content stays whenever it raises.
void convertToHandheldWave(const std::string& source, const std::string& target,
                           const ConversionProgress& progress = {});

// How much of a sound a preview takes: all of it, or its first PreviewLength, which is never
// refused for its length.
enum class PreviewPart { Whole, Opening };

// A wave the players can play for source: the source itself when the handheld plays it, else a
// temporary conversion removed with this object. Raises as convertToHandheldWave does, and
// NoTemporaryFolder.
class PreviewWave {
public:
    explicit PreviewWave(const std::string& source, PreviewPart part = PreviewPart::Whole,
                         const ConversionProgress& progress = {});
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
    // Raises as PreviewWave does.
    std::string folderFor(const std::string& folder, const std::string& fileName,
                          const ConversionProgress& progress = {});

private:
    std::string m_folder; // with its trailing separator; made at the first conversion
};
