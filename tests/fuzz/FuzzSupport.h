#pragma once
// Shared by the fuzz targets: a reader that turns the fuzzer's bytes into
// choices and values, and a property check that stops the run loudly (the
// fuzzer records the input; the corpus replay fails the test).
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

// Takes values from the front of the input; past its end every value is 0 or
// empty, so any input, however short, decodes to something.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    std::size_t left() const { return m_size - m_pos; }

    std::uint8_t byte() { return empty() ? 0 : m_data[m_pos++]; }

    // A number from lo to hi inclusive (hi - lo below 65536).
    int number(int lo, int hi)
    {
        const unsigned span = unsigned(hi - lo) + 1;
        unsigned raw = byte();
        if (span > 256)
            raw = raw << 8 | byte();
        return lo + int(raw % span);
    }

    QByteArray bytes(std::size_t count)
    {
        count = std::min(count, left());
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(count));
        m_pos += count;
        return out;
    }

    QByteArray rest() { return bytes(left()); }

    // Up to `count` UTF-16 units, two bytes each: any text at all, broken
    // surrogate pairs included.
    QString text(std::size_t count)
    {
        const QByteArray raw = bytes(count * 2);
        QString out;
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
            out += QChar(char16_t(std::uint8_t(raw[i]) | std::uint8_t(raw[i + 1]) << 8));
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// One scratch folder per process, on a memory file system where there is
// one: the program flushes what it writes to the disk, which would be slow.
// Removed at exit.
inline const std::string& fuzzScratchFolder()
{
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string& path = *new std::string([] {
        const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/miniarca-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        std::atexit([] { std::filesystem::remove_all(fuzzScratchFolder()); });
        return pattern;
    }());
    return path;
}
