#pragma once

// What every fuzz target shares: the input as a file for the readers that take a path, a
// scratch directory for what writers write, and the check that a target's memory stays
// within a fixed multiple of its input.

#include <QByteArray>
#include <QDir>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sanitizer/allocator_interface.h>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

// Stops the run with a report, like a crash, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char* what)
{
    if (!holds)
        fail(what);
}

// The input in a file that lives in memory only; the path stays valid while this does.
class InputFile
{
public:
    InputFile(const std::uint8_t* data, std::size_t size)
    {
        m_fd = memfd_create("fuzz-input", MFD_CLOEXEC);
        if (m_fd < 0 || ::write(m_fd, data, size) != ssize_t(size))
            fail("cannot write the input into a memory file");
    }
    ~InputFile() { ::close(m_fd); }
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    int m_fd = -1;
};

// A directory in memory for the writers, made once per run.
inline QString scratchDirectory()
{
    static const QString path = [] {
        const QString dir = QStringLiteral("/dev/shm/orb-fuzz-%1").arg(::getpid());
        QDir().mkpath(dir);
        return dir;
    }();
    return path;
}

// Tracks the heap's peak through the sanitizer's allocation hooks.
class MemoryPeak
{
public:
    static void install()
    {
        __sanitizer_install_malloc_and_free_hooks(&onAllocate, &onFree);
    }
    // Starts a measurement at what is allocated now.
    static void reset()
    {
        s_peak.store(s_current.load());
        s_base = s_current.load();
    }
    static std::int64_t added() { return s_peak.load() - s_base; }

    // Every target's bound: the parse tree, the cells and their texts, and what Qt and
    // pugixml allocate once.
    static void checkBound(std::size_t inputSize, std::size_t factor = 64)
    {
        constexpr std::int64_t kFixed = std::int64_t(64) << 20;
        if (added() > std::int64_t(factor * inputSize) + kFixed)
            fail("memory beyond a fixed multiple of the input");
    }

private:
    static void onAllocate(const volatile void*, std::size_t size)
    {
        const std::int64_t now = s_current.fetch_add(std::int64_t(size)) + std::int64_t(size);
        std::int64_t peak = s_peak.load();
        while (now > peak && !s_peak.compare_exchange_weak(peak, now)) {
        }
    }
    static void onFree(const volatile void* pointer)
    {
        // Signed: blocks allocated before the hooks were installed are freed too.
        s_current.fetch_sub(std::int64_t(__sanitizer_get_allocated_size(const_cast<const void*>(pointer))));
    }

    static inline std::atomic<std::int64_t> s_current{0};
    static inline std::atomic<std::int64_t> s_peak{0};
    static inline std::int64_t s_base = 0;
};

} // namespace fuzz

// Every target includes this header once: its memory is tracked from libFuzzer's start.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::MemoryPeak::install();
    return 0;
}
