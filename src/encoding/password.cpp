#include <LibCommonCfg/encoding.h>

#include "encoding/passwordkey.h"

using LibCommonCfg::internal::kPasswordKey;
using LibCommonCfg::internal::kPasswordKeyLength;
using LibCommonCfg::internal::kPasswordKeyMix;

void encryptPassword(QByteArray& password)
{
    if (password.isEmpty())
        return;
    // data() detaches: copies sharing the bytes, and outside bytes the array
    // merely refers to (QByteArray::fromRawData), stay as they were.
    char* bytes = password.data();
    const int size = password.size();
    for (int i = 0; i < size; ++i) {
        const auto keyByte = static_cast<unsigned char>(
            static_cast<unsigned char>(kPasswordKey[i % kPasswordKeyLength]) ^ kPasswordKeyMix);
        bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ keyByte);
    }
}
