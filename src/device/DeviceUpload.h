// An upload of a set of waves into the device folder, in two phases: every wave first arrives
// under a temporary name of its own; only then do they all take their places, each old one kept
// aside until the settings that name the new ones are written. Two notes on the device let the
// next connect put right an upload that stopped half-way: one stopped before its second phase
// leaves no trace, one stopped in it is finished.
#pragma once

#include "catalog/SoundTheme.h"
#include "device/DeviceLink.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class DeviceUpload {
public:
    // Notes on the device the upload of these files of DeviceFolder. Raises MessageError, the
    // device as it was, when that fails or an earlier upload's leftovers cannot be put right.
    DeviceUpload(DeviceLink& link, const std::vector<std::string>& fileNames);
    DeviceUpload(const DeviceUpload&) = delete;
    DeviceUpload& operator=(const DeviceUpload&) = delete;

    // Phase 1: pcDir + fileName, one of the names given, goes to the device under its temporary
    // name. Raises the copy messages, and then nothing of it is left there.
    void send(const std::string& pcDir, const std::string& fileName, const CopyProgress& progress);
    // Phase 2: every wave sent takes its place (one the device will not move, a wave in its ROM,
    // is written over in place), then the settings are written; returns the entries whose
    // setting was not (writeSoundTheme). On a failure before the settings every wave goes back
    // and MessageError is raised.
    std::set<std::string> place(const SoundTheme& settings);
    // After place, once the device has reloaded: removes the old waves and the notes.
    void finish();
    // Instead of place: removes the waves sent and the notes. Never raises.
    void abandon();
    // What cannot be removed now is removed at the next connect.

    // Called by connect: clears away or finishes an upload that stopped half-way. True when
    // nothing of one is left.
    static bool recover(DeviceLink& link);

    // The notes' names in DeviceFolder: the files of the upload, written before its first phase,
    // and the waves that arrived with the settings, written before its second.
    static constexpr const char* JournalName = "belltide-upload.txt";
    static constexpr const char* PlacingName = "belltide-placing.txt";

private:
    struct Wave {
        std::string fileName, pcDir;
        bool sent = false;       // whole under its temporary name
        bool asideMoved = false; // the old wave waits under its aside name
        bool placed = false;     // the new wave is at its name
        bool inPlace = false;    // written over the old one, which the device would not move
    };
    enum class Stage { Sending, Placing, Placed, Over };

    // Puts back every wave placed and removes what was sent and the notes; then raises reason.
    [[noreturn]] void undo(const std::string& reason);

    DeviceLink& m_link;
    RemoteDevice& m_device;
    std::string m_token; // ties the second note to this upload's journal
    std::vector<Wave> m_waves;
    std::map<std::string, std::size_t> m_index; // by file name
    Stage m_stage = Stage::Sending;
};
