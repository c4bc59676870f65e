// Packs and extracts a typical theme (25 waves of 5-50 KB) and a large one (64 MiB), and times
// tar on the same files in the same run, and the extraction against cp of the same bytes; the
// extraction's peak memory is measured in a child.
#include "themes/ThemeArchive.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FileSet {
    fs::path dir;
    std::vector<std::string> names;
    std::int64_t bytes = 0;
};

struct Workspace {
    fs::path root;
    FileSet sets[2]; // 0: typical, 1: large

    Workspace() {
        root = fs::temp_directory_path() / ("belltide-bench-" + std::to_string(::getpid()));
        std::mt19937 random(2024);
        sets[0] = makeSet(
            "typical", 25, [&] { return 5 * 1024 + random() % (45 * 1024); }, random);
        sets[1] = makeSet(
            "large", 8, [] { return 8u << 20; }, random);
    }
    ~Workspace() { fs::remove_all(root); }

    template <typename Size>
    FileSet makeSet(const std::string& name, int count, Size size, std::mt19937& random) {
        FileSet set{root / name, {}, 0};
        fs::create_directories(set.dir);
        for (int i = 0; i < count; ++i) {
            set.names.push_back("sound" + std::to_string(i) + ".wav");
            std::string data(size(), '\0');
            for (auto& c : data)
                c = static_cast<char>(random());
            std::ofstream(set.dir / set.names.back(), std::ios::binary) << data;
            set.bytes += static_cast<std::int64_t>(data.size());
        }
        return set;
    }

    fs::path out(const std::string& name) const {
        const auto dir = root / name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }
};

Workspace& workspace() {
    static Workspace instance;
    return instance;
}

const FileSet& setOf(const benchmark::State& state) {
    return workspace().sets[state.range(0)];
}

std::string archiveOf(const benchmark::State& state) {
    return (workspace().root / ("bench" + std::to_string(state.range(0)) + ".kbt")).string();
}

void pack(const FileSet& set, const std::string& archivePath) {
    const ThemeArchive archive(archivePath);
    // A failed pack would time nothing.
    if (!archive.create())
        std::abort();
    const std::string folder = (set.dir / "").string();
    for (const auto& name : set.names) {
        if (!archive.addFile(folder, name))
            std::abort();
    }
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        std::abort();
}

void BM_BelltidePack(benchmark::State& state) {
    const FileSet& set = setOf(state);
    for (auto _ : state)
        pack(set, archiveOf(state));
    state.SetBytesProcessed(state.iterations() * setOf(state).bytes);
}

void BM_BelltideExtract(benchmark::State& state) {
    pack(setOf(state), archiveOf(state));
    const auto out = (workspace().out("extract") / "").string();
    for (auto _ : state)
        static_cast<void>(ThemeArchive(archiveOf(state)).extractAll(out));
    state.SetBytesProcessed(state.iterations() * setOf(state).bytes);
}

void BM_TarPack(benchmark::State& state) {
    const std::string command =
        "tar -cf '" + archiveOf(state) + ".tar' -C '" + setOf(state).dir.string() + "' .";
    for (auto _ : state)
        run(command);
    state.SetBytesProcessed(state.iterations() * setOf(state).bytes);
}

void BM_TarExtract(benchmark::State& state) {
    const std::string tarPath = archiveOf(state) + ".tar";
    run("tar -cf '" + tarPath + "' -C '" + setOf(state).dir.string() + "' .");
    const std::string command =
        "tar -xf '" + tarPath + "' -C '" + workspace().out("tar-extract").string() + "'";
    for (auto _ : state)
        run(command);
    state.SetBytesProcessed(state.iterations() * setOf(state).bytes);
}

// The extraction's bytes copied as plain files, for what writing them costs alone.
void BM_CpExtract(benchmark::State& state) {
    const std::string command = "cp -r '" + setOf(state).dir.string() + "/.' '" +
                                workspace().out("cp-extract").string() + "'";
    for (auto _ : state)
        run(command);
    state.SetBytesProcessed(state.iterations() * setOf(state).bytes);
}

// What starting tar or cp costs without any work, to tell the work from the process start.
void BM_TarStartOnly(benchmark::State& state) {
    workspace();
    for (auto _ : state)
        run("tar --version > /dev/null");
}

void BM_CpStartOnly(benchmark::State& state) {
    workspace();
    for (auto _ : state)
        run("cp --version > /dev/null");
}

// Peak memory of a child that extracts, less that of a child that does nothing.
long childPeakKb(bool extract, const std::string& archivePath, const std::string& out) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (extract)
            static_cast<void>(ThemeArchive(archivePath).extractAll(out));
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

void BM_ExtractPeakMemory(benchmark::State& state) {
    pack(setOf(state), archiveOf(state));
    const auto out = (workspace().out("memory") / "").string();
    long growth = 0;
    for (auto _ : state)
        growth = childPeakKb(true, archiveOf(state), out) - childPeakKb(false, "", "");
    state.counters["extra_peak_kb"] = static_cast<double>(growth);
}

} // namespace

BENCHMARK(BM_BelltidePack)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TarPack)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BelltideExtract)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TarExtract)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpExtract)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TarStartOnly)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CpStartOnly)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractPeakMemory)->Arg(0)->Arg(1)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
