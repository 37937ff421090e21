// Generated data files for the engine benchmarks, kept in one temporary folder that is removed
// when the benchmark program ends, and a way to time the command-line tools on the same files.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <sys/wait.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace benchdata {

// Fast pseudo-random bytes (xorshift64*), so that a gigabyte is made in a second.
inline void Fill(uint8_t* p, size_t n, uint64_t seed)
{
    uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        const uint64_t v = x * 0x2545F4914F6CDD1Dull;
        std::memcpy(p + i, &v, 8);
    }
    for (; i < n; ++i)
        p[i] = static_cast<uint8_t>(i * 131 + seed);
}

class Folder
{
public:
    static Folder& Get()
    {
        static Folder folder;
        return folder;
    }
    std::filesystem::path Path(const std::string& name) const { return m_root / name; }
    // Writes `bytes` to `name` once; later calls return the existing file.
    std::string File(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const auto path = Path(name);
        if (!std::filesystem::exists(path)) {
            std::filesystem::create_directories(path.parent_path());
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return path.string();
    }
    ~Folder() { std::filesystem::remove_all(m_root); }

private:
    Folder()
    {
        m_root = std::filesystem::temp_directory_path() / ("quorvane-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_root);
    }
    std::filesystem::path m_root;
};

// The exit status of a std::system() call, or -1 when the command did not run or end normally.
inline int ExitStatus(int rc)
{
    return rc != -1 && WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Times one run of a shell command per iteration. The output goes to a file, not /dev/null:
// grep stops at the first match when it sees that its output is discarded. A run that ends with
// another status than `accepted` (cmp and grep -c end with 1 for "different" and "no match")
// marks the benchmark as failed: a tool that failed fast is no reference time.
inline void TimeCommand(benchmark::State& state, const std::string& command, int64_t bytes,
                        std::initializer_list<int> accepted = {0})
{
    const std::string out = Folder::Get().Path("tool.out").string();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const int status = ExitStatus(std::system((command + " > " + out + " 2>&1").c_str()));
        const auto t1 = std::chrono::steady_clock::now();
        if (std::find(accepted.begin(), accepted.end(), status) == accepted.end()) {
            state.SkipWithError(("the tool failed (status " + std::to_string(status) + "): " + command).c_str());
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

} // namespace benchdata
