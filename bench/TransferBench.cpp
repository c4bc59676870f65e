// Downloads and uploads the factory theme and a large one (25 waves of 1 MiB) with the transfer
// workers against a virtual handheld, and times cp on the same files in the same run; the
// download also against cp followed by sync of the files copied, which puts them on disk too.
#include "catalog/SoundCatalog.h"
#include "device/DeviceLink.h"
#include "device/VirtualHandheld.h"
#include "files/Removals.h"
#include "support/ArchiveBytes.h"
#include "support/FakeProgressWindows.h"
#include "transfer/CExportDlg.h"
#include "transfer/CImportDlg.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t WaveHeaderBytes = 44;

// A transfer that fails is no measure: it says why, where a run shows it.
[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "belltide_transfer_bench: %s\n", why.c_str());
    std::abort();
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        std::abort();
}

class SilentMessages : public DeviceMessages {
public:
    void showMessage(const std::string&) override { std::abort(); }
};

struct Handheld {
    fs::path device;
    fs::path pcFolder;  // the files of the theme on the PC, for uploads
    fs::path soundsDir; // where downloads go
    SoundTheme theme;   // as on the device, pointing at pcFolder
    std::string cpDownload, cpSyncDownload, cpUpload;
};

struct Workspace {
    fs::path root = fs::temp_directory_path() / ("belltide-transfer-" + std::to_string(::getpid()));
    Handheld handhelds[2]; // 0: factory, 1: large

    Workspace() {
        handhelds[0] = make("factory", false);
        handhelds[1] = make("large", true);
    }
    ~Workspace() {
        // The transfers' removals may still be emptying their bins in there.
        waitForRemovals();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    Handheld make(const std::string& name, bool large) {
        Handheld handheld;
        handheld.device = root / name / "device";
        handheld.pcFolder = root / name / "pc";
        handheld.soundsDir = root / name / "sounds";
        run("\"" BELLTIDE_MAKE_DEVICE "\" \"" + handheld.device.string() + "\"");
        fs::create_directories(handheld.pcFolder);
        fs::create_directories(handheld.soundsDir);
        VirtualHandheld remote(handheld.device);
        SilentMessages messages;
        DeviceLink link(remote, messages);
        link.connect();
        handheld.theme = link.readSoundTheme();
        if (large) {
            // Every row its own wave of 1 MiB: an upload refuses anything else.
            std::mt19937 random(7);
            int index = 0;
            for (auto& [eventName, entry] : handheld.theme) {
                entry.name = "large" + std::to_string(index++);
                entry.extension = ".wav";
                std::string samples((1u << 20) - WaveHeaderBytes, '\0');
                for (auto& c : samples)
                    c = static_cast<char>(random());
                writeBytes(handheld.device / "Windows" / (entry.name + ".wav"), waveBytes(samples));
            }
            static_cast<void>(link.writeSoundTheme(handheld.theme));
        }
        std::string names;
        for (auto& [eventName, entry] : handheld.theme) {
            entry.folder = (handheld.pcFolder / "").string();
            if (entry.hasSound())
                fs::copy_file(handheld.device / "Windows" / (entry.name + entry.extension),
                              handheld.pcFolder / (entry.name + entry.extension),
                              fs::copy_options::overwrite_existing);
        }
        for (const auto& file : handheld.theme.soundFiles())
            names += " '" + file.name + file.extension + "'";
        handheld.cpDownload = "cd '" + (handheld.device / "Windows").string() + "' && cp" + names +
                              " '" + handheld.soundsDir.string() + "'";
        handheld.cpSyncDownload =
            handheld.cpDownload + " && cd '" + handheld.soundsDir.string() + "' && sync" + names;
        handheld.cpUpload = "cd '" + handheld.pcFolder.string() + "' && cp" + names + " '" +
                            (handheld.device / "Windows").string() + "'";
        return handheld;
    }
};

Workspace& workspace() {
    static Workspace instance;
    return instance;
}

std::int64_t themeBytes(const Handheld& handheld) {
    std::int64_t bytes = 0;
    for (const auto& file : handheld.theme.soundFiles())
        bytes += static_cast<std::int64_t>(fs::file_size(file.path()));
    return bytes;
}

TransferServices services(FakeProgressWindows& windows, const Handheld& handheld) {
    return TransferServices{
        windows, [device = handheld.device] { return std::make_unique<VirtualHandheld>(device); }};
}

void BM_BelltideDownload(benchmark::State& state) {
    const Handheld& handheld = workspace().handhelds[state.range(0)];
    FakeProgressWindows windows;
    for (auto _ : state) {
        CImportDlg dlg((handheld.soundsDir / "").string(), services(windows, handheld));
        dlg.DoModal();
        if (!windows.runs.back().messages.empty())
            fail(windows.runs.back().messages.front());
        if (!dlg.commitSounds())
            fail("the sounds downloaded did not take their place");
    }
    state.SetBytesProcessed(state.iterations() * themeBytes(handheld));
}

void BM_BelltideUpload(benchmark::State& state) {
    const Handheld& handheld = workspace().handhelds[state.range(0)];
    FakeProgressWindows windows;
    for (auto _ : state) {
        CExportDlg dlg(handheld.theme, services(windows, handheld));
        dlg.DoModal();
        if (!windows.runs.back().messages.empty())
            fail(windows.runs.back().messages.front());
        if (!dlg.m_succeeded)
            fail("the upload did not succeed");
    }
    state.SetBytesProcessed(state.iterations() * themeBytes(handheld));
}

void BM_CpDownload(benchmark::State& state) {
    const Handheld& handheld = workspace().handhelds[state.range(0)];
    for (auto _ : state)
        run(handheld.cpDownload);
    state.SetBytesProcessed(state.iterations() * themeBytes(handheld));
}

void BM_CpSyncDownload(benchmark::State& state) {
    const Handheld& handheld = workspace().handhelds[state.range(0)];
    for (auto _ : state)
        run(handheld.cpSyncDownload);
    state.SetBytesProcessed(state.iterations() * themeBytes(handheld));
}

void BM_CpUpload(benchmark::State& state) {
    const Handheld& handheld = workspace().handhelds[state.range(0)];
    for (auto _ : state)
        run(handheld.cpUpload);
    state.SetBytesProcessed(state.iterations() * themeBytes(handheld));
}

// What starting a shell and cp costs without any work; and with sync after it.
void BM_CpStartOnly(benchmark::State& state) {
    workspace();
    for (auto _ : state)
        run("cd / && cp --version > /dev/null");
}

void BM_CpSyncStartOnly(benchmark::State& state) {
    workspace();
    for (auto _ : state)
        run("cd / && cp --version > /dev/null && cd / && sync --version > /dev/null");
}

} // namespace

BENCHMARK(BM_BelltideDownload)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpDownload)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpSyncDownload)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BelltideUpload)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpUpload)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpStartOnly)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpSyncStartOnly)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
