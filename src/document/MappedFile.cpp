// Read-only file mappings and the bus-error handler that keeps them safe from files cut shorter.
#include "document/MappedFile.h"

#include <QtGlobal>

#include <algorithm>
#include <mutex>

#if defined(Q_OS_UNIX)
#define QV_MMAP 1
#include <csignal>
#include <sys/mman.h>
#include <unistd.h>
#if defined(Q_OS_LINUX)
#include <sys/vfs.h>
#endif
#endif

#if QV_MMAP
namespace {

// The guarded mappings. The handler only reads the table (atomics, no locks); the mutex orders
// the threads that add and remove mappings.
constexpr int kSlots = 64;

struct Slot
{
    std::atomic<uintptr_t> begin{0}; // 0: free
    std::atomic<uintptr_t> end{0};
    std::atomic<std::atomic<bool>*> cut{nullptr};
};

Slot g_slots[kSlots];
std::mutex g_slotLock;
struct sigaction g_previous;
uintptr_t g_pageSize = 4096;

void OnBusError(int sig, siginfo_t* info, void* context)
{
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    // Only faults raised by the memory system carry an address (a signal sent by kill carries none).
    const int guarded = info->si_code > 0 ? kSlots : 0;
    for (int i = 0; i < guarded; ++i) {
        Slot& s = g_slots[i];
        const uintptr_t begin = s.begin.load(std::memory_order_acquire);
        const uintptr_t end = s.end.load(std::memory_order_acquire);
        if (begin == 0 || at < begin || at >= end)
            continue;
        // Zero pages in place of the file's missing pages, up to the end of the mapping: the read
        // resumes, and every later read of that part is served without another fault.
        const uintptr_t page = at & ~(g_pageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED)
            break;
        if (std::atomic<bool>* cut = s.cut.load(std::memory_order_acquire))
            cut->store(true, std::memory_order_release);
        return;
    }
    // Not one of ours: whoever handled the signal before, else the default (the program ends).
    if (g_previous.sa_flags & SA_SIGINFO) {
        if (g_previous.sa_sigaction) {
            g_previous.sa_sigaction(sig, info, context);
            return;
        }
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(sig);
        return;
    }
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(SIGBUS, &dfl, nullptr);
    ::raise(sig); // delivered with the default action once the handler returns
}

void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        if (page > 0)
            g_pageSize = static_cast<uintptr_t>(page);
        struct sigaction sa {};
        sa.sa_sigaction = OnBusError;
        sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGBUS, &sa, &g_previous);
    });
}

int Register(uintptr_t begin, uintptr_t end, std::atomic<bool>* cut)
{
    std::lock_guard<std::mutex> lock(g_slotLock);
    for (int i = 0; i < kSlots; ++i) {
        Slot& s = g_slots[i];
        if (s.begin.load(std::memory_order_relaxed) != 0)
            continue;
        s.cut.store(cut, std::memory_order_relaxed);
        s.end.store(end, std::memory_order_relaxed);
        s.begin.store(begin, std::memory_order_release);
        return i;
    }
    return -1;
}

void Unregister(int slot)
{
    std::lock_guard<std::mutex> lock(g_slotLock);
    Slot& s = g_slots[slot];
    s.begin.store(0, std::memory_order_release);
    s.end.store(0, std::memory_order_relaxed);
    s.cut.store(nullptr, std::memory_order_relaxed);
}

// Network file systems may drop pages under a mapping at any time: such files are read instead.
bool OnNetworkFileSystem(int fd)
{
#if defined(Q_OS_LINUX)
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x65735546UL: // FUSE
        return true;
    default:
        return false;
    }
#else
    Q_UNUSED(fd);
    return false;
#endif
}

} // namespace
#endif

bool MappedFile::Map(QFile& file, uint64_t size)
{
    Unmap();
    if (size == 0 || size > static_cast<uint64_t>(SIZE_MAX / 2))
        return false;
#if QV_MMAP
    const int fd = file.handle();
    if (fd < 0 || OnNetworkFileSystem(fd))
        return false;
    InstallHandler();
    void* p = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED)
        return false;
    const size_t length = static_cast<size_t>((size + g_pageSize - 1) & ~uint64_t(g_pageSize - 1));
    m_cut.store(false, std::memory_order_relaxed);
    const auto begin = reinterpret_cast<uintptr_t>(p);
    m_slot = Register(begin, begin + length, &m_cut);
    if (m_slot < 0) {
        ::munmap(p, length);
        return false;
    }
    ::madvise(p, length, MADV_SEQUENTIAL);
    m_data = static_cast<const uint8_t*>(p);
    m_mappedLength = length;
    m_size = size;
    return true;
#else
    // Windows refuses to shorten a file while it is mapped: no guard is needed.
    uchar* p = file.map(0, static_cast<qint64>(size));
    if (!p)
        return false;
    m_qtMapped = &file;
    m_data = p;
    m_size = size;
    return true;
#endif
}

void MappedFile::WillRead([[maybe_unused]] uint64_t offset, [[maybe_unused]] uint64_t n) const
{
#if QV_MMAP && defined(__linux__)
#ifndef MADV_POPULATE_READ
    constexpr int MADV_POPULATE_READ = 22; // Linux 5.14; older kernels refuse it, which is harmless
#endif
    if (!m_data || offset >= m_size)
        return;
    n = std::min<uint64_t>(n, m_size - offset);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(m_data + offset) & ~uintptr_t(g_pageSize - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(m_data + offset + n);
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_READ);
#endif
}

void MappedFile::Unmap()
{
    if (!m_data)
        return;
#if QV_MMAP
    Unregister(m_slot);
    ::munmap(const_cast<uint8_t*>(m_data), m_mappedLength);
    m_slot = -1;
#else
    m_qtMapped->unmap(const_cast<uchar*>(m_data));
    m_qtMapped = nullptr;
#endif
    m_data = nullptr;
    m_size = 0;
    m_mappedLength = 0;
}
