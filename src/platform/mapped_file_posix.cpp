#include "platform/mapped_file.h"

#include "platform/posix_path.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

std::unique_ptr<MappedFile> MappedFile::open(const std::string& path)
{
    int fd = ::open(posix_path(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<MappedFile> result(new MappedFile);
    result->m_size = static_cast<std::uint64_t>(info.st_size);
    result->m_fd = fd;
    return result;
}

MappedFile::~MappedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

const std::uint8_t* MappedFile::map(std::uint64_t offset, std::size_t length) const
{
    if (m_size == 0 || offset > m_size || length > m_size - offset)
        return nullptr;
    // Like MapViewOfFile, a zero length maps to the end of the file.
    std::size_t bytes = length ? length : static_cast<std::size_t>(m_size - offset);
    if (bytes == 0)
        return nullptr;
    void* view = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, m_fd, static_cast<off_t>(offset));
    return view == MAP_FAILED ? nullptr : static_cast<const std::uint8_t*>(view);
}

void unmap_view(const void* base, std::size_t length)
{
    if (base && length)
        munmap(const_cast<void*>(base), length);
}

std::uint32_t allocation_granularity()
{
    static const std::uint32_t granularity = static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE));
    return granularity;
}

} // namespace Platform
