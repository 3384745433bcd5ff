#ifndef LIBCOMMONCFG_ENCODING_PASSWORDKEY_H
#define LIBCOMMONCFG_ENCODING_PASSWORDKEY_H

namespace LibCommonCfg {
namespace internal {

// The scrambling key. Scrambled passwords are stored by the clients, so
// neither the text nor the constant may ever change: bytes scrambled with
// other values would no longer be restored.
constexpr char kPasswordKey[] = "mT4#qZ8!vLr2@Xw9$Kc6%Np3&Hs7*";
constexpr int kPasswordKeyLength = static_cast<int>(sizeof(kPasswordKey) - 1);
// Combined with each key character before it is applied.
constexpr unsigned char kPasswordKeyMix = 0xA5;

static_assert(kPasswordKeyLength == 29, "the key period is 29 characters");

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_ENCODING_PASSWORDKEY_H
