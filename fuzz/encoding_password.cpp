// The password scrambler is its own inverse: scrambling twice must give the
// original bytes back, whatever they are (including 0x00 and 0xFF).
#include <LibCommonCfg/encoding.h>

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray original(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QByteArray password = original;
    encryptPassword(password);
    if (password.size() != original.size())
        std::abort();
    encryptPassword(password);
    if (password != original)
        std::abort();
    return 0;
}
